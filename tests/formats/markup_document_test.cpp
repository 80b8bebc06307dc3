// Documents whose running text lies in markup or archives: what the engine sees
// and what is written back when letters change.
#include "formats/markup_document.h"
#include "formats/zip_archive.h"
#include "markup_edits.h"
#include "platform/file_io.h"
#include "text/cp1251.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tildo {
namespace {

std::string TestData(const std::string& name)
{
    return ReadWholeFile(std::string(TILDO_TEST_DATA_DIR) + "/" + name);
}

std::string Utf8(const MemoryDocument& doc)
{
    return Cp1251ToUtf8(doc.TextRef());
}

using test::AllYo;

// Changes the one letter at offset.
MemoryDocument WithLetter(const TMarkupDocument& doc, int offset, char cp1251, bool marked)
{
    MemoryDocument edited = doc.Document();
    edited.Select(offset, 1);
    edited.ReplaceSelection(std::string(1, cp1251));
    edited.Select(offset, 1);
    if (marked)
        edited.SetSelectionColour(ColourBlue);
    return edited;
}

std::string ErrorOf(const std::string& bytes, TDocumentFormat format)
{
    try {
        TMarkupDocument doc(bytes, format);
    } catch (const EDocumentError& e) {
        return e.what();
    }
    return "no error";
}

std::size_t Count(const std::string& s, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
        ++n;
    return n;
}

TEST(MarkupDocument, WebPageChangesTextNodesOnlyAndKeepsReferencesAsWritten)
{
    const std::string page = "<!DOCTYPE html><html><head><title>еще</title><style>p.еще{}</style></head>"
                             "<body><p title=\"еще\">Еще &#1077;ж &#x435;ж &iecy;ж &amp; <b>ел</b>ка"
                             "<script>var s = \"<p>еще\";</script></p><pre>еще</pre><code>еще</code>"
                             "<!-- еще --><p>a < еще</p></body></html>";
    const TMarkupDocument doc(page, TDocumentFormat::Html);
    EXPECT_NE(doc.Text().find("Еще еж еж еж & елка\n"), std::string::npos) << doc.Text();
    EXPECT_EQ(doc.Write(doc.Document()), page);

    EXPECT_EQ(doc.Write(AllYo(doc, false)),
        "<!DOCTYPE html><html><head><title>ёщё</title><style>p.еще{}</style></head>"
        "<body><p title=\"еще\">Ёщё &#1105;ж &#x451;ж &iocy;ж &amp; <b>ёл</b>ка"
        "<script>var s = \"<p>еще\";</script></p><pre>еще</pre><code>еще</code>"
        "<!-- еще --><p>a < ёщё</p></body></html>");

    const std::string marked = doc.Write(AllYo(doc, true));
    EXPECT_NE(marked.find("<style type=\"text/css\">.tildo-mark-0000ff { color: #0000ff }</style></head>"),
        std::string::npos);
    EXPECT_NE(marked.find("<span class=\"tildo-mark-0000ff\">&#1105;</span>ж"), std::string::npos) << marked;
    EXPECT_EQ(Count(marked, "<span class=\"tildo-mark-0000ff\">"), 8u);
    const TMarkupDocument again(marked, TDocumentFormat::Html);
    EXPECT_EQ(Utf8(again.Document()), Utf8(AllYo(doc, false)));

    // Written out piece by piece: the same bytes, the style rule (a patch
    // the format adds last) merged in before the body; unchanged, the page
    // as it was.
    std::string pieces;
    const auto collect = [&pieces](std::string_view piece) { pieces += piece; };
    EXPECT_TRUE(doc.WriteTo(AllYo(doc, true), collect));
    EXPECT_EQ(pieces, marked);
    pieces.clear();
    EXPECT_FALSE(doc.WriteTo(doc.Document(), collect));
    EXPECT_EQ(pieces, page);

    // A page without a head carries the colour in each span; a CP1251 page
    // gets its letters in CP1251.
    const TMarkupDocument bare("<p>\xE5\xF9\xE5</p>", TDocumentFormat::Html);
    EXPECT_EQ(bare.Write(AllYo(bare, false)), "<p>\xB8\xF9\xB8</p>");
    EXPECT_EQ(bare.Write(AllYo(bare, true, 2)),
        "<p>\xE5\xF9<span class=\"tildo-mark-0000ff\" style=\"color:#0000ff\">\xB8</span></p>");
}

TEST(MarkupDocument, MarkdownSkipsCodeLinkTargetsAndTags)
{
    const std::string text
        = "# Еще раз\r\n\r\n"
          "Текст `еще` и ``a ` еще`` [еще](http://x/еще \"еще\") еще <span title=\"еще\">еж</span>.\n"
          "[id]: http://x/еще\n\n"
          "```python\nеще = 1\n```\n\n"
          "    еще в коде\n\n"
          "~~~~\nеще\n~~~\nеще\n~~~~\n"
          "еж <!-- еще\nеще\n--> еж\n"
          "Конец: еще";
    const TMarkupDocument doc(text, TDocumentFormat::Markdown);
    EXPECT_EQ(doc.Write(AllYo(doc, true)),
        "# Ёщё раз\r\n\r\n"
        "Тёкст `еще` и ``a ` еще`` [ёщё](http://x/еще \"еще\") ёщё <span title=\"еще\">ёж</span>.\n"
        "[id]: http://x/еще\n\n"
        "```python\nеще = 1\n```\n\n"
        "    еще в коде\n\n"
        "~~~~\nеще\n~~~\nеще\n~~~~\n"
        "ёж <!-- еще\nеще\n--> еж\n"
        "Конёц: ёщё");

    // Addresses, paths and TeX keep their letters, in Markdown as in a page;
    // dollars of prices are prose.
    const std::string addresses
        = "Статья https://ru.wikipedia.org/wiki/Королев, почта ее@пример.рф (и www.ель.рф), "
          "файл /home/елка/еще.txt и C:\\Елка\\еще; $x_{ее}$ и $$еще$$, а $5 и еще $10.";
    const std::string withYo
        = "Статья https://ru.wikipedia.org/wiki/Королев, почта ее@пример.рф (и www.ель.рф), "
          "файл /home/елка/еще.txt и C:\\Елка\\еще; $x_{ее}$ и $$еще$$, а $5 и ёщё $10.";
    const TMarkupDocument markdown(addresses, TDocumentFormat::Markdown);
    EXPECT_EQ(markdown.Write(AllYo(markdown, false)), withYo);
    const TMarkupDocument escaped("Звездочка еще\\* и \\\\сервер\\еще", TDocumentFormat::Markdown);
    EXPECT_EQ(escaped.Write(AllYo(escaped, false)), "Звёздочка ёщё\\* и \\\\сервер\\еще");
    const TMarkupDocument page("<p>" + addresses + "</p>", TDocumentFormat::Html);
    EXPECT_EQ(page.Write(AllYo(page, false)),
        "<p>" + withYo.substr(0, withYo.find("$x")) + "$x_{ёё}$ и $$ёщё$$, а $5 и ёщё $10.</p>");
}

TEST(MarkupDocument, SubtitlesChangeCueTextOnly)
{
    const std::string srt = "1\r\n00:00:01,000 --> 00:00:02,000\r\n<i>Еще</i> {\\an8}елка\r\nеж\r\n\r\n"
                            "2\r\n00:00:03,000 --> 00:00:04,000\r\nеще\r\n";
    const TMarkupDocument subtitles(srt, TDocumentFormat::Srt);
    EXPECT_EQ(subtitles.Text(), "Еще елка\nеж\nеще\n");
    EXPECT_EQ(subtitles.Write(AllYo(subtitles, false)),
        "1\r\n00:00:01,000 --> 00:00:02,000\r\n<i>Ёщё</i> {\\an8}ёлка\r\nёж\r\n\r\n"
        "2\r\n00:00:03,000 --> 00:00:04,000\r\nёщё\r\n");

    const std::string vtt = "WEBVTT еще\n\nNOTE еще\nи еще\n\nSTYLE\n::cue { content: \"еще\" }\n\n"
                            "ел-1\n00:01.000 --> 00:02.000 align:start\nЕще &amp; <c.еж>еж</c>\n";
    const TMarkupDocument cues(vtt, TDocumentFormat::Vtt);
    EXPECT_EQ(cues.Write(AllYo(cues, false)),
        "WEBVTT еще\n\nNOTE еще\nи еще\n\nSTYLE\n::cue { content: \"еще\" }\n\n"
        "ел-1\n00:01.000 --> 00:02.000 align:start\nЁщё &amp; <c.еж>ёж</c>\n");
}

TEST(MarkupDocument, DocxWordSplitOverRunsIsChangedInItsOwnRun)
{
    const std::string bytes = TestData("split_runs.docx");
    const TMarkupDocument doc(bytes, TDocumentFormat::Docx);
    EXPECT_EQ(doc.Text(), "Мы идем вперед, а \tее\nЕлка & еж\nЕще раз\n");

    // The е of "вперед" opens the bold red run; marked, it gets a blue run of
    // its own between the halves of that run.
    MemoryDocument edited = WithLetter(doc, 12, '\xB8', true);
    edited.Select(19, 1);
    edited.ReplaceSelection("\xB8");
    edited.Select(34, 1);
    edited.ReplaceSelection("\xB8");
    const std::string written = doc.Write(edited);
    const TMarkupDocument again(written, TDocumentFormat::Docx);
    EXPECT_EQ(again.Text(), "Мы идем вперёд, а \tёе\nЕлка & еж\nЕщё раз\n");

    const TZipArchive before(bytes);
    const TZipArchive after(written);
    ASSERT_EQ(after.Count(), before.Count());
    EXPECT_NE(
        after.Read(after.Find("word/document.xml"))
            .find("<w:t xml:space=\"preserve\">Мы идем впер</w:t></w:r><w:r w:rsidR=\"00A1\"><w:rPr><w:b/>"
                  "<w:color w:val=\"FF0000\"/><w:sz w:val=\"28\"/></w:rPr><w:t "
                  "xml:space=\"preserve\"></w:t></w:r>"
                  "<w:r><w:rPr><w:b/><w:color w:val=\"0000ff\"/><w:sz w:val=\"28\"/></w:rPr>"
                  "<w:t xml:space=\"preserve\">ё</w:t></w:r><w:r w:rsidR=\"00A1\"><w:rPr><w:b/>"
                  "<w:color w:val=\"FF0000\"/><w:sz w:val=\"28\"/></w:rPr><w:t xml:space=\"preserve\">д, а "
                  "</w:t>"
                  "<w:tab/><w:t>ёе</w:t></w:r></w:p>"),
        std::string::npos);
    for (int i = 0; i < before.Count(); ++i) {
        const TZipMemberInfo was = before.Info(i);
        const TZipMemberInfo now = after.Info(i);
        EXPECT_EQ(now.Name, was.Name);
        EXPECT_EQ(now.Method, was.Method) << was.Name;
        if (was.Name != "word/document.xml" && was.Name != "word/header1.xml") {
            EXPECT_EQ(now, was) << was.Name;
        }
    }
    EXPECT_EQ(doc.Write(doc.Document()), bytes);

    // Letters without marks are written over the member's own bytes while the
    // archive is packed, and put back: the document writes again as before,
    // and another edit finds its old letters.
    const std::string unmarked = doc.Write(AllYo(doc, false));
    EXPECT_EQ(TMarkupDocument(unmarked, TDocumentFormat::Docx).Text(),
        "Мы идём впёрёд, а \tёё\nЁлка & ёж\nЁщё раз\n");
    EXPECT_EQ(doc.Write(AllYo(doc, false)), unmarked);
    EXPECT_EQ(doc.Write(doc.Document()), bytes);
    const std::string one = doc.Write(WithLetter(doc, 12, '\xB8', false));
    EXPECT_EQ(
        TMarkupDocument(one, TDocumentFormat::Docx).Text(), "Мы идем вперёд, а \tее\nЕлка & еж\nЕще раз\n");

    // Text inside run properties that are still open: the letter changes
    // without a mark, as the run cannot be split there.
    const std::string odd = before.WithReplaced({ { before.Find("word/document.xml"),
        "<w:document xmlns:w=\"urn:w\"><w:p><w:r><w:rPr><w:t>еще</w:t></w:rPr></w:r></w:p></w:document>" } });
    const TMarkupDocument oddDoc(odd, TDocumentFormat::Docx);
    const TMarkupDocument oddAgain(oddDoc.Write(AllYo(oddDoc, true)), TDocumentFormat::Docx);
    EXPECT_EQ(Utf8(oddAgain.Document()), Utf8(AllYo(oddDoc, false)));

    // ZIP64 sizes in a local header are rewritten with the member.
    const TMarkupDocument zip64(TestData("zip64_local.docx"), TDocumentFormat::Docx);
    const std::string zip64Written = zip64.Write(AllYo(zip64, false));
    const TZipMemberInfo info = TZipArchive(zip64Written).Info(0);
    const auto get64 = [&](std::size_t at) {
        unsigned long long v = 0;
        for (int i = 7; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(zip64Written[at + static_cast<std::size_t>(i)]);
        return v;
    };
    const std::size_t extra = 30 + info.Name.size();
    ASSERT_EQ(zip64Written.substr(extra, 2), std::string("\x01\x00", 2));
    EXPECT_EQ(get64(extra + 4), info.Size);
    EXPECT_EQ(get64(extra + 12), info.CompressedSize);
    EXPECT_NE(TZipArchive(zip64Written).Read(0).find("Ёщё ёлка"), std::string::npos);
}

// How far the resident memory of a child process running work rose above
// what it started with, in KB; -1 when the child failed.
long PeakGrowthKb(const std::function<void()>& work)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        long pages = 0;
        long resident = 0;
        if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
                resident = 0;
            std::fclose(statm);
        }
        try {
            work();
        } catch (...) {
            ::_exit(1);
        }
        rusage usage {};
        ::getrusage(RUSAGE_SELF, &usage);
        const long growth = usage.ru_maxrss - resident * (::sysconf(_SC_PAGESIZE) / 1024);
        const bool sent = ::write(channel[1], &growth, sizeof growth) == sizeof growth;
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    long growth = -1;
    if (::read(channel[0], &growth, sizeof growth) != sizeof growth)
        growth = -1;
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? growth : -1;
}

