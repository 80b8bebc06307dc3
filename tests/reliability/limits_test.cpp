// Inputs with no end in sight and inputs too large to hold: tildo-cli must
// neither wait forever nor read until memory runs out, and must say which
// file it refused and why, in one line of Russian.

#include "child_process.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <initializer_list>
#include <malloc.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace tildo::test {
namespace {

namespace fs = std::filesystem;

const std::string Text = "еще елка\n";
const std::string Restored = "ещё ёлка\n";

// A sparse file of the given size: large on paper, nothing on disk.
std::string SparseFile(const TTempDir& dir, const std::string& name, std::int64_t size)
{
    const std::string path = dir.Write(name, "");
    fs::resize_file(path, static_cast<std::uintmax_t>(size));
    return path;
}

// A device that never ends, made in dir (the zero device's numbers); the
// system's own only where no device can be made.
std::string EndlessDevice(const TTempDir& dir)
{
    const std::string zero = dir.Path() + "/zero";
    return ::mknod(zero.c_str(), S_IFCHR | 0666, makedev(1, 5)) == 0 ? zero : "/dev/zero";
}

int Lines(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// Little-endian fields of a zip record.
void PutLe(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xff);
}

// A one-member archive whose member claims deflate but holds no valid
// deflate stream.
// One deflated member whose data is garbage; its records promise `unpacked`
// bytes, which nothing may believe before it has checked them.
std::string BrokenDeflateZip(const std::string& name, std::uint32_t unpacked = 100)
{
    const std::string data(6, '\xff');
    const auto size = static_cast<std::uint32_t>(data.size());
    const auto nameSize = static_cast<std::uint32_t>(name.size());
    std::string local = "PK\x03\x04";
    for (const auto& [value, bytes] : std::initializer_list<std::pair<std::uint32_t, int>> { { 20, 2 },
             { 0, 2 }, { 8, 2 }, { 0, 4 }, { 0, 4 }, { size, 4 }, { unpacked, 4 }, { nameSize, 2 }, { 0, 2 } })
        PutLe(local, value, bytes);
    local += name + data;
    std::string central = "PK\x01\x02";
    for (const auto& [value, bytes] : std::initializer_list<std::pair<std::uint32_t, int>> { { 20, 2 },
             { 20, 2 }, { 0, 2 }, { 8, 2 }, { 0, 4 }, { 0, 4 }, { size, 4 }, { unpacked, 4 }, { nameSize, 2 },
             { 0, 2 }, { 0, 2 }, { 0, 2 }, { 0, 2 }, { 0, 4 }, { 0, 4 } })
        PutLe(central, value, bytes);
    central += name;
    std::string end = "PK\x05\x06";
    for (const auto& [value, bytes] : std::initializer_list<std::pair<std::uint32_t, int>> { { 0, 2 },
             { 0, 2 }, { 1, 2 }, { 1, 2 }, { static_cast<std::uint32_t>(central.size()), 4 },
             { static_cast<std::uint32_t>(local.size()), 4 }, { 0, 2 } })
        PutLe(end, value, bytes);
    return local + central + end;
}

// Under the address sanitizer a freed block waits in a quarantine (256 MB at
// most by default) before its memory is used again, so peaks run higher by up
// to that much; the optimised build holds the bounds without it.
#if defined(__SANITIZE_ADDRESS__)
constexpr long AllocatorSlackKb = 256 * 1024;
#else
constexpr long AllocatorSlackKb = 0;
#endif

// No word of the parser's or the archive library's English may reach the user.
bool HasEnglishWords(const std::string& text)
{
    for (const char* word : { "expected", "required", "Value", "range", "argument", "error", "Not a zip",
             "Expected", "excludes", "requires" })
        if (text.find(word) != std::string::npos)
            return true;
    return false;
}

TEST(ReliableWaiting, PipesWithoutWritersAndEndlessRecordsEndTheRun)
{
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);
    const std::string text = dir.Write("a.txt", Text);
    const std::string fifo = dir.Path() + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);

    // Nobody writes into the pipe: each of these must end at once with a
    // message, not wait for a writer.
    for (const std::vector<std::string>& args : { std::vector<std::string> { "-d", dic, "-i", fifo },
             { "-d", fifo, text }, { "-d", dic, "-c", fifo, text }, { "forms", "--rules", fifo, "ёлка" },
             { "dict", "sort", fifo } }) {
        const auto start = std::chrono::steady_clock::now();
        const TChildResult run = RunChild({ .Args = args, .TimeoutSeconds = 20 });
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << args[1];
        EXPECT_EQ(run.Code, 3) << run.Err;
        EXPECT_NE(run.Err.find("pipe"), std::string::npos) << run.Err;
        EXPECT_NE(run.Err.find("не обычный файл"), std::string::npos) << run.Err;
        EXPECT_EQ(Lines(run.Err), 1) << run.Err;
    }

    // An endless record on standard input: an error naming its line, in
    // bounded memory.
    const TChildResult endless
        = RunChild({ .Args = { "-d", dic, "--jsonl", "text", "--max-record", "8", "-" },
            .StdinPath = EndlessDevice(dir) });
    EXPECT_EQ(endless.Code, 3);
    EXPECT_NE(endless.Err.find("строка 1"), std::string::npos) << endless.Err;
    EXPECT_NE(endless.Err.find("--max-record"), std::string::npos) << endless.Err;
    EXPECT_LT(endless.MaxResidentKb, 200 * 1024 + AllocatorSlackKb);
    // The limit counts the record, not the input: a long second record past
    // short ones is named by its own line.
    const std::string records = dir.Write("r.jsonl",
        "{\"text\": \"еще\"}\n{\"text\": \"еще\"}\n{\"text\": \"" + std::string((2 << 20) + 10, 'x')
            + "\"}\n");
    const TChildResult longRecord
        = RunChild({ .Args = { "-d", dic, "--jsonl", "text", "--max-record", "1", records } });
    EXPECT_EQ(longRecord.Code, 3);
    EXPECT_NE(longRecord.Err.find("строка 3"), std::string::npos) << longRecord.Err;
    EXPECT_EQ(RunChild({ .Args = { "-d", dic, "--jsonl", "text", "--max-record", "4", records } }).Code, 0);
}

