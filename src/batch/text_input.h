#pragma once

#include "batch/opened_input.h"
#include "formats/markup_document.h"
#include "formats/plain_text_format.h"
#include "formats/text_formats.h"
#include "platform/file_io.h"
#include "text/memory_document.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tildo {

// A text read for a command: its bytes, how they were decoded and the
// document the engine works on. Plain text and FictionBook are decoded so that
// writing them back gives the same bytes apart from the changed letters; RTF
// and the other documents are patched where their letters are written.
struct TInputText
{
    std::string Path; // "-" for standard input
    std::string Bytes; // as read; empty for documents (Markup holds them)
    TFileStamp Stamp; // the file as it was read; not Exists for standard input
    TTextFormat Format = TTextFormat::Plain;
    TTextEncoding Encoding = TTextEncoding::Cp1251; // of plain text and FictionBook
    MemoryDocument Document;
    // RTF, DOCX, ODT, EPUB, HTML, Markdown, subtitles: the document the
    // running text comes from and goes back into.
    std::shared_ptr<const TMarkupDocument> Markup;

    // The document written back in the input's own form.
    std::string Encode() const;
    // The same given to out piece by piece (a document is never held whole
    // twice); whether it differs from the input. Nothing is given to out
    // when it throws.
    bool EncodeTo(const std::function<void(std::string_view)>& out) const;
    // Lists taken from the text (words, matches) are written in the input's
    // encoding; documents (RTF among them) give UTF-8.
    bool ListsInUtf8() const { return Markup != nullptr || Encoding == TTextEncoding::Utf8; }
    // A CP1251 text (a word of the document) in that encoding.
    std::string ForList(std::string_view cp1251) const;
};

// The text of an input opened whole, decoded as its description says.
TInputText DecodeInput(TOpenedInput opened);
// OpenInput (read whole), then DecodeInput.
TInputText ReadInputText(const std::string& path, TEncodingChoice choice, std::string_view format = "auto",
    unsigned long long maxUnpacked = TZipArchive::DefaultMaxUnpacked);
// Standard input that begins like RTF, already read (from path "-").
TInputText RtfInputText(const std::string& path, std::string bytes);

// The characters of document positions exactly as the input holds them (line
// breaks with their own bytes, characters CP1251 cannot hold, malformed bytes),
// in the input's encoding. Asking ranges in ascending order costs one walk over
// the bytes; an earlier range starts the walk again.
class TSourceRanges
{
public:
    explicit TSourceRanges(const TInputText& input);
    std::string Range(int start, int length);

private:
    std::size_t ByteOf(int position);

    const TInputText& m_input;
    std::u32string m_richText; // documents: the decoded characters, one per position
    std::size_t m_origin = 0; // the first byte of position 0
    int m_position = 0;
    std::size_t m_byte = 0;
};

} // namespace tildo
