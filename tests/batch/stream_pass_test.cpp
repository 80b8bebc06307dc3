// The streamed pass against the whole-text pass over the same text, the tally
// of broken UTF-8 in pieces, and the report spooled as the pass goes.

#include "batch/pass_setup.h"
#include "batch/question_log.h"
#include "batch/restore_job.h"
#include "batch/run_report.h"
#include "batch/stream_document.h"
#include "batch/stream_io.h"
#include "batch/utf8_tally.h"
#include "engine/yoficator.h"
#include "platform/file_io.h"
#include "support/recording_ui.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <thread>

namespace tildo::test {
namespace {

std::string ReadFile(const std::string& path)
{
    return ReadWholeFile(path);
}

const std::string Corpus = std::string(TILDO_SOURCE_DIR) + "/../shared/corpus";

// The corpus texts with every ё written as е, as the tool meets them.
std::string PlainCorpus(const std::string& name)
{
    std::string text = ReadFile(Corpus + "/" + name);
    for (const auto& [from, to] : { std::pair { "ё", "е" }, std::pair { "Ё", "Е" } }) {
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
            text.replace(at, 2, to);
    }
    return text;
}

struct TPassResult
{
    std::string Bytes;
    std::vector<TQuestionRecord> Questions;
    std::size_t MostBlocks = 0; // the streamed pass: the most blocks held at once
};

// One pass over doc as the tool sets it up, with every variant asked (and kept).
template <class Document>
void RunPassOver(const TSharedDictionaries& d, Document& doc, TPassResult& out, bool askAll = true)
{
    TCliUserInterface ui;
    SetPassOptions(ui, askAll ? std::vector<std::string> { "AlwaysAsk" } : std::vector<std::string> {}, {},
        false, d.Combinations);
    TDicRunState dicState;
    dicState.Reset(d.Dic.FormCount(), d.Dic.RuleCount());
    TCombiRunState combiState;
    combiState.Reset(d.Combi.Count());
    TWordBuffer window(d.Limits);
    TCliAsker asker(doc, {}, TUnanswered::Keep);
    TYoficator engine(doc, ui, asker, d.Dic, d.Combi, dicState, combiState, window, d.Limits);
    engine.DoYoficate(0, 1);
    out.Questions = asker.Records();
}

TPassResult WholePass(
    const TSharedDictionaries& d, const std::string& bytes, TTextEncoding encoding, bool askAll = true)
{
    TPassResult r;
    MemoryDocument doc = encoding == TTextEncoding::Utf8 ? MemoryDocument::FromUtf8(bytes)
                                                         : MemoryDocument::FromCp1251(bytes);
    RunPassOver(d, doc, r, askAll);
    r.Bytes = encoding == TTextEncoding::Utf8 ? doc.ToUtf8() : doc.ToCp1251();
    return r;
}

TPassResult StreamPass(const TSharedDictionaries& d, const std::string& bytes, TTextEncoding encoding,
    std::size_t block, bool askAll = true, bool readAhead = false)
{
    TTempDir dir;
    TByteInput input(dir.Write("in.txt", bytes));
    TPassResult r;
    std::size_t most = 0;
    TStreamDocument* seen = nullptr;
    TStreamDocument doc(
        input, encoding,
        [&](std::string_view b) {
            r.Bytes += b;
            most = std::max(most, seen->BlocksHeld());
        },
        d.Limits.BufferCapacity(), 20, block);
    seen = &doc;
    doc.SetReadAhead(readAhead);
    RunPassOver(d, doc, r, askAll);
    doc.Finish();
    r.MostBlocks = most;
    // The window stays a handful of blocks, however long the text.
    if (bytes.size() > 100 * block) {
        EXPECT_LT(most, 40u);
    }
    return r;
}

void ExpectSame(const TPassResult& whole, const TPassResult& streamed, const std::string& what)
{
    EXPECT_EQ(streamed.Bytes, whole.Bytes) << what;
    ASSERT_EQ(streamed.Questions.size(), whole.Questions.size()) << what;
    for (std::size_t i = 0; i < whole.Questions.size(); ++i) {
        const TQuestionRecord& a = whole.Questions[i];
        const TQuestionRecord& b = streamed.Questions[i];
        EXPECT_TRUE(a.Line == b.Line && a.Column == b.Column && a.Word == b.Word && a.Caption == b.Caption)
            << what << ": question " << i;
    }
}

TSharedDictionaries& Dictionaries()
{
    static TPassCommandOptions options = [] {
        TPassCommandOptions o;
        o.Dictionary = std::string(TILDO_DATA_DIR) + "/tildo.dat";
        o.Combinations = std::string(TILDO_DATA_DIR) + "/combi.dat";
        return o;
    }();
    static TSharedDictionaries d(options);
    return d;
}

TEST(StreamPass, EqualsTheWholeTextPassOnTheCorpusWhateverTheBlockSize)
{
    const TSharedDictionaries& d = Dictionaries();
    for (const char* name : { "guide-a.txt", "guide-b.txt" }) {
        const std::string utf8 = PlainCorpus(name);
        // Decided words change the text; with every word asked (and kept),
        // the questions' positions are compared.
        for (const bool askAll : { false, true }) {
            const TPassResult whole = WholePass(d, utf8, TTextEncoding::Utf8, askAll);
            EXPECT_EQ(whole.Bytes != utf8, !askAll);
            EXPECT_EQ(whole.Questions.size() > 100, askAll);
            // Blocks of one line each, of a few lines, and of many.
            for (const std::size_t block : { std::size_t(1), std::size_t(300), std::size_t(1) << 16 })
                ExpectSame(whole, StreamPass(d, utf8, TTextEncoding::Utf8, block, askAll),
                    std::string(name) + " block " + std::to_string(block));
            // Blocks read and decoded on a thread of their own, ahead of the pass.
            for (const std::size_t block : { std::size_t(1), std::size_t(4096) })
                ExpectSame(whole, StreamPass(d, utf8, TTextEncoding::Utf8, block, askAll, true),
                    std::string(name) + " read ahead, block " + std::to_string(block));
        }
    }
    // A pass that stops early: what it never reached, blocks read ahead
    // included, goes out as it came in, after what it changed.
    {
        // Reads come a megabyte at a time: a text of a few holds blocks to read ahead.
        std::string utf8;
        while (utf8.size() < (std::size_t(5) << 20))
            utf8 += PlainCorpus("guide-a.txt");
        const std::string head = "еще\n";
        TTempDir dir;
        TByteInput input(dir.Write("in.txt", head + utf8));
        std::string written;
        TStreamDocument doc(
            input, TTextEncoding::Utf8, [&](std::string_view b) { written += b; }, d.Limits.BufferCapacity(),
            20, 200);
        doc.SetReadAhead(true);
        EXPECT_EQ(doc.Line(0), W("еще"));
        doc.Select(2, 1);
        doc.ReplaceSelection(W("ё"));
        // Finished with blocks read ahead waiting.
        for (int wait = 0; wait < 1000 && doc.BlocksReadAhead() < 2; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(doc.BlocksReadAhead(), 2u);
        doc.Finish();
        EXPECT_TRUE(written == "ещё\n" + utf8);
        EXPECT_EQ(doc.BytesRead(), head.size() + utf8.size());
    }
    // CP1251 with CR LF breaks.
    std::string cp = W(PlainCorpus("guide-b.txt"));
    for (std::size_t at = cp.find('\n'); at != std::string::npos; at = cp.find('\n', at + 2))
        cp.replace(at, 1, "\r\n");
    const TPassResult whole = WholePass(d, cp, TTextEncoding::Cp1251, false);
    EXPECT_NE(whole.Bytes, cp);
    ExpectSame(whole, StreamPass(d, cp, TTextEncoding::Cp1251, 200, false), "CR LF");
}

TEST(StreamPass, EdgesOfTheTextComeOutAsTheWholeTextPassLeavesThem)
{
    const TSharedDictionaries& d = Dictionaries();
    const std::string cases[] = {
        "",
        "\n",
        "еще",
        "\xEF\xBB\xBF"
        "все еще\r\nелка",
        "о чем\n\n\n\nречь, все\nеще 中 😀\n",
        // Combinations across line ends and a stray byte.
        "все\r\nравно \xFF и все\nже\n",
        // Changed letters written into the read bytes behind characters of
        // every length, the code page's gap (U+0098) and a broken sequence.
        "€ еще, \xC2\x98 еще \xE2 ЕЩЕ 中😀 елка\r\nеще\xD0",
        "\xEF\xBB\xBFеще \xD1\x91 еще\n\xEF\xBB\xBFеще\n",
    };
    for (const std::string& text : cases) {
        const TPassResult whole = WholePass(d, text, TTextEncoding::Utf8);
        for (const std::size_t block : { std::size_t(1), std::size_t(5), std::size_t(4096) })
            ExpectSame(whole, StreamPass(d, text, TTextEncoding::Utf8, block), "case \"" + text + "\"");
    }
    // A zero-width no-break space that opens the first line of a later read
    // is a character of the text, not a byte order mark.
    const std::string late = std::string((1 << 20) - 1, ' ') + "\n\xEF\xBB\xBF" + "еще все\n";
    ExpectSame(WholePass(d, late, TTextEncoding::Utf8), StreamPass(d, late, TTextEncoding::Utf8, 1),
        "U+FEFF after the first read");
}

TEST(StreamPass, ALongLineIsCutIntoBlocksAndItsQuestionsKeepTheirPlaces)
{
    const TSharedDictionaries& d = Dictionaries();
    std::string line;
    // Words the dictionary settles without a question, and combinations.
    const std::string words[] = { "еще ", "елка, ", "о чем речь ", "слово " };
#if defined(__SANITIZE_ADDRESS__)
    const std::size_t size = std::size_t(8) << 20; // the sanitizers' build is many times slower
#else
    const std::size_t size = std::size_t(50) << 20;
#endif
    for (std::size_t i = 0; line.size() < size; ++i)
        line += words[i % 4];
    const TPassResult streamed = StreamPass(d, line, TTextEncoding::Utf8, std::size_t(1) << 20, false);
    const TPassResult whole = WholePass(d, line, TTextEncoding::Utf8, false);
    EXPECT_EQ(streamed.Bytes.size(), whole.Bytes.size());
    EXPECT_TRUE(streamed.Bytes == whole.Bytes);
    EXPECT_EQ(streamed.Questions.size(), whole.Questions.size());
    // The line is cut into pieces of about a block: a few are held, never the line.
    EXPECT_LE(streamed.MostBlocks, 4u);
    // Every word asked in a long line cut several times (and once right after
    // a CR): the questions are placed in the line as the text has it, and
    // their contexts come from slices of the line, never from copies of it.
    std::string asked = line.substr(0, std::size_t(3) << 20);
    asked[(std::size_t(1) << 20) - 1] = '\r';
    const TPassResult askedWhole = WholePass(d, asked, TTextEncoding::Utf8);
    EXPECT_EQ(askedWhole.Questions.back().Line, 1);
    EXPECT_GT(askedWhole.Questions.back().Column, 1 << 20);
    ExpectSame(askedWhole, StreamPass(d, asked, TTextEncoding::Utf8, std::size_t(1) << 16),
        "every word of a long line asked");
}

TEST(Utf8Tally, PiecesCutAnywhereTellWhatTheWholeTells)
{
    const auto tally = [](const std::vector<std::string_view>& pieces, std::size_t wellFormed = 0) {
        TUtf8Tally t;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            if (i < wellFormed)
                t.AddWellFormed(pieces[i]);
            else
                t.Add(pieces[i]);
        }
        t.Finish();
        return t.LooksBroken() ? t.Warning("x") : std::string("clean");
    };
    const std::string text = "ёлка и ещё 中 😀 \xFF и \xD0\x20 все\xE2\x82";
    const std::string whole = tally({ text });
    EXPECT_NE(whole.find("0xFF по смещению 28"), std::string::npos) << whole;
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        const std::string_view v(text);
        EXPECT_EQ(tally({ v.substr(0, cut), v.substr(cut) }), whole) << cut;
        EXPECT_EQ(tally({ v.substr(0, cut / 2), v.substr(cut / 2, cut - cut / 2), v.substr(cut) }), whole)
            << cut;
    }
    // A well-formed head only counted, not walked.
    const std::size_t head = text.find(' ', 20);
    EXPECT_EQ(
        tally({ std::string_view(text).substr(0, head), std::string_view(text).substr(head) }, 1), whole);
    // More broken bytes than characters: a CP1251 text, not broken UTF-8.
    EXPECT_EQ(tally({ W("ещё ёлка и все") }), "clean");
    EXPECT_EQ(tally({ "ascii only" }), "clean");
}

TEST(RunReport, SpooledReportIsTheReportOfTheWholeList)
{
    TTempDir dir;
    TRunCounters counters;
    counters.NewDottedCount = 3;
    counters.AskedPlainCount = 2;
    TQuestionRecord q;
    q.Line = 7;
    q.Column = 12;
    q.Word = W("все");
    q.Plain = W("все");
    q.Dotted = W("всё");
    q.Caption = W("Выберите \"верный\" вариант");
    q.Answer = "keep";
    std::vector<TQuestionRecord> list;
    for (int n = 0; n < 3; ++n) {
        TRunReportSpool spool;
        for (const TQuestionRecord& r : list)
            spool.Add(r);
        const std::string path = dir.Path() + "/report.json";
        spool.WriteTo(path, counters, 1.5);
        const std::string whole = RunReportJson(counters, 1.5, list);
        EXPECT_EQ(ReadFile(path), whole) << n;
        // Laid out as the JSON library lays out the same document.
        const auto parsed = nlohmann::ordered_json::parse(whole);
        EXPECT_EQ(parsed.dump(2) + "\n", whole);
        EXPECT_EQ(parsed["questions"].size(), list.size());
        q.Line += 1;
        q.DefaultDotted = !q.DefaultDotted;
        list.push_back(q);
    }
}

} // namespace
} // namespace tildo::test