TEST(MarkupDocument, ALargeMemberIsHeldOnceMarkedOrNot)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer keeps freed memory";
#endif
    // Paragraphs of runs as a word processor writes them, one ё to restore in
    // each: the member is read, the text mapped and the member written back
    // with its letters, marked or not, in about twice its size and a few MB
    // for the text (a marked member grows where it lies rather than being
    // copied).
    const std::string run = "<w:r><w:rPr><w:rFonts w:ascii=\"Times New Roman\" w:hAnsi=\"Times New Roman\"/>"
                            "<w:sz w:val=\"28\"/></w:rPr><w:t xml:space=\"preserve\">";
    std::string paragraph = "<w:p w:rsidR=\"00A1B2C3\"><w:pPr><w:spacing w:after=\"120\"/></w:pPr>" + run
        + "Елка: мы шли по саду. </w:t></w:r>";
    for (int i = 0; i < 12; ++i)
        paragraph += run + "мы шли по саду и пили чай у дома, и было тихо. </w:t></w:r>";
    paragraph += "</w:p>";
    std::string document
        = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document "
          "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>";
    while (document.size() < (std::size_t(16) << 20))
        document += paragraph;
    document += "</w:body></w:document>";
    const long memberKb = static_cast<long>(document.size() >> 10);
    const std::string smallBytes = TestData("split_runs.docx");
    const TZipArchive small(smallBytes);
    const std::string bytes = small.WithReplaced({ { small.Find("word/document.xml"), document } });
    document = {};
    for (const bool marked : { false, true }) {
        const long growth = PeakGrowthKb([&] {
            const TMarkupDocument doc(bytes, TDocumentFormat::Docx);
            MemoryDocument edited = doc.Document();
            for (int i = 0; i < edited.Length(); ++i) {
                if (edited.TextRef()[static_cast<std::size_t>(i)] != '\xC5')
                    continue;
                edited.Select(i, 1);
                edited.ReplaceSelection("\xA8");
                edited.Select(i, 1);
                if (marked)
                    edited.SetSelectionColour(ColourBlue);
            }
            const std::string written = doc.Write(edited);
            if (written.size() < bytes.size() / 2)
                ::_exit(2);
        });
        EXPECT_GT(growth, memberKb / 2) << "marked " << marked;
        EXPECT_LT(growth, 2 * memberKb + 12 * 1024)
            << "marked " << marked << "; member of " << memberKb << " KB";
    }
}

