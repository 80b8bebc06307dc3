#include "address_token.h"

namespace tildo {

namespace {

// What ends a token: blanks, brackets and quotes.
bool EndsToken(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\xA0' || c == '(' || c == ')' || c == '<'
        || c == '>' || c == '"' || c == '\'' || c == '[' || c == ']' || c == '{' || c == '}' || c == '\xAB'
        || c == '\xBB';
}

// A letter or a digit of an address: ASCII ones, or any byte of a non-ASCII
// character (a Russian domain or mailbox).
bool AddressLetter(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b >= 0x80;
}

bool HasLatinOrDigit(std::string_view text)
{
    for (const char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            return true;
    }
    return false;
}

// A token longer than this is not looked at beyond it on either side of the word.
constexpr std::size_t Reach = 512;

} // namespace

bool IsAddressToken(std::string_view token)
{
    if (token.find("://") != std::string_view::npos || token.starts_with("www.")
        || token.starts_with("mailto:"))
        return true;
    // A mailbox: "@" with a letter on both sides.
    for (std::size_t at = token.find('@'); at != std::string_view::npos; at = token.find('@', at + 1)) {
        if (at > 0 && at + 1 < token.size() && AddressLetter(token[at - 1]) && AddressLetter(token[at + 1]))
            return true;
    }
    if ((token.starts_with("/") && token.find('/', 1) != std::string_view::npos) || token.starts_with("~/")
        || token.starts_with("./") || token.starts_with("../"))
        return true;
    // Windows: a drive or a network share (a lone backslash is an escape in
    // Markdown and TeX, not a path).
    return token.starts_with("\\\\") || (token.size() > 2 && token[1] == ':' && token[2] == '\\');
}

bool InsideAddress(std::string_view line, std::size_t begin, std::size_t end)
{
    if (begin >= end || end > line.size())
        return false;
    std::size_t start = begin;
    const std::size_t leftLimit = begin > Reach ? begin - Reach : 0;
    while (start > leftLimit && !EndsToken(line[start - 1]))
        --start;
    std::size_t stop = end;
    const std::size_t rightLimit = line.size() - end > Reach ? end + Reach : line.size();
    while (stop < rightLimit && !EndsToken(line[stop]))
        ++stop;
    // The word alone, or with only a letter's neighbours: plain text.
    if (start == begin && stop == end)
        return false;
    while (stop > end && std::string_view(".,;:!?").find(line[stop - 1]) != std::string_view::npos)
        --stop;
    const std::string_view token = line.substr(start, stop - start);
    if (IsAddressToken(token))
        return true;
    // A part of a relative path: a slash on either side of the word, and a
    // Latin letter or a digit in the token (a list of Russian words written
    // with slashes is not a path).
    return begin > start && line[begin - 1] == '/' && end < stop && line[end] == '/'
        && HasLatinOrDigit(token);
}

} // namespace tildo
