#include "line_pane.h"

#include "qt_strings.h"
#include "text/letters.h"
#include "text_colours.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace tildo {

namespace {

constexpr int Margin = 3; // between the frame and the text

} // namespace

TLinePane::TLinePane(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    UpdateScrollBars();
}

// --- geometry ---------------------------------------------------------------------

int TLinePane::LineHeight() const
{
    return std::max(1, fontMetrics().lineSpacing());
}

int TLinePane::VisibleLines() const
{
    return std::max(1, (viewport()->height() - Margin) / LineHeight());
}

int TLinePane::ColumnX(int line, int column) const
{
    const QString text = ToQString(m_doc.Line(line));
    return Margin + fontMetrics().horizontalAdvance(text.left(column));
}

int TLinePane::OffsetAt(const QPoint& point) const
{
    const int line = std::clamp(
        verticalScrollBar()->value() + (point.y() - Margin) / LineHeight(), 0, m_doc.LineCount() - 1);
    const QString text = ToQString(m_doc.Line(line));
    const int x = point.x() + horizontalScrollBar()->value() - Margin;
    const QFontMetrics metrics = fontMetrics();
    int column = 0;
    while (column < text.size()) {
        const int left = metrics.horizontalAdvance(text.left(column));
        const int right = metrics.horizontalAdvance(text.left(column + 1));
        if (x < (left + right) / 2)
            break;
        ++column;
    }
    return m_doc.LineStart(line) + column;
}

void TLinePane::UpdateScrollBars()
{
    const int lines = m_doc.LineCount();
    const int visible = VisibleLines();
    verticalScrollBar()->setRange(0, std::max(0, lines - visible));
    verticalScrollBar()->setPageStep(visible);
    verticalScrollBar()->setSingleStep(1);
    const int width = 2 * Margin + m_longestLine * fontMetrics().horizontalAdvance(QLatin1Char('W'));
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(fontMetrics().horizontalAdvance(QLatin1Char('W')));
}

void TLinePane::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TLinePane::scrollContentsBy(int, int)
{
    viewport()->update();
}

// --- painting ---------------------------------------------------------------------

void TLinePane::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    const QFontMetrics metrics = fontMetrics();
    const int height = LineHeight();
    const int first = verticalScrollBar()->value();
    const int last = std::min(m_doc.LineCount() - 1, first + VisibleLines());
    const int dx = -horizontalScrollBar()->value();
    const int selStart = m_doc.SelStart();
    const int selEnd = selStart + m_doc.SelLength();
    // The selection looks the same with and without the focus.
    const QColor highlight = palette().color(QPalette::Active, QPalette::Highlight);
    const QColor highlightedText = palette().color(QPalette::Active, QPalette::HighlightedText);
    const QColor base = palette().color(QPalette::Base);
    const QColor textColour = palette().color(QPalette::Text);
    for (int line = first; line <= last; ++line) {
        const int y = Margin + (line - first) * height;
        const int start = m_doc.LineStart(line);
        const QString text = ToQString(m_doc.Line(line));
        int x = Margin + dx;
        // Runs of one colour, selected or not, drawn as one piece each.
        int column = 0;
        while (column < text.size()) {
            const int offset = start + column;
            const bool selected = offset >= selStart && offset < selEnd;
            const TColour colour = m_doc.CharColour(offset);
            int end = column + 1;
            while (end < text.size() && (start + end >= selStart && start + end < selEnd) == selected
                && m_doc.CharColour(start + end) == colour)
                ++end;
            const QString piece = text.mid(column, end - column);
            const int width = metrics.horizontalAdvance(piece);
            if (selected)
                p.fillRect(QRect(x, y, width, height), highlight);
            // Black and the mark blue readable on a dark background too.
            p.setPen(selected ? highlightedText : ShownColour(colour, base, textColour));
            p.drawText(QPoint(x, y + metrics.ascent()), piece);
            x += width;
            column = end;
        }
        // A selected line break shows as a narrow block after the line.
        const int breakOffset = start + static_cast<int>(text.size());
        if (breakOffset >= selStart && breakOffset < selEnd && line + 1 < m_doc.LineCount())
            p.fillRect(QRect(x, y, metrics.horizontalAdvance(QLatin1Char(' ')) / 2 + 1, height), highlight);
    }
    if (hasFocus() && !m_readOnly) {
        const int line = m_doc.LineOf(m_caret);
        if (line >= first && line <= last) {
            const int x = ColumnX(line, m_caret - m_doc.LineStart(line)) + dx;
            p.fillRect(
                QRect(x, Margin + (line - first) * height, 1, height), palette().color(QPalette::Text));
        }
    }
}