TEST(ReliableMemory, WholeReadsStopAtTheLimitAndNameTheFile)
{
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);
    const std::string text = dir.Write("a.txt", Text);
    const std::int64_t over = (std::int64_t(256) << 20) + 1;

    // Files read whole, each a byte over the limit: refused before reading.
    const std::string html = SparseFile(dir, "big.html", over);
    const std::string decisions = SparseFile(dir, "big.json", over);
    const std::string markdown = SparseFile(dir, "big.md", over);
    for (const std::vector<std::string>& args :
        { std::vector<std::string> { "-d", dic, html }, { "-d", dic, markdown },
            { "-d", dic, "--decisions", decisions, text }, { "review", "-d", dic, html } }) {
        const TChildResult run = RunChild({ .Args = args });
        EXPECT_EQ(run.Code, 3) << run.Err;
        EXPECT_NE(run.Err.find("big."), std::string::npos) << run.Err;
        EXPECT_NE(run.Err.find("256 МБ"), std::string::npos) << run.Err;
        EXPECT_LT(run.MaxResidentKb, 200 * 1024 + AllocatorSlackKb) << args[1];
    }

    // A small archive whose text member unpacks past the limit (pictures may
    // take the archive's whole cap, text read whole may not): refused by its
    // promised size, before anything is unpacked.
    const std::string docx = dir.Write("big.docx", BrokenDeflateZip("word/document.xml", 300u << 20));
    const TChildResult archive = RunChild({ .Args = { "-d", dic, docx } });
    EXPECT_EQ(archive.Code, 3) << archive.Err;
    EXPECT_NE(archive.Err.find("big.docx"), std::string::npos) << archive.Err;
    EXPECT_NE(archive.Err.find("256 МБ"), std::string::npos) << archive.Err;

    // Endless inputs: a device as a file, and as standard input of the
    // commands that read it whole.
    const std::string zero = EndlessDevice(dir);
    for (const std::vector<std::string>& args :
        { std::vector<std::string> { "-d", dic, "--decisions", zero, text },
            { "forms", "--rules", zero, "ёлка" }, { "dict", "sort", zero } }) {
        const TChildResult run = RunChild({ .Args = args });
        EXPECT_EQ(run.Code, 3) << run.Err;
        EXPECT_NE(run.Err.find(zero), std::string::npos) << run.Err;
    }
    for (const std::string command : { "review", "collect" }) {
        const TChildResult run = RunChild({ .Args = { command, "-d", dic, "--format", "html", "-" },
            .StdinPath = zero,
            .TimeoutSeconds = 120 });
        EXPECT_NE(run.Code, 0) << command;
        EXPECT_NE(run.Err.find("стандартный ввод"), std::string::npos) << run.Err;
        EXPECT_LT(run.MaxResidentKb, 700 * 1024 + AllocatorSlackKb) << command;
    }
}

