#include "qt_text_document.h"

#include "qt_strings.h"
#include "text_colours.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <cstring>
#include <utility>

namespace tildo {

namespace {

// A change of at most this many characters replaced by as many is patched into
// the cached text; anything larger drops the cache.
constexpr int PatchLimit = 64;

} // namespace

TQtTextDocument::TQtTextDocument(QPlainTextEdit& editor, QObject* parent)
    : QObject(parent)
    , m_editor(editor)
    , m_paintedBase(editor.palette().color(QPalette::Base))
    , m_paintedText(editor.palette().color(QPalette::Text))
{
    Track();
}

bool TQtTextDocument::PaletteChanged() const
{
    const QPalette& palette = m_editor.palette();
    return palette.color(QPalette::Base) != m_paintedBase || palette.color(QPalette::Text) != m_paintedText;
}

void TQtTextDocument::Recolour()
{
    if (!PaletteChanged())
        return;
    const QColor oldBase = m_paintedBase;
    const QColor oldText = m_paintedText;
    m_paintedBase = m_editor.palette().color(QPalette::Base);
    m_paintedText = m_editor.palette().color(QPalette::Text);
    ApplyPendingColour();
    // The runs to repaint are gathered first: changing a format joins and
    // splits the fragments being walked.
    struct TRun
    {
        int Start;
        int Length;
        QColor Shown;
    };
    std::vector<TRun> runs;
    QTextDocument& doc = Doc();
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QBrush brush = fragment.charFormat().foreground();
            if (brush.style() == Qt::NoBrush)
                continue;
            const QColor shown
                = ShownColour(StoredColour(brush.color(), oldBase, oldText), m_paintedBase, m_paintedText);
            if (shown != brush.color())
                runs.push_back({ fragment.position(), fragment.length(), shown });
        }
    }
    if (runs.empty())
        return;
    BeginEdit();
    QTextCursor c(&doc);
    const bool wasOwn = std::exchange(m_ownEdit, true);
    c.beginEditBlock();
    for (const TRun& run : runs) {
        c.setPosition(run.Start);
        c.setPosition(run.Start + run.Length, QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setForeground(run.Shown);
        c.mergeCharFormat(format);
    }
    c.endEditBlock();
    m_ownEdit = wasOwn;
}

QTextDocument& TQtTextDocument::Doc() const
{
    Track();
    return *m_tracked;
}

void TQtTextDocument::Track() const
{
    // A pass asks at every word; the editor keeps its document meanwhile.
    if (m_deferred && m_tracked != nullptr)
        return;
    QTextDocument* doc = m_editor.document();
    if (doc == m_tracked)
        return;
    QObject::disconnect(m_connection);
    m_tracked = doc;
    m_textValid = false;
    StructureChanged();
    auto* self = const_cast<TQtTextDocument*>(this);
    self->m_editBlock = QTextCursor(); // belonged to the old document
    self->m_selectionNoted = false;
    m_length = -1;
    m_connection = connect(doc, &QTextDocument::contentsChange, self, &TQtTextDocument::OnContentsChange);
    if (m_deferred)
        self->m_cursor = m_editor.textCursor();
}

void TQtTextDocument::OnContentsChange(int from, int removed, int added)
{
    if (removed != added)
        m_length = -1;
    if (m_ownEdit)
        return; // in the cache already, and notified when it was made
    StructureChanged();
    if (m_selectionNoted) {
        // Shifted as a cursor would be: after the change by its growth,
        // inside it to its start.
        const auto follow = [from, removed, added](int offset) {
            return offset >= from + removed ? offset + added - removed : std::min(offset, from);
        };
        const int end = follow(m_notedStart + m_notedLength);
        m_notedStart = follow(m_notedStart);
        m_notedLength = std::max(end - m_notedStart, 0);
    }
    const bool changed = Mirror(from, removed, added);
    if (changed)
        emit TextChanged();
}

