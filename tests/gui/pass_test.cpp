// Restoration passes in the real window: texts opened from files, Ctrl+F9 and
// F9 given as keys, questions answered by a test asker (or by keys in the
// floating dialog), and the text, colours, report, undo and files checked.
#include "main_form_fixture.h"

#include "ask_form.h"
#include "engine/yoficator.h"
#include "platform/file_io.h"
#include "qt_text_document.h"
#include "text_colours.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>
#include <QThread>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::DarkPalette;
using test::ShownContrast;
using test::TMainFormFixture;
using test::W;

// Answers each question through a function that can look at the window meanwhile.
class TLookingAsker : public Asker
{
public:
    std::vector<std::function<TAnswer(const TQuestion&)>> Steps;
    std::vector<TQuestion> Questions;

    TAnswer Ask(const TQuestion& q) override
    {
        Questions.push_back(q);
        const std::size_t n = Questions.size() - 1;
        return n < Steps.size() ? Steps[n](q) : TAnswer::Cancel;
    }
};

std::function<TAnswer(const TQuestion&)> Answer(TAnswer code)
{
    return [code](const TQuestion&) { return code; };
}

void CtrlF9(TMainFormFixture& f)
{
    QTest::keyClick(&f.Form->Editor(), Qt::Key_F9, Qt::ControlModifier);
}

QString Status(TMainFormFixture& f)
{
    return f.Form->findChild<QLabel*>(QStringLiteral("StatusLine"))->text();
}

TEST(Pass, RestoresACp1251TextAskingAboutVariants)
{
    TMainFormFixture f;
    const std::string original = W("Еще все елка.\r\nИ все тут.\r\n");
    f.Dir.Write("a.txt", original);
    f.Ui->OpenChoices = { f.QPath("a.txt") };
    f.Command("Open1")->trigger();
    ASSERT_TRUE(f.Command("YoBegin1")->isEnabled());

    TLookingAsker asker;
    TQtTextDocument& doc = f.Form->Document();
    asker.Steps = {
        [&](const TQuestion& q) {
            // The word is selected in the editor while the question waits, the
            // window is busy, and what the user types meanwhile goes nowhere.
            EXPECT_EQ(q.PlainForm, W("все"));
            EXPECT_EQ(q.DottedForm, W("всё"));
            EXPECT_EQ(f.Form->Editor().textCursor().selectionStart(), 4);
            EXPECT_EQ(f.Form->Editor().textCursor().selectionEnd(), 7);
            EXPECT_TRUE(f.Form->IsBusy());
            EXPECT_FALSE(q.UndoEnabled);
            QTest::keyClicks(&f.Form->Editor(), QStringLiteral("zz"));
            EXPECT_FALSE(f.EditorText().contains(QStringLiteral("zz")));
            return TAnswer::Dotted;
        },
        [&](const TQuestion& q) {
            EXPECT_TRUE(q.UndoEnabled);
            EXPECT_EQ(q.UndoCaption, W("Откат \"все -> всё\""));
            return TAnswer::Plain;
        },
    };
    f.Form->SetAsker(&asker);
    CtrlF9(f);
    EXPECT_EQ(asker.Questions.size(), 2u);
    EXPECT_FALSE(f.Form->IsBusy());
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("Ещё всё ёлка.\nИ все тут.\n"));

    // Changed letters are blue, the others keep their colour.
    EXPECT_EQ(doc.CharColour(2), ColourBlue);
    EXPECT_EQ(doc.CharColour(6), ColourBlue);
    EXPECT_EQ(doc.CharColour(8), ColourBlue);
    EXPECT_EQ(doc.CharColour(0), ColourBlack);
    EXPECT_EQ(doc.CharColour(5), ColourBlack);
    EXPECT_EQ(doc.CharColour(16), ColourBlack);
    EXPECT_TRUE(Status(f).startsWith(QString::fromUtf8("Новых \"Ё/Е\": 3/0 (в т.ч. с запросом 1/0)")))
        << Status(f).toStdString();
    EXPECT_EQ(f.Form->windowTitle(), f.QPath("a.txt") + QStringLiteral(" *"));

    // "Откат" takes back the asked replacement, colour included.
    QAction* undo = f.Command("Undo1");
    ASSERT_TRUE(undo->isEnabled());
    EXPECT_EQ(undo->text(), QString::fromUtf8("Откат \"все -> всё\""));
    QTest::keyClick(&f.Form->Editor(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("Ещё все ёлка.\nИ все тут.\n"));
    EXPECT_EQ(doc.CharColour(6), ColourBlack);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(undo->text(), QString::fromUtf8("Откат"));

    // Saved as plain text: CP1251 with its CR LF.
    f.Ui->SaveChoices = { f.QPath("out.txt") };
    f.Command("Saveas1")->trigger();
    EXPECT_EQ(ReadWholeFile(f.Path("out.txt")), W("Ещё все ёлка.\r\nИ все тут.\r\n"));
    EXPECT_EQ(f.Form->windowTitle(), f.QPath("a.txt"));

    // Saved as RTF and read back: the text and the blue letters.
    f.Command("RTF1")->trigger();
    f.Ui->SaveChoices = { f.QPath("out.rtf") };
    f.Command("Saveas1")->trigger();
    f.Command("Close1")->trigger();
    f.Ui->OpenChoices = { f.QPath("out.rtf") };
    f.Command("Open1")->trigger();
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("Ещё все ёлка.\nИ все тут.\n"));
    EXPECT_EQ(doc.CharColour(2), ColourBlue);
    EXPECT_EQ(doc.CharColour(6), ColourBlack);
    EXPECT_EQ(doc.CharColour(8), ColourBlue);
    EXPECT_TRUE(f.Ui->Boxes.empty());
}

