#include "main_form_fixture.h"

#include "app/documents.h"
#include "platform/file_io.h"
#include "qt_document_editor.h"
#include "qt_strings.h"
#include "qt_text_document.h"

#include <QDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
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

TEST(MainForm, RtfTheEditorCannotHoldShowsItsRunningTextAndIsNeverOverwrittenWithLess)
{
    TMainFormFixture f;
    const std::string original = ReadWholeFile(TILDO_TEST_DATA_DIR "/libreoffice_features.rtf");
    f.Dir.Write("made.rtf", original);
    f.Ui->OpenChoices = { f.QPath("made.rtf") };
    f.Command("Open1")->trigger();
    EXPECT_TRUE(f.Ui->Boxes.empty()); // nothing will be lost: no warning
    EXPECT_TRUE(f.Form->windowTitle().contains(QStringLiteral("[RTF]")))
        << f.Form->windowTitle().toStdString();
    EXPECT_FALSE(f.Command("RTF1")->isChecked());
    EXPECT_TRUE(f.EditorText().startsWith(QString::fromUtf8("Мы идем вперед, а вот ссылка на елку.\n")))
        << f.EditorText().toStdString();

    // Typing cannot go back into the file: saving over it says so and offers
    // a file of its own, refused here; the file and the edit stay.
    f.Form->Editor().insertPlainText(QStringLiteral("x"));
    ASSERT_TRUE(f.Form->Documents().Modified());
    f.Ui->SaveChoices = { f.QPath("made.rtf") };
    f.Ui->Answers = { QMessageBox::Yes, QMessageBox::Ok, QMessageBox::No };
    f.Command("Saveas1")->trigger();
    ASSERT_GE(f.Ui->Boxes.size(), 2u);
    EXPECT_TRUE(f.Ui->Boxes[f.Ui->Boxes.size() - 2].Text.contains(QString::fromUtf8("не только в буквах")));
    EXPECT_EQ(ReadWholeFile(f.Path("made.rtf")), original);
    EXPECT_TRUE(f.Form->Documents().Modified());
    EXPECT_NE(f.Form->Documents().Markup(), nullptr);
}