TEST(MarkupDocument, OdtAndEpubMarksComeWithTheirStyles)
{
    const std::string odtBytes = TestData("minimal.odt");
    const TMarkupDocument odt(odtBytes, TDocumentFormat::Odt);
    EXPECT_EQ(odt.Text(), "Мы идем вперед,  еще\nЕлка\n");
    const std::string odtWritten = odt.Write(AllYo(odt, true));
    const TZipArchive odtZip(odtWritten);
    EXPECT_EQ(odtZip.Info(0), TZipArchive(odtBytes).Info(0)); // mimetype: first and stored
    const std::string content = odtZip.Read(odtZip.Find("content.xml"));
    EXPECT_NE(content.find("<office:automatic-styles><style:style style:name=\"TildoMark0000ff\" "
                           "style:family=\"text\"><style:text-properties fo:color=\"#0000ff\"/></style:style>"
                           "</office:automatic-styles>"),
        std::string::npos)
        << content;
    EXPECT_NE(content.find("р<text:span>"
                           "<text:span text:style-name=\"TildoMark0000ff\">ё</text:span>д</text:span>"),
        std::string::npos)
        << content;
    EXPECT_EQ(Utf8(TMarkupDocument(odtWritten, TDocumentFormat::Odt).Document()), Utf8(AllYo(odt, false)));

    const TMarkupDocument epub(TestData("minimal.epub"), TDocumentFormat::Epub);
    EXPECT_EQ(epub.Text(), "еще\nМы идем вперед,  еще.\n");
    const std::string epubWritten = epub.Write(AllYo(epub, true));
    const TZipArchive epubZip(epubWritten);
    const std::string page = epubZip.Read(epubZip.Find("OEBPS/text/one part.xhtml"));
    EXPECT_NE(page.find("<title>ёщё</title><style type=\"text/css\">.tildo-mark-0000ff"), std::string::npos);
    EXPECT_NE(page.find("<code>еще</code> <span class=\"tildo-mark-0000ff\">ё</span>щ"
                        "<span class=\"tildo-mark-0000ff\">ё</span>."),
        std::string::npos)
        << page;
    EXPECT_EQ(Utf8(TMarkupDocument(epubWritten, TDocumentFormat::Epub).Document()), Utf8(AllYo(epub, false)));
}