TEST(Pass, RestoresAUtf8TextKeepingWhatCp1251Lacks)
{
    TMainFormFixture f;
    const std::string original = "\xEF\xBB\xBF" + std::string("еще 中 елка 😀 все\n");
    f.Dir.Write("u.txt", original);
    f.Ui->OpenChoices = { f.QPath("u.txt") };
    f.Command("Open1")->trigger();
    f.Command("Mark1")->trigger(); // no colours this time
    TLookingAsker asker;
    asker.Steps = { Answer(TAnswer::Plain) };
    f.Form->SetAsker(&asker);
    CtrlF9(f);
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("ещё 中 ёлка 😀 все\n"));
    EXPECT_EQ(f.Form->Document().CharColour(2), ColourBlack);
    f.Ui->SaveChoices = { f.QPath("u-out.txt") };
    f.Command("Saveas1")->trigger();
    EXPECT_EQ(ReadWholeFile(f.Path("u-out.txt")), "\xEF\xBB\xBF" + std::string("ещё 中 ёлка 😀 все\n"));
}

// Where the characters [from, to) stand in the editor's viewport.
QRect ShownRect(const QPlainTextEdit& editor, int from, int to)
{
    QTextCursor first = editor.textCursor();
    first.setPosition(from);
    QTextCursor last = first;
    last.setPosition(to);
    return editor.cursorRect(first).united(editor.cursorRect(last));
}

TEST(Pass, HighlightsAWordWhoseDottedLetterIsInDoubt)
{
    const QPalette saved = QApplication::palette();
    for (const QPalette& palette : { saved, DarkPalette() }) {
        QApplication::setPalette(palette);
        TMainFormFixture f;
        f.Form->Editor().setPlainText(QString::fromUtf8("Мы еще тут"));
        f.Command("AlwaysAsk1")->trigger(); // even a fixed word is asked about: its ё is missing
        TQtTextDocument& doc = f.Form->Document();
        TLookingAsker asker;
        asker.Steps = { [&](const TQuestion& q) {
            EXPECT_TRUE(q.DottedMissing);
            EXPECT_EQ(doc.CharBackground(3), ColourAqua);
            EXPECT_EQ(doc.CharBackground(5), ColourAqua);
            EXPECT_EQ(doc.CharBackground(2), ColourWhite);
            // The editor has caught up with the highlight: its paragraph is laid out anew.
            EXPECT_EQ(f.Form->Editor().textCursor().selectedText(), QString::fromUtf8("еще"));
            // And the aqua shows on the screen: the selection does not paint over it.
            QPlainTextEdit& editor = f.Form->Editor();
            const QRect word = ShownRect(editor, 3, 6);
            const QImage shot = editor.viewport()->grab().toImage();
            int aqua = 0;
            for (int y = word.top(); y <= word.bottom(); ++y)
                for (int x = word.left(); x <= word.right(); ++x)
                    aqua += shot.pixelColor(x * shot.width() / editor.viewport()->width(),
                                y * shot.height() / editor.viewport()->height())
                        == QColor(0, 255, 255);
            EXPECT_GT(aqua, word.width() * word.height() / 3);
            // The word reads on the aqua whatever the palette.
            EXPECT_GE(ShownContrast(shot, word.adjusted(2, 0, -1, 0), QColor(0, 255, 255)), 4.5);
            return TAnswer::Dotted;
        } };
        f.Form->SetAsker(&asker);
        CtrlF9(f);
        ASSERT_EQ(asker.Questions.size(), 1u);
        EXPECT_EQ(f.EditorText(), QString::fromUtf8("Мы ещё тут"));
        EXPECT_EQ(doc.CharBackground(4), ColourWhite);
        EXPECT_NE(f.Form->Editor().palette().color(QPalette::Highlight), QColor(0, 255, 255));
    }
    QApplication::setPalette(saved);
}

