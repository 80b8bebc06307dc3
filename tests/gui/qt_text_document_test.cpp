#include "qt_strings.h"
#include "qt_text_document.h"
#include "support/recording_ui.h"
#include "text/cp1251.h"
#include "text/memory_document.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::W;

// Everything the core can observe of a document, compared between the two.
void ExpectSameText(const MemoryDocument& m, const TQtTextDocument& q)
{
    ASSERT_EQ(q.Text(), m.Text());
    EXPECT_EQ(q.Length(), m.Length());
    ASSERT_EQ(q.LineCount(), m.LineCount());
    for (int i = -1; i <= m.LineCount(); ++i) {
        EXPECT_EQ(q.Line(i), m.Line(i)) << "line " << i;
        EXPECT_EQ(q.LineStart(i), m.LineStart(i)) << "line " << i;
    }
    for (int x = -1; x <= m.Length() + 1; ++x)
        EXPECT_EQ(q.LineOf(x), m.LineOf(x)) << "offset " << x;
    for (int x = 0; x < m.Length(); ++x) {
        if (m.Text()[static_cast<std::size_t>(x)] == '\n')
            continue; // a paragraph break carries no colour of its own in the editor
        EXPECT_EQ(q.CharColour(x), m.CharColour(x)) << "offset " << x;
        EXPECT_EQ(q.CharBackground(x), m.CharBackground(x)) << "offset " << x;
    }
}

void ExpectSameSelection(const MemoryDocument& m, const TQtTextDocument& q)
{
    EXPECT_EQ(q.SelStart(), m.SelStart());
    EXPECT_EQ(q.SelLength(), m.SelLength());
    EXPECT_EQ(q.SelectionColour(), m.SelectionColour());
}

// The same edits on both documents.
struct TBoth
{
    MemoryDocument& M;
    TQtTextDocument& Q;
    void Select(int s, int l)
    {
        M.Select(s, l);
        Q.Select(s, l);
    }
    void Replace(const std::string& t)
    {
        M.ReplaceSelection(t);
        Q.ReplaceSelection(t);
    }
    void Colour(TColour c)
    {
        M.SetSelectionColour(c);
        Q.SetSelectionColour(c);
    }
    void Background(TColour c)
    {
        M.SetSelectionBackground(c);
        Q.SetSelectionBackground(c);
    }
};

const char* const Sample = "Еще елка зеленая\nвсе-таки 中 тут\n\nпоследняя строка еще";

// Each comparison runs with the editor following every edit and with the view
// deferred as during a pass.
class QtTextDocumentModes : public ::testing::TestWithParam<bool>
{
};

TEST_P(QtTextDocumentModes, AgreesWithMemoryDocumentOnReadingAndLetterEdits)
{
    QPlainTextEdit editor;
    editor.setPlainText(QString::fromUtf8(Sample));
    editor.show();
    TQtTextDocument q(editor);
    // Deferred for the whole test in one mode, as a pass defers it.
    TScopeGuard defer([&q] { q.SetViewDeferred(GetParam()); }, [&q] { q.SetViewDeferred(false); });
    MemoryDocument m = MemoryDocument::FromUtf8(Sample);
    ExpectSameText(m, q);
    EXPECT_EQ(q.Line(1), W("все-таки ") + "\x98" + W(" тут"));

    TBoth both { m, q };
    // A letter written back as the pass does: coloured, then replaced.
    both.Select(2, 1);
    ExpectSameSelection(m, q);
    const TColour before = q.SelectionColour();
    both.Colour(ColourBlue);
    both.Replace(W("ё"));
    ExpectSameSelection(m, q);
    ExpectSameText(m, q);
    EXPECT_EQ(before, ColourBlack);
    EXPECT_EQ(q.CharColour(2), ColourBlue);
    EXPECT_EQ(q.CharColour(1), ColourBlack);
    EXPECT_EQ(q.SelectionColour(), ColourBlue); // a caret reads the colour before it

    // The highlight of a word under a question, and its removal.
    both.Select(4, 4);
    both.Background(ColourAqua);
    ExpectSameText(m, q);
    EXPECT_EQ(q.CharBackground(5), ColourAqua);
    both.Background(ColourWhite);
    ExpectSameText(m, q);

    // Selections are clamped to the text.
    both.Select(-5, 3);
    ExpectSameSelection(m, q);
    both.Select(m.Length() - 2, 100);
    ExpectSameSelection(m, q);
    both.Select(m.Length() + 10, 1);
    ExpectSameSelection(m, q);

    // The character CP1251 lacks stays in the editor through the edits.
    EXPECT_TRUE(editor.toPlainText().contains(QString::fromUtf8("中")));
    EXPECT_TRUE(editor.toPlainText().startsWith(QString::fromUtf8("Ещё елка")));
}

