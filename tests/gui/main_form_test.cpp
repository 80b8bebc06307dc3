#include "main_form_fixture.h"

#include "app/documents.h"
#include "platform/file_io.h"
#include "qt_document_editor.h"
#include "qt_strings.h"
#include "qt_text_document.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace tildo {

QString test::TMainFormFixture::EditorText() const
{
    return Form->Editor().toPlainText();
}

namespace {

using test::TMainFormFixture;
using test::W;

TEST(MainForm, StartsWithTheMarksOfAFirstRun)
{
    // No settings file: the marks are the ones the program starts with.
    TMainFormFixture f;
    for (const char* name : { "Mark1", "ProposeLast1", "ToConfirm1", "LastFile1", "Context1" })
        EXPECT_TRUE(f.Command(name)->isChecked()) << name;
    for (const char* name : { "AlwaysAsk1", "FastScroll1", "CheckYo1", "NoVarOnly1", "VarOnly1", "RTF1",
             "WordWrap1", "FBFormat1", "CombiWords1" }) {
        ASSERT_NE(f.Command(name), nullptr) << name;
        EXPECT_FALSE(f.Command(name)->isChecked()) << name;
    }
    EXPECT_FALSE(f.Command("CombiWords1")->isEnabled()); // no combination dictionary
    EXPECT_FALSE(f.Command("Undo1")->isEnabled());
    EXPECT_FALSE(f.Command("Testing1")->isVisible());
    EXPECT_TRUE(f.Ui->Boxes.empty());
}

TEST(MainForm, OnlyOneOfTheTwoReplacementLimitsIsOn)
{
    TMainFormFixture f;
    QAction* noVar = f.Command("NoVarOnly1");
    QAction* var = f.Command("VarOnly1");
    var->trigger();
    EXPECT_TRUE(var->isChecked());
    noVar->trigger();
    EXPECT_TRUE(noVar->isChecked());
    EXPECT_FALSE(var->isChecked());
    noVar->trigger();
    EXPECT_FALSE(noVar->isChecked());
    EXPECT_FALSE(var->isChecked());
}

TEST(MainForm, DecidingByContextIsAnOptionOfItsOwn)
{
    TMainFormFixture f;
    QAction* context = f.Command("Context1");
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->text(), QStringLiteral("Решать по контексту"));
    EXPECT_TRUE(context->isCheckable());
    EXPECT_TRUE(context->isEnabled());
    EXPECT_TRUE(f.Form->Ui().IsCommandChecked("Context1"));
    context->trigger();
    EXPECT_FALSE(context->isChecked());
    EXPECT_FALSE(f.Form->Ui().IsCommandChecked("Context1"));
    // Off, the pass reads no tag dictionary and has no judge.
    EXPECT_EQ(f.Form->ContextJudge(), nullptr);
    context->trigger();
    EXPECT_TRUE(f.Form->Ui().IsCommandChecked("Context1"));
}

TEST(MainForm, CommandsFollowTheTextTheSelectionAndTheDictionary)
{
    TMainFormFixture f;
    for (const char* name : { "Saveas1", "Close1", "YoBegin1", "YoPos1", "Cut1", "Copy1" })
        EXPECT_FALSE(f.Command(name)->isEnabled()) << name;
    QTest::keyClicks(&f.Form->Editor(), QStringLiteral("abc"));
    for (const char* name : { "Saveas1", "Close1", "YoBegin1", "YoPos1" })
        EXPECT_TRUE(f.Command(name)->isEnabled()) << name;
    EXPECT_FALSE(f.Command("Copy1")->isEnabled());
    f.Form->Document().Select(0, 2);
    EXPECT_TRUE(f.Command("Copy1")->isEnabled());
    EXPECT_TRUE(f.Command("Cut1")->isEnabled());
    // Typing marks the text modified in the title.
    EXPECT_EQ(f.Form->windowTitle(), QStringLiteral(" *"));

    // Without a dictionary there is nothing to run the pass with.
    TMainFormFixture bare({}, false);
    EXPECT_EQ(bare.Ui->Boxes.size(), 1u); // the missing dictionary is reported
    QTest::keyClicks(&bare.Form->Editor(), QStringLiteral("abc"));
    EXPECT_TRUE(bare.Command("Saveas1")->isEnabled());
    EXPECT_FALSE(bare.Command("YoBegin1")->isEnabled());
}