TEST(Pass, MarksAndTheQuestionReadInLightAndDarkPalettes)
{
    const QPalette saved = QApplication::palette();
    const QPalette dark = DarkPalette();
    for (const QPalette& palette : { saved, dark }) {
        QApplication::setPalette(palette);
        TMainFormFixture f;
        f.Form->SetEditorFont(TEditorFont { "DejaVu Sans", 1, 28 });
        QPlainTextEdit& editor = f.Form->Editor();
        editor.setPlainText(QString::fromUtf8("еще знал все"));
        TLookingAsker asker;
        QImage context;
        QColor contextBase;
        asker.Steps = { [&](const TQuestion& q) {
            TAskForm form;
            form.ShowQuestion(q);
            auto* field = form.findChild<QTextEdit*>();
            contextBase = field->palette().color(QPalette::Base);
            context = field->viewport()->grab().toImage();
            return TAnswer::Plain;
        } };
        f.Form->SetAsker(&asker);
        CtrlF9(f);
        ASSERT_EQ(f.EditorText(), QString::fromUtf8("ещё знал все"));
        ASSERT_FALSE(context.isNull());
        EXPECT_GE(ShownContrast(context, context.rect(), contextBase), 4.5);

        // The marked ё on the editor's background, the caret away from it.
        f.Form->Document().Select(9, 0);
        editor.setTextCursor(editor.textCursor());
        QApplication::processEvents();
        const QRect letter = ShownRect(editor, 2, 3).adjusted(2, 0, -1, 0);
        const QImage shot = editor.viewport()->grab().toImage();
        const QColor base = editor.palette().color(QPalette::Base);
        EXPECT_EQ(shot.pixelColor(shot.width() - 3, shot.height() - 3), base);
        EXPECT_GE(ShownContrast(shot, letter, base), 4.5);
        EXPECT_GE(ShownContrast(shot, QRect(0, 0, letter.left() - 2, letter.bottom()), base), 4.5);
        // The mark reads back as the mark.
        EXPECT_EQ(f.Form->Document().CharColour(2), ColourBlue);
        EXPECT_EQ(f.Form->Document().CharColour(0), ColourBlack);
    }

    // A dark palette chosen while the program runs: the marks made in the
    // light one are painted anew, readable, and still read back as marks.
    QApplication::setPalette(saved);
    TMainFormFixture f;
    f.Form->SetEditorFont(TEditorFont { "DejaVu Sans", 1, 28 });
    QPlainTextEdit& editor = f.Form->Editor();
    editor.setPlainText(QString::fromUtf8("еще и все"));
    TLookingAsker asker;
    asker.Steps = { [](const TQuestion&) { return TAnswer::Plain; } };
    f.Form->SetAsker(&asker);
    CtrlF9(f);
    ASSERT_EQ(f.Form->Document().CharColour(2), ColourBlue);
    // A question on the screen is painted anew as well, a misplaced ё's pink
    // turning dark.
    TQuestion question;
    question.Context = W("знал все тут");
    question.WordOffset = 5;
    question.WordLength = 3;
    question.DottedMismatch = true;
    TAskForm asking;
    asking.ShowQuestion(question);
    asking.show();
    auto* field = asking.findChild<QTextEdit*>();
    ASSERT_EQ(field->palette().color(QPalette::Base), QColor(255, 208, 208));
    QApplication::setPalette(dark);
    f.Form->Document().Select(9, 0);
    QApplication::processEvents();
    const QColor contextBase = field->palette().color(QPalette::Base);
    EXPECT_LT(ContrastRatio(contextBase, QColor(64, 64, 64)), 2.0); // as dark as the palette's tooltips
    const QImage context = field->viewport()->grab().toImage();
    EXPECT_GE(ShownContrast(context, context.rect(), contextBase), 4.5);
    const QRect letter = ShownRect(editor, 2, 3).adjusted(2, 0, -1, 0);
    const QImage shot = editor.viewport()->grab().toImage();
    const QColor base = editor.palette().color(QPalette::Base);
    EXPECT_EQ(base, QColor(35, 35, 35));
    EXPECT_GE(ShownContrast(shot, letter, base), 4.5);
    EXPECT_EQ(f.Form->Document().CharColour(2), ColourBlue);
    EXPECT_EQ(f.Form->Document().CharColour(0), ColourBlack);
    QApplication::setPalette(saved);
}

