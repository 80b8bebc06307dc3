// Feeds arbitrary bytes to the tag dictionary's parser, then looks up words:
// a file that passes the checks must never make a lookup read out of bounds.
#include "dict/tag_dictionary.h"
#include "text/cp1251.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tildo::TTagDictionary dic;
    std::string problem;
    if (!dic.Parse(std::string(reinterpret_cast<const char*>(data), size), problem))
        return 0;
    tildo::TWordTags tags;
    for (const char* word : { "все", "всё", "чем", "берет", "озёра", "а", "ёёёёёёёё" })
        dic.Find(tildo::Cp(word), tags);
    // Every byte string of one and two letters walks the automaton's first states.
    std::string key(2, '\0');
    for (int a = 0xC0; a <= 0xFF; ++a) {
        key.assign(1, static_cast<char>(a));
        dic.Find(key, tags);
        for (int b = 0xC0; b <= 0xFF; b += 7) {
            key.resize(2);
            key[1] = static_cast<char>(b);
            dic.Find(key, tags);
        }
    }
    return 0;
}
