#include "text_input.h"

#include "batch/messages.h"
#include "text/cp1251.h"

#include <algorithm>

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

void ReadMarkup(
    TInputText& input, TDocumentFormat format, TEncodingChoice choice, unsigned long long maxUnpacked)
{
    try {
        // The document keeps the bytes: they are not held twice.
        input.Markup
            = std::make_shared<const TMarkupDocument>(std::move(input.Bytes), format, choice, maxUnpacked);
        input.Bytes = {};
    } catch (const EDocumentError& e) {
        throw ECliError(ExitInputOutput, InputName(input.Path) + ": " + e.what() + "; ничего не сделано");
    }
    input.Encoding = TTextEncoding::Utf8;
    input.Document = input.Markup->Document();
}

} // namespace

TInputText DecodeInput(TOpenedInput opened)
{
    const TInputDescription& d = opened.Description;
    TInputText input;
    input.Path = d.Path;
    input.Bytes = std::move(opened.Bytes);
    input.Stamp = d.Stamp;
    input.Format = d.Format;
    if (d.Document) {
        ReadMarkup(input, *d.Document, d.Choice, d.MaxUnpacked);
        return input;
    }
    TPlainText plain = ReadPlainText(
        input.Bytes, d.Encoding == TTextEncoding::Utf8 ? TEncodingChoice::Utf8 : TEncodingChoice::Cp1251);
    input.Encoding = plain.Encoding;
    input.Document = std::move(plain.Document);
    return input;
}

TInputText ReadInputText(
    const std::string& path, TEncodingChoice choice, std::string_view format, unsigned long long maxUnpacked)
{
    TOpenedInput opened = OpenInput(path, choice, format, TOpening::Whole);
    opened.Description.MaxUnpacked = maxUnpacked;
    return DecodeInput(std::move(opened));
}

TInputText RtfInputText(const std::string& path, std::string bytes)
{
    TOpenedInput opened;
    opened.Description.Path = path;
    opened.Description.Document = TDocumentFormat::Rtf;
    opened.Description.Format = TTextFormat::Rtf;
    opened.Description.Encoding = TTextEncoding::Utf8;
    opened.Description.RtfOnStandardInput = path == "-";
    opened.Bytes = std::move(bytes);
    return DecodeInput(std::move(opened));
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

bool TInputText::EncodeTo(const std::function<void(std::string_view)>& out) const
{
    if (Markup != nullptr) {
        try {
            return Markup->WriteTo(Document, out);
        } catch (const EDocumentError& e) {
            throw ECliError(ExitInputOutput, InputName(Path) + ": " + e.what() + "; ничего не записано");
        }
    }
    const std::string bytes = WritePlainText(Document, Encoding);
    out(bytes);
    return bytes != Bytes;
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