TEST(Pass, EscStopsAfterTheCurrentWord)
{
    TMainFormFixture f;
    f.Form->Editor().setPlainText(QString::fromUtf8("все еще\nеще еще еще"));
    TLookingAsker asker;
    asker.Steps = { [&](const TQuestion&) {
        // Esc pressed while the pass goes on; the next poll lets it through.
        QCoreApplication::postEvent(
            &f.Form->Editor(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        QCoreApplication::postEvent(
            &f.Form->Editor(), new QKeyEvent(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier));
        QThread::msleep(TQtUserInterface::PumpInterval + 10);
        return TAnswer::Dotted;
    } };
    f.Form->SetAsker(&asker);
    CtrlF9(f);
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("всё еще\nеще еще еще"));
    EXPECT_FALSE(f.Form->IsBusy());

    // The next pass is not stopped by that Esc, and F9 starts at the caret.
    f.Form->Document().Select(8, 0);
    asker.Steps.clear();
    QTest::keyClick(&f.Form->Editor(), Qt::Key_F9);
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("всё еще\nещё ещё ещё"));
}

TEST(Pass, AnUndoAnswerAsksAboutThePreviousWordAgain)
{
    TMainFormFixture f;
    f.Command("Context1")->trigger(); // every все asked, whatever the grammar says
    f.Form->Editor().setPlainText(QString::fromUtf8("все и все"));
    TLookingAsker asker;
    asker.Steps
        = { Answer(TAnswer::Dotted), Answer(TAnswer::Undo), Answer(TAnswer::Plain), Answer(TAnswer::Dotted) };
    f.Form->SetAsker(&asker);
    CtrlF9(f);
    ASSERT_EQ(asker.Questions.size(), 4u);
    EXPECT_EQ(asker.Questions[2].Context.substr(0, 3), W("все"));
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("все и всё"));
    EXPECT_EQ(f.Form->Document().CharColour(0), ColourBlack);

    // Typing into the text makes the recorded offsets meaningless: the history
    // goes. The typing itself is undone and redone as in any editor, and the
    // pass's letters are not part of that.
    QAction* undo = f.Command("Undo1");
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_FALSE(f.Form->Editor().document()->isUndoAvailable());
    f.Form->Document().Select(0, 0);
    QTest::keyClick(&f.Form->Editor(), Qt::Key_X);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(undo->text(), QString::fromUtf8("Откат"));
    QTest::keyClick(&f.Form->Editor(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("все и всё"));
    QTest::keyClick(&f.Form->Editor(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("все и всё"));
    QTest::keyClick(&f.Form->Editor(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("xвсе и всё"));

    // A pass ends the typing's history in turn: Ctrl+Z is "Откат" again.
    f.Form->Document().Select(10, 0);
    f.Form->Editor().insertPlainText(QString::fromUtf8(" все"));
    asker.Steps = { Answer(TAnswer::Plain), Answer(TAnswer::Dotted) };
    asker.Questions.clear();
    CtrlF9(f);
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("xвсе и всё всё"));
    EXPECT_FALSE(f.Form->Editor().document()->isUndoAvailable());
    QTest::keyClick(&f.Form->Editor(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("xвсе и всё все"));
}

TEST(Pass, AnUndoTakesBackEveryLetterOfAnAnswer)
{
    // An answer that moved the ё changed two letters; one "Откат" puts the
    // word back as it was written, during the pass and after it.
    TMainFormFixture f;
    f.Command("CheckYo1")->trigger();
    f.Form->Editor().setPlainText(QString::fromUtf8("ёще и ёще"));
    TLookingAsker asker;
    // The word as written is the dotted form; the dictionary's form is the plain answer.
    asker.Steps
        = { Answer(TAnswer::Plain), Answer(TAnswer::Undo), Answer(TAnswer::Plain), Answer(TAnswer::Plain) };
    f.Form->SetAsker(&asker);
    CtrlF9(f);
    ASSERT_EQ(asker.Questions.size(), 4u);
    EXPECT_EQ(asker.Questions[0].PlainForm, W("ещё"));
    EXPECT_EQ(asker.Questions[2].Context.substr(0, 3), W("ёще"));
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("ещё и ещё"));
    TQtTextDocument& doc = f.Form->Document();
    EXPECT_EQ(doc.CharColour(0), ColourBlue);

    QAction* undo = f.Command("Undo1");
    undo->trigger();
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("ещё и ёще"));
    EXPECT_TRUE(undo->isEnabled());
    undo->trigger();
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("ёще и ёще"));
    for (int at : { 0, 2, 6, 8 })
        EXPECT_EQ(doc.CharColour(at), ColourBlack) << at;
    EXPECT_FALSE(undo->isEnabled());
}