TEST(ReliableMemory, OneHugeLineOrRecordTakesAFewTimesItsSize)
{
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);
    // About 40 MB of words in one line, with a question-free change every few words.
    std::string line;
    std::string restored;
    const std::pair<const char*, const char*> words[] = { { "еще ", "ещё " }, { "слово, ", "слово, " },
        { "елка ", "ёлка " }, { "и так далее ", "и так далее " } };
    for (std::size_t i = 0; line.size() < (std::size_t(40) << 20); ++i) {
        line += words[i % 4].first;
        restored += words[i % 4].second;
    }
    const long lineKb = static_cast<long>(line.size() >> 10);
    const long small = RunChild({ .Args = { "-d", dic, dir.Write("small.txt", Text) } }).MaxResidentKb;

    // Streamed: the line is taken a block at a time, as the same words in
    // short lines would be; a text in one line comes out as a text in one line.
    const std::string text = dir.Write("line.txt", line);
    const std::string out = dir.Path() + "/line.out";
    const TChildResult streamed = RunChild({ .Args = { "-d", dic, text, "-o", out } });
    EXPECT_EQ(streamed.Code, 0) << streamed.Err;
    EXPECT_TRUE(ReadFile(out) == restored);
    EXPECT_LT(streamed.MaxResidentKb, small + 16 * 1024) << "one line of " << lineKb << " KB";

    // One JSON Lines record of the same text between short ones, its letters
    // raw and escaped: at most about three times the record.
    const std::string record = "{\"n\": 2, \"text\": \"" + line + "\\u0435\\u0449\\u0435\"}";
    const std::string records = dir.Write(
        "r.jsonl", "{\"text\": \"еще\"}\n" + record + "\n{\"text\": \"\\u0435\\u0449\\u0435 елка\"}\n");
    const std::string jsonOut = dir.Path() + "/r.out";
    const TChildResult json = RunChild({ .Args = { "-d", dic, "--jsonl", "text", records, "-o", jsonOut } });
    EXPECT_EQ(json.Code, 0) << json.Err;
    EXPECT_TRUE(ReadFile(jsonOut)
        == "{\"text\": \"ещё\"}\n{\"n\": 2, \"text\": \"" + restored
            + "\\u0435\\u0449\\u0451\"}\n{\"text\": \"\\u0435\\u0449\\u0451 ёлка\"}\n");
    EXPECT_LT(json.MaxResidentKb, small + 3 * lineKb + 16 * 1024 + AllocatorSlackKb) << "a record of " << lineKb << " KB";
}