// The text of member name of an archive.
std::string MemberOf(const std::string& archive, const std::string& name)
{
    const TZipArchive zip(archive);
    return zip.Read(zip.Find(name));
}

// LibreOffice cuts a link's text into runs where its formatting changes: the
// address is found over the runs, and a field's instruction is never text.
TEST(MarkupDocument, AddressesSplitOverRunsStayAsWritten)
{
    const std::string source = TestData("libreoffice_links.docx");
    const TMarkupDocument docx(source, TDocumentFormat::Docx);
    // The engine sees the address whole, so it can leave its words alone.
    EXPECT_NE(docx.Text().find("Ссылка https://ru.wikipedia.org/wiki/Королев о Королев."), std::string::npos)
        << docx.Text();
    const std::string written = MemberOf(docx.Write(AllYo(docx, true)), "word/document.xml");
    for (const char* kept : { "<w:t>Коро</w:t>", "<w:t>лев</w:t>", "<w:t>елка.рф, почта ее@</w:t>",
             "<w:t>пример</w:t>", "<w:t>.рф, файл /home/</w:t>", "<w:t>елка</w:t>" })
        EXPECT_NE(written.find(kept), std::string::npos) << kept;
    // Only the words outside the addresses take a letter, each in a run of its own.
    EXPECT_EQ(Count(written, "<w:color w:val=\"0000ff\"/>"), 4u) << written;
    EXPECT_NE(written.find(">/еще.txt; </w:t></w:r><w:r><w:rPr><w:color"), std::string::npos) << written;

    // The same text flat, as LibreOffice keeps it.
    const TMarkupDocument flat(TestData("libreoffice_links.fodt"), TDocumentFormat::Fodt);
    const std::string flatWritten = flat.Write(AllYo(flat, false));
    EXPECT_NE(
        flatWritten.find("wiki/<text:span text:style-name=\"T1\">Коро</text:span>лев</text:a> о Королёв."),
        std::string::npos);
    EXPECT_NE(flatWritten.find("ее@<text:span text:style-name=\"T1\">пример</text:span>.рф, файл "
                               "/home/<text:span text:style-name=\"T1\">елка</text:span>/еще.txt; ёщё ёлка."),
        std::string::npos)
        << flatWritten;

    // A link as a field: its instruction stays, its shown text is prose.
    const TZipArchive zip(source);
    std::string document = zip.Read(zip.Find("word/document.xml"));
    document.insert(document.find("<w:sectPr>"),
        "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText xml:space=\"preserve\"> "
        "HYPERLINK \"https://ru.wikipedia.org/wiki/Королев\" </w:instrText></w:r><w:r><w:fldChar "
        "w:fldCharType=\"separate\"/></w:r><w:r><w:t>Еще о Королеве</w:t></w:r><w:r><w:fldChar "
        "w:fldCharType=\"end\"/></w:r></w:p>");
    const std::string withField = zip.WithReplaced({ { zip.Find("word/document.xml"), document } });
    const TMarkupDocument field(withField, TDocumentFormat::Docx);
    const std::string fieldWritten = MemberOf(field.Write(AllYo(field, false)), "word/document.xml");
    EXPECT_NE(fieldWritten.find("HYPERLINK \"https://ru.wikipedia.org/wiki/Королев\""), std::string::npos);
    EXPECT_NE(fieldWritten.find("<w:t>Ёщё о Королёвё</w:t>"), std::string::npos);
}

