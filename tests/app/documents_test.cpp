#include "formats/markup_document.h"
#include "formats/rtf_reader.h"
#include "formats/text_formats.h"
#include "shell_fixture.h"
#include "text/memory_document.h"

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
    const std::string fb2 = shell.dir.Write("d.fb2",
        "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
            + W("<FictionBook><body><section><p>ёж</p></section></body></FictionBook>"));
    ASSERT_TRUE(shell.documents.OpenDocument(rtf));
    EXPECT_TRUE(shell.editor.Rich);
    EXPECT_TRUE(shell.ui.IsCommandChecked("RTF1"));
    EXPECT_FALSE(shell.ui.IsCommandEnabled("Font1"));
    EXPECT_EQ(shell.editor.Doc.Text(), "rich bold\n");
    EXPECT_EQ(shell.window.TitleText, rtf);
    EXPECT_EQ(shell.documents.CurrentFileName, rtf);
    EXPECT_EQ(shell.documents.TextDirectory, shell.dir.Path());
    EXPECT_FALSE(shell.documents.Modified());

    // A book, zipped or not, shows its running text, not its tags.
    ASSERT_TRUE(shell.documents.OpenDocument(fb2));
    EXPECT_FALSE(shell.editor.Rich);
    EXPECT_FALSE(shell.ui.IsCommandChecked("RTF1"));
    EXPECT_TRUE(shell.ui.IsCommandEnabled("Font1"));
    EXPECT_EQ(shell.editor.Doc.Text(), W("ёж\n"));
    EXPECT_EQ(shell.window.TitleText, fb2 + " [FictionBook]");
    EXPECT_EQ(shell.window.RecentMenu, (std::vector<std::string> { rtf, fb2 }));
    EXPECT_EQ(shell.hooks.Count("ClearUndo"), 2);

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

TEST_F(TDocumentsTest, RtfTheEditorCannotHoldIsEditedAsItsRunningText)
{
    // Pictures, footnotes and page setup the editor would drop: the running
    // text is shown, and saving writes back only the letters, as the
    // command-line tool does, so that all of it survives.
    const std::string original = ReadWholeFile(TILDO_TEST_DATA_DIR "/libreoffice_features.rtf");
    const std::string lossy = shell.dir.Write("lossy.rtf", original);
    ASSERT_TRUE(shell.documents.OpenDocument(lossy));
    EXPECT_TRUE(shell.ui.Warnings.empty());
    ASSERT_NE(shell.documents.Markup(), nullptr);
    EXPECT_EQ(shell.window.TitleText, lossy + " [RTF]");
    EXPECT_FALSE(shell.editor.Rich);
    const std::string text = shell.editor.Doc.Text();
    EXPECT_EQ(text.find('\\'), std::string::npos);
    const std::size_t word = text.find(W("идем"));
    ASSERT_NE(word, std::string::npos);

    shell.editor.Doc.Select(static_cast<int>(word) + 2, 1);
    shell.editor.Type(W("ё"));
    ASSERT_TRUE(shell.documents.Modified());
    shell.ui.SaveFileAnswers = { lossy };
    shell.ui.YesNoAnswers = { true }; // the usual overwrite question
    shell.documents.Saveas1Click();
    EXPECT_FALSE(shell.documents.Modified());
    TMarkupDocument expected(original, TDocumentFormat::Rtf);
    MemoryDocument edited = MemoryDocument::FromCp1251(expected.Document().Text());
    edited.Select(static_cast<int>(word) + 2, 1);
    edited.ReplaceSelection(W("ё"));
    const std::string saved = ReadWholeFile(lossy);
    EXPECT_TRUE(saved == expected.Write(edited));
    EXPECT_NE(saved, original);
    for (const char* kept : { "\\pict", "\\footnote", "\\paperw" })
        EXPECT_NE(saved.find(kept), std::string::npos) << kept;

    // Any other edit cannot go into the file: saving says so and offers the
    // editor's text as a file of its own; the document is left as it was.
    shell.editor.Doc.Select(0, 0);
    shell.editor.Type("x");
    const std::string copy = shell.dir.Path() + "/copy.txt";
    shell.ui.SaveFileAnswers = { lossy, copy };
    shell.ui.YesNoAnswers = { true, true };
    shell.documents.Saveas1Click();
    ASSERT_EQ(shell.ui.ErrorsUtf8().size(), 1u);
    EXPECT_NE(shell.ui.ErrorsUtf8()[0].find("не только в буквах «е» и «ё»"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(lossy), saved);
    EXPECT_EQ(shell.documents.Markup(), nullptr);
    EXPECT_EQ(ReadWholeFile(copy).substr(0, 3), "x" + text.substr(0, 2));
    EXPECT_EQ(shell.documents.CurrentFileName, copy);
}

} // namespace
} // namespace tildo
