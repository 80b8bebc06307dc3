#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tildo {

// A code page other than UTF-8 and CP1251 that a document declares (KOI8-R,
// CP866, ISO-8859-5) or carries (UTF-16 with its byte-order mark): the
// document is read as UTF-8 and written back in it.
struct TForeignEncoding
{
    std::string Name; // as iconv knows it
};

// The iconv name for an encoding a document may declare, when it is one read
// through UTF-8; none for the rest (UTF-8 and CP1251 among them).
std::optional<TForeignEncoding> ForeignEncodingNamed(std::string_view declared);

// UTF-16 by its byte-order mark; none without one.
std::optional<TForeignEncoding> Utf16ByMark(std::string_view bytes);

// The bytes converted between encodings (iconv names); none when a byte does
// not convert.
std::optional<std::string> Transcode(std::string_view bytes, const std::string& from, const std::string& to);

// The charset an HTML page declares in its head (<meta charset> or
// content="...; charset=..."), in lower case; empty when it declares none.
std::string DeclaredHtmlCharset(std::string_view bytes);

} // namespace tildo