// Whether the file at path holds head, then unit count times, then tail:
// read a piece at a time, so that the test never holds a large text whole.
bool HoldsRepeated(const std::string& path, const std::string& head, const std::string& unit,
    std::size_t count, const std::string& tail)
{
    std::ifstream in(path, std::ios::binary);
    std::string piece;
    const auto next = [&](const std::string& expected) {
        piece.resize(expected.size());
        return in.read(piece.data(), static_cast<std::streamsize>(piece.size())) && piece == expected;
    };
    bool same = next(head);
    for (std::size_t i = 0; same && i < count; ++i)
        same = next(unit);
    return same && next(tail) && in.peek() == std::ifstream::traits_type::eof();
}

TEST(ReliableMemory, DocumentsReadWholeTakeAFewTimesTheirSize)
{
    // A child's peak counts what this process held when it forked, and the
    // earlier tests' large texts may still be held: given back first, and
    // the documents here are written and compared a piece at a time.
    ::malloc_trim(0);
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);
    const long small = RunChild({ .Args = { "-d", dic, dir.Write("small.md", Text) } }).MaxResidentKb;
    // About 24 MB of prose with a change now and then, as a real text has:
    // Markdown in many lines, and a web page whose text is one paragraph.
    const std::string sentence = "Это еще одна строка обычного текста, в которой каждое слово стоит на своем "
                                 "месте, как и прежде, без перемен и неожиданностей";
    const std::string restored = "Это ещё одна строка обычного текста, в которой каждое слово стоит на своем "
                                 "месте, как и прежде, без перемен и неожиданностей";
    const std::size_t count = (std::size_t(24) << 20) / (sentence.size() + 2);
    const std::tuple<std::string, std::string, std::string, std::string> documents[]
        = { { "a.md", "", ".\n", "" }, { "a.html", "<html><body><p>", ". ", "</p></body></html>\n" } };
    for (const auto& [name, head, end, tail] : documents) {
        const std::string path = dir.Path() + "/" + name;
        {
            std::ofstream file(path, std::ios::binary);
            file << head;
            for (std::size_t i = 0; i < count; ++i)
                file << sentence << end;
            file << tail;
        }
        const std::string out = dir.Path() + "/out-" + name;
        const TChildResult run = RunChild({ .Args = { "-d", dic, path, "-o", out } });
        EXPECT_EQ(run.Code, 0) << run.Err;
        EXPECT_TRUE(HoldsRepeated(out, head, restored + end, count, tail)) << name;
        // At most about three times the file (its bytes, its text as read and
        // the engine's copy); the result is never held whole beside them.
        const long fileKb = static_cast<long>(fs::file_size(path) >> 10);
        EXPECT_LT(run.MaxResidentKb, small + 3 * fileKb + 16 * 1024 + AllocatorSlackKb) << name;
    }
}

TEST(ReliableMessages, ExitCodesAndOneLineRussianMessagesNamingTheFile)
{
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);
    const std::string text = dir.Write("a.txt", Text);

    // A combination dictionary over the size limit fails the run, as a
    // device in its place does.
    const std::string combi = SparseFile(dir, "combi.dat", (std::int64_t(256) << 20) + 1);
    TChildResult run = RunChild({ .Args = { "-d", dic, "-c", combi, text } });
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("combi.dat"), std::string::npos) << run.Err;

    // One file named twice in a batch (a path and a link): restored once.
    const std::string link = dir.Path() + "/link.txt";
    fs::create_symlink("a.txt", link);
    run = RunChild({ .Args = { "-d", dic, "-j", "2", "-i", text, link } });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_NE(run.Err.find("тот же файл"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadFile(text), Restored);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));

    // System errors in our words; a name with a line break quoted on one line.
    const std::string folder = dir.Path() + "/folder";
    fs::create_directory(folder);
    run = RunChild({ .Args = { "-d", dic, "-o", folder, text } });
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("это каталог"), std::string::npos) << run.Err;
    run = RunChild({ .Args = { "-d", dic, dir.Path() + "/no\nsuch.txt" } });
    EXPECT_EQ(run.Code, 3);
    EXPECT_EQ(Lines(run.Err), 1) << run.Err;
    EXPECT_NE(run.Err.find("no\\nsuch.txt\""), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("нет такого файла"), std::string::npos) << run.Err;

    // A decisions file that is no JSON: its name and the line, no parser internals.
    const std::string bad = dir.Write("bad.json", "{\n  \"questions\": [\n    oops\n");
    run = RunChild({ .Args = { "-d", dic, "--decisions", bad, text } });
    EXPECT_EQ(run.Code, 2);
    EXPECT_NE(run.Err.find("bad.json"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("строке 3"), std::string::npos) << run.Err;
    EXPECT_EQ(run.Err.find("json.exception"), std::string::npos) << run.Err;
    EXPECT_EQ(Lines(run.Err), 1) << run.Err;

    // Thirty bad records: ten shown, the rest counted.
    std::string records;
    for (int i = 0; i < 30; ++i)
        records += "{oops\n";
    run = RunChild(
        { .Args = { "-d", dic, "--jsonl", "text", "--jsonl-skip-bad", dir.Write("r.jsonl", records) } });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_NE(run.Err.find("и ещё 20"), std::string::npos) << run.Err;
    // Ten lines and the count: no empty status line after them.
    EXPECT_EQ(Lines(run.Err), 11) << run.Err;
}