TEST(MainForm, OffersToSaveUnsavedEditsAndWritesTheSettings)
{
    TMainFormFixture f;
    QTest::keyClicks(&f.Form->Editor(), QStringLiteral("edit"));
    f.Ui->Answers = { QMessageBox::Cancel };
    EXPECT_FALSE(f.Form->close());
    EXPECT_TRUE(f.Form->isVisible());
    ASSERT_EQ(f.Ui->Boxes.size(), 1u);
    EXPECT_EQ(f.Ui->Boxes[0].Text, QString::fromUtf8("Текст изменён. Сохранить изменения?"));
    EXPECT_EQ(f.Ui->Boxes[0].Buttons, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    EXPECT_EQ(f.Ui->Boxes[0].Default, QMessageBox::Save);
    // "Сохранить" whose save dialog is cancelled loses nothing either.
    f.Ui->Answers = { QMessageBox::Save };
    EXPECT_FALSE(f.Form->close());
    EXPECT_EQ(f.Ui->DialogStarts.size(), 1);
    EXPECT_FALSE(FileExists(f.Path("tildo.ini")));

    f.Command("FastScroll1")->trigger();
    f.Ui->Answers = { QMessageBox::Save };
    f.Ui->SaveChoices = { f.QPath("typed.txt") };
    EXPECT_TRUE(f.Form->close());
    EXPECT_EQ(ReadWholeFile(f.Path("typed.txt")).substr(0, 4), "edit");
    const std::string ini = ReadWholeFile(f.Path("tildo.ini"));
    EXPECT_NE(ini.find("FastScroll=1"), std::string::npos) << ini;

    TMainFormFixture g;
    QTest::keyClicks(&g.Form->Editor(), QStringLiteral("edit"));
    g.Ui->Answers = { QMessageBox::Discard };
    EXPECT_TRUE(g.Form->close());
    EXPECT_TRUE(g.Ui->DialogStarts.isEmpty());
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

TEST(MainForm, OpensDocumentsAndSavesThemAsTheCommandLineDoes)
{
    // Each format: the running text a paragraph a line, a pass, and the saved
    // file byte for byte what tildo-cli writes with the same options.
    TMainFormFixture f({}, false, {}, TMainFormFixture::ShippedFiles());
    f.Command("NoVarOnly1")->setChecked(true); // no questions: both keep what they would ask about
    f.Command("ToConfirm1")->setChecked(false);
    const std::string data = TILDO_TEST_DATA_DIR "/";
    f.Dir.Write(
        "page.html", "<!DOCTYPE html>\n<html><body><p>Еще <b>елка</b> &amp; все.</p>\n</body></html>\n");
    f.Dir.Write("notes.md", "# Заметки\n\nЕще *одна* елка и [ее](http://x.ru) сестра.\n");
    f.Dir.Write("film.srt", "1\r\n00:00:01,000 --> 00:00:02,000\r\nЕще елка\r\n\r\n");
    const std::vector<std::pair<std::string, std::string>> documents = { { data + "split_runs.docx", "docx" },
        { data + "minimal.odt", "odt" }, { data + "minimal.epub", "epub" }, { f.Path("page.html"), "html" },
        { f.Path("notes.md"), "md" }, { f.Path("film.srt"), "srt" }, { data + "pandoc_book.fb2", "fb2" },
        { data + "libreoffice_features.rtf", "rtf" } };
    for (const auto& [source, extension] : documents) {
        SCOPED_TRACE(extension);
        const std::string original = ReadWholeFile(source);
        const std::string in = f.Dir.Write("in." + extension, original);
        f.Ui->OpenChoices = { f.QPath("in." + extension) };
        f.Command("Open1")->trigger();
        ASSERT_TRUE(f.Ui->Boxes.empty()) << f.Ui->Boxes[0].Text.toStdString();
        ASSERT_NE(f.Form->Documents().Markup(), nullptr);
        EXPECT_TRUE(f.Form->windowTitle().contains(QStringLiteral(" [")));
        EXPECT_FALSE(f.EditorText().contains(QLatin1Char('<'))) << f.EditorText().toStdString();
        f.Form->Document().Select(0, 0);
        QTest::keyClick(&f.Form->Editor(), Qt::Key_F9, Qt::ControlModifier);
        f.Ui->SaveChoices = { f.QPath("window." + extension) };
        f.Command("Saveas1")->trigger();
        ASSERT_TRUE(f.Ui->Boxes.empty()) << f.Ui->Boxes[0].Text.toStdString();

        QString errors;
        ASSERT_EQ(f.RunCli(QStringList { QStringLiteral("restore"), QStringLiteral("-d"),
                               f.QPath("tildo.dat"), QStringLiteral("-c"), f.QPath("combi.dat"),
                               QStringLiteral("-o"), f.QPath("cli." + extension), f.QPath("in." + extension) }
                          + f.CliOptions(),
                      &errors),
            0)
            << errors.toStdString();
        const std::string window = ReadWholeFile(f.Path("window." + extension));
        EXPECT_NE(window, original); // the pass restored letters
        EXPECT_TRUE(window == ReadWholeFile(f.Path("cli." + extension)));
        if (extension == "rtf") {
            // What the editor could not hold is still in the file.
            for (const char* kept : { "\\pict", "\\footnote", "\\paperw" })
                EXPECT_NE(window.find(kept), std::string::npos) << kept;
        }
    }

    // RTF the editor holds whole keeps its formatting in the editor.
    f.Dir.Write("plain.rtf", "{\\rtf1\\ansi\\ansicpg1251{\\b \\'c5\\'f9\\'e5} \\'e5\\'eb\\'ea\\'e0\\par}");
    f.Ui->OpenChoices = { f.QPath("plain.rtf") };
    f.Command("Open1")->trigger();
    EXPECT_EQ(f.Form->Documents().Markup(), nullptr);
    EXPECT_TRUE(f.Command("RTF1")->isChecked());
    EXPECT_EQ(f.EditorText(), QString::fromUtf8("Еще елка\n"));

    // An edit beyond е and ё cannot go into the document: saving says so and
    // offers plain text instead; nothing is written over the document.
    f.Ui->OpenChoices = { f.QPath("in.docx") };
    f.Command("Open1")->trigger();
    QTest::keyClicks(&f.Form->Editor(), QStringLiteral("x"));
    f.Ui->SaveChoices = { f.QPath("edited.docx"), f.QPath("edited.txt") };
    f.Ui->Answers = { QMessageBox::Ok, QMessageBox::Yes };
    f.Command("Saveas1")->trigger();
    ASSERT_EQ(f.Ui->Boxes.size(), 2u);
    EXPECT_TRUE(f.Ui->Boxes[0].Text.contains(QString::fromUtf8("не только в буквах «е» и «ё»")))
        << f.Ui->Boxes[0].Text.toStdString();
    EXPECT_FALSE(FileExists(f.Path("edited.docx")));
    EXPECT_EQ(ReadWholeFile(f.Path("edited.txt")).substr(0, 1), "x");
    EXPECT_EQ(f.Form->Documents().Markup(), nullptr);
    f.Ui->Boxes.clear();

    // Bytes that are no text and no known document are refused, not shown.
    const QString kept = f.EditorText();
    f.Dir.Write("picture.txt", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    f.Dir.Write("archive.zip", std::string("PK\x03\x04\x14\0\0\0", 8));
    for (const char* name : { "picture.txt", "archive.zip" }) {
        f.Ui->OpenChoices = { f.QPath(name) };
        f.Command("Open1")->trigger();
        ASSERT_EQ(f.Ui->Boxes.size(), 1u) << name;
        EXPECT_TRUE(f.Ui->Boxes[0].Text.contains(QString::fromUtf8("не текст"))) << name;
        EXPECT_EQ(f.EditorText(), kept);
        f.Ui->Boxes.clear();
    }
}

TEST(MainForm, DocumentsSavedAfterAPassOpenInLibreOffice)
{
    // The saved documents are whole for another program: LibreOffice reads
    // them and finds the restored words.
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "soffice is not installed: the saved documents are not reopened";
    TMainFormFixture f({}, false, {}, TMainFormFixture::ShippedFiles());
    f.Command("NoVarOnly1")->setChecked(true);
    f.Command("ToConfirm1")->setChecked(false);
    const std::string data = TILDO_TEST_DATA_DIR "/";
    QStringList saved;
    std::vector<std::pair<std::string, QStringList>> restoredWords;
    for (const char* name : { "libreoffice_fields.docx", "split_runs.docx", "libreoffice_fields.odt",
             "libreoffice_features.rtf" }) {
        SCOPED_TRACE(name);
        const std::string stem = std::string(name).substr(0, std::string(name).rfind('.'));
        const std::string extension = std::string(name).substr(stem.size() + 1);
        f.Dir.Write(std::string("in.") + extension, ReadWholeFile(data + name));
        f.Ui->OpenChoices = { f.QPath("in." + extension) };
        f.Command("Open1")->trigger();
        ASSERT_NE(f.Form->Documents().Markup(), nullptr);
        f.Form->Document().Select(0, 0);
        QTest::keyClick(&f.Form->Editor(), Qt::Key_F9, Qt::ControlModifier);
        QStringList words;
        for (const QString& word : f.EditorText().split(QRegularExpression(QStringLiteral("[^\\p{L}]+")))) {
            if (word.contains(QChar(0x0451)) || word.contains(QChar(0x0401)))
                words << word;
        }
        ASSERT_FALSE(words.isEmpty()) << "the pass restored nothing";
        // The extension in the name: two documents of one stem convert apart.
        const std::string out = "window_" + stem + "_" + extension + "." + extension;
        f.Ui->SaveChoices = { f.QPath(out) };
        f.Command("Saveas1")->trigger();
        ASSERT_TRUE(f.Ui->Boxes.empty());
        saved << f.QPath(out);
        restoredWords.emplace_back(stem + "_" + extension, words);
    }
    QProcess office;
    office.setWorkingDirectory(f.QPath(""));
    office.start(soffice,
        QStringList { QStringLiteral("-env:UserInstallation=file://") + f.QPath("office-profile"),
            QStringLiteral("--headless"), QStringLiteral("--convert-to"),
            QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("--outdir"), f.QPath("converted") }
            + saved);
    ASSERT_TRUE(office.waitForFinished(180000)) << "soffice did not finish";
    for (const auto& [stem, words] : restoredWords) {
        SCOPED_TRACE(stem);
        const std::string converted = f.Path("converted/window_" + stem + ".txt");
        ASSERT_TRUE(FileExists(converted)) << office.readAllStandardError().toStdString();
        const QString text = QString::fromStdString(ReadWholeFile(converted));
        // Headers and notes may be left out of LibreOffice's plain text; a
        // restored word whose letters are there must be there with its ё.
        const auto folded = [](QString t) {
            return t.replace(QChar(0x0451), QChar(0x0435)).replace(QChar(0x0401), QChar(0x0415));
        };
        int found = 0;
        for (const QString& word : words) {
            if (!folded(text).contains(folded(word)))
                continue;
            ++found;
            EXPECT_TRUE(text.contains(word)) << word.toStdString();
        }
        EXPECT_GT(found, 0) << text.toStdString();
    }
}

TEST(MainForm, WindowsComeUpWholeOnTheScreen)
{
    // Geometry saved on a bigger screen (or at another scale) is fitted to
    // this one: the main window, and any dialog shown bigger than the screen.
    TMainFormFixture f;
    const QRect area = f.Form->screen()->availableGeometry();
    f.Form->SetGeometry({ area.right() - 50, area.bottom() - 40, area.width() * 2, area.height() * 2 });
    EXPECT_TRUE(area.contains(f.Form->frameGeometry())) << f.Form->frameGeometry().width();
    EXPECT_GT(f.Form->width(), area.width() / 2);

    QDialog dialog(f.Form.get());
    dialog.setGeometry(area.left() - 100, area.top() + 10, area.width() + 300, 100);
    dialog.show();
    EXPECT_TRUE(area.contains(dialog.frameGeometry()));
    EXPECT_EQ(dialog.height(), 100);
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
    // The font dialog starts on the face the editor paints with, even when
    // the settings name one the system lacks.
    EXPECT_EQ(f.Form->FontInUse().family(), serif);
    EXPECT_EQ(f.Form->FontInUse().pointSize(), 20);
    f.Form->SetEditorFont(TEditorFont { "No Such Face", 1, 12 });
    EXPECT_TRUE(QFontDatabase::families().contains(f.Form->FontInUse().family()))
        << f.Form->FontInUse().family().toStdString();
    EXPECT_EQ(f.Form->FontInUse().pointSize(), 12);

    f.Form->SetEditorFont(TEditorFont { "DejaVu Serif", 1, 2147483647 });
    EXPECT_TRUE(f.Form->close());
    const std::string ini = ReadWholeFile(f.Path("tildo.ini"));
    EXPECT_NE(ini.find("FontSize=72\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("FontName=DejaVu Serif\n"), std::string::npos) << ini;
}

} // namespace
} // namespace tildo
