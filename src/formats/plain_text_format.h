#pragma once

#include "text/memory_document.h"

#include <string>
#include <string_view>

namespace tildo {

class TStyledText;

enum class TTextEncoding { Cp1251, Utf8 };
enum class TEncodingChoice { Auto, Cp1251, Utf8 };

// UTF-8 when the bytes are valid UTF-8 and either begin with a byte-order mark
// or hold a non-ASCII character; CP1251 otherwise.
TTextEncoding DetectEncoding(std::string_view bytes);

// The encoding an XML file declares in its first line (encoding="..."): CP1251
// for windows-1251 or cp1251, UTF-8 for utf-8, Auto for anything else or no
// declaration.
TEncodingChoice DeclaredXmlEncoding(std::string_view bytes);
// The encoding name an XML declaration gives, in lower case; empty when there
// is none.
std::string DeclaredXmlEncodingName(std::string_view bytes);

// A plain text file as a document, with what is needed to write it back byte
// for byte: the encoding it was read in (the document itself keeps the BOM,
// each line break's bytes and every character or byte CP1251 cannot show).
struct TPlainText
{
    MemoryDocument Document;
    TTextEncoding Encoding = TTextEncoding::Cp1251;
};

TPlainText ReadPlainText(std::string_view bytes, TEncodingChoice choice = TEncodingChoice::Auto);
// Reads a FictionBook file: plain text in the encoding its XML declaration
// names (detected when it names none the program knows).
TPlainText ReadFictionBook(std::string_view bytes);
std::string WritePlainText(const MemoryDocument& doc, TTextEncoding encoding);

// How a plain text file was written, for writing an edited text the same way.
struct TPlainTextStyle
{
    TTextEncoding Encoding = TTextEncoding::Cp1251;
    bool Bom = false;
    bool CrLf = false; // its first line break was CR LF
};

TPlainTextStyle PlainTextStyleOf(std::string_view bytes, TTextEncoding encoding);

// The bytes of an edited text written in the given style. A text with
// characters CP1251 cannot hold is written as UTF-8 rather than lose them.
std::string EncodePlainText(const TStyledText& text, const TPlainTextStyle& style);

} // namespace tildo