TEST(ReliableMessages, CommandLineAndArchiveErrorsInRussianOnOneLine)
{
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);
    const std::string text = dir.Write("a.txt", Text);

    // Usage errors: exit 2, one line, the option or argument named.
    const std::vector<std::pair<std::vector<std::string>, std::string>> usage = {
        { { "--bogus", text }, "--bogus" },
        { { "-d", dic, text, "-j" }, "--jobs" },
        { { "-d", dic, "-j", "many", text }, "many" },
        { { "-d", dic, "--max-record", "99999", text }, "4096" },
        { { "collect", "-d", dic, text, "extra.txt" }, "extra.txt" },
        { { "forms" }, "WORD" },
        { { "dict" }, "dict" },
        { { "restore", std::string("--bad\nname"), text }, "--bad\\nname" },
        // A value written with "=" to a flag or to an unknown short option:
        // named as typed, and nothing is run (the text stays as it was).
        { { "-d", dic, "-i=3", text }, "\"-i=3\"" },
        { { "-d", dic, "--in-place=1", text }, "\"--in-place=1\"" },
        { { "dict", "sort", "-i=yes", dic }, "\"-i=yes\"" },
        { { "-d", dic, "-q=1", text }, "\"-q=1\"" },
    };
    for (const auto& [args, named] : usage) {
        const TChildResult run = RunChild({ .Args = args });
        EXPECT_EQ(run.Code, 2) << args.front() << ": " << run.Err;
        EXPECT_EQ(Lines(run.Err), 1) << run.Err;
        EXPECT_NE(run.Err.find(named), std::string::npos) << run.Err;
        EXPECT_FALSE(HasEnglishWords(run.Err)) << run.Err;
    }
    EXPECT_EQ(ReadFile(text), Text);

    // Archives the zip reader cannot open or unpack: the file named, the
    // reason in our words.
    const std::string notZip = dir.Write("not.docx", std::string("PK\x03\x04") + "not a zip at all");
    const std::string broken = dir.Write("broken.docx", BrokenDeflateZip("word/document.xml"));
    for (const std::string& path : { notZip, broken }) {
        const TChildResult run = RunChild({ .Args = { "-d", dic, path } });
        EXPECT_EQ(run.Code, 3) << run.Err;
        EXPECT_EQ(Lines(run.Err), 1) << run.Err;
        EXPECT_NE(run.Err.find(fs::path(path).filename().string()), std::string::npos) << run.Err;
        EXPECT_FALSE(HasEnglishWords(run.Err)) << run.Err;
    }
    const TChildResult run = RunChild({ .Args = { "-d", dic, broken } });
    EXPECT_NE(run.Err.find("сжатые данные испорчены"), std::string::npos) << run.Err;
}

} // namespace
} // namespace tildo::test