TEST_P(QtTextDocumentModes, AgreesWithMemoryDocumentOnStructuralEdits)
{
    QPlainTextEdit editor;
    editor.setPlainText(QString::fromUtf8(Sample));
    editor.show();
    TQtTextDocument q(editor);
    // Deferred for the whole test in one mode, as a pass defers it.
    TScopeGuard defer([&q] { q.SetViewDeferred(GetParam()); }, [&q] { q.SetViewDeferred(false); });
    MemoryDocument m = MemoryDocument::FromUtf8(Sample);
    TBoth both { m, q };

    (void)q.Text(); // the cache must follow changes of any size
    both.Select(4, 4);
    both.Colour(ColourRed);
    both.Replace(W("ель\nи сосна"));
    ExpectSameText(m, q);
    ExpectSameSelection(m, q);
    both.Select(0, 3);
    both.Replace("");
    ExpectSameText(m, q);
    ExpectSameSelection(m, q);

    m.InsertLine(1, W("новая"));
    q.InsertLine(1, W("новая"));
    ExpectSameText(m, q);
    m.InsertLine(m.LineCount(), W("в конец"));
    q.InsertLine(q.LineCount(), W("в конец"));
    ExpectSameText(m, q);
    m.ReplaceLine(0, W("замена"));
    q.ReplaceLine(0, W("замена"));
    ExpectSameText(m, q);
    m.DeleteLine(m.LineCount() - 1);
    q.DeleteLine(q.LineCount() - 1);
    ExpectSameText(m, q);
    m.DeleteLine(0);
    q.DeleteLine(0);
    ExpectSameText(m, q);
    m.DeleteLine(99);
    q.DeleteLine(99);
    ExpectSameText(m, q);

    m.SetText(W("одна\nдве"));
    q.SetText(W("одна\nдве"));
    ExpectSameText(m, q);
    ExpectSameSelection(m, q);
    while (m.LineCount() > 1) {
        m.DeleteLine(0);
        q.DeleteLine(0);
    }
    m.DeleteLine(0);
    q.DeleteLine(0);
    ExpectSameText(m, q);
    EXPECT_EQ(q.Length(), 0);
    EXPECT_EQ(q.LineCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Both, QtTextDocumentModes, ::testing::Values(false, true));

TEST(QtTextDocument, CountsUtf16UnitsAndFollowsTyping)
{
    QPlainTextEdit editor;
    // An emoji is two UTF-16 units: two positions, two placeholders, kept as it was.
    editor.setPlainText(QString::fromUtf8("а😀б\nеще"));
    TQtTextDocument q(editor);
    EXPECT_EQ(q.Line(0), W("а") + "\x98\x98" + W("б"));
    EXPECT_EQ(q.LineStart(1), 5);
    q.Select(6, 1);
    q.ReplaceSelection(W("Щ"));
    EXPECT_EQ(editor.toPlainText(), QString::fromUtf8("а😀б\nеЩе"));
    EXPECT_EQ(q.Text(), W("а") + "\x98\x98" + W("б\nеЩе"));

    // Changes made by the user through the editor reach the cached text.
    QTextCursor c = editor.textCursor();
    c.setPosition(0);
    c.insertText(QStringLiteral("xy"));
    EXPECT_EQ(q.Text(), "xy" + W("а") + "\x98\x98" + W("б\nеЩе"));
    c.setPosition(2);
    c.setPosition(3, QTextCursor::KeepAnchor);
    c.insertText(QString::fromUtf8("я"));
    EXPECT_EQ(q.Text(), "xy" + W("я") + "\x98\x98" + W("б\nеЩе"));

    // Larger changes are brought in as well, a piece at a time: the text and
    // its lines read as the editor's own after each, whatever the change.
    const auto expectEditorText = [&editor, &q](const char* what) {
        QString raw = editor.document()->toRawText();
        raw.truncate(std::max(editor.document()->characterCount() - 1, 0));
        ASSERT_EQ(q.Text(), FromQString(raw)) << what;
        ASSERT_EQ(q.LineCount(), editor.document()->blockCount()) << what;
        // The line asked for last before the change first: it may have moved.
        const QTextBlock second = editor.document()->findBlockByNumber(1);
        if (second.isValid()) {
            EXPECT_EQ(q.LineStart(1), second.position()) << what;
        }
        for (QTextBlock b = editor.document()->begin(); b.isValid(); b = b.next()) {
            EXPECT_EQ(q.Line(b.blockNumber()), FromQString(b.text())) << what << ", line " << b.blockNumber();
            EXPECT_EQ(q.LineStart(b.blockNumber()), b.position()) << what << ", line " << b.blockNumber();
        }
        q.Line(1);
    };
    c.setPosition(q.Length());
    c.insertText(QString::fromUtf8("\nпервая вставленная строка, длиннее предела\nвторая\n\nчетвертая"));
    expectEditorText("a paste of several paragraphs at the end");
    c.setPosition(4);
    c.setPosition(q.LineStart(3) + 2, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    expectEditorText("paragraphs removed from the middle of one to the middle of another");
    editor.undo();
    expectEditorText("undone");
    editor.redo();
    expectEditorText("redone");
    c.select(QTextCursor::Document);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    c.mergeCharFormat(bold);
    expectEditorText("the whole text made bold");
    editor.setPlainText(QString::fromUtf8("новый текст\nиз двух строк"));
    expectEditorText("a new text");
    q.Select(q.LineStart(1), 1);
    q.ReplaceSelection(W("И"));
    c = QTextCursor(editor.document());
    c.insertText(QString::fromUtf8("ещё одна\r"));
    expectEditorText("a line typed before the first, a letter written back after it");
    editor.clear();
    EXPECT_EQ(q.Text(), "");
    EXPECT_EQ(q.LineCount(), 1);
    EXPECT_EQ(q.LineStart(0), 0);
    EXPECT_EQ(q.LineStart(1), -1);
}

TEST(QtTextDocument, KeepsTheRichFormatOfAReplacedLetter)
{
    QPlainTextEdit editor;
    QTextCursor c(editor.document());
    QTextCharFormat boldItalic;
    boldItalic.setFontWeight(QFont::Bold);
    boldItalic.setFontItalic(true);
    c.insertText(QStringLiteral("x"), QTextCharFormat());
    c.insertText(QString::fromUtf8("еще"), boldItalic);
    c.insertText(QStringLiteral("y"), QTextCharFormat());
    TQtTextDocument q(editor);
    q.Select(3, 1);
    q.ReplaceSelection(W("ё"));
    c.setPosition(4);
    EXPECT_TRUE(c.charFormat().font().bold());
    EXPECT_TRUE(c.charFormat().font().italic());
    EXPECT_EQ(q.Line(0), "x" + W("ещё") + "y");
}

TEST(QtTextDocument, DeferredViewWaitsUntilShown)
{
    QPlainTextEdit editor;
    editor.setPlainText(QString::fromUtf8("раз два три"));
    editor.show();
    TQtTextDocument q(editor);
    int notifications = 0;
    QObject::connect(
        editor.document(), &QTextDocument::contentsChange, [&notifications] { ++notifications; });
    q.Select(1, 0);
    {
        const auto defer = q.DeferView();
        q.Select(4, 3);
        EXPECT_EQ(q.SelStart(), 4);
        EXPECT_EQ(q.SelLength(), 3);
        EXPECT_EQ(editor.textCursor().position(), 1); // not moved yet
        q.SetSelectionColour(ColourBlue);
        EXPECT_EQ(q.CharColour(5), ColourBlue);
        q.Select(0, 1);
        q.ReplaceSelection(W("Р"));
        EXPECT_EQ(q.Line(0), W("Раз два три"));
        EXPECT_EQ(notifications, 0); // the editor has not been told yet
        q.ShowSelection();
        EXPECT_EQ(notifications, 1); // all at once
        EXPECT_EQ(editor.textCursor().position(), 1);
        q.Select(8, 1);
        q.ReplaceSelection("X");
        q.Select(4, 1);
        EXPECT_EQ(editor.textCursor().position(), 1);
    }
    EXPECT_EQ(notifications, 2);
    EXPECT_EQ(editor.textCursor().selectionStart(), 4);
    EXPECT_EQ(editor.textCursor().selectionEnd(), 5);
    EXPECT_EQ(editor.toPlainText(), QString::fromUtf8("Раз два Xри"));
    EXPECT_EQ(q.Text(), W("Раз два Xри"));
}

// A pass selects every word to show where it is: in a deferred view that must
// lay out nothing (laying out each word's paragraph set the pace of a pass),
// and the selection follows edits made meanwhile as a cursor would.
TEST(QtTextDocument, DeferredSelectionLaysNothingOutAndFollowsEdits)
{
    QPlainTextEdit editor;
    QString text;
    for (int i = 0; i < 2000; ++i)
        text += QString::fromUtf8("строка номер %1 с еще одним словом\n").arg(i);
    editor.setPlainText(text);
    editor.resize(400, 300);
    editor.show();
    QApplication::processEvents();
    TQtTextDocument q(editor);
    const int far = q.LineStart(1500);
    const QTextBlock farBlock = editor.document()->findBlockByNumber(1500);
    ASSERT_EQ(farBlock.layout()->lineCount(), 0); // out of view, not laid out
    {
        const auto defer = q.DeferView();
        for (int i = 0; i < 100; ++i) {
            ShowPosition(q, far + i % 20);
            q.Select(far + 5, 5);
        }
        EXPECT_EQ(farBlock.layout()->lineCount(), 0);
        EXPECT_EQ(q.SelStart(), far + 5);
        EXPECT_EQ(q.SelLength(), 5);

        // Text put in before the selection moves it; text in the middle of it
        // removed takes the selection's end along.
        QTextCursor outside(editor.document());
        outside.insertText(QStringLiteral("abc"));
        EXPECT_EQ(q.SelStart(), far + 8);
        EXPECT_EQ(q.SelLength(), 5);
        EXPECT_EQ(q.Length(), static_cast<int>(text.size()) + 3);
        outside.setPosition(far + 10);
        outside.setPosition(far + 20, QTextCursor::KeepAnchor);
        outside.removeSelectedText();
        EXPECT_EQ(q.SelStart(), far + 8);
        EXPECT_EQ(q.SelLength(), 2);
        EXPECT_EQ(q.Length(), static_cast<int>(text.size()) + 3 - 10);
        // The word written back lands where the selection now is.
        q.ReplaceSelection("XY");
        EXPECT_EQ(editor.document()->findBlock(far + 8).text().left(10), QString::fromUtf8("строкXY с "));
    }
    EXPECT_EQ(editor.textCursor().position(), far + 10);
}

TEST(QtTextDocument, ReadOnlyAndBusyCursor)
{
    QPlainTextEdit editor;
    TQtTextDocument q(editor);
    q.SetReadOnly(true);
    EXPECT_TRUE(q.IsReadOnly());
    EXPECT_TRUE(editor.isReadOnly());
    q.SetBusyCursor(true);
    EXPECT_EQ(editor.viewport()->cursor().shape(), Qt::WaitCursor);
    q.SetBusyCursor(false);
    EXPECT_EQ(editor.viewport()->cursor().shape(), Qt::ArrowCursor);
    q.SetReadOnly(false);
    q.SetBusyCursor(true);
    q.SetBusyCursor(false);
    EXPECT_EQ(editor.viewport()->cursor().shape(), Qt::IBeamCursor);
}

} // namespace
} // namespace tildo
