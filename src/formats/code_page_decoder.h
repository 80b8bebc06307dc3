#pragma once

#include <map>
#include <string>
#include <string_view>

namespace tildo {

// Decodes bytes of a Windows code page (or another code page named by number)
// to Unicode. CP1251 and UTF-8 (65001) are decoded here; the others through
// the C library's converters, opened once per code page and kept while the
// decoder lives. A byte sequence that is not valid in its code page gives
// U+FFFD; an unknown code page is read as CP1252.
class TCodePageDecoder
{
public:
    TCodePageDecoder() = default;
    ~TCodePageDecoder();
    TCodePageDecoder(const TCodePageDecoder&) = delete;
    TCodePageDecoder& operator=(const TCodePageDecoder&) = delete;

    void Decode(int codePage, std::string_view bytes, std::u32string& out);
    // The first character of bytes as Decode reads it; returns the bytes it
    // takes (at least one for non-empty bytes).
    std::size_t DecodeOne(int codePage, std::string_view bytes, char32_t& ch);
    // The bytes of ch in the code page, with the same fallback for a code page
    // that cannot be opened; empty when the code page has no such character.
    std::string Encode(int codePage, char32_t ch);

private:
    void* Converter(int codePage);
    void* Encoder(int codePage);
    std::map<int, void*> m_converters; // iconv_t, or nullptr when it cannot be opened
    std::map<int, void*> m_encoders; // the same, towards the code page
};

// The code page of an RTF/Windows font character set; 0 for the default set.
int CharsetCodePage(int charset);

} // namespace tildo
