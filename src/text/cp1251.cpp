#include "cp1251.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace tildo {

namespace {

constexpr std::array<char16_t, 256> ToUnicode = {
    0x0000, 0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006, 0x0007,
    0x0008, 0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x000E, 0x000F,
    0x0010, 0x0011, 0x0012, 0x0013, 0x0014, 0x0015, 0x0016, 0x0017,
    0x0018, 0x0019, 0x001A, 0x001B, 0x001C, 0x001D, 0x001E, 0x001F,
    0x0020, 0x0021, 0x0022, 0x0023, 0x0024, 0x0025, 0x0026, 0x0027,
    0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,
    0x0040, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047,
    0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F,
    0x0050, 0x0051, 0x0052, 0x0053, 0x0054, 0x0055, 0x0056, 0x0057,
    0x0058, 0x0059, 0x005A, 0x005B, 0x005C, 0x005D, 0x005E, 0x005F,
    0x0060, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067,
    0x0068, 0x0069, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F,
    0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077,
    0x0078, 0x0079, 0x007A, 0x007B, 0x007C, 0x007D, 0x007E, 0x007F,
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// Reverse table for the characters above 0x7F, built once.
struct TReverse {
    std::array<unsigned char, 0x2200> fromBmp {}; // index: Unicode code point below 0x2200
    std::array<bool, 0x2200> has {};
    TReverse()
    {
        for (int b = 0; b < 256; ++b) {
            const char16_t u = ToUnicode[static_cast<std::size_t>(b)];
            if (u < fromBmp.size()) {
                fromBmp[u] = static_cast<unsigned char>(b);
                has[u] = true;
            }
        }
    }
};

const TReverse& Reverse()
{
    static const TReverse table;
    return table;
}

} // namespace

char16_t Cp1251ToUnicode(unsigned char byte)
{
    return ToUnicode[byte];
}

int UnicodeToCp1251(char32_t ch)
{
    if (ch < 0x80)
        return static_cast<int>(ch);
    const TReverse& r = Reverse();
    if (ch < r.fromBmp.size() && r.has[ch])
        return r.fromBmp[ch];
    return -1;
}

bool NextUtf8(std::string_view s, std::size_t& i, char32_t& ch)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ch = b0;
        ++i;
        return true;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        ch = b0;
        ++i;
        return false;
    }
    if (i + static_cast<std::size_t>(extra) >= s.size()) {
        ch = b0;
        ++i;
        return false;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) {
            ch = b0;
            ++i;
            return false;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ch = b0;
        ++i;
        return false;
    }
    ch = cp;
    i += static_cast<std::size_t>(extra) + 1;
    return true;
}

std::size_t SkipPlainUtf8(std::string_view s, std::size_t i, bool& nonAscii)
{
    constexpr std::uint64_t Ones = 0x0101010101010101ull;
    constexpr std::uint64_t Highs = 0x8080808080808080ull;
    // The high bit of byte 0 set when the byte in front of the block is a
    // lead whose continuation is the block's first byte.
    std::uint64_t pending = 0;
    while (s.size() - i >= 8) {
        std::uint64_t v = 0;
        std::memcpy(&v, s.data() + i, sizeof v);
        const std::uint64_t high = v & Highs;
        if (high == 0 && pending == 0) {
            i += 8;
            continue;
        }
        const std::uint64_t continuations = high & ~(v << 1);
        // 0xD0 and 0xD1 are the bytes that become 0xD1 with the lowest bit set.
        const std::uint64_t x = (v | Ones) ^ (Ones * 0xD1);
        const std::uint64_t leads = ~(((x & ~Highs) + ~Highs) | x) & Highs;
        // Every high byte a lead or a continuation, every continuation right
        // after a lead and every lead right before one (or before the block's end).
        if ((leads | continuations) != high || continuations != ((leads << 8) | pending))
            break;
        pending = leads >> 56;
        nonAscii = nonAscii || high != 0;
        i += 8;
    }
    return pending != 0 ? i - 1 : i; // a lead whose sequence is not yet judged
}

void AppendUtf8(std::string& out, char32_t ch)
{
    if (ch < 0x80) {
        out += static_cast<char>(ch);
    } else if (ch < 0x800) {
        out += static_cast<char>(0xC0 | (ch >> 6));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
        out += static_cast<char>(0xE0 | (ch >> 12));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (ch >> 18));
        out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    }
}

std::string Utf8ToCp1251(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t ch = 0;
        const bool ok = NextUtf8(utf8, i, ch);
        const int b = ok ? UnicodeToCp1251(ch) : -1;
        out += static_cast<char>(b >= 0 ? b : ForeignPlaceholder);
    }
    return out;
}

std::string Cp1251ToUtf8(std::string_view cp1251)
{
    std::string out;
    out.reserve(cp1251.size() * 2);
    for (const char c : cp1251)
        AppendUtf8(out, Cp1251ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

} // namespace tildo