TEST(MarkupDocument, MarksStandOnlyWhereReadersKeepThem)
{
    // Fields, a reference, a placeholder and a picture's title and description
    // in a document LibreOffice wrote: their letters change without a span,
    // which LibreOffice would drop with its text.
    const TMarkupDocument odt(TestData("libreoffice_fields.odt"), TDocumentFormat::Odt);
    EXPECT_NE(odt.Text().find("Картинка \nелка зеленая\nеще одна елка\n конец."), std::string::npos)
        << odt.Text();
    const std::string odtWritten = odt.Write(AllYo(odt, true));
    const std::string content = MemberOf(odtWritten, "content.xml");
    for (const char* plain :
        { "<text:text-input text:description=\"поле\">чёрный кот пришёл</text:text-input>",
            "<text:variable-set text:name=\"кот\" office:value-type=\"string\">ёщё нашёл</text:variable-set>",
            ">тёплый</text:user-field-get>", ">зёлёный</text:bookmark-ref>",
            ">&lt;пришёл&gt;</text:placeholder>", "<svg:title>ёлка зёлёная</svg:title>",
            "<svg:desc>ёщё одна ёлка</svg:desc>",
            // the value LibreOffice shows for the user field changes with it,
            // other attributes stay as they are
            "office:string-value=\"тёплый\"", "text:description=\"подсказка\"" })
        EXPECT_NE(content.find(plain), std::string::npos) << plain;
    EXPECT_NE(content.find("Обычный т<text:span text:style-name=\"TildoMark0000ff\">ё</text:span>кст"),
        std::string::npos);
    EXPECT_EQ(Utf8(TMarkupDocument(odtWritten, TDocumentFormat::Odt).Document()), Utf8(AllYo(odt, false)));

    // MathML and inline SVG in a page and a book pandoc wrote.
    const TMarkupDocument html(TestData("pandoc_drawing.html"), TDocumentFormat::Html);
    const std::string page = html.Write(AllYo(html, true));
    const TMarkupDocument epub(TestData("pandoc_drawing.epub"), TDocumentFormat::Epub);
    const std::string chapter = MemberOf(epub.Write(AllYo(epub, true)), "EPUB/text/ch001.xhtml");
    for (const std::string& written : { page, chapter }) {
        EXPECT_NE(written.find("<mtext mathvariant=\"normal\">ёщё</mtext>"), std::string::npos) << written;
        EXPECT_NE(written.find("<text x=\"0\" y=\"15\">ёщё</text>"), std::string::npos) << written;
        EXPECT_NE(written.find("Кон<span class=\"tildo-mark-0000ff\">ё</span>ц"), std::string::npos);
        EXPECT_NE(written.find("<title>\nелка зеленая\n</title>"), std::string::npos);
    }
    EXPECT_EQ(Utf8(TMarkupDocument(page, TDocumentFormat::Html).Document()), Utf8(AllYo(html, false)));
}

