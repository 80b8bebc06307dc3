#pragma once

#include "platform/text_document.h"

#include <QObject>
#include <QTextCharFormat>
#include <QTextCursor>

#include <string>

class QTextDocument;
class QTextEdit;

namespace tildo {

// The TextDocument of a QTextEdit. Offsets are the QTextDocument's positions:
// one per UTF-16 unit and one per paragraph separator, which the core sees as
// '\n'. Characters CP1251 lacks reach the core as ForeignPlaceholder and stay
// untouched in the editor. The CP1251 text is cached and kept up to date in
// place when a few characters are replaced by as many (a letter written back
// by the pass, a colour change), so per-letter work never converts the whole
// text; any other change drops the cache until it is next needed.
class TQtTextDocument : public QObject, public TextDocument
{
    Q_OBJECT

public:
    explicit TQtTextDocument(QTextEdit& editor, QObject* parent = nullptr);

    QTextEdit& Editor() const { return m_editor; }

    int LineCount() const override;
    std::string Line(int i) const override;
    int LineStart(int i) const override;
    int LineOf(int offset) const override;
    std::string Text() const override;
    int Length() const override;

    void Select(int start, int length) override;
    int SelStart() const override;
    int SelLength() const override;
    void ReplaceSelection(const std::string& text) override;

    TColour SelectionColour() const override;
    void SetSelectionColour(TColour colour) override;
    void SetSelectionBackground(TColour colour) override;

    void ScrollToCaret() override;
    void SetReadOnly(bool readOnly) override;
    bool IsReadOnly() const override;
    void SetBusyCursor(bool busy) override;
    void Focus() override;

    void SetText(const std::string& text) override;
    void InsertLine(int i, const std::string& text) override;
    void ReplaceLine(int i, const std::string& text) override;
    void DeleteLine(int i) override;

    // The text colour and background of the character at offset, as the core
    // sees colours: no colour of its own reads as black text on white.
    TColour CharColour(int offset) const;
    TColour CharBackground(int offset) const;

    // While a pass runs, the selection the core works with is kept apart from
    // the editor's own cursor: moving the editor's cursor scrolls and repaints,
    // which the pass must not pay for every letter. The editor shows the
    // selection when the core scrolls to the caret, takes the focus, a question
    // shows the word (ShowSelection) and when the deferral ends.
    void SetCaretDeferred(bool deferred);
    bool IsCaretDeferred() const { return m_deferred; }
    void ShowSelection();

    class TDeferCaret
    {
    public:
        explicit TDeferCaret(TQtTextDocument& doc)
            : m_doc(doc)
            , m_was(doc.IsCaretDeferred())
        {
            m_doc.SetCaretDeferred(true);
        }
        ~TDeferCaret() { m_doc.SetCaretDeferred(m_was); }
        TDeferCaret(const TDeferCaret&) = delete;
        TDeferCaret& operator=(const TDeferCaret&) = delete;

    private:
        TQtTextDocument& m_doc;
        bool m_was;
    };

private:
    QTextDocument& Doc() const;
    void Track() const;
    QTextCursor Cursor() const;
    void SetCursor(const QTextCursor& cursor);
    void OnContentsChange(int from, int removed, int added);
    const std::string& CachedText() const;
    QTextCharFormat FormatAt(int offset) const;
    // Replaces [start, start + length) by text; the new characters take the
    // format of the first replaced character, or of the one before an empty
    // range. Returns a cursor after the new text.
    QTextCursor Splice(int start, int length, const std::string& text);

    QTextEdit& m_editor;
    mutable QTextDocument* m_tracked = nullptr;
    mutable QMetaObject::Connection m_connection;
    bool m_deferred = false;
    QTextCursor m_cursor; // the core's selection while the caret is deferred
    mutable std::string m_text;
    mutable bool m_textValid = false;
    int m_busyDepth = 0;
};

} // namespace tildo
