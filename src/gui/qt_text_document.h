#pragma once

#include "platform/scope_guard.h"
#include "platform/text_document.h"

#include <QColor>
#include <QObject>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>

#include <array>
#include <string>
#include <vector>

class QTextDocument;
class QPlainTextEdit;

namespace tildo {

// The TextDocument of a QPlainTextEdit. Offsets are the QTextDocument's positions:
// one per UTF-16 unit and one per paragraph separator, which the core sees as
// '\n'. Characters CP1251 lacks reach the core as ForeignPlaceholder and stay
// untouched in the editor. The CP1251 text is kept beside the editor's and
// brought in step with every change by converting only what changed (a letter
// written back by the pass, a colour change, a paste, a file opened), so
// neither a pass nor per-letter work converts the whole text.
class TQtTextDocument : public QObject, public TextDocument
{
    Q_OBJECT

public:
    explicit TQtTextDocument(QPlainTextEdit& editor, QObject* parent = nullptr);

    QPlainTextEdit& Editor() const { return m_editor; }

    int LineCount() const override;
    std::string Line(int i) const override;
    void LineInto(int i, std::string& out) const override;
    int LineStart(int i) const override;
    int LineOf(int offset) const override;
    std::string Text() const override;
    std::string_view TextView(std::string& scratch) const override;
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

    // While a pass runs the view is deferred: the selection the core works
    // with is kept apart from the editor's own cursor (moving that one scrolls
    // and repaints), and the edits are gathered in one edit block of the
    // document, so that the editor hears of them once per flush rather than
    // once per letter. The document's content is up to date at every moment;
    // only the view waits. It catches up with the edits before events are
    // processed (Flush), and with the selection too when the core gives the
    // editor the focus, when a question shows the word (ShowSelection) and
    // when the deferral ends. A scroll to the caret the core asks for waits
    // for the next flush, so the view follows a pass at the rate the window
    // is painted, whatever the number of words.
    void SetViewDeferred(bool deferred);
    bool IsViewDeferred() const { return m_deferred; }
    // Lays out what changed since the last flush, and scrolls to the caret
    // when the core asked for it meanwhile.
    void Flush();
    // Flush, and the editor takes the core's selection (scrolling to it
    // when it is out of view, as an editor does for its cursor).
    void ShowSelection();

    // The view deferred for the life of the returned guard, then as it was.
    auto DeferView()
    {
        return TScopeGuard(
            [this] { SetViewDeferred(true); }, [this, was = IsViewDeferred()] { SetViewDeferred(was); });
    }

    // The editor's palette gave its text and background new colours (a dark
    // theme chosen while the program runs): true when the colours of the
    // text, painted for the old ones, are to be painted anew.
    bool PaletteChanged() const;
    // Paints every coloured character for the editor's palette as it is now,
    // so that marks stay readable and read back as the colours they stand for.
    void Recolour();

signals:
    // The text changed (not only its colours): an edit of ours or of the user.
    void TextChanged();

private:
    // Ends the edit block of a deferred view: the editor hears of the edits.
    void EndEditBlock();
    // A text colour of the core as the editor paints it on its background,
    // and back (readable marks and black text in a dark palette).
    QColor ShownForeground(TColour colour) const;
    TColour StoredForeground(const QColor& shown) const;

    QTextDocument& Doc() const;
    void Track() const;
    QTextCursor Cursor() const;
    void SetCursor(const QTextCursor& cursor);
    // Moves the core's cursor to the selection a deferred pass asked for last.
    // A pass selects every word it looks at to show where it is, and moving a
    // QTextCursor lays out the word's paragraph (to know the caret's x) unless
    // an edit block is open; so a selection is only noted, and the cursor
    // follows when a word is coloured or written, or the view catches up.
    void TakeNotedSelection() const;
    // The core's cursor for an edit: inside the open edit block of a deferred
    // view, where moving it costs no layout.
    QTextCursor EditCursor();
    // Line i as a range of the cached text. A pass asks for the lines in
    // order, so the line after the one asked for last is found in the text
    // itself, without walking the document's blocks.
    bool LineSpan(int i, int& start, int& length) const;
    // Blocks may have come or gone: the remembered line is not to be trusted.
    void StructureChanged() const { ++m_generation; }
    // Writes a colour held back for the next replacement.
    void ApplyPendingColour();
    // Opens the edit block of a deferred view before an edit.
    void BeginEdit();
    // Keeps the cached text in step with an edit of ours: [start, start +
    // length) became text.
    void PatchCache(int start, int length, const std::string& text);
    void OnContentsChange(int from, int removed, int added);
    // Brings the cached text in step with a change the document notified:
    // only the changed characters are converted. True when the text changed
    // (not only its formatting).
    bool Mirror(int from, int removed, int added);
    const std::string& CachedText() const;
    QTextCharFormat FormatAt(int offset) const;
    // The character at offset as the core sees it ('\n' for a paragraph break).
    char CharAt(int offset) const;
    // Replaces [start, start + length) by text; the new characters take the
    // format of the first replaced character, or of the one before an empty
    // range. Returns a cursor after the new text.
    QTextCursor Splice(int start, int length, const std::string& text);
    void Apply(const TRangeEdit& edit);

    QPlainTextEdit& m_editor;
    mutable QTextDocument* m_tracked = nullptr;
    mutable QMetaObject::Connection m_connection;
    bool m_deferred = false;
    std::array<int, 2> m_scrollTo { -1, -1 }; // places to show at the next flush, the last two asked for
    mutable QTextCursor m_cursor; // the core's selection while the view is deferred
    mutable bool m_selectionNoted = false; // m_cursor is behind the selection below
    int m_notedStart = 0;
    int m_notedLength = 0;
    QTextCursor m_editBlock; // holds the open edit block; null when none is open
    bool m_pendingColour = false; // a colour of the selection, not yet written
    int m_pendingFrom = 0;
    int m_pendingTo = 0;
    TColour m_pendingValue = 0;
    bool m_ownEdit = false; // the change being notified is one of ours, already in the cache
    mutable unsigned m_generation = 0; // counts changes that may add or remove blocks
    mutable int m_spanNumber = -1; // the line asked for last, and where it lies
    mutable int m_spanStart = 0;
    mutable int m_spanLength = 0;
    mutable unsigned m_spanGeneration = 0;
    mutable std::string m_text;
    mutable bool m_textValid = false;
    QColor m_paintedBase; // the palette's background and text the colours were painted for
    QColor m_paintedText;
    mutable int m_length = -1; // Length() while it holds; negative when to be counted
    int m_busyDepth = 0;
};

} // namespace tildo