TEST(MarkupDocument, FictionBookAndFlatOdtChangeTheirTextOnly)
{
    // A book pandoc wrote, its picture named as a reader names it.
    std::string book = TestData("pandoc_book.fb2");
    for (std::size_t at = book.find("image1"); at != std::string::npos; at = book.find("image1", at))
        book.replace(at, 6, "елка.png");
    const TMarkupDocument fb2(book, TDocumentFormat::Fb2);
    EXPECT_NE(fb2.Text().find("Мы идем вперед, а еще и елка еж."), std::string::npos) << fb2.Text();
    const std::string written = fb2.Write(AllYo(fb2, false));
    for (const char* kept : { "l:href=\"#елка.png\"", "<binary id=\"елка.png\"", "alt=\"Зеленая елка\"",
             "l:href=\"https://ru.wikipedia.org/wiki/Ель#елка\"", "<code>еще в коде</code>",
             "id=\"глава-первая\"", "<last-name>Семенов</last-name>" })
        EXPECT_NE(written.find(kept), std::string::npos) << kept;
    for (const char* changed : { "<book-title>Ёщё одна ёлка</book-title>", "<strong>ёщ</strong>ё",
             "<emphasis>ёл</emphasis>ка ёж.", "статью о ёлкё", "Примёчаниё: ёщё раз" })
        EXPECT_NE(written.find(changed), std::string::npos) << changed;
    EXPECT_EQ(Utf8(TMarkupDocument(written, TDocumentFormat::Fb2).Document()), Utf8(AllYo(fb2, false)));
    EXPECT_EQ(DocumentFormatOf("Книга.FB2"), TDocumentFormat::Fb2);

    // The same book zipped: the book inside changes, and nothing else.
    EXPECT_EQ(DocumentFormatOf("/books/book.fb2.zip"), TDocumentFormat::Fb2);
    const TMarkupDocument inZip(TestData("pandoc_book.fb2.zip"), TDocumentFormat::Fb2);
    EXPECT_EQ(inZip.Text(), TMarkupDocument(TestData("pandoc_book.fb2"), TDocumentFormat::Fb2).Text());
    EXPECT_NE(
        MemberOf(inZip.Write(AllYo(inZip, false)), "pandoc_book.fb2").find("<emphasis>ёл</emphasis>ка ёж."),
        std::string::npos);

    // A CP1251 book gets its letters in CP1251.
    const TMarkupDocument cp(
        "<?xml version=\"1.0\" encoding=\"windows-1251\"?><FictionBook><body><p>\xE5\xF9\xE5"
        "</p></body></FictionBook>",
        TDocumentFormat::Fb2);
    EXPECT_NE(cp.Write(AllYo(cp, false)).find("<p>\xB8\xF9\xB8</p>"), std::string::npos);

    // LibreOffice's flat file: the body as in an ODT, but tracked deletions,
    // comments' authors and fields' attributes stay.
    const std::string flat = TestData("libreoffice_flat.fodt");
    const TMarkupDocument fodt(flat, TDocumentFormat::Fodt);
    EXPECT_EQ(DocumentFormatOf("a.fodt"), TDocumentFormat::Fodt);
    const std::string flatWritten = fodt.Write(AllYo(fodt, true));
    EXPECT_NE(flatWritten.find("чёрный кот пришёл</text:text-input>"), std::string::npos);
    EXPECT_NE(flatWritten.find("<text:span text:style-name=\"TildoMark0000ff\">ё</text:span> вставка"),
        std::string::npos);
    EXPECT_NE(flatWritten.find(">удаленное еще<"), std::string::npos);
    EXPECT_EQ(Count(flatWritten, "Петр Семенов"), Count(flat, "Петр Семенов"));
    EXPECT_NE(flatWritten.find(
                  "<style:text-properties fo:color=\"#0000ff\"/></style:style></office:automatic-styles>"),
        std::string::npos);
}

