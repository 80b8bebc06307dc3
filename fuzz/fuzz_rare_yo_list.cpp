// Feeds arbitrary bytes to the rare-ё list's parser, then asks it about words
// built from its own first bytes.
#include "dict/rare_yo_list.h"
#include "text/cp1251.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    tildo::TRareYoList list;
    std::string problem;
    list.Parse(text, problem);
    list.Reason(tildo::Cp("маркёр"));
    list.Reason(text.substr(0, 64));
    list.Reason({});
    return 0;
}
