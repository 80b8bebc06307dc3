// The RTF reader on arbitrary bytes: it must not crash, hang or read out of
// bounds, and what it reads must survive the writer and the reader again.
// Asking what the text could not hold must not change what is read, and the
// writer's own output must hold nothing the text cannot.
#include "formats/rtf_reader.h"
#include "formats/rtf_writer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    tildo::TStyledText text;
    tildo::TRtfLosses losses;
    try {
        text = tildo::ReadRtf(input, losses);
    } catch (const tildo::ERtfError&) {
        return 0;
    }
    if (tildo::ReadRtf(input).PlainText() != text.PlainText())
        std::abort();
    const tildo::TStyledText again = tildo::ReadRtf(tildo::WriteRtf(text), losses);
    if (again.PlainText() != text.PlainText() || !losses.Empty())
        std::abort();
    return 0;
}
