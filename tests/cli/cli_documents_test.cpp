// Documents made by a real word processor, restored by the built tildo-cli and
// read back by the same word processor. LibreOffice converts headless with a
// private profile; the tests that need it are skipped where it is missing.
#include "cli_runner.h"

#include "formats/markup_document.h"
#include "formats/rtf_writer.h"
#include "formats/zip_archive.h"
#include "platform/file_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>

namespace tildo::test {
namespace {

namespace fs = std::filesystem;

// Paragraphs with letters to restore (ещё, ёлка, ёж are certain in the test
// dictionary; всё is a question and stays) and one with nothing to change.
constexpr std::u32string_view Paragraphs = U"Еще вчера у нас стояла елка, а под ней жил еж.\n"
                                           U"Все было тихо; ЕЩЕ раз: елка и еж!\n"
                                           U"Последняя строка без замен.";

bool HaveSoffice()
{
    return std::system("command -v soffice >/dev/null 2>&1") == 0;
}

// file converted by LibreOffice with filter into dir/out; the new file's path.
std::string Convert(
    const TTempDir& dir, const std::string& file, const std::string& filter, const std::string& ext)
{
    const std::string command = "cd '" + dir.Path() + "' && HOME='" + dir.Path()
        + "/home' soffice -env:UserInstallation=file://" + dir.Path()
        + "/profile --headless --norestore --convert-to '" + filter + "' --outdir '" + dir.Path() + "/out' '"
        + file + "' >>'" + dir.Path() + "/soffice.log' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return dir.Path() + "/out/" + fs::path(file).stem().string() + "." + ext;
}

// Text lines without a BOM, CRs, surrounding spaces and empty lines.
std::string Lines(std::string text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.erase(0, 3);
    std::istringstream in(text);
    std::string out;
    for (std::string line; std::getline(in, line);) {
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        const std::size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos)
            out += line.substr(first, line.find_last_not_of(" \t") - first + 1) + "\n";
    }
    return out;
}

std::size_t Count(const std::string& s, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
        ++n;
    return n;
}

// LibreOffice's RTF as restored, with each ё (Ё) written back as е (Е) and
// each mark taken away: the bytes it had before, when nothing else changed.
std::string Unrestored(const std::string& rtf)
{
    static const std::regex mark(R"(\{\\cf2 (\\u\d+\\'3f)\})");
    static const std::regex small(R"(\\u1105\\)");
    static const std::regex capital(R"(\\u1025\\)");
    const std::string unmarked = std::regex_replace(rtf, mark, "$1");
    return std::regex_replace(std::regex_replace(unmarked, small, "\\u1077\\"), capital, "\\u1045\\");
}

std::string Lower(std::string s)
{
    std::transform(
        s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

class DocumentsFromLibreOffice : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!HaveSoffice())
            return;
        s_dir = new TTempDir;
        TStyledText text;
        text.Append(std::u32string(Paragraphs), TCharFormat {});
        const std::string rtf = s_dir->Write("sample.rtf", WriteRtf(text));
        s_dictionary = TestDictionary(*s_dir);
        const std::string txt = Convert(*s_dir, rtf, "txt:Text (encoded):UTF8", "txt");
        const TCliRun plain = RunCli({ "-d", s_dictionary, "--unanswered", "keep", txt });
        EXPECT_EQ(plain.Code, 0) << plain.Err;
        s_expected = Lines(plain.Out);
        s_original = Lines(ReadFile(txt));
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    void SetUp() override
    {
        if (s_dir == nullptr)
            GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    }

    // The sample made into ext by LibreOffice, restored (marked or not) into
    // a new file.
    static std::string Restore(
        const std::string& ext, const std::string& filter, bool mark, std::string& made)
    {
        made = Convert(*s_dir, s_dir->Path() + "/sample.rtf", filter, ext);
        const std::string out = s_dir->Path() + "/restored" + (mark ? "-marked." : ".") + ext;
        std::vector<std::string> args = { "-d", s_dictionary, "--unanswered", "keep", "-o", out, made };
        if (mark)
            args.insert(args.begin(), { "--on", "Mark" });
        const TCliRun run = RunCli(args);
        EXPECT_EQ(run.Code, 0) << run.Err;
        EXPECT_NE(run.Err.find("Новых \"Ё/Е\": 6/0"), std::string::npos) << run.Err;
        return out;
    }

    // Every member but the one holding the text is stored exactly as before.
    static void ExpectOtherMembersKept(
        const std::string& was, const std::string& now, const std::string& text)
    {
        const std::string wasBytes = ReadFile(was);
        const std::string nowBytes = ReadFile(now);
        const TZipArchive before(wasBytes);
        const TZipArchive after(nowBytes);
        ASSERT_EQ(after.Count(), before.Count());
        for (int i = 0; i < before.Count(); ++i) {
            if (before.Name(i) == text) {
                EXPECT_EQ(after.Name(i), text);
                EXPECT_NE(after.Read(i), before.Read(i));
            } else {
                EXPECT_EQ(after.Info(i), before.Info(i)) << before.Name(i);
            }
        }
    }

    static TTempDir* s_dir;
    static std::string s_dictionary;
    static std::string s_expected;
    static std::string s_original;
};

TTempDir* DocumentsFromLibreOffice::s_dir = nullptr;
std::string DocumentsFromLibreOffice::s_dictionary;
std::string DocumentsFromLibreOffice::s_expected;
std::string DocumentsFromLibreOffice::s_original;

TEST_F(DocumentsFromLibreOffice, RestoredAsThePlainTextAndReadBackWithTheMarks)
{
    ASSERT_NE(s_expected, s_original);
    struct TCase
    {
        std::string Ext, Filter, TextMember;
    };
    const TCase cases[] = {
        { "docx", "docx:MS Word 2007 XML", "word/document.xml" },
        { "odt", "odt", "content.xml" },
        { "html", "html:HTML (StarWriter)", "" },
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Ext);
        std::string made;
        const std::string restored = Restore(c.Ext, c.Filter, false, made);
        EXPECT_EQ(Lines(ReadFile(Convert(*s_dir, restored, "txt:Text (encoded):UTF8", "txt"))), s_expected);
        if (!c.TextMember.empty())
            ExpectOtherMembersKept(made, restored, c.TextMember);

        const std::string marked = Restore(c.Ext, c.Filter, true, made);
        const std::string asHtml = Lower(ReadFile(Convert(*s_dir, marked, "html:HTML (StarWriter)", "html")));
        EXPECT_NE(asHtml.find("0000ff"), std::string::npos);
        EXPECT_EQ(Lines(ReadFile(Convert(*s_dir, marked, "txt:Text (encoded):UTF8", "txt"))), s_expected);
    }