TEST(MainForm, WordWrapAndTextModeFollowTheirMarks)
{
    TMainFormFixture f;
    f.Form->Editor().setPlainText(QStringLiteral("text"));
    f.Form->Documents().SetModified(false);
    EXPECT_EQ(f.Form->Editor().lineWrapMode(), QPlainTextEdit::NoWrap);
    f.Command("WordWrap1")->trigger();
    EXPECT_EQ(f.Form->Editor().lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_FALSE(f.Form->Documents().Modified());
    f.Command("RTF1")->trigger();
    EXPECT_TRUE(f.Form->DocEditor().IsRichText());
}

TEST(MainForm, OpensCp1251AndUtf8TextsAndSavesThemBack)
{
    TMainFormFixture f;
    EXPECT_EQ(f.Command("Open1")->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_EQ(f.Command("Saveas1")->shortcut(), QKeySequence(Qt::Key_F2));
    const std::string cp1251 = W("Еще одна елка\r\nи все.\r\n");
    const std::string utf8 = "\xEF\xBB\xBF" + std::string("Ещё ёлка \xE4\xB8\xAD\n");
    f.Dir.Write("a.txt", cp1251);
    f.Dir.Write("b.txt", utf8);

    f.Ui->OpenChoices = { f.QPath("a.txt") };
    f.Command("Open1")->trigger();
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("Еще одна елка\nи все.\n"));
    EXPECT_EQ(f.Form->windowTitle(), f.QPath("a.txt"));
    EXPECT_FALSE(f.Form->Documents().Modified());
    ASSERT_NE(f.Form->findChild<QAction*>(QStringLiteral("RecentFile1")), nullptr);
    EXPECT_EQ(f.Form->findChild<QAction*>(QStringLiteral("RecentFile1"))->shortcut(),
        QKeySequence(Qt::CTRL | Qt::Key_1));
    EXPECT_TRUE(f.Command("ClearFileList1")->isEnabled());

    // Saved unchanged under another name: the same bytes, CR LF kept.
    f.Ui->SaveChoices = { f.QPath("a-copy.txt") };
    f.Command("Saveas1")->trigger();
    EXPECT_EQ(ReadWholeFile(f.Path("a-copy.txt")), cp1251);

    f.Ui->OpenChoices = { f.QPath("b.txt") };
    f.Command("Open1")->trigger();
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("Ещё ёлка 中\n"));
    EXPECT_EQ(f.Form->Document().Line(0), W("Ещё ёлка ") + "\x98");
    EXPECT_NE(f.Form->findChild<QAction*>(QStringLiteral("RecentFile2")), nullptr);
    f.Ui->SaveChoices = { f.QPath("b-copy.txt") };
    f.Command("Saveas1")->trigger();
    EXPECT_EQ(ReadWholeFile(f.Path("b-copy.txt")), utf8);

    // The recent entry reopens the first text.
    f.Form->findChild<QAction*>(QStringLiteral("RecentFile1"))->trigger();
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("Еще одна елка\nи все.\n"));

    // A file that is not there: the message, and nothing changes.
    f.Ui->OpenChoices = { f.QPath("missing.txt") };
    f.Command("Open1")->trigger();
    ASSERT_FALSE(f.Ui->Boxes.empty());
    EXPECT_EQ(
        f.Ui->Boxes.back().Text, QString::fromUtf8("Файл \"%1\" не найден").arg(f.QPath("missing.txt")));
    EXPECT_EQ(f.Ui->Boxes.back().Caption, QString::fromUtf8("Ошибка"));
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("Еще одна елка\nи все.\n"));
}

