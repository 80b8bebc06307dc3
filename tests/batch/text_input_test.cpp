// Reading an input: what opening it finds, encoding detection and the
// original text behind positions.

#include "batch/messages.h"
#include "batch/text_input.h"
#include "support/recording_ui.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace tildo::test {
namespace {

// What an opening found, in one comparable line.
std::string Described(const TInputDescription& d)
{
    return "format " + std::to_string(static_cast<int>(d.Format)) + ", document "
        + (d.Document ? std::to_string(static_cast<int>(*d.Document)) : "none") + ", encoding "
        + std::to_string(static_cast<int>(d.Encoding)) + (d.BrokenUtf8 ? ", broken UTF-8" : "")
        + (d.RtfOnStandardInput ? ", RTF on standard input" : "");
}

std::string ReadRest(TByteInput& input)
{
    std::string bytes;
    while (input.ReadInto(bytes, 4096) > 0) { }
    return bytes;
}

// OpenInput with standard input read from the file at path.
TOpenedInput OpenAsStandardInput(const std::string& path, std::string_view format, TOpening opening)
{
    const int saved = ::dup(STDIN_FILENO);
    const int fd = ::open(path.c_str(), O_RDONLY);
    ::dup2(fd, STDIN_FILENO);
    ::close(fd);
    TOpenedInput opened = OpenInput("-", TEncodingChoice::Auto, format, opening);
    ::dup2(saved, STDIN_FILENO);
    ::close(saved);
    return opened;
}

TEST(OpenInput, WholeAndStreamedReadingsFindTheSameAndRefuseTheSame)
{
    TTempDir dir;
    std::string broken;
    for (int i = 0; i < 20; ++i)
        broken += "ещё ";
    broken[10] = '\xFF';
    const std::string rtf = "{\\rtf1\\ansi\\ansicpg1251 \\'e5\\'f9\\'e5}";
    struct TCase
    {
        std::string Name;
        std::string Bytes;
        std::string Format;
        TEncodingChoice Choice;
        std::string Expected;
    };
    const TCase cases[] = {
        { "utf8.txt", "все еще", "auto", TEncodingChoice::Auto, "format 0, document none, encoding 1" },
        { "cp1251.txt", W("все еще"), "auto", TEncodingChoice::Auto, "format 0, document none, encoding 0" },
        { "told.txt", "все еще", "auto", TEncodingChoice::Cp1251, "format 0, document none, encoding 0" },
        { "broken.txt", broken, "auto", TEncodingChoice::Auto,
            "format 0, document none, encoding 0, broken UTF-8" },
        // The declaration wins over bytes that would pass for UTF-8.
        { "declared.fb2", "<?xml version=\"1.0\" encoding=\"windows-1251\"?><p>ещё</p>", "auto",
            TEncodingChoice::Auto, "format 0, document 8, encoding 1" },
        { "named.txt", "<p>ещё</p>", "fb2", TEncodingChoice::Auto, "format 0, document 8, encoding 1" },
        { "real.rtf", rtf, "auto", TEncodingChoice::Auto, "format 1, document 7, encoding 1" },
        // A .rtf that is no RTF is read as the plain text it is.
        { "false.rtf", "еще", "auto", TEncodingChoice::Auto, "format 1, document none, encoding 1" },
        { "notes.md", "# еще", "auto", TEncodingChoice::Auto, "format 0, document 4, encoding 1" },
    };
    for (const TCase& c : cases) {
        const std::string path = dir.Write(c.Name, c.Bytes);
        const TOpenedInput whole = OpenInput(path, c.Choice, c.Format, TOpening::Whole);
        const TOpenedInput streamed = OpenInput(path, c.Choice, c.Format, TOpening::Streamed);
        EXPECT_EQ(Described(whole.Description), c.Expected) << c.Name;
        EXPECT_EQ(Described(streamed.Description), c.Expected) << c.Name;
        EXPECT_EQ(whole.Stream, nullptr);
        EXPECT_EQ(whole.Bytes, c.Bytes) << c.Name;
        EXPECT_TRUE(whole.Description.Stamp.Exists && streamed.Description.Stamp.Exists) << c.Name;
        // RTF and the documents are read whole either way; a streamed text is
        // left at its first byte.
        const bool readWhole = c.Name.ends_with(".rtf") || c.Name.ends_with(".md") || c.Name.ends_with(".fb2")
            || c.Format == "fb2";
        ASSERT_EQ(streamed.Stream == nullptr, readWhole) << c.Name;
        EXPECT_EQ(streamed.Stream != nullptr ? ReadRest(*streamed.Stream) : streamed.Bytes, c.Bytes)
            << c.Name;
    }

    const auto exitCode = [&](const std::string& name, const std::string& bytes, const std::string& format,
                              TOpening opening) {
        try {
            OpenInput(dir.Write(name, bytes), TEncodingChoice::Auto, format, opening);
        } catch (const ECliError& e) {
            return e.ExitCode();
        }
        return 0;
    };
    for (const TOpening opening : { TOpening::Whole, TOpening::Streamed }) {
        EXPECT_EQ(exitCode("zero.txt", std::string("еще") + '\0' + "все", "auto", opening), ExitInputOutput);
        EXPECT_EQ(exitCode("big5.fb2", "<?xml version=\"1.0\" encoding=\"big5\"?>", "auto", opening),
            ExitInputOutput);
        EXPECT_EQ(exitCode("any.txt", "еще", "docx2", opening), ExitUsage);
    }

    // Standard input is RTF when it begins like RTF, unless a format is named.
    const std::string rtfPath = dir.Write("stdin.rtf", rtf);
    for (const TOpening opening : { TOpening::Whole, TOpening::Streamed }) {
        const TOpenedInput asRtf = OpenAsStandardInput(rtfPath, "auto", opening);
        EXPECT_EQ(Described(asRtf.Description), "format 1, document 7, encoding 1, RTF on standard input");
        EXPECT_EQ(asRtf.Bytes, rtf);
        EXPECT_FALSE(asRtf.Description.Stamp.Exists);
        const TOpenedInput asText = OpenAsStandardInput(rtfPath, "text", opening);
        EXPECT_EQ(Described(asText.Description), "format 0, document none, encoding 0");
    }
}

TEST(CliInput, DetectionAndTheOriginalBytesBehindPositions)
{
    EXPECT_EQ(DetectTextEncoding("plain ascii"), TTextEncoding::Cp1251);
    EXPECT_EQ(DetectTextEncoding("ещё"), TTextEncoding::Utf8);
    EXPECT_EQ(DetectTextEncoding(W("ещё")), TTextEncoding::Cp1251);
    EXPECT_EQ(DetectTextEncoding(std::string("ещё") + "\xD1"), TTextEncoding::Utf8);
    EXPECT_EQ(DetectTextEncoding(std::string("ещё") + "\xE2\x80"), TTextEncoding::Utf8);
    EXPECT_EQ(DetectTextEncoding("\xD1"), TTextEncoding::Cp1251);
    EXPECT_EQ(DetectTextEncoding(std::string("\xD1\xD1") + "ещё"), TTextEncoding::Cp1251);

    TInputText input;
    input.Bytes = "\xEF\xBB\xBF"
                  "a😀\r\nб\xFFв\n";
    input.Encoding = TTextEncoding::Utf8;
    input.Document = MemoryDocument::FromUtf8(input.Bytes);
    TSourceRanges ranges(input);
    EXPECT_EQ(ranges.Range(0, 2), "a😀");
    EXPECT_EQ(ranges.Range(1, 3), "😀\r\nб");
    EXPECT_EQ(ranges.Range(3, 4), "б\xFFв\n");
    EXPECT_EQ(ranges.Range(0, 1), "a"); // going back starts the walk again
    EXPECT_EQ(ranges.Range(0, input.Document.Length()), input.Bytes.substr(3));

    input.Bytes = W("а\r\nб");
    input.Encoding = TTextEncoding::Cp1251;
    input.Document = MemoryDocument::FromCp1251(input.Bytes);
    TSourceRanges cp(input);
    EXPECT_EQ(cp.Range(1, 2), "\r\n" + W("б"));
}

} // namespace
} // namespace tildo::test