    // LibreOffice writes EPUB but does not read it: the book's running text is
    // read back by the program itself (the pages first, then the table of
    // contents and the book's title).
    std::string made;
    const std::string book = Restore("epub", "epub", true, made);
    ExpectOtherMembersKept(made, book, "OEBPS/sections/section0001.xhtml");
    const TMarkupDocument restored(ReadFile(book), TDocumentFormat::Epub);
    EXPECT_TRUE(Lines(restored.Text()).starts_with(s_expected)) << restored.Text();
}

TEST(CliDocuments, FormatByExtensionOrOptionAndRefusedDocuments)
{
    TTempDir dir;
    const std::string dic = TestDictionary(dir);
    const std::string docx = ReadFile(std::string(TILDO_TEST_DATA_DIR) + "/split_runs.docx");

    // A .docx that is text, or a zip without the document: exit 3, nothing written.
    const std::string fake = dir.Write("fake.docx", "Еще елка");
    const std::string out = dir.Path() + "/out.docx";
    TCliRun run = RunCli({ "-d", dic, "-o", out, fake });
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("не архив zip"), std::string::npos) << run.Err;
    EXPECT_FALSE(fs::exists(out));
    const std::string odtAsDocx
        = dir.Write("book.docx", ReadFile(std::string(TILDO_TEST_DATA_DIR) + "/minimal.odt"));
    run = RunCli({ "-d", dic, "-i", odtAsDocx });
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("нет word/document.xml"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadFile(odtAsDocx), ReadFile(std::string(TILDO_TEST_DATA_DIR) + "/minimal.odt"));
    run = RunCli({ "-d", dic, "--format", "odt", dir.Write("a.docx", docx) });
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("нет content.xml"), std::string::npos) << run.Err;
    run = RunCli({ "-d", dic, "--format", "pdf", fake });
    EXPECT_EQ(run.Code, 2);

    // --format for standard input and against the extension; -i and --check.
    run = RunCli({ "-d", dic, "--format", "md", "-" }, "Еще `еще` елка\n");
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, "Ещё `еще` ёлка\n");
    run = RunCli(
        { "-d", dic, "--format", "srt", dir.Write("cues.txt", "1\n00:00:01,000 --> 00:00:02,000\nеж\n") });
    EXPECT_EQ(run.Out, "1\n00:00:01,000 --> 00:00:02,000\nёж\n");
    const std::string inPlace = dir.Write("doc.docx", docx);
    EXPECT_EQ(RunCli({ "-d", dic, "--check", inPlace }).Code, 1);
    run = RunCli({ "-d", dic, "-i", inPlace });
    EXPECT_EQ(run.Code, 0) << run.Err;
    const TMarkupDocument restored(ReadFile(inPlace), TDocumentFormat::Docx);
    EXPECT_EQ(restored.Text(), "Мы идем вперед, а \tее\nЁлка & ёж\nЕщё раз\n");

    // find reports lines and columns of the running text.
    run = RunCli({ "find", "Ёлка", inPlace });
    EXPECT_EQ(run.Out, "2:1:Ёлка\n");
}