TEST(MarkupDocument, CommentsTitlesSoftHyphensAndWordsAcrossMarkupAreRead)
{
    // Comments and titles as LibreOffice writes them in DOCX and ODT: their
    // text is read, a comment's author is not, and titles take no marks.
    const TMarkupDocument docx(TestData("libreoffice_fields.docx"), TDocumentFormat::Docx);
    EXPECT_NE(docx.Text().find("еще мысль"), std::string::npos) << docx.Text();
    const std::string docxWritten = docx.Write(AllYo(docx, true));
    const std::string comments = MemberOf(docxWritten, "word/comments.xml");
    EXPECT_NE(comments.find("<w:color w:val=\"0000ff\"/>"), std::string::npos) << comments;
    EXPECT_NE(
        TMarkupDocument(docxWritten, TDocumentFormat::Docx).Text().find("ёщё мысль"), std::string::npos);
    EXPECT_NE(comments.find("w:author=\"Петр Семенов\""), std::string::npos);
    EXPECT_NE(MemberOf(docxWritten, "docProps/core.xml").find("<dc:title>Ёщё заголовок</dc:title>"),
        std::string::npos);
    // A picture's description and title are read, as alt text without marks;
    // its name and the picture element's own copy stay.
    const std::string drawing = MemberOf(docxWritten, "word/document.xml");
    EXPECT_NE(
        drawing.find("<wp:docPr id=\"1\" name=\"Рисунок\" descr=\"ёщё одна ёлка\" title=\"ёлка зёлёная\">"),
        std::string::npos);
    EXPECT_NE(
        drawing.find("<pic:cNvPr id=\"1\" name=\"Рисунок\" descr=\"еще одна елка\" title=\"елка зеленая\">"),
        std::string::npos);
    EXPECT_NE(docx.Text().find("\nеще одна елка\nелка зеленая\n конец."), std::string::npos) << docx.Text();
    const TMarkupDocument odt(TestData("libreoffice_fields.odt"), TDocumentFormat::Odt);
    EXPECT_NE(MemberOf(odt.Write(AllYo(odt, true)), "meta.xml").find("<dc:title>Ёщё заголовок</dc:title>"),
        std::string::npos);
    const TMarkupDocument fodt(TestData("libreoffice_flat.fodt"), TDocumentFormat::Fodt);
    const std::string flat = fodt.Write(AllYo(fodt, true));
    EXPECT_NE(flat.find("<dc:title>Ёщё заголовок</dc:title>"), std::string::npos);
    EXPECT_NE(flat.find("<text:p><text:span text:style-name=\"TildoMark0000ff\">ё</text:span>щ"),
        std::string::npos);

    // A book pandoc wrote: its package title, the old table of contents, the
    // navigation page outside the reading order and the pages' titles.
    const TMarkupDocument book(TestData("pandoc_book.epub"), TDocumentFormat::Epub);
    const std::string bookWritten = book.Write(AllYo(book, true));
    EXPECT_NE(MemberOf(bookWritten, "EPUB/content.opf").find(">Ёщё одна ёлка</dc:title>"), std::string::npos);
    EXPECT_EQ(Count(MemberOf(bookWritten, "EPUB/toc.ncx"), "<text>Ёщё одна ёлка</text>"), 2u);
    const std::string nav = MemberOf(bookWritten, "EPUB/nav.xhtml");
    EXPECT_NE(nav.find("<title>Ёщё одна ёлка</title>"), std::string::npos);
    EXPECT_NE(nav.find("одна <span class=\"tildo-mark-0000ff\">ё</span>лка</h1>"), std::string::npos) << nav;
    EXPECT_NE(nav.find("href=\"text/ch001.xhtml#глава-первая\""), std::string::npos);

    // Soft hyphens (as a character and as references) and emphasis inside a
    // word leave the word whole; form controls are words apart.
    const TMarkupDocument page("<p>ещ&shy;е ещ&#173;е ещ\xC2\xADе</p><select><option>Еще</option></select>"
                               "<button>ел</button><var>еще</var>",
        TDocumentFormat::Html);
    EXPECT_EQ(page.Text(), "еще еще еще\nЕще\nел\n");
    EXPECT_EQ(page.Write(AllYo(page, false)),
        "<p>ёщ&shy;ё ёщ&#173;ё ёщ\xC2\xADё</p><select><option>Ёщё</option></select><button>ёл</button>"
        "<var>еще</var>");

    // Markdown: emphasis inside a word, a footnote's definition and the
    // indented paragraph of a list item are prose; indented code is not.
    const std::string markdown = "Слово **ещ**е и ел_ка_.[^1]\n\n[^1]: Сноска еще.\n\n- Пункт\n\n"
                                 "    Продолжение еще.\n\n```\nеще\n```\n\n    код еще\n";
    const TMarkupDocument notes(markdown, TDocumentFormat::Markdown);
    EXPECT_EQ(notes.Write(AllYo(notes, false)),
        "Слово **ёщ**ё и ёл_ка_.[^1]\n\n[^1]: Сноска ёщё.\n\n- Пункт\n\n"
        "    Продолжёниё ёщё.\n\n```\nеще\n```\n\n    код еще\n");
}

TEST(MarkupDocument, DeclaredCodePagesAreReadAndWrittenBack)
{
    // KOI8-R, CP866 and ISO-8859-5 as a page or a book declares them: every
    // byte but the changed letters comes back, and ё is the code page's own.
    struct TCase
    {
        std::string Page;
        std::string Expected;
        TDocumentFormat Format;
    };
    const TCase cases[] = {
        { "<html><head><meta charset=\"koi8-r\"></head><body><p>\xE5\xDD\xC5 \xC5\xCC\xCB\xC1 "
          "\x9F</p></body></html>",
            "<html><head><meta charset=\"koi8-r\"></head><body><p>\xB3\xDD\xA3 \xA3\xCC\xCB\xC1 "
            "\x9F</p></body></html>",
            TDocumentFormat::Html },
        { "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=IBM866\"></head>"
          "<body><p>\xA5\xE9\xA5 \xB0</p></body></html>",
            "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=IBM866\"></head>"
            "<body><p>\xF1\xE9\xF1 \xB0</p></body></html>",
            TDocumentFormat::Html },
        { "<?xml version=\"1.0\" "
          "encoding=\"ISO-8859-5\"?><FictionBook><body><p>\xD5\xE9\xD5</p></body></FictionBook>",
            "<?xml version=\"1.0\" "
            "encoding=\"ISO-8859-5\"?><FictionBook><body><p>\xF1\xE9\xF1</p></body></FictionBook>",
            TDocumentFormat::Fb2 },
    };
    for (const TCase& c : cases) {
        const TMarkupDocument doc(c.Page, c.Format);
        EXPECT_EQ(doc.Write(doc.Document()), c.Page);
        EXPECT_EQ(doc.Write(AllYo(doc, false)), c.Expected);
    }

    // UTF-16 subtitles carry their byte-order mark; the cue text changes in
    // UTF-16 and the rest keeps its bytes.
    const auto utf16 = [](std::u16string_view text) {
        std::string out = "\xFF\xFE";
        for (const char16_t ch : text) {
            out += static_cast<char>(ch & 0xFF);
            out += static_cast<char>(ch >> 8);
        }
        return out;
    };
    const TMarkupDocument cues(
        utf16(u"1\r\n00:00:01,000 --> 00:00:02,000\r\nЕще елка\r\n"), TDocumentFormat::Srt);
    EXPECT_EQ(cues.Text(), "Еще елка\n");
    EXPECT_EQ(cues.Write(AllYo(cues, false)), utf16(u"1\r\n00:00:01,000 --> 00:00:02,000\r\nЁщё ёлка\r\n"));

    // A page in a code page not read is refused by name, unless it is all
    // ASCII; bytes the declared code page cannot hold are refused too.
    EXPECT_NE(ErrorOf("<meta charset=\"big5\"><p>\xE5\xF9</p>", TDocumentFormat::Html).find("big5"),
        std::string::npos);
    EXPECT_EQ(ErrorOf("<meta charset=\"big5\"><p>&#1077;&#1097;</p>", TDocumentFormat::Html), "no error");
    EXPECT_NE(ErrorOf(utf16(u"1\n") + std::string("\x00\xD8", 2), TDocumentFormat::Srt).find("UTF-16"),
        std::string::npos);
}

