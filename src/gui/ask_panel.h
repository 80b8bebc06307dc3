#pragma once

#include "platform/asker.h"

#include <QFrame>
#include <QString>

#include <array>

class QEventLoop;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tildo {

// The question panel docked below the editor. Hidden outside a pass; while a
// pass runs it waits (light red, "Подождите или нажмите Esc", buttons
// disabled) and asks (light blue, the question's caption, buttons enabled)
// in turns. While it asks it runs its own event loop until a button is
// pressed: by the mouse, by its accelerator character (HotKeys, one per
// answer button; Alt is not needed), or Esc for "Отмена". A right-button
// press on an enabled answer button opens a one-character field over it to
// give it another accelerator. The main window's size is frozen while a
// question waits.
class TAskPanel : public QFrame
{
    Q_OBJECT

public:
    static constexpr int PanelHeight = 119;

    explicit TAskPanel(QWidget* parent = nullptr);
    ~TAskPanel() override;

    // Four distinct characters, the accelerators of е, ё, "Всегда Е" and
    // "Всегда Ё"; anything else gives "1234".
    void SetHotKeys(const QString& keys);
    QString HotKeys() const { return m_hotKeys; }

    // A pass starts (the panel shows, waiting) and ends (the panel hides).
    void BeginPass();
    void EndPass();
    // Shows the question and waits for its answer code.
    TAnswer Ask(const TQuestion& question);
    bool IsAsking() const { return m_loop != nullptr; }

    // Sizes the buttons to their captions and centres the question area.
    void LayoutPanel();

signals:
    void HotKeysChanged(const QString& keys);
    // F8 while a question waits: the word it asks about, selected in the
    // editor, is to go to the dictionary editor.
    void CopyToDicEdit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum TButton { Ye, Yo, YeAll, YoAll, Undo, Cancel, ButtonCount };

    QPushButton* MakeButton(const char* name, TAnswer code);
    void ShowQuestion(const TQuestion& question);
    void SetPanelLook(bool asking);
    // Paints the panel, its caption and its side strips for the look it has
    // (asking or waiting, an alarming caption) in the palette as it is now.
    void ApplyColours();
    void Relabel();
    QString CaptionWithKey(int button) const;
    void Answer(TAnswer code);
    // A key pressed while the panel asks; true when it answered.
    bool AnswerKey(const QKeyEvent& key);
    void StartRekey(int button);
    void EndRekey(bool apply);
    void FreezeWindow(bool frozen);

    QFrame* m_leftRect;
    QFrame* m_rightRect;
    QFrame* m_bevel;
    QLabel* m_caption;
    QLabel* m_sample; // measures caption widths in the panel's font
    QLineEdit* m_rekeyField;
    std::array<QPushButton*, ButtonCount> m_buttons {};
    std::array<QString, ButtonCount> m_texts; // captions without the accelerator
    std::array<bool, ButtonCount> m_savedEnabled {};
    QString m_hotKeys = QStringLiteral("1234");
    int m_rekeying = -1; // the button being given a new accelerator
    QEventLoop* m_loop = nullptr;
    TAnswer m_answer = TAnswer::None;
    bool m_inPass = false;
    bool m_asking = false;
    bool m_alert = false; // the caption warns of a missing or misplaced ё
    bool m_painting = false; // our own palette changes, not to be answered
};

} // namespace tildo
