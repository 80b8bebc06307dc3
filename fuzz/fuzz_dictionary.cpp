// Feeds arbitrary bytes to the main dictionary's loader as a file, then looks up
// a few words, so that odd lines (NUL, 0x98, stray stars and marks, no final
// line break) are proven harmless for loading and for lookups alike.
#include "dict/main_dictionary.h"
#include "fuzz_support.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tildo::fuzz::TNullUi ui;
    tildo::fuzz::TScratchFile file(data, size);
    tildo::TDic dic;
    dic.FileName = file.Path();
    dic.ReadDic(ui);
    tildo::TDicEntry entry;
    const std::string words[] = { "\xE5\xE6", "\xC5\xD9\xC5", "\xEF\xEE\xEB\xE5\xF2\xE0\xEC\xE8", "", "\xE5" };
    for (const std::string& w : words)
        dic.Lookup(w, entry);
    // Every line is also a word to look up: fragments and forms against themselves.
    for (std::size_t i = 0; i < dic.Forms.size() && i < 64; ++i)
        dic.Lookup(tildo::FoldDottedE(dic.Forms[i]), entry);
    return 0;
}