TEST(CliDocuments, RichTextFromLibreOfficeKeepsEverythingButItsLetters)
{
    if (!HaveSoffice())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    TTempDir dir;
    const std::string dic = TestDictionary(dir);
    const std::string made
        = Convert(dir, std::string(TILDO_TEST_DATA_DIR) + "/notes_and_picture.fodt", "rtf", "rtf");
    const std::string original = ReadFile(made);
    for (const char* part : { "\\pngblip", "{\\*\\footnote", "{\\header", "{\\footer", "HYPERLINK",
             "\\paperw", "\\qc", "{\\info" })
        ASSERT_NE(original.find(part), std::string::npos) << part;

    // In place, unmarked: only the letters' numbers change.
    const std::string plain = dir.Write("plain.rtf", original);
    TCliRun run = RunCli({ "-d", dic, "--unanswered", "keep", "--off", "Mark", "-i", plain });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_NE(run.Err.find("Новых \"Ё/Е\": 11/0"), std::string::npos) << run.Err;
    const std::string restored = ReadFile(plain);
    EXPECT_EQ(restored.size(), original.size());
    EXPECT_EQ(Unrestored(restored), original);
    EXPECT_EQ(Count(restored, "\\u1105\\'3f") + Count(restored, "\\u1025\\'3f"), 11u);

    // Marked: the document's own blue (colour 2) around each letter, the
    // colour table as it was.
    const std::string marked = dir.Path() + "/marked.rtf";
    run = RunCli({ "-d", dic, "--unanswered", "keep", "--on", "Mark", "-o", marked, made });
    EXPECT_EQ(run.Code, 0) << run.Err;
    const std::string markedBytes = ReadFile(marked);
    EXPECT_EQ(Count(markedBytes, "{\\cf2 \\u"), 11u);
    EXPECT_EQ(Unrestored(markedBytes), original);

    // LibreOffice reads ё in the body, the header and footer, the footnote and
    // the link's text, with the picture, the link and the page as they were.
    const std::string flat = ReadFile(Convert(dir, plain, "fodt", "fodt"));
    for (const char* text : { "Ещё заголовок страницы", "Ёлка внизу", "ещё раз про ежа.", "ёлка и ёж",
             "ЕЩЁ раз: ёлка и ёж!", "draw:image", "xlink:href=\"https://example.org/",
             "fo:text-align=\"center\"", "fo:page-width=\"5.8272in\"" })
        EXPECT_NE(flat.find(text), std::string::npos) << text;
    const std::string flatMarked = Lower(ReadFile(Convert(dir, marked, "fodt", "fodt")));
    EXPECT_NE(flatMarked.find("fo:color=\"#0000ff\""), std::string::npos);
}

TEST(CliDocuments, RichTextWithABigPictureKeepsItsBytes)
{
    TTempDir dir;
    const std::string dic = TestDictionary(dir);
    std::string picture(2'000'000, '0');
    for (std::size_t i = 0; i < picture.size(); ++i)
        picture[i] = "0123456789abcdef"[(i * 7 + i / 13) % 16];
    // Binary data with braces, backslashes and bytes that would be е and Е.
    std::string binary(100'000, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i)
        binary[i] = "{}\\\xE5\xC5\0e"[i % 7];
    const std::string head = "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0 ";
    const std::string rest = " {\\pict\\pngblip\\picw10\\pich10 " + picture + "}{\\*\\blob\\bin"
        + std::to_string(binary.size()) + " " + binary + "} ";
    const std::string original = head + W("Еще") + rest + W("елка") + "\\par}";
    const std::string expected = head + W("Ещё") + rest + W("ёлка") + "\\par}";

    const std::string file = dir.Write("big.rtf", original);
    TCliRun run = RunCli({ "-d", dic, "--off", "Mark", "-i", file });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_TRUE(ReadFile(file) == expected) << "restored RTF differs beyond its two letters";
    run = RunCli({ "-d", dic, "--off", "Mark", "-" }, original);
    EXPECT_TRUE(run.Out == expected) << "standard input";

    // Marked: two groups and one colour table more.
    run = RunCli({ "-d", dic, "--on", "Mark", "-" }, original);
    const std::string table = "{\\colortbl;\\red0\\green0\\blue255;}";
    EXPECT_TRUE(run.Out
        == head.substr(0, head.size() - 4) + table + "\\f0 " + W("Ещ") + "{\\cf1 " + W("ё") + "}" + rest
            + "{\\cf1 " + W("ё") + "}" + W("лка") + "\\par}");
}

} // namespace
} // namespace tildo::test