bool TQtTextDocument::Mirror(int from, int removed, int added)
{
    if (!m_textValid) {
        // Built now rather than at the next pass, which would otherwise
        // convert the whole text before its first word.
        CachedText();
        return true;
    }
    // A change that reaches the end may count the document's closing
    // separator, which the text does not hold: the lengths settle it.
    const int oldLength = static_cast<int>(m_text.size());
    const int newLength = Length();
    if (from >= 0 && from <= oldLength) {
        removed = std::min(removed, oldLength - from);
        added = removed + newLength - oldLength;
    }
    if (from < 0 || from > oldLength || added < 0 || from + added > newLength) {
        m_textValid = false;
        CachedText();
        return true;
    }
    std::string fresh;
    if (added <= PatchLimit) {
        fresh.resize(static_cast<std::size_t>(added));
        const QTextDocument& doc = *m_tracked;
        for (int i = 0; i < added; ++i)
            fresh[static_cast<std::size_t>(i)] = CharFromQChar(doc.characterAt(from + i));
    } else {
        QTextCursor c(m_tracked);
        c.setPosition(from);
        c.setPosition(from + added, QTextCursor::KeepAnchor);
        AppendFromQString(fresh, c.selectedText());
    }
    const auto at = static_cast<std::size_t>(from);
    const auto count = static_cast<std::size_t>(removed);
    if (removed == added && m_text.compare(at, count, fresh) == 0)
        return false; // a change of formatting only
    m_text.replace(at, count, fresh);
    return true;
}

void TQtTextDocument::PatchCache(int start, int length, const std::string& text)
{
    if (!m_textValid)
        return;
    // A CR would open a paragraph in the editor but stay a CR here.
    if (text.find('\r') != std::string::npos || start + length > static_cast<int>(m_text.size())) {
        m_textValid = false;
        m_text.clear();
        return;
    }
    m_text.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(length), text);
}

const std::string& TQtTextDocument::CachedText() const
{
    const QTextDocument& doc = Doc();
    if (m_textValid)
        return m_text;
    // The raw text has the paragraph separators where the core has '\n'.
    QString raw = doc.toRawText();
    const qsizetype length = std::max(doc.characterCount() - 1, 0);
    if (raw.size() > length)
        raw.truncate(length);
    m_text.clear();
    AppendFromQString(m_text, raw);
    m_textValid = true;
    return m_text;
}

QTextCursor TQtTextDocument::Cursor() const
{
    Track();
    if (!m_deferred)
        return m_editor.textCursor();
    TakeNotedSelection();
    return m_cursor;
}

void TQtTextDocument::TakeNotedSelection() const
{
    if (!m_selectionNoted)
        return;
    m_selectionNoted = false;
    const int total = Length();
    const int start = std::min(m_notedStart, total);
    m_cursor.setPosition(start);
    m_cursor.setPosition(std::min(start + m_notedLength, total), QTextCursor::KeepAnchor);
}

QTextCursor TQtTextDocument::EditCursor()
{
    BeginEdit();
    return Cursor();
}

void TQtTextDocument::SetCursor(const QTextCursor& cursor)
{
    if (m_deferred) {
        m_selectionNoted = false;
        m_cursor = cursor;
    } else {
        m_editor.setTextCursor(cursor);
    }
}

void TQtTextDocument::SetViewDeferred(bool deferred)
{
    Track();
    if (deferred == m_deferred)
        return;
    if (deferred) {
        m_cursor = m_editor.textCursor();
        m_selectionNoted = false;
        m_deferred = true;
    } else {
        // The editor shows where the pass left the caret.
        ShowSelection();
        m_deferred = false;
        m_cursor = QTextCursor();
    }
}

void TQtTextDocument::BeginEdit()
{
    Track();
    if (m_deferred && m_editBlock.isNull()) {
        m_editBlock = QTextCursor(m_tracked);
        m_editBlock.beginEditBlock();
    }
}

void TQtTextDocument::Flush()
{
    ApplyPendingColour();
    if (m_deferred && m_selectionNoted) {
        // Inside the edit block the cursor moves without laying anything out.
        EditCursor();
    }
    EndEditBlock();
    if (m_scrollTo[1] < 0)
        return;
    // The view follows the pass as often as the window is painted, not at
    // every word: laying out and scrolling per word would set the pace of the
    // whole pass. The places asked for last are shown in their order (a line
    // below the word, then the word), then the core's selection; a place
    // before the last one is one the pass has left behind, not shown.
    if (m_scrollTo[0] < m_scrollTo[1])
        m_scrollTo[0] = -1;
    for (const int offset : m_scrollTo) {
        if (offset < 0)
            continue;
        QTextCursor c(&Doc());
        c.setPosition(std::clamp(offset, 0, Length()));
        m_editor.setTextCursor(c);
        m_editor.ensureCursorVisible();
    }
    m_scrollTo = { -1, -1 };
    if (m_deferred) {
        Track();
        m_editor.setTextCursor(m_cursor);
    }
    m_editor.ensureCursorVisible();
}

