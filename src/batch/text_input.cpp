#include "text_input.h"

#include "batch/messages.h"
#include "batch/stream_io.h"
#include "batch/utf8_tally.h"
#include "formats/rtf_reader.h"
#include "platform/file_io.h"
#include "text/cp1251.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

namespace tildo {

namespace {

std::string RichRangeToUtf8(std::u32string_view text)
{
    std::string out;
    for (const char32_t ch : text) {
        if (IsEscapedByte(ch))
            out += static_cast<char>(ch - EscapedByteBase);
        else
            AppendUtf8(out, ch);
    }
    return out;
}

// The encoding an XML declaration names, lower case; empty when it names none.
std::string DeclaredEncodingName(std::string_view bytes)
{
    const std::size_t start = bytes.find("<?xml");
    const std::size_t end = bytes.find("?>");
    if (start > 64 || end == std::string_view::npos || end < start)
        return {};
    std::string decl(bytes.substr(start, end - start));
    std::transform(decl.begin(), decl.end(), decl.begin(),
        [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    const std::size_t at = decl.find("encoding");
    const std::size_t open = at == std::string::npos ? at : decl.find_first_of("\"'", at);
    const std::size_t close = open == std::string::npos ? open : decl.find(decl[open], open + 1);
    return close == std::string::npos ? std::string() : decl.substr(open + 1, close - open - 1);
}

// A FictionBook in an encoding this program does not read would be misread
// and its letters left alone or garbled: refuse it.
void CheckFictionBookEncoding(const std::string& path, std::string_view bytes)
{
    const std::string name = DeclaredEncodingName(bytes);
    if (name.empty() || name == "utf-8" || name == "utf8" || name == "windows-1251" || name == "cp1251"
        || name == "x-cp1251" || name == "us-ascii" || name == "ascii")
        return;
    throw ECliError(ExitInputOutput,
        InputName(path) + ": объявлена кодировка \"" + name
            + "\", которую программа не читает (читаются UTF-8 и Windows-1251); ничего не сделано");
}

// The window's format a --format name stands for.
std::optional<TTextFormat> TextFormatNamed(std::string_view name)
{
    if (name == "text" || name == "txt" || name == "plain")
        return TTextFormat::Plain;
    if (name == "rtf")
        return TTextFormat::Rtf;
    if (name == "fb2")
        return TTextFormat::FictionBook;
    return std::nullopt;
}

void ReadMarkup(TInputText& input, TDocumentFormat format, TEncodingChoice choice)
{
    try {
        input.Markup = std::make_shared<const TMarkupDocument>(input.Bytes, format, choice);
    } catch (const EDocumentError& e) {
        throw ECliError(ExitInputOutput, InputName(input.Path) + ": " + e.what() + "; ничего не сделано");
    }
    input.Encoding = TTextEncoding::Utf8;
    input.Document = input.Markup->Document();
}

} // namespace

void RefuseUnreadFictionBookEncoding(const std::string& path, std::string_view bytes)
{
    CheckFictionBookEncoding(path, bytes);
}

std::size_t IncompleteTail(std::string_view bytes)
{
    std::size_t continuation = 0;
    std::size_t i = bytes.size();
    while (i > 0 && continuation < 3 && (static_cast<unsigned char>(bytes[i - 1]) & 0xC0) == 0x80) {
        --i;
        ++continuation;
    }
    if (i == 0)
        return 0;
    const auto lead = static_cast<unsigned char>(bytes[i - 1]);
    std::size_t needed = 0;
    if ((lead & 0xE0) == 0xC0)
        needed = 1;
    else if ((lead & 0xF0) == 0xE0)
        needed = 2;
    else if ((lead & 0xF8) == 0xF0)
        needed = 3;
    return needed > continuation ? continuation + 1 : 0;
}

TTextEncoding DetectTextEncoding(std::string_view bytes)
{
    const TTextEncoding detected = DetectEncoding(bytes);
    if (detected == TTextEncoding::Utf8)
        return detected;
    const std::size_t tail = IncompleteTail(bytes);
    if (tail == 0 || tail == bytes.size())
        return detected;
    return DetectEncoding(bytes.substr(0, bytes.size() - tail));
}

std::optional<TTextFormat> TextFormatFor(const std::string& path, std::string_view format)
{
    if (format != "auto")
        return TextFormatNamed(format);
    if (path == "-")
        return TTextFormat::Plain;
    if (DocumentFormatOf(path))
        return std::nullopt;
    return TextFormatOf(path);
}

TInputText ReadInputText(const std::string& path, TEncodingChoice choice, std::string_view format)
{
    TInputText input;
    input.Path = path;
    std::optional<TDocumentFormat> document;
    std::optional<TTextFormat> named;
    if (format != "auto") {
        document = DocumentFormatNamed(format);
        named = TextFormatNamed(format);
        if (!document && !named)
            throw ECliError(ExitUsage,
                "неизвестный формат \"" + std::string(format)
                    + "\"; возможны auto, text, rtf, fb2, docx, odt, epub, html, md, srt, vtt");
    } else if (path != "-") {
        document = DocumentFormatOf(path);
    }
    if (path == "-") {
        input.Bytes = ReadStandardInput();
        input.Format = LooksLikeRtf(input.Bytes) ? TTextFormat::Rtf : TTextFormat::Plain;
    } else {
        RefuseEndlessInput(path);
        input.Bytes = ReadWholeFile(path, &input.Stamp);
        input.Format = TextFormatOf(path);
    }
    if (named)
        input.Format = *named;
    if (document) {
        input.Format = TTextFormat::Plain;
        ReadMarkup(input, *document, choice);
        return input;
    }
    const std::string& bytes = input.Bytes;
    if (input.Format == TTextFormat::Rtf && LooksLikeRtf(bytes)) {
        ReadMarkup(input, TDocumentFormat::Rtf, choice);
        return input;
    }
    // No text file holds a zero byte; such input is binary (or UTF-16), and
    // changing "letters" in it would only damage it.
    if (std::memchr(bytes.data(), 0, bytes.size()) != nullptr)
        throw ECliError(ExitInputOutput,
            InputName(path) + " не похож на текст (в нём есть нулевые байты); ничего не сделано");
    if (choice == TEncodingChoice::Auto && input.Format == TTextFormat::FictionBook) {
        CheckFictionBookEncoding(path, bytes);
        choice = DeclaredXmlEncoding(bytes);
    }
    if (choice == TEncodingChoice::Auto) {
        choice = DetectTextEncoding(bytes) == TTextEncoding::Utf8 ? TEncodingChoice::Utf8
                                                                  : TEncodingChoice::Cp1251;
        if (choice == TEncodingChoice::Cp1251)
            WarnOfBrokenUtf8(path, bytes);
    }
    TPlainText plain = ReadPlainText(bytes, choice);
    input.Encoding = plain.Encoding;
    input.Document = std::move(plain.Document);
    return input;
}

TInputText RtfInputText(const std::string& path, std::string bytes)
{
    TInputText input;
    input.Path = path;
    input.Bytes = std::move(bytes);
    input.Format = TTextFormat::Rtf;
    ReadMarkup(input, TDocumentFormat::Rtf, TEncodingChoice::Auto);
    return input;
}

std::string TInputText::Encode() const
{
    if (Markup != nullptr) {
        try {
            return Markup->Write(Document);
        } catch (const EDocumentError& e) {
            throw ECliError(ExitInputOutput, InputName(Path) + ": " + e.what() + "; ничего не записано");
        }
    }
    return WritePlainText(Document, Encoding);
}

std::string TInputText::ForList(std::string_view cp1251) const
{
    return ListsInUtf8() ? Cp1251ToUtf8(cp1251) : std::string(cp1251);
}

TSourceRanges::TSourceRanges(const TInputText& input)
    : m_input(input)
{
    if (input.Markup != nullptr) {
        const std::string& text = input.Markup->Text();
        for (std::size_t i = 0; i < text.size();) {
            char32_t ch = 0;
            NextUtf8(text, i, ch);
            m_richText += ch;
        }
    } else if (input.Encoding == TTextEncoding::Utf8 && input.Document.HasBom())
        m_origin = 3;
    m_byte = m_origin;
}

std::size_t TSourceRanges::ByteOf(int position)
{
    if (position < m_position) {
        m_position = 0;
        m_byte = m_origin;
    }
    const std::string_view bytes = m_input.Bytes;
    const bool utf8 = m_input.Encoding == TTextEncoding::Utf8;
    while (m_position < position && m_byte < bytes.size()) {
        if (bytes[m_byte] == '\r' && m_byte + 1 < bytes.size() && bytes[m_byte + 1] == '\n') {
            m_byte += 2;
        } else if (utf8) {
            char32_t ch = 0;
            NextUtf8(bytes, m_byte, ch);
        } else {
            ++m_byte;
        }
        ++m_position;
    }
    return m_byte;
}

std::string TSourceRanges::Range(int start, int length)
{
    if (start < 0 || length < 0)
        return {};
    if (m_input.Markup != nullptr) {
        const auto size = m_richText.size();
        const auto from = std::min(static_cast<std::size_t>(start), size);
        return RichRangeToUtf8(
            std::u32string_view(m_richText).substr(from, static_cast<std::size_t>(length)));
    }
    const std::size_t from = ByteOf(start);
    const std::size_t to = ByteOf(start + length);
    return m_input.Bytes.substr(from, to - from);
}

} // namespace tildo
