// A text as the command-line tool reads it, from arbitrary bytes: decoding in
// either encoding writes the same bytes back, the detection never fails, and
// the original text behind every document position is found exactly (the
// matches that `find` prints), RTF included.

#include "batch/text_input.h"
#include "formats/rtf_reader.h"
#include "text/memory_document.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace tildo;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// The ranges of every line, in order and then once more from the start, cover
// the whole text without a gap.
void CheckRanges(const TInputText& input, std::string_view expected)
{
    TSourceRanges ranges(input);
    const MemoryDocument& doc = input.Document;
    std::string joined;
    for (int pass = 0; pass < 2; ++pass) {
        joined.clear();
        int from = 0;
        for (int line = 1; line <= doc.LineCount(); ++line) {
            const int to = line < doc.LineCount() ? doc.LineStart(line) : doc.Length();
            joined += ranges.Range(from, to - from);
            from = to;
        }
        Check(joined == (input.Markup == nullptr ? expected : std::string_view(input.Markup->Text())));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    DetectTextEncoding(bytes);

    TInputText input;
    input.Bytes = bytes;
    input.Encoding = TTextEncoding::Utf8;
    input.Document = MemoryDocument::FromUtf8(bytes);
    Check(input.Document.ToUtf8() == bytes);
    CheckRanges(input, std::string_view(bytes).substr(input.Document.HasBom() ? 3 : 0));

    input.Encoding = TTextEncoding::Cp1251;
    input.Document = MemoryDocument::FromCp1251(bytes);
    Check(input.Document.ToCp1251() == bytes);
    CheckRanges(input, bytes);

    if (LooksLikeRtf(bytes)) {
        // Read as a document: nothing changed writes the same bytes back.
        const TInputText rtf = RtfInputText("-", bytes);
        CheckRanges(rtf, {});
        Check(rtf.Encode() == bytes);
    }
    return 0;
}