void TQtTextDocument::EndEditBlock()
{
    if (m_editBlock.isNull())
        return;
    QTextCursor block = m_editBlock;
    m_editBlock = QTextCursor();
    // The change notified now is the sum of our own edits, all in the cache.
    const bool wasOwn = m_ownEdit;
    m_ownEdit = true;
    block.endEditBlock();
    m_ownEdit = wasOwn;
}

void TQtTextDocument::ShowSelection()
{
    Flush();
    if (m_deferred) {
        Track();
        m_editor.setTextCursor(m_cursor);
    }
}

bool TQtTextDocument::LineSpan(int i, int& start, int& length) const
{
    const std::string& text = CachedText();
    if (i < 0)
        return false;
    const bool known = m_spanNumber >= 0 && m_spanGeneration == m_generation;
    if (known && i == m_spanNumber) {
        start = m_spanStart;
        length = m_spanLength;
        return true;
    }
    int from = 0;
    if (known && i == m_spanNumber + 1) {
        from = m_spanStart + m_spanLength + 1;
        if (from > static_cast<int>(text.size()))
            return false; // the last line was asked for before
    } else {
        const QTextBlock block = Doc().findBlockByNumber(i);
        if (!block.isValid())
            return false;
        from = block.position();
    }
    // The cached text has '\n' exactly where the document breaks paragraphs.
    const char* const begin = text.data() + from;
    const auto rest = text.size() - static_cast<std::size_t>(from);
    const void* const end = std::memchr(begin, '\n', rest);
    m_spanNumber = i;
    m_spanStart = from;
    m_spanLength
        = end != nullptr ? static_cast<int>(static_cast<const char*>(end) - begin) : static_cast<int>(rest);
    m_spanGeneration = m_generation;
    start = m_spanStart;
    length = m_spanLength;
    return true;
}

int TQtTextDocument::LineCount() const
{
    return Doc().blockCount();
}

std::string TQtTextDocument::Line(int i) const
{
    int start = 0;
    int length = 0;
    if (!LineSpan(i, start, length))
        return {};
    return m_text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
}

void TQtTextDocument::LineInto(int i, std::string& out) const
{
    int start = 0;
    int length = 0;
    if (!LineSpan(i, start, length)) {
        out.clear();
        return;
    }
    out.assign(m_text, static_cast<std::size_t>(start), static_cast<std::size_t>(length));
}

int TQtTextDocument::LineStart(int i) const
{
    int start = 0;
    int length = 0;
    return LineSpan(i, start, length) ? start : -1;
}

int TQtTextDocument::LineOf(int offset) const
{
    const QTextDocument& doc = Doc();
    if (offset <= 0)
        return 0;
    const QTextBlock block = doc.findBlock(offset);
    return block.isValid() ? block.blockNumber() : doc.blockCount() - 1;
}

std::string TQtTextDocument::Text() const
{
    return CachedText();
}

std::string_view TQtTextDocument::TextView(std::string& /*scratch*/) const
{
    return CachedText();
}

int TQtTextDocument::Length() const
{
    // The document ends with a paragraph separator of its own that no text
    // shows. Counting takes a walk through the document's fragments, and a
    // pass asks at every word: the count is kept until the length changes.
    const QTextDocument& doc = Doc();
    if (m_length < 0)
        m_length = std::max(doc.characterCount() - 1, 0);
    return m_length;
}

void TQtTextDocument::Select(int start, int length)
{
    const int total = Length();
    start = std::clamp(start, 0, total);
    length = std::clamp(length, 0, total - start);
    if (m_deferred) {
        // A pass selects every word it looks at: noted, and the cursor
        // follows only when it is needed.
        Track();
        m_selectionNoted = true;
        m_notedStart = start;
        m_notedLength = length;
        return;
    }
    QTextCursor c = Cursor();
    c.setPosition(start);
    c.setPosition(start + length, QTextCursor::KeepAnchor);
    SetCursor(c);
}

