// The RTF reader on arbitrary bytes: it must not crash, hang or read out of
// bounds, and what it reads must survive the writer and the reader again.
#include "app/rtf_reader.h"
#include "app/rtf_writer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    tildo::TStyledText text;
    try {
        text = tildo::ReadRtf(input);
    } catch (const tildo::ERtfError&) {
        return 0;
    }
    const tildo::TStyledText again = tildo::ReadRtf(tildo::WriteRtf(text));
    if (again.PlainText() != text.PlainText())
        std::abort();
    return 0;
}
