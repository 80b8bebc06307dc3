#pragma once

#include "batch/stream_io.h"
#include "formats/markup_document.h"
#include "formats/plain_text_format.h"
#include "formats/text_formats.h"
#include "platform/file_io.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tildo {

// What opening an input found out about it, decided once when it is opened:
// every later step (the streamed pass, the whole pass, the writer) reads this
// instead of looking at the bytes again. Damage that makes an input unusable
// (a zero byte in a text, a FictionBook in an encoding this program does not
// read, a document that is not of its format) is refused while opening.
struct TInputDescription
{
    std::string Path; // "-" for standard input
    TFileStamp Stamp; // the file as it was opened; not Exists for standard input
    // RTF, DOCX, ODT, EPUB, HTML, Markdown, subtitles: a document patched where
    // its letters are written. None for plain text and FictionBook (and for a
    // file named .rtf that is no RTF: it is read as plain text).
    std::optional<TDocumentFormat> Document;
    // The pass's format: FictionBook mode for FictionBook; Plain for the
    // documents other than RTF.
    TTextFormat Format = TTextFormat::Plain;
    // Plain text and FictionBook: the encoding they are read and written in;
    // the documents read their own parts, given what --encoding said.
    TTextEncoding Encoding = TTextEncoding::Cp1251;
    TEncodingChoice Choice = TEncodingChoice::Auto;
    bool RtfOnStandardInput = false; // standard input began like RTF and is read as RTF
    bool BrokenUtf8 = false; // read as CP1251 though it looks like UTF-8 with a few broken bytes
    // Archives: the most bytes their members may unpack to in all.
    unsigned long long MaxUnpacked = TZipArchive::DefaultMaxUnpacked;
};

// An input opened once: read whole (Bytes), or, for a pass that streams,
// plain text and FictionBook left open at their first byte (Stream).
struct TOpenedInput
{
    TInputDescription Description;
    std::string Bytes;
    std::unique_ptr<TByteInput> Stream; // nullptr: read whole
};

enum class TOpening {
    Whole, // everything read into memory
    Streamed, // plain text and FictionBook probed and then read again as the pass goes
};

// Opens FILE ("-" for standard input) and decides what it is. The format is the
// one named by format (--format), or for "auto" follows the file name's
// extension: the window's formats as in the window, and the documents DOCX,
// ODT, EPUB, HTML, Markdown, SRT and WebVTT; standard input is RTF when it
// begins like RTF. RTF and the other documents are always read whole. A text
// read as CP1251 that looks like UTF-8 with a few broken bytes gets a warning
// on standard error. Throws EFileError when the file cannot be read, ECliError
// (exit 2) for an unknown format name and ECliError (exit 3) for input that is
// not text at all or a FictionBook in an encoding that is not read.
TOpenedInput OpenInput(
    const std::string& path, TEncodingChoice choice, std::string_view format, TOpening opening);

// The window's detection (valid UTF-8 with a BOM or a non-ASCII character),
// except that a UTF-8 text cut inside its last character still counts as UTF-8:
// a truncated file must not be read as CP1251 and have its letters changed.
TTextEncoding DetectTextEncoding(std::string_view bytes);
// The length of the incomplete UTF-8 sequence at the end of bytes, 0 when the
// last sequence is complete (or is no UTF-8 at all).
std::size_t IncompleteTail(std::string_view bytes);

} // namespace tildo
