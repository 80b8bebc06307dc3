#include "collation.h"

namespace tildo {

int FindKey(const TStringList& keys, std::string_view word)
{
    int i = FindExact(keys, word, [](const std::string& item, std::string_view w) {
        return detail::CompareMapped(item, detail::TIdentity {}, w, detail::TLowerTail {});
    });
    if (i == -1) {
        i = FindExact(keys, word, [](const std::string& item, std::string_view w) {
            return detail::CompareMapped(item, detail::TIdentity {}, w, detail::TLower {});
        });
    }
    return i;
}

} // namespace tildo
