#include "formats/rtf_reader.h"
#include "formats/text_formats.h"
#include "shell_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

namespace tildo {
namespace {

using test::TShell;
using test::U;
using test::W;

struct TDocumentsTest : ::testing::Test
{
    void SetUp() override
    {
        shell.Start();
        shell.ui.Errors.clear(); // the missing default dictionary
        shell.ui.SetCommandChecked("ToConfirm1", true);
    }
    TShell shell;
};

TEST(TextFormatTest, ExtensionDecidesTheMode)
{
    EXPECT_EQ(TextFormatOf("/t/a.RTF"), TTextFormat::Rtf);
    EXPECT_EQ(TextFormatOf("/t/b.rtf"), TTextFormat::Rtf);
    EXPECT_EQ(TextFormatOf("/t/c.Rtf"), TTextFormat::Rtf);
    EXPECT_EQ(TextFormatOf("/t/c.rtfx"), TTextFormat::Rtf);
    EXPECT_EQ(TextFormatOf("/t/d.fb2"), TTextFormat::FictionBook);
    EXPECT_EQ(TextFormatOf("/t/e.TXT"), TTextFormat::Plain);
    EXPECT_EQ(TextFormatOf("/t/noext"), TTextFormat::Plain);
    EXPECT_EQ(TextFormatOf("/t.rtf/noext"), TTextFormat::Plain);
    EXPECT_EQ(TextFormatOf("/t/f.rt"), TTextFormat::Plain);
}

TEST_F(TDocumentsTest, OpeningSetsModeTitleAndRecentEntry)
{
    const std::string rtf = shell.dir.Write("a.RTF", "{\\rtf1 rich {\\b bold}\\par}");
    const std::string fb2
        = shell.dir.Write("d.fb2", "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n" + W("<p>ёж</p>"));
    ASSERT_TRUE(shell.documents.OpenDocument(rtf));
    EXPECT_TRUE(shell.editor.Rich);
    EXPECT_TRUE(shell.ui.IsCommandChecked("RTF1"));
    EXPECT_FALSE(shell.ui.IsCommandEnabled("Font1"));
    EXPECT_EQ(shell.editor.Doc.Text(), "rich bold\n");
    EXPECT_EQ(shell.window.TitleText, rtf);
    EXPECT_EQ(shell.documents.CurrentFileName, rtf);
    EXPECT_EQ(shell.documents.TextDirectory, shell.dir.Path());
    EXPECT_FALSE(shell.documents.Modified());

    ASSERT_TRUE(shell.documents.OpenDocument(fb2));
    EXPECT_FALSE(shell.editor.Rich);
    EXPECT_FALSE(shell.ui.IsCommandChecked("RTF1"));
    EXPECT_TRUE(shell.ui.IsCommandEnabled("Font1"));
    EXPECT_NE(shell.editor.Doc.Text().find(W("<p>ёж</p>")), std::string::npos);
    EXPECT_EQ(shell.window.RecentMenu, (std::vector<std::string> { rtf, fb2 }));
    EXPECT_EQ(shell.hooks.Count("ClearUndo"), 2);

    // A zipped book cannot be edited as it stands: its running text is shown instead.
    const std::string zipped
        = shell.dir.Write("book.fb2.zip", ReadWholeFile(TILDO_TEST_DATA_DIR "/pandoc_book.fb2.zip"));
    ASSERT_TRUE(shell.documents.OpenDocument(zipped));
    EXPECT_EQ(shell.window.TitleText, zipped + " [FictionBook]");
    EXPECT_NE(shell.editor.Doc.Text().find(W("Еще одна елка")), std::string::npos);
    EXPECT_EQ(shell.editor.Doc.Text().find('<'), std::string::npos);
}

TEST_F(TDocumentsTest, MissingFileChangesNothing)
{
    const std::string a = shell.dir.Write("a.txt", "text");
    ASSERT_TRUE(shell.documents.OpenDocument(a));
    shell.ui.OpenFileAnswers = { shell.dir.Path() + "/nope.txt" };
    shell.documents.Open1Click();
    ASSERT_EQ(shell.ui.ErrorsUtf8(),
        (std::vector<std::string> { "Файл \"" + shell.dir.Path() + "/nope.txt\" не найден" }));
    EXPECT_EQ(shell.documents.CurrentFileName, a);
    EXPECT_EQ(shell.window.TitleText, a);
    EXPECT_EQ(shell.editor.Doc.Text(), "text");
    EXPECT_EQ(shell.documents.RecentFiles().Count(), 1);
    EXPECT_EQ(shell.ui.FileChoices.back().Directory, shell.dir.Path());
}

// Should anything open the pipe for reading, gives it an end at once, so that
// the fault shows as a failed expectation instead of a hung test.
class TPipeUnblocker
{
public:
    explicit TPipeUnblocker(const std::string& path)
        : m_thread([this, path] {
            while (!m_stop) {
                const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0)
                    ::close(fd);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        })
    {
    }
    ~TPipeUnblocker()
    {
        m_stop = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_stop { false };
    std::thread m_thread;
};

// Things that are no regular files, or too large, are refused before anything
// opens them: a pipe without a writer would block, a device never ends.
TEST_F(TDocumentsTest, EndlessOrHugeInputIsRefusedByName)
{
    const std::string a = shell.dir.Write("a.txt", "text");
    ASSERT_TRUE(shell.documents.OpenDocument(a));
    const std::string fifo = shell.dir.Path() + "/pipe.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const TPipeUnblocker unblocker(fifo);
    // A character device like /dev/zero where the system lets us make one.
    const std::string zero = shell.dir.Path() + "/zero.txt";
    const bool haveDevice = ::mknod(zero.c_str(), S_IFCHR | 0666, makedev(1, 5)) == 0;
    const std::string huge = shell.dir.Write("huge.txt", "");
    ASSERT_EQ(::truncate(huge.c_str(), MaxInputFileSize + 1), 0); // sparse: costs no disk

    shell.ui.OpenFileAnswers = { fifo };
    shell.documents.Open1Click();
    shell.documents.FilesDropped({ huge });
    if (haveDevice) {
        EXPECT_FALSE(shell.documents.OpenDocument(zero));
    }
    EXPECT_FALSE(shell.documents.OpenDocument(shell.dir.Path()));
    const std::vector<std::string> errors = shell.ui.ErrorsUtf8();
    ASSERT_EQ(errors.size(), haveDevice ? 4u : 3u);
    EXPECT_EQ(errors[0].rfind("Файл \"" + fifo + "\" не является обычным файлом", 0), 0u) << errors[0];
    EXPECT_EQ(errors[1], "Файл \"" + huge + "\" слишком велик: можно прочитать не больше 256 МБ");
    EXPECT_NE(errors.back().find(shell.dir.Path() + "\" не является обычным"), std::string::npos);
    EXPECT_EQ(shell.documents.CurrentFileName, a);
    EXPECT_EQ(shell.editor.Doc.Text(), "text");
    EXPECT_EQ(shell.documents.RecentFiles().Count(), 1);

    // The same holds for the dictionaries named in the settings, and for a text named on the command line.
    TShell other;
    other.dir.Write(
        "tildo.ini", "[Tildo]\nDictionary=" + fifo + "\nCombiDictionary=" + huge + "\nCombiWords=1\n");
    other.Start({ fifo });
    const std::vector<std::string> startErrors = other.ui.ErrorsUtf8();
    ASSERT_EQ(startErrors.size(), 3u);
    EXPECT_EQ(startErrors[0].rfind("Файл \"" + fifo + "\" не является обычным файлом", 0), 0u);
    EXPECT_EQ(startErrors[1].rfind("Файл \"" + huge + "\" слишком велик", 0), 0u);
    EXPECT_EQ(startErrors[2].rfind("Файл \"" + fifo + "\" не является обычным файлом", 0), 0u);
    EXPECT_EQ(other.dic.FileName, "");
    EXPECT_EQ(other.combi.FileName, "");
    EXPECT_EQ(other.documents.CurrentFileName, "");
}

TEST_F(TDocumentsTest, TitleMarkFollowsModified)
{
    const std::string t = shell.dir.Write("t.txt", "abc");
    shell.documents.OpenDocument(t);
    shell.editor.Type("x");
    EXPECT_EQ(shell.window.TitleText, t + " *");
    shell.editor.Type("y");
    EXPECT_EQ(shell.window.TitleText, t + " *");
    shell.ui.SaveFileAnswers = { t };
    shell.ui.YesNoAnswers = { true }; // overwrite
    shell.documents.Saveas1Click();
    EXPECT_EQ(shell.window.TitleText, t);
    EXPECT_EQ(ReadWholeFile(t), "xyabc");

    shell.documents.Close1Click();
    EXPECT_EQ(shell.window.TitleText, "");
    EXPECT_EQ(shell.documents.CurrentFileName, "");
    shell.editor.Type("z");
    EXPECT_EQ(shell.window.TitleText, " *");
}

TEST_F(TDocumentsTest, UnsavedEditsAreGuarded)
{
    const std::string a = shell.dir.Write("a.txt", "aaa");
    const std::string b = shell.dir.Write("b.txt", "bbb");
    shell.documents.OpenDocument(a);
    shell.editor.Type("edit ");
    shell.ui.OpenFileAnswers = { b };
    shell.ui.YesNoAnswers = { false };
    shell.documents.Open1Click();
    EXPECT_EQ(shell.documents.CurrentFileName, a);
    EXPECT_TRUE(shell.ui.FileChoices.empty());
    shell.documents.Close1Click();
    EXPECT_EQ(shell.ui.Questions.size(), 2u);
    EXPECT_EQ(shell.documents.CurrentFileName, a);

    shell.ui.SetCommandChecked("ToConfirm1", false);
    shell.documents.FilesDropped({ b, a, shell.dir.Path() + "/third.txt" });
    EXPECT_EQ(shell.ui.Questions.size(), 2u);
    EXPECT_EQ(shell.documents.CurrentFileName, b);
    EXPECT_TRUE(shell.ui.Errors.empty());
}

TEST_F(TDocumentsTest, RecentListKeepsNinePlacesAndPositions)
{
    std::vector<std::string> paths;
    for (int k = 0; k < 10; ++k)
        paths.push_back(shell.dir.Write("f" + std::to_string(k) + ".txt", "0123456789"));
    for (int k = 0; k < 9; ++k)
        shell.documents.FilesDropped({ paths[static_cast<std::size_t>(k)] });
    shell.editor.Doc.Select(7, 0);
    shell.documents.FilesDropped({ paths[9] });
    // f8 remembered its caret when the tenth text was opened over it.
    const TRecentFiles& recent = shell.documents.RecentFiles();
    ASSERT_EQ(recent.Count(), 9);
    EXPECT_EQ(recent.Entry(1).Path, paths[1]);
    EXPECT_EQ(recent.Entry(9).Path, paths[9]);
    EXPECT_EQ(shell.window.RecentMenu.back(), paths[9]);

    shell.editor.Doc.Select(4, 0);
    // Reopen f3 through the recent list, then reopen f8 with its name in capitals.
    shell.documents.RecentFileClick(3);
    EXPECT_EQ(shell.documents.CurrentFileName, paths[3]);
    EXPECT_EQ(recent.Position(paths[9]), 4);
    std::string upper = paths[8];
    upper.replace(upper.size() - 6, 6, "F8.TXT");
    shell.dir.Write("F8.TXT", "0123456789");
    shell.documents.FilesDropped({ upper });
    EXPECT_EQ(shell.documents.CurrentFileName, upper);
    EXPECT_EQ(recent.Count(), 9);
    EXPECT_EQ(recent.Index(upper), 8);
    EXPECT_EQ(shell.editor.Doc.SelStart(), 7);
}

TEST(RecentFilesTest, PathsCompareCyrillicWithoutCase)
{
    TRecentFiles recent;
    EXPECT_TRUE(recent.Add("/тексты/Ёлка.txt", 1));
    EXPECT_FALSE(recent.Add("/ТЕКСТЫ/ёлка.TXT", 2));
    EXPECT_EQ(recent.Index("/Тексты/ЁЛКА.txt"), 1);
    EXPECT_EQ(recent.Index("/тексты/елка.txt"), 0);
    EXPECT_FALSE(recent.Add("", 0));
    EXPECT_EQ(recent.Index(""), 0);
}

TEST_F(TDocumentsTest, SaveAsAsksBeforeOverwritingAndKeepsTitleAndList)
{
    shell.documents.Saveas1Click(); // empty editor: nothing at all
    EXPECT_TRUE(shell.ui.FileChoices.empty());

    const std::string a = shell.dir.Write("a.txt", "text");
    const std::string b = shell.dir.Write("b.txt", "keep");
    shell.documents.OpenDocument(a);
    shell.ui.SaveFileAnswers = { b };
    shell.ui.YesNoAnswers = { false };
    shell.documents.Saveas1Click();
    ASSERT_EQ(shell.ui.Questions.size(), 1u);
    EXPECT_EQ(U(shell.ui.Questions[0]), "Файл " + b + " существует. Переписать?");
    EXPECT_EQ(ReadWholeFile(b), "keep");
    EXPECT_EQ(shell.ui.FileChoices.back().FileName, a);

    const std::string c = shell.dir.Path() + "/sub.txt";
    shell.ui.SaveFileAnswers = { c };
    shell.documents.Saveas1Click();
    EXPECT_EQ(ReadWholeFile(c), "text");
    EXPECT_EQ(shell.documents.CurrentFileName, c);
    EXPECT_EQ(shell.window.TitleText, a);
    EXPECT_EQ(shell.documents.RecentFiles().Count(), 1);

    shell.ui.SaveFileAnswers = { shell.dir.Path() + "/no/dir/x.txt" };
    shell.documents.Saveas1Click();
    ASSERT_EQ(shell.ui.Errors.size(), 1u);
    EXPECT_NE(shell.ui.Errors[0].find("/no/dir/x.txt"), std::string::npos);
    EXPECT_EQ(shell.documents.CurrentFileName, c);
}

TEST_F(TDocumentsTest, PlainTextGoesBackAsItCame)
{
    const std::string cp = shell.dir.Write("cp.txt", W("еще\r\nвсе\r\n"));
    const std::string utf = shell.dir.Write("utf.txt",
        "\xEF\xBB\xBF"
        "ещё\nи \xF0\x9F\x99\x82 bad\xFF\n");
    for (const std::string& path : { cp, utf }) {
        const std::string before = ReadWholeFile(path);
        ASSERT_TRUE(shell.documents.OpenDocument(path));
        shell.documents.SaveDocument(path);
        EXPECT_EQ(ReadWholeFile(path), before) << path;
    }
    // A CP1251 text that gains a character CP1251 lacks is written as UTF-8.
    shell.documents.OpenDocument(cp);
    shell.editor.Doc.Select(0, 0);
    shell.editor.Type(W("ё"));
    TStyledText extra = shell.editor.Content();
    TCharFormat plain;
    extra.Append(U"\u20AC\u4E2D", plain);
    shell.editor.SetContent(extra);
    shell.documents.SaveDocument(cp);
    EXPECT_EQ(ReadWholeFile(cp), "ёеще\r\nвсе\r\n€中");
}

TEST_F(TDocumentsTest, RichTextKeepsColoursThroughTheEditor)
{
    const std::string path = shell.dir.Write(
        "c.rtf", "{\\rtf1\\ansi{\\colortbl;\\red0\\green0\\blue255;}{\\b\\fs30 big} {\\cf1 blue}\\par}");
    ASSERT_TRUE(shell.documents.OpenDocument(path));
    EXPECT_EQ(shell.editor.Doc.CharColour(3), ColourBlack);
    EXPECT_EQ(shell.editor.Doc.CharColour(4), ColourBlue);
    shell.documents.SaveDocument(path);
    const TStyledText back = ReadRtf(ReadWholeFile(path));
    ASSERT_GE(back.Runs().size(), 3u);
    EXPECT_EQ(back.Runs()[0].Text, U"big");
    EXPECT_TRUE(back.Runs()[0].Format.Bold);
    EXPECT_EQ(back.Runs()[0].Format.SizeHalfPoints, 30);
    EXPECT_EQ(back.Runs()[2].Text, U"blue");
    EXPECT_EQ(back.Runs()[2].Format.Colour, ColourBlue);
}

TEST_F(TDocumentsTest, RtfTheEditorCannotHoldWarnsAndIsOverwrittenOnlyOnYes)
{
    const std::string original = ReadWholeFile(TILDO_TEST_DATA_DIR "/libreoffice_features.rtf");
    const std::string lossy = shell.dir.Write("lossy.rtf", original);
    ASSERT_TRUE(shell.documents.OpenDocument(lossy));
    ASSERT_EQ(shell.ui.Warnings.size(), 1u);
    const std::string warning = U(shell.ui.Warnings[0]);
    EXPECT_EQ(warning.substr(0, warning.find(':')),
        "Файл \"" + lossy + "\" содержит то, что редактор не сохраняет");
    for (const char* kind :
        { "\n– рисунки\n", "\n– сноски\n", "\n– колонтитулы\n", "\n– гиперссылки", "\n– параметры страницы" })
        EXPECT_NE(warning.find(kind), std::string::npos) << kind;
    EXPECT_NE(warning.find("под другим именем"), std::string::npos);
    EXPECT_TRUE(shell.ui.Questions.empty());

    // Saving over it: one question, No by default, and then nothing changes.
    shell.editor.Doc.Select(0, 0);
    shell.editor.Type(W("Ё"));
    ASSERT_TRUE(shell.documents.Modified());
    ::link(lossy.c_str(), (shell.dir.Path() + "/alias.rtf").c_str());
    for (const std::string& name : { lossy, shell.dir.Path() + "/alias.rtf" }) {
        shell.ui.Questions.clear();
        shell.ui.SaveFileAnswers = { name };
        shell.documents.Saveas1Click();
        ASSERT_EQ(shell.ui.Questions.size(), 1u) << name;
        const std::string question = U(shell.ui.Questions[0]);
        EXPECT_NE(question.find("\n– сноски\n"), std::string::npos);
        EXPECT_TRUE(question.ends_with("будет потеряно. Переписать?")) << question;
    }
    EXPECT_EQ(ReadWholeFile(lossy), original);
    EXPECT_TRUE(shell.documents.Modified());
    EXPECT_EQ(shell.documents.CurrentFileName, lossy);

    // Another name asks nothing new; what we wrote there warns of nothing.
    const std::string copy = shell.dir.Path() + "/copy.rtf";
    shell.ui.Questions.clear();
    shell.ui.SaveFileAnswers = { copy };
    shell.documents.Saveas1Click();
    EXPECT_TRUE(shell.ui.Questions.empty());
    EXPECT_FALSE(shell.documents.Modified());
    EXPECT_EQ(ReadWholeFile(lossy), original);

    // Yes replaces the file; from then on it is ours and only the usual question comes.
    shell.ui.SaveFileAnswers = { lossy, lossy };
    shell.ui.YesNoAnswers = { true, true };
    shell.documents.Saveas1Click();
    EXPECT_EQ(ReadWholeFile(lossy), ReadWholeFile(copy));
    EXPECT_TRUE(shell.documents.Losses().Empty());
    shell.documents.Saveas1Click();
    ASSERT_EQ(shell.ui.Questions.size(), 2u);
    EXPECT_EQ(U(shell.ui.Questions[1]), "Файл " + lossy + " существует. Переписать?");

    ASSERT_TRUE(shell.documents.OpenDocument(copy));
    EXPECT_EQ(shell.ui.Warnings.size(), 1u);
    EXPECT_TRUE(shell.documents.Losses().Empty());
    EXPECT_EQ(shell.editor.Doc.Text(), W("ЁМы идем вперед, а вот ссылка на елку.\nРисунок:  конец.\n"));
}

} // namespace
} // namespace tildo
