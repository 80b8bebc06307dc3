#include "code_page_decoder.h"

#include "text/cp1251.h"

#include <array>
#include <cerrno>
#include <iconv.h>

namespace tildo {

namespace {

const iconv_t NoConverter = reinterpret_cast<iconv_t>(-1);

std::string IconvName(int codePage)
{
    switch (codePage) {
    case 10000:
        return "MACINTOSH";
    case 20866:
        return "KOI8-R";
    case 21866:
        return "KOI8-U";
    default:
        if (codePage >= 28591 && codePage <= 28606)
            return "ISO-8859-" + std::to_string(codePage - 28590);
        return "CP" + std::to_string(codePage);
    }
}

} // namespace

TCodePageDecoder::~TCodePageDecoder()
{
    for (auto* converters : { &m_converters, &m_encoders }) {
        for (auto& [codePage, cd] : *converters) {
            if (cd != nullptr)
                iconv_close(static_cast<iconv_t>(cd));
        }
    }
}

void* TCodePageDecoder::Encoder(int codePage)
{
    const auto it = m_encoders.find(codePage);
    if (it != m_encoders.end())
        return it->second;
    iconv_t cd = iconv_open(IconvName(codePage).c_str(), "UTF-32LE");
    void* stored = cd == NoConverter ? nullptr : static_cast<void*>(cd);
    m_encoders.emplace(codePage, stored);
    return stored;
}

void* TCodePageDecoder::Converter(int codePage)
{
    const auto it = m_converters.find(codePage);
    if (it != m_converters.end())
        return it->second;
    iconv_t cd = iconv_open("UTF-32LE", IconvName(codePage).c_str());
    void* stored = cd == NoConverter ? nullptr : static_cast<void*>(cd);
    m_converters.emplace(codePage, stored);
    return stored;
}

void TCodePageDecoder::Decode(int codePage, std::string_view bytes, std::u32string& out)
{
    if (codePage == 1251) {
        for (const char c : bytes)
            out += Cp1251ToUnicode(static_cast<unsigned char>(c));
        return;
    }
    if (codePage == 65001) {
        std::size_t i = 0;
        while (i < bytes.size()) {
            char32_t ch = 0;
            out += NextUtf8(bytes, i, ch) ? ch : U'\uFFFD';
        }
        return;
    }
    void* converter = Converter(codePage);
    if (converter == nullptr && codePage != 1252)
        converter = Converter(1252);
    if (converter == nullptr) {
        for (const char c : bytes)
            out += static_cast<unsigned char>(c);
        return;
    }
    auto cd = static_cast<iconv_t>(converter);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::array<char, 1024> buffer {};
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    auto drain = [&out, &buffer](std::size_t used) {
        for (std::size_t k = 0; k + 4 <= used; k += 4) {
            const auto* b = reinterpret_cast<const unsigned char*>(buffer.data() + k);
            out += static_cast<char32_t>(
                b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<char32_t>(b[3]) << 24));
        }
    };
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        drain(buffer.size() - outLeft);
        if (r != static_cast<std::size_t>(-1))
            continue;
        if (error == E2BIG)
            continue;
        // An invalid or truncated sequence: one replacement for its first byte.
        out += U'\uFFFD';
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
}

std::size_t TCodePageDecoder::DecodeOne(int codePage, std::string_view bytes, char32_t& ch)
{
    ch = U'\uFFFD';
    if (bytes.empty())
        return 0;
    if (codePage == 1251) {
        ch = Cp1251ToUnicode(static_cast<unsigned char>(bytes[0]));
        return 1;
    }
    if (codePage == 65001) {
        std::size_t i = 0;
        if (!NextUtf8(bytes, i, ch))
            ch = U'\uFFFD';
        return i;
    }
    void* converter = Converter(codePage);
    if (converter == nullptr && codePage != 1252)
        converter = Converter(1252);
    if (converter == nullptr) {
        ch = static_cast<unsigned char>(bytes[0]);
        return 1;
    }
    // Room for exactly one character: the converter stops after it and says
    // how many bytes it took, as it would in the middle of Decode.
    auto cd = static_cast<iconv_t>(converter);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::array<unsigned char, 4> buffer {};
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* outPtr = reinterpret_cast<char*>(buffer.data());
    std::size_t outLeft = buffer.size();
    iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (outLeft == 0) {
        ch = static_cast<char32_t>(buffer[0] | (buffer[1] << 8) | (buffer[2] << 16))
            | (static_cast<char32_t>(buffer[3]) << 24);
        return bytes.size() - inLeft;
    }
    return 1;
}

std::string TCodePageDecoder::Encode(int codePage, char32_t ch)
{
    std::string out;
    if (codePage == 1251) {
        const int b = UnicodeToCp1251(ch);
        if (b >= 0)
            out += static_cast<char>(b);
        return out;
    }
    if (codePage == 65001) {
        AppendUtf8(out, ch);
        return out;
    }
    void* encoder = Converter(codePage) != nullptr || codePage == 1252 ? Encoder(codePage) : Encoder(1252);
    if (encoder == nullptr) {
        if (ch < 0x100)
            out += static_cast<char>(ch);
        return out;
    }
    auto cd = static_cast<iconv_t>(encoder);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const std::array<unsigned char, 4> unit { static_cast<unsigned char>(ch & 0xFF),
        static_cast<unsigned char>((ch >> 8) & 0xFF), static_cast<unsigned char>((ch >> 16) & 0xFF),
        static_cast<unsigned char>(ch >> 24) };
    std::array<char, 16> buffer {};
    char* in = const_cast<char*>(reinterpret_cast<const char*>(unit.data()));
    std::size_t inLeft = unit.size();
    char* outPtr = buffer.data();
    std::size_t outLeft = buffer.size();
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
        return out;
    // A stateful code page closes its shift sequence.
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.assign(buffer.data(), buffer.size() - outLeft);
    return out;
}

int CharsetCodePage(int charset)
{
    switch (charset) {
    case 0:
    case 2:
        return 1252;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0;
    }
}

} // namespace tildo
