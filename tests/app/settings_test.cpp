#include "app/ini_file.h"
#include "app/settings.h"
#include "shell_fixture.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>

namespace tildo {
namespace {

using test::TShell;
using test::U;
using test::W;

TEST(SettingsTest, CommandLineSwitchIsExactlySlashT)
{
    TSettings s;
    ParseCommandLine({}, s);
    EXPECT_FALSE(s.TestingMode);
    EXPECT_EQ(s.StartDocument, "");
    ParseCommandLine({ "/t", "more" }, s);
    EXPECT_TRUE(s.TestingMode);
    EXPECT_EQ(s.StartDocument, "");
    ParseCommandLine({ "/T" }, s);
    EXPECT_FALSE(s.TestingMode);
    EXPECT_EQ(s.StartDocument, "/T");
}

TEST(SettingsTest, PathsAndRecentEntries)
{
    EXPECT_EQ(CompletePath("", "/opt/tildo"), "");
    EXPECT_EQ(CompletePath("my.dat", "/opt/tildo"), "/opt/tildo/my.dat");
    EXPECT_EQ(CompletePath("dicts/my.dat", "/opt/tildo"), "dicts/my.dat");
    EXPECT_EQ(CompletePath("/x/my.dat", "/opt/tildo"), "/x/my.dat");

    auto e = ParseRecentEntry("/texts/a,b.txt,15");
    EXPECT_EQ(e.Path, "/texts/a,b.txt");
    EXPECT_EQ(e.Position, 15);
    e = ParseRecentEntry("/x.txt");
    EXPECT_EQ(e.Path, "/x.txt");
    EXPECT_EQ(e.Position, 0);
    e = ParseRecentEntry("/x.txt,abc");
    EXPECT_EQ(e.Path, "/x.txt");
    EXPECT_EQ(e.Position, 0);
}

TEST(SettingsTest, WithoutAFileEverythingTakesItsDefault)
{
    TShell shell;
    shell.Start();
    EXPECT_EQ(shell.window.Geom, (TWindowGeometry { 200, 150, 1200, 900 }));
    EXPECT_EQ(shell.window.Font, (TEditorFont { "Courier New", 1, 10 }));
    for (const TCommand on :
        { TCommand::Mark1, TCommand::ProposeLast1, TCommand::ToConfirm1, TCommand::LastFile1 })
        EXPECT_TRUE(shell.ui.IsCommandChecked(on)) << CommandName(on);
    for (const TCommand off : { TCommand::AlwaysAsk1, TCommand::FastScroll1, TCommand::CheckYo1,
             TCommand::NoVarOnly1, TCommand::VarOnly1, TCommand::RTF1, TCommand::WordWrap1,
             TCommand::FBFormat1, TCommand::CombiWords1, TCommand::ToDockAskForm1, TCommand::InsertLog1 })
        EXPECT_FALSE(shell.ui.IsCommandChecked(off)) << CommandName(off);
    EXPECT_EQ(shell.lifecycle.Settings.DictionaryPath, shell.dir.Path() + "/tildo.dat");
    EXPECT_EQ(shell.lifecycle.Settings.ButtonHotKeys, "1234");
    EXPECT_EQ(shell.window.Split, (TSplitLayout { 90, false }));
    EXPECT_EQ(shell.limits.WordsBufferLength, 3);
    // The missing dictionary is reported by its loader; start-up goes on.
    ASSERT_EQ(shell.ui.Errors.size(), 1u);
    EXPECT_NE(U(shell.ui.Errors[0]).find("tildo.dat\" не найден"), std::string::npos);
}

TEST(SettingsTest, ShippedCombinationsServeAFirstStartOnly)
{
    const std::string combis = W("всё-таки\nо чём\n");
    TShell first;
    first.dir.Write("combi.dat", combis);
    first.Start();
    EXPECT_EQ(first.lifecycle.Settings.CombiDictionaryPath, first.dir.Path() + "/combi.dat");
    EXPECT_TRUE(first.ui.IsCommandChecked("CombiWords1"));
    EXPECT_EQ(first.combi.Count(), 2);

    // A key in the settings file wins, even an empty one.
    TShell chosen;
    chosen.dir.Write("combi.dat", combis);
    chosen.dir.Write("tildo.ini", "[Tildo]\nCombiDictionary=\nCombiWords=1\n");
    chosen.Start();
    EXPECT_EQ(chosen.lifecycle.Settings.CombiDictionaryPath, "");
    EXPECT_FALSE(chosen.ui.IsCommandChecked("CombiWords1"));
    EXPECT_EQ(chosen.combi.Count(), 0);
}

TEST(SettingsTest, ValuesComeFromTheFileAndGoBackInOrder)
{
    TShell shell;
    shell.dir.Write("my.dat", W("ещё\n"));
    shell.dir.Write("tildo.ini",
        "; hand-written\n[Tildo]\nMark=0\nCheckYo=1\nWindowWidth=0x320\nWindowHeight=oops\nFontName=DejaVu "
        "Sans Mono\n"
        "FontSize=12\nDictionary=my.dat\nLinesBelow=5\nContextAddLetters=30\nButtonHotKeys=123456\n"
        "WordsBufferLength=4\nCombiLog=1\nLastFileName=/old.txt\nLastFilePos=3\nTextDirectory=/"
        "texts\nUnknown=kept\n"
        "[Editor]\nSplitSize=120\nSplitVert=1\nInsertLog=1\n");
    shell.Start();
    const TSettings& s = shell.lifecycle.Settings;
    EXPECT_FALSE(shell.ui.IsCommandChecked("Mark1"));
    EXPECT_TRUE(shell.ui.IsCommandChecked("CheckYo1"));
    EXPECT_TRUE(shell.ui.IsCommandChecked("InsertLog1"));
    EXPECT_EQ(shell.window.Geom.Width, 800);
    EXPECT_EQ(shell.window.Geom.Height, 900);
    EXPECT_EQ(shell.window.Font.Name, "DejaVu Sans Mono");
    EXPECT_EQ(s.DictionaryPath, shell.dir.Path() + "/my.dat");
    EXPECT_EQ(shell.dic.FormCount(), 1);
    EXPECT_EQ(s.LinesBelow, 5);
    EXPECT_EQ(s.ContextAddLetters, 30);
    EXPECT_EQ(s.ButtonHotKeys, "1234");
    EXPECT_EQ(shell.limits.WordsBufferLength, 4);
    EXPECT_EQ(shell.hooks.Count("BindCombiLog " + shell.dir.Path() + "/combi.log"), 1);
    EXPECT_EQ(shell.documents.TextDirectory, "/texts");
    EXPECT_EQ(shell.window.Split, (TSplitLayout { 120, true }));

    // Changes made while running: the number dialog's values are not saved.
    shell.lifecycle.Settings.LinesBelow = 9;
    shell.ui.SetCommandChecked("AlwaysAsk1", true);
    shell.window.Geom = TWindowGeometry { 1, 2, 3, 4 };
    shell.Exit();
    EXPECT_TRUE(shell.ui.Errors.empty()) << U(shell.ui.Errors.front());

    const std::string text = shell.ReadIni();
    EXPECT_NE(text.find("; hand-written"), std::string::npos);
    EXPECT_NE(text.find("LinesBelow=5"), std::string::npos);
    EXPECT_NE(text.find("Unknown=kept"), std::string::npos);
    EXPECT_NE(text.find("AlwaysAsk=1"), std::string::npos);
    EXPECT_NE(text.find("Dictionary=" + shell.dir.Path() + "/my.dat"), std::string::npos);
    for (const char* key : { "WindowHeight=4\n", "WindowWidth=3\n", "WindowTop=2\n", "WindowLeft=1\n" })
        EXPECT_NE(text.find(key), std::string::npos) << key;
    EXPECT_NE(text.find("ButtonHotKeys=1234"), std::string::npos);
    EXPECT_NE(text.find("CombiWordRegExp=0"), std::string::npos);
    EXPECT_EQ(text.find("LastFileName"), std::string::npos);
    EXPECT_EQ(text.find("LastFilePos"), std::string::npos);
    // No recent list was started in this run: no NameN keys.
    EXPECT_EQ(text.find("Name1="), std::string::npos);
    EXPECT_NE(text.find("LastFileN=0"), std::string::npos);

    // A second run reads back what the first wrote.
    TShell again;
    again.dir.Write("tildo.ini", text);
    again.dir.Write("my.dat", W("ещё\n"));
    again.lifecycle.Initialise({}, again.dir.Path());
    EXPECT_TRUE(again.ui.IsCommandChecked("AlwaysAsk1"));
    EXPECT_EQ(again.window.Geom, (TWindowGeometry { 1, 2, 3, 4 }));
    EXPECT_EQ(again.lifecycle.Settings.LinesBelow, 5);
}

TEST(SettingsTest, FreshFileHasTheKeysInTheirOrder)
{
    TShell shell;
    shell.Start();
    shell.Exit();
    const std::string text = shell.ReadIni();
    const char* order[]
        = { "[Tildo]", "AlwaysAsk=", "Mark=", "FastScroll=", "CheckYo=", "NoVarOnly=", "VarOnly=", "RTF=",
              "WordWrap=", "ProposeLast=", "ToConfirm=", "FBFormat=", "WindowHeight=", "WindowWidth=",
              "WindowTop=", "WindowLeft=", "FloatingAskFormYShift=32", "CombiWords=", "FontName=Courier New",
              "FontCharset=1", "FontSize=10", "Dictionary=", "CombiDictionary=", "RecallLastFile=1",
              "TextDirectory=", "ToDockAskForm=0", "ButtonHotKeys=1234", "CombiWordRegExp=0", "[Editor]",
              "InsertLog=0", "SplitSize=90", "SplitVert=0", "[Files]", "LastFileN=0" };
    std::size_t at = 0;
    for (const char* key : order) {
        const auto found = text.find(key, at);
        ASSERT_NE(found, std::string::npos) << key << " in\n" << text;
        at = found;
    }
    for (const char* never : { "LinesBelow", "ContextAddLetters", "WordsBufferLength", "CombiLog=", " = " })
        EXPECT_EQ(text.find(never), std::string::npos) << never;
}

TEST(SettingsTest, RecentEntriesAndTheLastFile)
{
    TShell shell;
    const std::string a = shell.dir.Write("a,b.txt", "first text");
    const std::string b = shell.dir.Write("b.txt", "second");
    shell.dir.Write("tildo.ini",
        "[Files]\nName1=" + a + ",4\nName2=\nName3=" + b + ",abc\nName4=" + shell.dir.Path()
            + "/A,B.TXT,9\nLastFileN=2\n");
    shell.Start();
    const TRecentFiles& recent = shell.documents.RecentFiles();
    ASSERT_EQ(recent.Count(), 2);
    EXPECT_EQ(recent.Entry(1).Path, a);
    EXPECT_EQ(recent.Entry(1).Position, 4);
    EXPECT_EQ(recent.Entry(2).Path, b);
    EXPECT_EQ(recent.Entry(2).Position, 0);
    EXPECT_EQ(shell.window.RecentMenu, (std::vector<std::string> { a, b }));
    EXPECT_TRUE(shell.ui.IsCommandEnabled("ClearFileList1"));
    // LastFileN=2 opened the second entry.
    EXPECT_EQ(shell.documents.CurrentFileName, b);
    EXPECT_EQ(shell.editor.Doc.Text(), "second");

    shell.editor.Doc.Select(3, 0);
    shell.Exit();
    const std::string text = shell.ReadIni();
    EXPECT_NE(text.find("Name1=" + a + ",4\nName2=" + b + ",3\nName3=\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Name9=\n"), std::string::npos);
    EXPECT_NE(text.find("LastFileN=2"), std::string::npos);
}

TEST(SettingsTest, CommandLineDocumentWinsOverTheLastFile)
{
    TShell shell;
    const std::string a = shell.dir.Write("a.txt", "aaa");
    const std::string b = shell.dir.Write("b.txt", "bbb");
    shell.dir.Write("tildo.ini", "[Files]\nName1=" + a + ",0\nLastFileN=1\n");
    shell.Start({ b });
    EXPECT_EQ(shell.documents.CurrentFileName, b);
    EXPECT_EQ(shell.documents.RecentFiles().Count(), 2);

    TShell noRecall;
    noRecall.dir.Write("tildo.ini", "[Tildo]\nRecallLastFile=0\n[Files]\nName1=" + a + ",0\nLastFileN=1\n");
    noRecall.Start();
    EXPECT_EQ(noRecall.documents.CurrentFileName, "");

    TShell outside;
    outside.dir.Write("tildo.ini", "[Files]\nName1=" + a + ",0\nLastFileN=2\n");
    outside.Start();
    EXPECT_EQ(outside.documents.CurrentFileName, "");
}

TEST(SettingsTest, MissingStartDocumentIsReportedAndNotCurrent)
{
    TShell shell;
    const std::string gone = shell.dir.Path() + "/gone.txt";
    shell.Start({ gone });
    ASSERT_FALSE(shell.ui.Errors.empty());
    EXPECT_EQ(U(shell.ui.Errors.back()), "Файл \"" + gone + "\" не найден");
    EXPECT_EQ(shell.lifecycle.Settings.StartDocument, "");
    shell.Exit();
    EXPECT_NE(shell.ReadIni().find("LastFileN=0"), std::string::npos);
}

TEST(SettingsTest, ClearedRecentListWritesNineEmptyNames)
{
    TShell shell;
    const std::string a = shell.dir.Write("a.txt", "aaa");
    shell.dir.Write("tildo.ini", "[Files]\nName1=" + a + ",2\nLastFileN=1\n");
    shell.Start();
    EXPECT_EQ(shell.documents.CurrentFileName, a);
    shell.ui.YesNoAnswers = { true };
    shell.documents.ClearFileList1Click();
    EXPECT_FALSE(shell.ui.IsCommandEnabled("ClearFileList1"));
    EXPECT_TRUE(shell.window.RecentMenu.empty());
    shell.Exit();
    const std::string text = shell.ReadIni();
    for (int n = 1; n <= 9; ++n)
        EXPECT_NE(text.find("Name" + std::to_string(n) + "=\n"), std::string::npos) << n;
    EXPECT_NE(text.find("LastFileN=0"), std::string::npos);
}

TEST(SettingsTest, TestingModeTouchesNoFile)
{
    TShell shell;
    const std::string original = "[tildo]\r\nMark = 0\r\n; comment\r\nLinesBelow=7\r\n";
    shell.dir.Write("tildo.ini", original);
    shell.dir.Write("morphs.dat", "=noun\n");
    shell.Start({ "/t" });
    EXPECT_TRUE(shell.ui.IsCommandChecked("Mark1"));
    EXPECT_TRUE(shell.ui.IsCommandChecked("CheckYo1"));
    EXPECT_TRUE(shell.ui.IsCommandChecked("CombiWords1"));
    EXPECT_FALSE(shell.ui.IsCommandChecked("ToConfirm1"));
    EXPECT_FALSE(shell.ui.IsCommandChecked("LastFile1"));
    EXPECT_EQ(shell.window.Font.Size, 11);
    EXPECT_EQ(shell.dic.FileName, "***");
    EXPECT_EQ(shell.lifecycle.Settings.ButtonHotKeys, "");
    EXPECT_EQ(shell.lifecycle.Settings.LinesBelow, 2);
    EXPECT_EQ(shell.window.TitleText, "[Testing mode]");
    EXPECT_TRUE(shell.ui.IsCommandEnabled("Testing1"));
    EXPECT_EQ(shell.hooks.Count("PrepareTestingMode"), 1);
    EXPECT_EQ(shell.hooks.Count("LoadTestDictionaries"), 1);
    EXPECT_EQ(shell.hooks.Count("LoadMorphs " + shell.dir.Path() + "/morphs.dat"), 1);
    EXPECT_TRUE(shell.lifecycle.MorphsAvailable());

    // Unsaved edits do not hold the window in the testing mode.
    shell.editor.Type("x");
    shell.ui.SetCommandChecked("ToConfirm1", true);
    EXPECT_TRUE(shell.lifecycle.CloseQuery());
    shell.Exit();
    EXPECT_EQ(shell.ReadIni(), original);
    EXPECT_TRUE(shell.ui.Questions.empty());
}

TEST(SettingsTest, DeferredStartRunsOnceInOrder)
{
    TShell shell;
    shell.lifecycle.Initialise({}, shell.dir.Path());
    EXPECT_FALSE(shell.ui.IsCommandEnabled("YoBegin1"));
    EXPECT_TRUE(shell.ui.IsCommandEnabled("Font1"));
    EXPECT_FALSE(shell.ui.IsCommandEnabled("Testing1"));
    shell.lifecycle.DeferredStart();
    shell.lifecycle.DeferredStart();
    EXPECT_EQ(shell.hooks.Calls, (std::vector<std::string> { "RefreshCommands", "ResetStatistics" }));
    EXPECT_FALSE(shell.lifecycle.MorphsAvailable());
}

TEST(SettingsTest, CloseAsksAboutUnsavedEditsAndAFailedWriteIsReported)
{
    TShell shell;
    shell.Start();
    shell.editor.Type("new text");
    EXPECT_TRUE(shell.documents.Modified());
    shell.ui.YesNoAnswers = { false };
    EXPECT_FALSE(shell.lifecycle.CloseQuery());
    ASSERT_EQ(shell.ui.Questions.size(), 1u);
    EXPECT_EQ(U(shell.ui.Questions[0]), "Текст изменён. Сохранить изменения?");

    shell.ui.Errors.clear();
    shell.lifecycle.Settings.SettingsPath = shell.dir.Path() + "/missing/tildo.ini";
    shell.lifecycle.Close();
    ASSERT_EQ(shell.ui.Errors.size(), 1u);
    EXPECT_NE(shell.ui.Errors[0].find(shell.dir.Path() + "/missing/tildo.ini"), std::string::npos);
}

// A settings file kept elsewhere through a link stays a link; a pipe, a
// device or a huge file in its place is refused with a box, the window starts
// with its defaults, and nothing is written over it at the end.
TEST(SettingsTest, LinkedPipedAndHugeSettingsFiles)
{
    {
        TShell shell;
        const std::string real = shell.dir.Write("kept.ini", "[Tildo]\nMark=0\n");
        std::filesystem::create_symlink("kept.ini", shell.Ini());
        shell.Start();
        EXPECT_FALSE(shell.ui.IsCommandChecked("Mark1"));
        shell.ui.SetCommandChecked("AlwaysAsk1", true);
        shell.Exit();
        EXPECT_TRUE(std::filesystem::is_symlink(std::filesystem::symlink_status(shell.Ini())));
        std::ifstream in(real, std::ios::binary);
        const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_NE(written.find("AlwaysAsk=1"), std::string::npos) << written;
    }
    for (const bool pipe : { true, false }) {
        TShell shell;
        if (pipe)
            ASSERT_EQ(::mkfifo(shell.Ini().c_str(), 0644), 0);
        else
            std::filesystem::resize_file(shell.dir.Write("tildo.ini", ""), (std::uintmax_t(256) << 20) + 1);
        shell.Start();
        ASSERT_FALSE(shell.ui.Errors.empty());
        EXPECT_NE(shell.ui.Errors.front().find(shell.Ini()), std::string::npos) << U(shell.ui.Errors.front());
        EXPECT_TRUE(shell.ui.IsCommandChecked("Mark1"));
        shell.Exit();
        if (pipe)
            EXPECT_TRUE(std::filesystem::is_fifo(std::filesystem::symlink_status(shell.Ini())));
        else
            EXPECT_EQ(std::filesystem::file_size(shell.Ini()), (std::uintmax_t(256) << 20) + 1);
    }
}

TEST(SettingsTest, OutOfRangeNumbersCannotBreakTheBuffers)
{
    TShell shell;
    shell.dir.Write("tildo.ini", "[Tildo]\nWordsBufferLength=0\nLinesBelow=-3\n");
    shell.lifecycle.Initialise({}, shell.dir.Path());
    EXPECT_EQ(shell.limits.WordsBufferLength, 1);
    EXPECT_EQ(shell.lifecycle.Settings.LinesBelow, 0);

    TShell huge;
    huge.dir.Write("tildo.ini", "[Tildo]\nWordsBufferLength=1000\nButtonHotKeys=" + std::string("ёЁ") + "\n");
    huge.lifecycle.Initialise({}, huge.dir.Path());
    EXPECT_EQ(huge.limits.WordsBufferLength, 31);
    EXPECT_EQ(huge.lifecycle.Settings.ButtonHotKeys, W("ёЁ"));
}

TEST(SettingsTest, FontSizeIsKeptReadable)
{
    const std::vector<std::pair<std::string, int>> cases = { { "2147483647", 72 }, { "0", 6 }, { "-12", 6 },
        { "5", 6 }, { "6", 6 }, { "14", 14 }, { "72", 72 }, { "73", 72 } };
    for (const auto& [written, expected] : cases) {
        TShell shell;
        shell.dir.Write("tildo.ini", "[Tildo]\nFontSize=" + written + "\n");
        shell.lifecycle.Initialise({}, shell.dir.Path());
        EXPECT_EQ(shell.window.Font.Size, expected) << written;
    }
}

} // namespace
} // namespace tildo