TEST(MainForm, SavesAndReadsBackRichText)
{
    TMainFormFixture f;
    f.Command("RTF1")->trigger();
    f.Form->Editor().insertPlainText(QString::fromUtf8("Ещё ёлка"));
    f.Form->Document().Select(2, 1);
    f.Form->Document().SetSelectionColour(ColourBlue);
    f.Ui->SaveChoices = { f.QPath("r.rtf") };
    f.Command("Saveas1")->trigger();
    EXPECT_EQ(ReadWholeFile(f.Path("r.rtf")).substr(0, 5), "{\\rtf");
    EXPECT_FALSE(f.Form->Documents().Modified());

    f.Command("Close1")->trigger();
    EXPECT_TRUE(f.EditorText().isEmpty());
    f.Command("RTF1")->trigger();
    EXPECT_FALSE(f.Command("RTF1")->isChecked());

    f.Ui->OpenChoices = { f.QPath("r.rtf") };
    f.Command("Open1")->trigger();
    EXPECT_TRUE(f.Command("RTF1")->isChecked()); // the mode follows the file
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("Ещё ёлка"));
    auto& doc = f.Form->Document();
    EXPECT_EQ(doc.CharColour(2), ColourBlue);
    EXPECT_EQ(doc.CharColour(1), ColourBlack);
    EXPECT_TRUE(f.Ui->Boxes.empty()); // our own RTF loses nothing: no warning
}

TEST(MainForm, WarnsOfWhatAnRtfWillLoseAndKeepsItUnlessTold)
{
    TMainFormFixture f;
    const std::string original = ReadWholeFile(TILDO_TEST_DATA_DIR "/libreoffice_features.rtf");
    f.Dir.Write("made.rtf", original);
    f.Ui->OpenChoices = { f.QPath("made.rtf") };
    f.Command("Open1")->trigger();
    ASSERT_EQ(f.Ui->Boxes.size(), 1u);
    const auto& warning = f.Ui->Boxes[0];
    EXPECT_EQ(warning.Icon, QMessageBox::Warning);
    EXPECT_EQ(warning.Caption, QString::fromUtf8("Внимание"));
    EXPECT_EQ(warning.Buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    for (const char* kind : { "рисунки", "сноски", "колонтитулы", "гиперссылки", "параметры страницы" })
        EXPECT_TRUE(warning.Text.contains(QString::fromUtf8(kind))) << kind;
    EXPECT_TRUE(warning.Text.contains(f.QPath("made.rtf")));
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("Мы идем вперед, а вот ссылка на елку.\nРисунок:  конец.\n"));

    // Saving over it under the proposed name: the question's default is No.
    f.Form->Editor().insertPlainText(QStringLiteral("x"));
    ASSERT_TRUE(f.Form->Documents().Modified());
    f.Ui->SaveChoices = { f.QPath("made.rtf") };
    f.Command("Saveas1")->trigger();
    EXPECT_EQ(f.Ui->DialogStarts.back(), f.QPath("made.rtf"));
    ASSERT_EQ(f.Ui->Boxes.size(), 2u);
    const auto& question = f.Ui->Boxes[1];
    EXPECT_EQ(question.Buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(question.Default, QMessageBox::No);
    EXPECT_TRUE(question.Text.contains(QString::fromUtf8("сноски")));
    EXPECT_EQ(ReadWholeFile(f.Path("made.rtf")), original);
    EXPECT_TRUE(f.Form->Documents().Modified());
    EXPECT_TRUE(f.Form->windowTitle().endsWith(QStringLiteral(" *")));

    // Under another name nothing is asked.
    f.Ui->SaveChoices = { f.QPath("other.rtf") };
    f.Command("Saveas1")->trigger();
    EXPECT_EQ(f.Ui->Boxes.size(), 2u);
    EXPECT_EQ(ReadWholeFile(f.Path("other.rtf")).substr(0, 5), "{\\rtf");
    EXPECT_EQ(ReadWholeFile(f.Path("made.rtf")), original);
}

TEST(MainForm, AsksBeforeUnsavedEditsAreLostAndWritesTheSettings)
{
    TMainFormFixture f;
    QTest::keyClicks(&f.Form->Editor(), QStringLiteral("edit"));
    f.Ui->Answers = { QMessageBox::No };
    EXPECT_FALSE(f.Form->close());
    EXPECT_TRUE(f.Form->isVisible());
    ASSERT_EQ(f.Ui->Boxes.size(), 1u);
    EXPECT_EQ(f.Ui->Boxes[0].Text,
        QString::fromUtf8("Результаты редактирования будут потеряны. Продолжить операцию?"));
    EXPECT_EQ(f.Ui->Boxes[0].Default, QMessageBox::No);
    EXPECT_FALSE(FileExists(f.Path("tildo.ini")));

    f.Command("FastScroll1")->trigger();
    f.Ui->Answers = { QMessageBox::Yes };
    EXPECT_TRUE(f.Form->close());
    const std::string ini = ReadWholeFile(f.Path("tildo.ini"));
    EXPECT_NE(ini.find("FastScroll=1"), std::string::npos) << ini;
}

TEST(MainForm, OpensTheTextNamedOnTheCommandLineAndDroppedFiles)
{
    // A relative name is taken from where the program was started, not from
    // the program directory that start-up moves to; "/t" is a switch.
    EXPECT_EQ(StartArguments({ QStringLiteral("a/b.txt") }, QStringLiteral("/home/u")),
        std::vector<std::string> { "/home/u/a/b.txt" });
    EXPECT_EQ(StartArguments({ QStringLiteral("/t"), QStringLiteral("/x/y.rtf") }, QStringLiteral("/home/u")),
        (std::vector<std::string> { "/t", "/x/y.rtf" }));

    test::TTempDir texts;
    const std::string path = texts.Write("start.txt", W("Первый текст"));
    const std::string second = texts.Write("second.txt", W("Второй"));
    TMainFormFixture f({ path });
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("Первый текст"));
    EXPECT_FALSE(f.Form->Documents().Modified());

    QMimeData data;
    data.setUrls(
        { QUrl::fromLocalFile(QString::fromStdString(second)), QUrl::fromLocalFile(QStringLiteral("/x")) });
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.Form->Editor().viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.Form->Editor().viewport(), &drop);
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("Второй"));
}

