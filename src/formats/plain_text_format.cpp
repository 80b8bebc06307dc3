#include "plain_text_format.h"

#include "formats/styled_text.h"
#include "text/cp1251.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tildo {

namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";

std::string LowerAscii(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
        [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return out;
}

} // namespace

TTextEncoding DetectEncoding(std::string_view bytes)
{
    bool nonAscii = false;
    const bool bom = bytes.substr(0, Bom.size()) == Bom;
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        // Plain ASCII and the two-byte sequences of Cyrillic letters eight
        // bytes at a time, then one character directly: a large text is mostly both.
        i = SkipPlainUtf8(bytes, i, nonAscii);
        if (i >= n)
            break;
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        if (b0 < 0x80) {
            ++i;
            continue;
        }
        if ((b0 == 0xD0 || b0 == 0xD1) && i + 1 < n
            && (static_cast<unsigned char>(bytes[i + 1]) & 0xC0) == 0x80) {
            nonAscii = true;
            i += 2;
            continue;
        }
        char32_t ch = 0;
        if (!NextUtf8(bytes, i, ch))
            return TTextEncoding::Cp1251;
        nonAscii = true;
    }
    return bom || nonAscii ? TTextEncoding::Utf8 : TTextEncoding::Cp1251;
}

std::string DeclaredXmlEncodingName(std::string_view bytes)
{
    if (bytes.substr(0, Bom.size()) == Bom)
        bytes.remove_prefix(Bom.size());
    const auto first = bytes.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || bytes.substr(first, 5) != "<?xml")
        return {};
    const auto end = bytes.find("?>", first);
    if (end == std::string_view::npos)
        return {};
    const std::string decl = LowerAscii(bytes.substr(first, end - first));
    auto at = decl.find("encoding");
    if (at == std::string::npos)
        return {};
    at = decl.find_first_not_of(" \t\r\n", at + 8);
    if (at == std::string::npos || decl[at] != '=')
        return {};
    at = decl.find_first_not_of(" \t\r\n", at + 1);
    if (at == std::string::npos || (decl[at] != '"' && decl[at] != '\''))
        return {};
    const auto close = decl.find(decl[at], at + 1);
    if (close == std::string::npos)
        return {};
    return decl.substr(at + 1, close - at - 1);
}

TEncodingChoice DeclaredXmlEncoding(std::string_view bytes)
{
    const std::string name = DeclaredXmlEncodingName(bytes);
    if (name == "windows-1251" || name == "cp1251" || name == "x-cp1251")
        return TEncodingChoice::Cp1251;
    if (name == "utf-8" || name == "utf8")
        return TEncodingChoice::Utf8;
    return TEncodingChoice::Auto;
}

TPlainText ReadPlainText(std::string_view bytes, TEncodingChoice choice)
{
    TTextEncoding encoding = TTextEncoding::Cp1251;
    if (choice == TEncodingChoice::Utf8)
        encoding = TTextEncoding::Utf8;
    else if (choice == TEncodingChoice::Auto)
        encoding = DetectEncoding(bytes);
    TPlainText out;
    out.Encoding = encoding;
    out.Document = encoding == TTextEncoding::Utf8 ? MemoryDocument::FromUtf8(bytes)
                                                   : MemoryDocument::FromCp1251(bytes);
    return out;
}

TPlainText ReadFictionBook(std::string_view bytes)
{
    return ReadPlainText(bytes, DeclaredXmlEncoding(bytes));
}

std::string WritePlainText(const MemoryDocument& doc, TTextEncoding encoding)
{
    return encoding == TTextEncoding::Utf8 ? doc.ToUtf8() : doc.ToCp1251();
}

TPlainTextStyle PlainTextStyleOf(std::string_view bytes, TTextEncoding encoding)
{
    TPlainTextStyle style;
    style.Encoding = encoding;
    style.Bom = encoding == TTextEncoding::Utf8 && bytes.substr(0, Bom.size()) == Bom;
    const auto lf = bytes.find('\n');
    style.CrLf = lf != std::string_view::npos && lf > 0 && bytes[lf - 1] == '\r';
    return style;
}

std::string EncodePlainText(const TStyledText& text, const TPlainTextStyle& style)
{
    TTextEncoding encoding = style.Encoding;
    if (encoding == TTextEncoding::Cp1251 && !FitsCp1251(text.PlainText()))
        encoding = TTextEncoding::Utf8;
    MemoryDocument doc = StyledToMemory(text, style.CrLf ? "\r\n" : "\n");
    doc.SetBom(encoding == TTextEncoding::Utf8 && style.Bom);
    return WritePlainText(doc, encoding);
}

} // namespace tildo