// --- the document -----------------------------------------------------------------

void TLinePane::Edited()
{
    m_longestLine = 0;
    for (int i = 0, count = m_doc.LineCount(); i < count; ++i) {
        const int end = i + 1 < count ? m_doc.LineStart(i + 1) - 1 : m_doc.Length();
        m_longestLine = std::max(m_longestLine, end - m_doc.LineStart(i));
    }
    m_anchor = std::min(m_anchor, m_doc.Length());
    m_caret = std::min(m_caret, m_doc.Length());
    UpdateScrollBars();
    viewport()->update();
    emit TextChanged();
}

void TLinePane::Select(int start, int length)
{
    m_doc.Select(start, length);
    m_anchor = m_doc.SelStart();
    m_caret = m_doc.SelStart() + m_doc.SelLength();
    m_goalColumn = -1;
    viewport()->update();
}

void TLinePane::ReplaceSelection(const std::string& text)
{
    m_doc.ReplaceSelection(text);
    m_anchor = m_caret = m_doc.SelStart();
    Edited();
}

void TLinePane::SetSelectionColour(TColour colour)
{
    m_doc.SetSelectionColour(colour);
    viewport()->update();
}

void TLinePane::SetSelectionBackground(TColour colour)
{
    m_doc.SetSelectionBackground(colour);
    viewport()->update();
}

void TLinePane::SetText(const std::string& text)
{
    m_doc.SetText(text);
    m_doc.Select(0, 0);
    m_anchor = m_caret = 0;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    Edited();
}

void TLinePane::InsertLine(int i, const std::string& text)
{
    m_doc.InsertLine(i, text);
    Edited();
}

void TLinePane::ReplaceLine(int i, const std::string& text)
{
    m_doc.ReplaceLine(i, text);
    Edited();
}

void TLinePane::DeleteLine(int i)
{
    m_doc.DeleteLine(i);
    Edited();
}

QString TLinePane::PlainText() const
{
    return ToQString(m_doc.TextRef());
}

void TLinePane::ScrollToCaret()
{
    const int line = m_doc.LineOf(m_caret);
    QScrollBar& vertical = *verticalScrollBar();
    if (line < vertical.value())
        vertical.setValue(line);
    else if (line >= vertical.value() + VisibleLines())
        vertical.setValue(line - VisibleLines() + 1);
    const int x = ColumnX(line, m_caret - m_doc.LineStart(line));
    QScrollBar& horizontal = *horizontalScrollBar();
    if (x < horizontal.value() + Margin)
        horizontal.setValue(std::max(0, x - Margin));
    else if (x > horizontal.value() + viewport()->width() - Margin)
        horizontal.setValue(x - viewport()->width() + Margin);
}

void TLinePane::SetBusyCursor(bool busy)
{
    if (busy && m_busyDepth++ == 0)
        viewport()->setCursor(Qt::WaitCursor);
    else if (!busy && m_busyDepth > 0 && --m_busyDepth == 0)
        viewport()->setCursor(Qt::IBeamCursor);
}

// --- the user's editing -----------------------------------------------------------

void TLinePane::MoveCaret(int offset, bool extend)
{
    m_caret = std::clamp(offset, 0, m_doc.Length());
    if (!extend)
        m_anchor = m_caret;
    m_doc.Select(std::min(m_anchor, m_caret), std::abs(m_caret - m_anchor));
    ScrollToCaret();
    viewport()->update();
}

void TLinePane::TypeText(const QString& text)
{
    if (m_readOnly)
        return;
    const std::string bytes = FromQString(text);
    const int start = m_doc.SelStart();
    m_doc.ReplaceSelection(bytes);
    // Typed text is black, whatever colour the text before it has.
    m_doc.Select(start, static_cast<int>(bytes.size()));
    m_doc.SetSelectionColour(ColourBlack);
    m_doc.Select(start + static_cast<int>(bytes.size()), 0);
    m_anchor = m_caret = m_doc.SelStart();
    m_goalColumn = -1;
    Edited();
    ScrollToCaret();
}