TEST(MainForm, ShowsTheSettingsFontAtASizeThatPaintsInTime)
{
    // A serif face with Cyrillic that the default font does not resolve to.
    const QString serif = QStringLiteral("DejaVu Serif");
    ASSERT_TRUE(QFontDatabase::families(QFontDatabase::Cyrillic).contains(serif));
    TMainFormFixture f({}, true, "[Tildo]\nFontName=DejaVu Serif\nFontSize=14\n");
    QPlainTextEdit& editor = f.Form->Editor();
    EXPECT_EQ(QFontInfo(editor.font()).family(), serif);
    EXPECT_EQ(editor.font().pointSize(), 14);
    EXPECT_EQ(editor.document()->defaultFont().family(), serif);

    // Sizes past what a screen shows, from the font dialog or any other
    // caller, are bounded like the settings' and kept as shown.
    const std::pair<int, int> sizes[] = { { 2147483647, TEditorFont::MaxSize }, { 512, TEditorFont::MaxSize },
        { 0, TEditorFont::MinSize }, { -3, TEditorFont::MinSize }, { 20, 20 } };
    for (const auto& [asked, shown] : sizes) {
        f.Form->SetEditorFont(TEditorFont { "DejaVu Serif", 1, asked });
        EXPECT_EQ(f.Form->EditorFont().Size, shown) << asked;
        EXPECT_EQ(editor.font().pointSize(), shown) << asked;
        EXPECT_EQ(editor.document()->defaultFont().pointSize(), shown) << asked;
        EXPECT_EQ(QFontInfo(editor.font()).family(), serif) << asked;
    }
    f.Form->SetEditorFont(TEditorFont { "DejaVu Serif", 1, 2147483647 });
    EXPECT_TRUE(f.Form->close());
    const std::string ini = ReadWholeFile(f.Path("tildo.ini"));
    EXPECT_NE(ini.find("FontSize=72\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("FontName=DejaVu Serif\n"), std::string::npos) << ini;
}

} // namespace
} // namespace tildo