TEST(Pass, TheFloatingDialogAnswersByKeys)
{
    TMainFormFixture f;
    f.Form->Editor().setPlainText(QString::fromUtf8("все"));
    QString title;
    bool wordShown = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        TAskForm* form = &f.Form->AskForm();
        if (QApplication::activeModalWidget() != form)
            return;
        title = form->windowTitle();
        wordShown = f.Form->Editor().textCursor().selectedText() == QString::fromUtf8("все");
        QTest::keyClick(form, Qt::Key_2);
    });
    poll.start(10);
    CtrlF9(f);
    poll.stop();
    EXPECT_EQ(title, QString::fromUtf8("Выберите верный вариант"));
    EXPECT_TRUE(wordShown);
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("всё"));
}

TEST(Pass, ClosingIsRefusedWhileAPassRuns)
{
    TMainFormFixture f;
    f.Form->Editor().setPlainText(QString::fromUtf8("все"));
    f.Form->Documents();
    TLookingAsker asker;
    bool closed = true;
    asker.Steps = { [&](const TQuestion&) {
        closed = f.Form->close();
        return TAnswer::Cancel;
    } };
    f.Form->SetAsker(&asker);
    CtrlF9(f);
    EXPECT_FALSE(closed);
    EXPECT_TRUE(f.Form->isVisible());
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("все"));
}

} // namespace
} // namespace tildo

namespace tildo {
namespace {

// The program's built-in self-test ("/t", then F11) run in the window: eight
// passes over its table with scripted answers, on the Qt document.
TEST(Pass, TheSelfTestPassesInTheWindow)
{
    TMainFormFixture f({ "/t" });
    EXPECT_EQ(f.Form->windowTitle(), QStringLiteral("[Testing mode]"));
    EXPECT_EQ(f.Form->width(), 700);
    // The word Еще of line 14 stands out: green, bold, 30 points.
    QTextCursor c(f.Form->Editor().document()->findBlockByNumber(14));
    c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 15);
    EXPECT_EQ(c.charFormat().foreground().color(), QColor(0, 128, 0));
    EXPECT_TRUE(c.charFormat().font().bold());
    EXPECT_EQ(c.charFormat().fontPointSize(), 30);
    c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 3);
    EXPECT_FALSE(c.charFormat().font().bold());
    QAction* testing = f.Command("Testing1");
    ASSERT_TRUE(testing->isVisible());
    ASSERT_TRUE(testing->isEnabled());
    QTest::keyClick(&f.Form->Editor(), Qt::Key_F11);
    // A difference would be shown as "Тест не прошёл !" with the line selected.
    EXPECT_TRUE(f.Ui->Boxes.empty()) << f.Ui->Boxes.front().Text.toStdString();
    EXPECT_EQ(testing->text(), QString::fromUtf8("Сброс теста"));
    EXPECT_FALSE(f.Form->IsBusy());
}

} // namespace
} // namespace tildo
