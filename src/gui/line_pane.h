#pragma once

#include "platform/text_document.h"
#include "text/memory_document.h"

#include <QAbstractScrollArea>

namespace tildo {

// A plain-text pane for line lists of any length: the dictionary editor's
// panes. The text lives in CP1251 in a MemoryDocument, the same storage the
// editor's logic works on without a window, and only the lines in view are
// converted and painted, so that putting the 107 000 lines of a dictionary
// into the pane costs about as much as building their text. The view has a
// fixed-pitch font, no word wrap, a caret and a selection that stays visible
// without the focus, per-character colours, and the editing a line editor
// needs: typing, Backspace and Delete, Enter, the arrow and page keys (with
// Shift to select), the mouse (a double click selects a word) and the
// clipboard. Characters CP1251 lacks cannot be typed into it.
class TLinePane : public QAbstractScrollArea, public TextDocument
{
    Q_OBJECT

public:
    explicit TLinePane(QWidget* parent = nullptr);

    // TextDocument
    int LineCount() const override { return m_doc.LineCount(); }
    std::string Line(int i) const override { return m_doc.Line(i); }
    int LineStart(int i) const override { return m_doc.LineStart(i); }
    int LineOf(int offset) const override { return m_doc.LineOf(offset); }
    std::string Text() const override { return m_doc.Text(); }
    int Length() const override { return m_doc.Length(); }
    void Select(int start, int length) override;
    int SelStart() const override { return m_doc.SelStart(); }
    int SelLength() const override { return m_doc.SelLength(); }
    void ReplaceSelection(const std::string& text) override;
    TColour SelectionColour() const override { return m_doc.SelectionColour(); }
    void SetSelectionColour(TColour colour) override;
    void SetSelectionBackground(TColour colour) override;
    void ScrollToCaret() override;
    void SetReadOnly(bool readOnly) override { m_readOnly = readOnly; }
    bool IsReadOnly() const override { return m_readOnly; }
    void SetBusyCursor(bool busy) override;
    void Focus() override { setFocus(Qt::OtherFocusReason); }
    void SetText(const std::string& text) override;
    void InsertLine(int i, const std::string& text) override;
    void ReplaceLine(int i, const std::string& text) override;
    void DeleteLine(int i) override;

    TColour CharColour(int offset) const { return m_doc.CharColour(offset); }
    // The whole text for display and the clipboard.
    QString PlainText() const;
    // The caret: the end of the selection the user extends.
    int Caret() const { return m_caret; }

public slots:
    void cut();
    void copy();
    void paste();
    void selectAll();

signals:
    // The text changed (not only its colours): an edit of the program or of the user.
    void TextChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int LineHeight() const;
    int VisibleLines() const;
    // Horizontal position of column in line, before scrolling.
    int ColumnX(int line, int column) const;
    // The offset under a point of the viewport.
    int OffsetAt(const QPoint& point) const;
    // Moves the caret, extending the selection from the anchor or not.
    void MoveCaret(int offset, bool extend);
    // The user's edit: the selection replaced by text (from the keyboard, the
    // clipboard), typed in black.
    void TypeText(const QString& text);
    void Edited();
    void UpdateScrollBars();
    bool KeyMovesCaret(const QKeyEvent& key);

    MemoryDocument m_doc;
    int m_anchor = 0;
    int m_caret = 0;
    int m_goalColumn = -1; // the column Up and Down keep to
    int m_longestLine = 0; // characters
    bool m_readOnly = false;
    int m_busyDepth = 0;
};

} // namespace tildo
