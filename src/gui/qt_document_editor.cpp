#include "qt_document_editor.h"

#include "formats/styled_text.h"
#include "qt_text_document.h"
#include "text_colours.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cmath>

namespace tildo {

namespace {

// UTF-32 to UTF-16 without validation, so that a lone surrogate stays one unit.
QString ToUtf16(std::u32string_view text)
{
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (const char32_t ch : text) {
        if (ch < 0x10000) {
            out += QChar(static_cast<char16_t>(ch));
        } else if (ch <= 0x10FFFF) {
            out += QChar(static_cast<char16_t>(0xD800 + ((ch - 0x10000) >> 10)));
            out += QChar(static_cast<char16_t>(0xDC00 + ((ch - 0x10000) & 0x3FF)));
        }
    }
    return out;
}

// UTF-16 to UTF-32: pairs combine, a lone surrogate stays as it is.
void AppendUtf32(std::u32string& out, const QString& text)
{
    const QChar* data = text.constData();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = data[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(data[i + 1].unicode())) {
            out += static_cast<char32_t>(QChar::surrogateToUcs4(u, data[i + 1].unicode()));
            ++i;
        } else if (u == QChar::ParagraphSeparator) {
            out += U'\n';
        } else {
            out += static_cast<char32_t>(u);
        }
    }
}

// base and text: the editor's background and text colours, which decide how
// black and the marks are painted.
QTextCharFormat ToQFormat(const TCharFormat& f, const QColor& base, const QColor& text)
{
    QTextCharFormat q;
    q.setForeground(ShownColour(f.Colour, base, text));
    if (f.Background != ColourWhite)
        q.setBackground(ToQColor(f.Background));
    q.setFontWeight(f.Bold ? QFont::Bold : QFont::Normal);
    q.setFontItalic(f.Italic);
    q.setFontUnderline(f.Underline);
    if (f.SizeHalfPoints > 0)
        q.setFontPointSize(f.SizeHalfPoints / 2.0);
    if (!f.Font.empty())
        q.setFontFamilies({ QString::fromUtf8(f.Font.data(), static_cast<qsizetype>(f.Font.size())) });
    return q;
}

TCharFormat FromQFormat(
    const QTextCharFormat& q, const QFont& defaultFont, const QColor& base, const QColor& text)
{
    TCharFormat f;
    const QBrush fore = q.foreground();
    f.Colour = fore.style() == Qt::NoBrush ? ColourBlack : StoredColour(fore.color(), base, text);
    const QBrush back = q.background();
    f.Background = back.style() == Qt::NoBrush ? ColourWhite : ToColour(back.color());
    f.Bold = q.hasProperty(QTextFormat::FontWeight) ? q.fontWeight() >= QFont::Bold : defaultFont.bold();
    f.Italic = q.hasProperty(QTextFormat::FontItalic) ? q.fontItalic() : defaultFont.italic();
    f.Underline = q.hasProperty(QTextFormat::TextUnderlineStyle) || q.hasProperty(QTextFormat::FontUnderline)
        ? q.fontUnderline()
        : defaultFont.underline();
    const double points
        = q.hasProperty(QTextFormat::FontPointSize) ? q.fontPointSize() : defaultFont.pointSizeF();
    if (points > 0)
        f.SizeHalfPoints = static_cast<int>(std::lround(points * 2));
    const QVariant families = q.fontFamilies();
    if (families.isValid() && !families.toStringList().isEmpty())
        f.Font = families.toStringList().front().toStdString();
    return f;
}

} // namespace

TQtDocumentEditor::TQtDocumentEditor(QPlainTextEdit& editor, TQtTextDocument& document)
    : m_editor(editor)
    , m_document(document)
{
}

TextDocument& TQtDocumentEditor::Document()
{
    return m_document;
}

const TextDocument& TQtDocumentEditor::Document() const
{
    return m_document;
}

void TQtDocumentEditor::SetRichText(bool rich)
{
    // Rich text is shown with its character formats either way; the mode
    // decides what Content gives back and so how the text is saved.
    m_rich = rich;
}

void TQtDocumentEditor::SetContent(const TStyledText& text)
{
    m_document.Flush();
    m_editor.clear();
    m_editor.setCurrentCharFormat(QTextCharFormat());
    QTextDocument& doc = *m_editor.document();
    QTextCursor c(&doc);
    c.setBlockCharFormat(QTextCharFormat());
    // One edit block: the editor lays the text out once, not once per run.
    // A text just opened has nothing to undo.
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    c.beginEditBlock();
    if (m_rich) {
        const QPalette& palette = m_editor.palette();
        for (const TStyledRun& run : text.Runs())
            c.insertText(ToUtf16(run.Text),
                ToQFormat(run.Format, palette.color(QPalette::Base), palette.color(QPalette::Text)));
    } else {
        c.insertText(ToUtf16(text.PlainText()), QTextCharFormat());
    }
    c.endEditBlock();
    doc.setUndoRedoEnabled(undo);
    m_editor.setTextCursor(QTextCursor(&doc));
}

TStyledText TQtDocumentEditor::Content() const
{
    m_document.Flush();
    const QTextDocument& doc = *m_editor.document();
    TStyledText out;
    if (!m_rich) {
        std::u32string text;
        text.reserve(static_cast<std::size_t>(doc.characterCount()));
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
            if (b != doc.begin())
                text += U'\n';
            AppendUtf32(text, b.text());
        }
        out.Append(text, TCharFormat {});
        return out;
    }
    const QFont defaultFont = doc.defaultFont();
    const QColor base = m_editor.palette().color(QPalette::Base);
    const QColor textColour = m_editor.palette().color(QPalette::Text);
    std::u32string piece;
    TCharFormat last;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b != doc.begin())
            out.Append(U'\n', last);
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            piece.clear();
            AppendUtf32(piece, fragment.text());
            last = FromQFormat(fragment.charFormat(), defaultFont, base, textColour);
            out.Append(piece, last);
        }
    }
    return out;
}

void TQtDocumentEditor::SetWordWrap(bool wrap)
{
    m_editor.setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

} // namespace tildo
