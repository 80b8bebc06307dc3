#pragma once

#include "text/letters.h"

#include <cstdint>
#include <cstring>

// Eight CP1251 bytes tested at once: the scans of the pass and of the letter
// checks skip long runs without a Russian letter this way.
namespace tildo::lanes {

inline constexpr std::uint64_t Ones = 0x0101010101010101ull;
inline constexpr std::uint64_t Highs = 0x8080808080808080ull;

inline std::uint64_t Load8(const char* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// High bit set in each byte of v that equals c.
inline std::uint64_t BytesEqual(std::uint64_t v, unsigned char c)
{
    const std::uint64_t x = v ^ (Ones * c);
    return ~(((x & ~Highs) + ~Highs) | x) & Highs;
}

// High bit set in each byte of v that is a Russian letter: А..я (0xC0 and
// up, both top bits set), Ё or ё.
inline std::uint64_t LetterBytes(std::uint64_t v)
{
    std::uint64_t letters = v & (v << 1) & Highs;
    if (((v & Highs) & ~letters) != 0) // bytes 0x80..0xBF: look for Ё and ё
        letters |= BytesEqual(v, static_cast<unsigned char>(LetterCapitalYo))
            | BytesEqual(v, static_cast<unsigned char>(LetterYo));
    return letters;
}

} // namespace tildo::lanes