TEST(MarkupDocument, WhatIsNotADocumentOfItsFormatIsRefused)
{
    const std::string docx = TestData("split_runs.docx");
    EXPECT_NE(ErrorOf("Еще текст", TDocumentFormat::Docx).find("не архив zip"), std::string::npos);
    EXPECT_NE(ErrorOf(docx.substr(0, docx.size() / 2), TDocumentFormat::Docx), "no error");
    EXPECT_NE(ErrorOf(TestData("minimal.odt"), TDocumentFormat::Docx).find("нет word/document.xml"),
        std::string::npos);
    EXPECT_NE(ErrorOf(docx, TDocumentFormat::Odt).find("нет content.xml"), std::string::npos);
    EXPECT_NE(ErrorOf(docx, TDocumentFormat::Epub).find("нет META-INF/container.xml"), std::string::npos);
    EXPECT_NE(ErrorOf(std::string("<p>a\0b</p>", 10), TDocumentFormat::Html).find("нулевые байты"),
        std::string::npos);

    // Damaged compressed data of the document: refused, whoever reads it.
    std::string damaged = docx;
    damaged[docx.find("word/document.xml") + 17 + 5] ^= 0x55;
    EXPECT_NE(ErrorOf(damaged, TDocumentFormat::Docx).find("word/document.xml"), std::string::npos);

    const TZipArchive zip(docx);
    const std::string broken
        = zip.WithReplaced({ { zip.Find("word/document.xml"), "<w:document><w:body><w:p>еще</w:body>" } });
    EXPECT_NE(
        ErrorOf(broken, TDocumentFormat::Docx).find("word/document.xml: испорченный XML"), std::string::npos);
    // A large part is checked while it is read, and refused all the same.
    std::string large = "<w:document><w:body>";
    for (int i = 0; i < 40000; ++i)
        large += "<w:p><w:r><w:t>еще</w:t></w:r></w:p>";
    const std::string largeBroken
        = zip.WithReplaced({ { zip.Find("word/document.xml"), large + "</w:body>" } });
    EXPECT_NE(ErrorOf(largeBroken, TDocumentFormat::Docx)
                  .find("word/document.xml: испорченный XML (элемент не закрыт"),
        std::string::npos);
    const TMarkupDocument largeWhole(
        zip.WithReplaced({ { zip.Find("word/document.xml"), large + "</w:body></w:document>" } }),
        TDocumentFormat::Docx);
    EXPECT_EQ(Count(largeWhole.Text(), "еще\n"), 40000u);

    // A part that opens with a byte-order mark is taken, and keeps it.
    const std::string odtBytes = TestData("minimal.odt");
    const TZipArchive odtZip(odtBytes);
    const std::string withMark = odtZip.WithReplaced(
        { { odtZip.Find("content.xml"), "\xEF\xBB\xBF" + odtZip.Read(odtZip.Find("content.xml")) } });
    const TMarkupDocument marked(withMark, TDocumentFormat::Odt);
    EXPECT_EQ(marked.Text(), "Мы идем вперед,  еще\nЕлка\n");
    EXPECT_TRUE(MemberOf(marked.Write(AllYo(marked, false)), "content.xml").starts_with("\xEF\xBB\xBF<?xml"));

    EXPECT_EQ(DocumentFormatOf("/a.b/Book.EPUB"), TDocumentFormat::Epub);
    EXPECT_EQ(DocumentFormatOf("notes.markdown"), TDocumentFormat::Markdown);
    EXPECT_EQ(DocumentFormatOf("/dir.docx/text"), std::nullopt);
    EXPECT_EQ(DocumentFormatOf("text.rtf"), std::nullopt);
}

} // namespace
} // namespace tildo