int TQtTextDocument::SelStart() const
{
    if (m_deferred && m_selectionNoted)
        return m_notedStart;
    return Cursor().selectionStart();
}

int TQtTextDocument::SelLength() const
{
    if (m_deferred && m_selectionNoted)
        return m_notedLength;
    const QTextCursor c = Cursor();
    return c.selectionEnd() - c.selectionStart();
}

QTextCharFormat TQtTextDocument::FormatAt(int offset) const
{
    const QTextDocument& doc = Doc();
    const QTextBlock block = doc.findBlock(offset);
    if (!block.isValid())
        return {};
    if (offset >= block.position() + block.length() - 1) {
        // A paragraph separator: its format is the character format of the
        // block it opens.
        const QTextBlock next = block.next();
        return next.isValid() ? next.charFormat() : block.charFormat();
    }
    // A cursor right after a character reports that character's format.
    QTextCursor c(block);
    c.setPosition(offset + 1);
    return c.charFormat();
}

TColour TQtTextDocument::CharColour(int offset) const
{
    const_cast<TQtTextDocument*>(this)->ApplyPendingColour();
    const QBrush brush = FormatAt(offset).foreground();
    return brush.style() == Qt::NoBrush ? ColourBlack : StoredForeground(brush.color());
}

QColor TQtTextDocument::ShownForeground(TColour colour) const
{
    const QPalette& palette = m_editor.palette();
    return ShownColour(colour, palette.color(QPalette::Base), palette.color(QPalette::Text));
}

TColour TQtTextDocument::StoredForeground(const QColor& shown) const
{
    const QPalette& palette = m_editor.palette();
    return StoredColour(shown, palette.color(QPalette::Base), palette.color(QPalette::Text));
}

TColour TQtTextDocument::CharBackground(int offset) const
{
    const_cast<TQtTextDocument*>(this)->ApplyPendingColour();
    const QBrush brush = FormatAt(offset).background();
    return brush.style() == Qt::NoBrush ? ColourWhite : ToColour(brush.color());
}

TColour TQtTextDocument::SelectionColour() const
{
    const int start = SelStart();
    if (SelLength() == 0 && start > 0)
        return CharColour(start - 1);
    return CharColour(start);
}

void TQtTextDocument::SetSelectionColour(TColour colour)
{
    if (m_deferred) {
        if (SelLength() == 0)
            return;
        // A pass colours a letter and then replaces it: held back, the colour
        // goes in with the new letter, one edit instead of two.
        ApplyPendingColour();
        m_pendingColour = true;
        m_pendingFrom = SelStart();
        m_pendingTo = m_pendingFrom + SelLength();
        m_pendingValue = colour;
        return;
    }
    QTextCursor c = Cursor();
    if (!c.hasSelection())
        return;
    QTextCharFormat format;
    format.setForeground(ShownForeground(colour));
    BeginEdit();
    const bool wasOwn = std::exchange(m_ownEdit, true);
    c.mergeCharFormat(format);
    m_ownEdit = wasOwn;
}

void TQtTextDocument::ApplyPendingColour()
{
    if (!m_pendingColour)
        return;
    m_pendingColour = false;
    QTextCursor c(&Doc());
    c.setPosition(std::min(m_pendingFrom, Length()));
    c.setPosition(std::min(m_pendingTo, Length()), QTextCursor::KeepAnchor);
    QTextCharFormat format;
    format.setForeground(ShownForeground(m_pendingValue));
    BeginEdit();
    const bool wasOwn = std::exchange(m_ownEdit, true);
    c.mergeCharFormat(format);
    m_ownEdit = wasOwn;
}

void TQtTextDocument::SetSelectionBackground(TColour colour)
{
    ApplyPendingColour();
    QTextCursor c = EditCursor();
    if (!c.hasSelection())
        return;
    QTextCharFormat format;
    // White is the editor's own background: no brush, so nothing is painted.
    format.setBackground(colour == ColourWhite ? QBrush() : QBrush(ToQColor(colour)));
    BeginEdit();
    const bool wasOwn = std::exchange(m_ownEdit, true);
    c.mergeCharFormat(format);
    m_ownEdit = wasOwn;
}