void TLinePane::cut()
{
    if (m_readOnly || m_doc.SelLength() == 0)
        return;
    copy();
    TypeText({});
}

void TLinePane::copy()
{
    if (m_doc.SelLength() > 0)
        QApplication::clipboard()->setText(ToQString(m_doc.TextRef().substr(
            static_cast<std::size_t>(m_doc.SelStart()), static_cast<std::size_t>(m_doc.SelLength()))));
}

void TLinePane::paste()
{
    QString text = QApplication::clipboard()->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (!text.isEmpty())
        TypeText(text);
}

void TLinePane::selectAll()
{
    m_anchor = 0;
    MoveCaret(m_doc.Length(), true);
}

bool TLinePane::KeyMovesCaret(const QKeyEvent& key)
{
    const bool extend = key.modifiers() & Qt::ShiftModifier;
    const bool control = key.modifiers() & Qt::ControlModifier;
    const int line = m_doc.LineOf(m_caret);
    const int column = m_caret - m_doc.LineStart(line);
    const auto toLine = [&](int target) {
        target = std::clamp(target, 0, m_doc.LineCount() - 1);
        if (m_goalColumn < 0)
            m_goalColumn = column;
        const int goal = m_goalColumn;
        MoveCaret(
            m_doc.LineStart(target) + std::min(goal, static_cast<int>(m_doc.Line(target).size())), extend);
        m_goalColumn = goal;
    };
    switch (key.key()) {
    case Qt::Key_Left:
        MoveCaret(!extend && m_doc.SelLength() > 0 ? m_doc.SelStart() : m_caret - 1, extend);
        break;
    case Qt::Key_Right:
        MoveCaret(
            !extend && m_doc.SelLength() > 0 ? m_doc.SelStart() + m_doc.SelLength() : m_caret + 1, extend);
        break;
    case Qt::Key_Up:
        toLine(line - 1);
        return true;
    case Qt::Key_Down:
        toLine(line + 1);
        return true;
    case Qt::Key_PageUp:
        toLine(line - VisibleLines());
        return true;
    case Qt::Key_PageDown:
        toLine(line + VisibleLines());
        return true;
    case Qt::Key_Home:
        MoveCaret(control ? 0 : m_doc.LineStart(line), extend);
        break;
    case Qt::Key_End:
        MoveCaret(
            control ? m_doc.Length() : m_doc.LineStart(line) + static_cast<int>(m_doc.Line(line).size()),
            extend);
        break;
    default:
        return false;
    }
    m_goalColumn = -1;
    return true;
}

void TLinePane::keyPressEvent(QKeyEvent* event)
{
    if (KeyMovesCaret(*event))
        return;
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        cut();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        paste();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
        if (m_doc.SelLength() == 0 && m_caret > 0)
            m_doc.Select(m_caret - 1, 1);
        TypeText({});
        return;
    case Qt::Key_Delete:
        if (m_doc.SelLength() == 0 && m_caret < m_doc.Length())
            m_doc.Select(m_caret, 1);
        TypeText({});
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        TypeText(QStringLiteral("\n"));
        return;
    default:
        break;
    }
    const QString text = event->text();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (!text.isEmpty() && text.front().isPrint()
        && (mods == Qt::NoModifier || mods == Qt::GroupSwitchModifier)) {
        TypeText(text);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void TLinePane::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty())
        TypeText(event->commitString());
    event->accept();
}

void TLinePane::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_goalColumn = -1;
    MoveCaret(OffsetAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
}

void TLinePane::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        MoveCaret(OffsetAt(event->position().toPoint()), true);
}

void TLinePane::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // A word: the run of letters around the point.
    const int at = OffsetAt(event->position().toPoint());
    const std::string& text = m_doc.TextRef();
    int start = at;
    int end = at;
    while (start > 0 && IsRussianLetter(text[static_cast<std::size_t>(start - 1)]))
        --start;
    while (end < static_cast<int>(text.size()) && IsRussianLetter(text[static_cast<std::size_t>(end)]))
        ++end;
    m_anchor = start;
    MoveCaret(end, true);
}

void TLinePane::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TLinePane::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

} // namespace tildo
