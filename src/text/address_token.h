#pragma once

#include <cstddef>
#include <string_view>

namespace tildo {

// Whether a token (a stretch of text without spaces, its closing punctuation
// cut off) is an address rather than words: a URL, an e-mail address or a
// file path. Its letters are names, not Russian spelling. Only ASCII bytes
// are inspected, so the token may be in CP1251 or in UTF-8.
bool IsAddressToken(std::string_view token);

// Whether the word at [begin, end) of line lies inside such a token. Meant
// for a word about to change, not for every word: it reads the line around
// the word.
bool InsideAddress(std::string_view line, std::size_t begin, std::size_t end);

} // namespace tildo