QTextCursor TQtTextDocument::Splice(int start, int length, const std::string& text)
{
    // A noted selection follows this edit as the cursor it stands for would.
    if (m_selectionNoted)
        EditCursor();
    const int total = Length();
    start = std::clamp(start, 0, total);
    length = std::clamp(length, 0, total - start);
    QTextCursor c(&Doc());
    c.setPosition(start);
    c.setPosition(start + length, QTextCursor::KeepAnchor);
    // Only a letter replaced by a letter inside one paragraph keeps the blocks
    // as they are (the pass replaces nothing else).
    const bool oneForOne = length == 1 && text.size() == 1 && text[0] != '\n' && text[0] != '\r';
    const bool structural = !oneForOne || CharAt(start) == '\n';
    if (structural)
        StructureChanged();
    // The new characters take the format of the first replaced character, or
    // of the one before an empty range. A cursor over one character reports
    // that character's format itself.
    const bool colourGoesIn = m_pendingColour && m_pendingFrom == start && m_pendingTo == start + length;
    if (!colourGoesIn)
        ApplyPendingColour();
    QTextCharFormat format;
    if (oneForOne)
        format = c.charFormat();
    else if (length > 0)
        format = FormatAt(start);
    else if (start > 0)
        format = FormatAt(start - 1);
    else
        format = Cursor().charFormat();
    if (colourGoesIn) {
        format.setForeground(ShownForeground(m_pendingValue));
        m_pendingColour = false;
    }
    // insertText turns every '\n' into a paragraph break. Other cursors, the
    // editor's among them, follow the edit as they do for typing.
    BeginEdit();
    PatchCache(start, length, text);
    const bool wasOwn = std::exchange(m_ownEdit, true);
    c.insertText(ToQString(text), format);
    m_ownEdit = wasOwn;
    m_length = -1;
    emit TextChanged();
    return c;
}

char TQtTextDocument::CharAt(int offset) const
{
    if (m_textValid && offset >= 0 && offset < static_cast<int>(m_text.size()))
        return m_text[static_cast<std::size_t>(offset)];
    return CharFromQChar(Doc().characterAt(offset));
}

void TQtTextDocument::ReplaceSelection(const std::string& text)
{
    const QTextCursor c = EditCursor();
    SetCursor(Splice(c.selectionStart(), c.selectionEnd() - c.selectionStart(), text));
}

void TQtTextDocument::ScrollToCaret()
{
    if (m_deferred) {
        // Done at the next flush, before the window is painted.
        m_scrollTo[0] = m_scrollTo[1];
        m_scrollTo[1] = SelStart();
        return;
    }
    ShowSelection();
    m_editor.ensureCursorVisible();
}

void TQtTextDocument::SetReadOnly(bool readOnly)
{
    m_editor.setReadOnly(readOnly);
}

bool TQtTextDocument::IsReadOnly() const
{
    return m_editor.isReadOnly();
}

void TQtTextDocument::SetBusyCursor(bool busy)
{
    m_busyDepth = std::max(m_busyDepth + (busy ? 1 : -1), 0);
    if (m_busyDepth > 0)
        m_editor.viewport()->setCursor(Qt::WaitCursor);
    else
        m_editor.viewport()->setCursor(m_editor.isReadOnly() ? Qt::ArrowCursor : Qt::IBeamCursor);
}

void TQtTextDocument::Focus()
{
    ShowSelection();
    m_editor.setFocus();
}

void TQtTextDocument::SetText(const std::string& text)
{
    Flush();
    Track();
    StructureChanged();
    m_editor.setPlainText(ToQString(text));
    Track();
    // A new text starts without the colours of the old one.
    QTextCursor c(&Doc());
    c.select(QTextCursor::Document);
    c.setCharFormat(QTextCharFormat());
    c.setBlockCharFormat(QTextCharFormat());
    c.setPosition(0);
    if (m_deferred)
        m_cursor = c;
    m_editor.setTextCursor(c);
}

void TQtTextDocument::Apply(const TRangeEdit& edit)
{
    if (edit.Valid)
        Splice(edit.Start, edit.Length, edit.Text);
}

void TQtTextDocument::InsertLine(int i, const std::string& text)
{
    Apply(InsertLineEdit(*this, i, text));
}

void TQtTextDocument::ReplaceLine(int i, const std::string& text)
{
    Apply(ReplaceLineEdit(*this, i, text));
}

void TQtTextDocument::DeleteLine(int i)
{
    Apply(DeleteLineEdit(*this, i));
}

} // namespace tildo
