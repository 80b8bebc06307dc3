// The JSON Lines record reader on arbitrary bytes: it must not crash, recurse
// without bound or read out of bounds; a record it accepts, restored with
// every е turned into ё, must keep its length in characters and stay a
// record it accepts, and a refused record must be left untouched.
#include "formats/json_record.h"
#include "text/letters.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> path = tildo::SplitFieldPath("a.b");
    std::string record = input;
    std::string error;
    const auto dotAll = [](tildo::MemoryDocument& doc) {
        const std::string text = doc.TextRef();
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == tildo::LetterE) {
                doc.Select(static_cast<int>(i), 1);
                doc.ReplaceSelection(std::string(1, tildo::LetterYo));
            }
        }
    };
    if (!tildo::RestoreJsonRecord(record, path, dotAll, error)) {
        if (record != input)
            std::abort();
        return 0;
    }
    std::vector<tildo::TJsonSpan> strings;
    if (!tildo::FindJsonStrings(record, path, strings, error))
        std::abort();
    return 0;
}
