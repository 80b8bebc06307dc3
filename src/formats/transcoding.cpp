#include "formats/transcoding.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace tildo {

namespace {

struct TKnownEncoding
{
    std::string_view Declared;
    std::string_view Iconv;
};

constexpr std::array<TKnownEncoding, 9> KnownEncodings { {
    { "koi8-r", "KOI8-R" },
    { "koi8r", "KOI8-R" },
    { "cp866", "CP866" },
    { "ibm866", "CP866" },
    { "866", "CP866" },
    { "iso-8859-5", "ISO-8859-5" },
    { "iso8859-5", "ISO-8859-5" },
    { "utf-16le", "UTF-16LE" },
    { "utf-16be", "UTF-16BE" },
} };

std::string Lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
        [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return out;
}

} // namespace

std::optional<TForeignEncoding> ForeignEncodingNamed(std::string_view declared)
{
    const std::string name = Lower(declared);
    for (const TKnownEncoding& e : KnownEncodings) {
        if (e.Declared == name)
            return TForeignEncoding { std::string(e.Iconv) };
    }
    return std::nullopt;
}

std::optional<TForeignEncoding> Utf16ByMark(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE"))
        return TForeignEncoding { "UTF-16LE" };
    if (bytes.starts_with("\xFE\xFF"))
        return TForeignEncoding { "UTF-16BE" };
    return std::nullopt;
}

std::optional<std::string> Transcode(std::string_view bytes, const std::string& from, const std::string& to)
{
    const iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string out(bytes.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    std::size_t done = 0;
    bool ok = true;
    while (inLeft > 0) {
        char* dst = out.data() + done;
        std::size_t outLeft = out.size() - done;
        const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
        done = out.size() - outLeft;
        if (rc != static_cast<std::size_t>(-1))
            continue;
        if (errno != E2BIG) {
            ok = false;
            break;
        }
        out.resize(out.size() * 2);
    }
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    out.resize(done);
    return out;
}

std::string DeclaredHtmlCharset(std::string_view bytes)
{
    const std::string head = Lower(bytes.substr(0, 4096));
    std::size_t at = head.find("charset");
    while (at != std::string::npos) {
        std::size_t i = at + 7;
        while (i < head.size() && (head[i] == ' ' || head[i] == '\t'))
            ++i;
        if (i < head.size() && head[i] == '=') {
            ++i;
            while (i < head.size() && (head[i] == ' ' || head[i] == '"' || head[i] == '\''))
                ++i;
            const std::size_t end = head.find_first_of("\"'; />\t\r\n", i);
            return head.substr(i, (end == std::string::npos ? head.size() : end) - i);
        }
        at = head.find("charset", at + 7);
    }
    return {};
}

} // namespace tildo
