#include "collation.h"

namespace tildo {

int FindKey(const TStringList& keys, std::string_view word)
{
    return FindKey<TStringList>(keys, word);
}

} // namespace tildo
