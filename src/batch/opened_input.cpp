#include "opened_input.h"

#include "batch/messages.h"
#include "batch/utf8_tally.h"
#include "formats/rtf_reader.h"
#include "formats/transcoding.h"
#include "formats/zip_archive.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

namespace tildo {

namespace {

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

constexpr std::size_t Piece = 1 << 20;

// What a first reading of a text tells before the pass: whether it is text at
// all, whether it is RTF, and its encoding as the whole-text reading would
// find it. The reading goes by pieces ending at line breaks, which no UTF-8
// sequence spans, so each piece can be judged alone.
struct TProbe
{
    std::string Head; // the first piece
    bool Nul = false;
    bool Invalid = false; // some piece is no valid UTF-8
    bool NonAscii = false;
    std::string Tail; // the bytes after the last line break seen so far
    std::uint64_t Size = 0;
    std::string_view Format = "auto"; // as --format names it
    bool TallyUtf8 = false; // for the warning about a UTF-8 text with broken bytes
    TUtf8Tally Tally;

    void Add(std::string_view bytes)
    {
        if (Head.size() < Piece)
            Head.append(bytes.substr(0, Piece - Head.size()));
        Size += bytes.size();
        Nul = Nul || std::memchr(bytes.data(), 0, bytes.size()) != nullptr;
        const std::size_t lastBreak = bytes.rfind('\n');
        if (lastBreak == std::string_view::npos) {
            Tail.append(bytes);
            // A line without a break can be long: judged in parts of whole sequences.
            if (Tail.size() > 4 * Piece)
                JudgeLongTail();
            return;
        }
        Tail.append(bytes.substr(0, lastBreak + 1));
        Judge(Tail);
        Tail.assign(bytes.substr(lastBreak + 1));
    }
    // A piece's verdict: no valid UTF-8, or valid with a non-ASCII character.
    static void Verdict(std::string_view piece, bool& invalid, bool& nonAscii)
    {
        bool ascii = true;
        for (const char c : piece)
            ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (ascii)
            return;
        if (DetectEncoding(piece) == TTextEncoding::Utf8)
            nonAscii = true;
        else
            invalid = true;
    }
    // Pieces are whole lines or whole sequences, judged in order.
    void Judge(std::string_view piece)
    {
        if (!Invalid)
            Verdict(piece, Invalid, NonAscii);
        if (!TallyUtf8)
            return;
        // Until a piece breaks UTF-8 its characters are only counted.
        if (Invalid)
            Tally.Add(piece);
        else
            Tally.AddWellFormed(piece);
    }
    void JudgeLongTail()
    {
        const std::size_t keep = IncompleteTail(Tail);
        Judge(std::string_view(Tail).substr(0, Tail.size() - keep));
        Tail.erase(0, Tail.size() - keep);
    }
    // The encoding the whole-text reading would choose (DetectTextEncoding).
    TTextEncoding Finish()
    {
        if (TallyUtf8) {
            Tally.Add(Tail);
            Tally.Finish();
        }
        const bool bom = Head.substr(0, 3) == "\xEF\xBB\xBF";
        bool invalid = Invalid;
        bool nonAscii = NonAscii;
        Verdict(Tail, invalid, nonAscii);
        if (!invalid && (nonAscii || bom))
            return TTextEncoding::Utf8;
        // A text cut inside its last character still counts as UTF-8.
        const std::size_t cut = IncompleteTail(Tail);
        if (cut == 0 || cut >= Size)
            return TTextEncoding::Cp1251;
        invalid = Invalid;
        nonAscii = NonAscii;
        Verdict(std::string_view(Tail).substr(0, Tail.size() - cut), invalid, nonAscii);
        return !invalid && (nonAscii || bom) ? TTextEncoding::Utf8 : TTextEncoding::Cp1251;
    }
};

std::string ReadAll(TByteInput& input)
{
    std::string bytes;
    while (input.ReadInto(bytes, Piece) > 0) { }
    return bytes;
}

ECliError NotText(const std::string& path)
{
    return ECliError(ExitInputOutput,
        InputName(path) + " не похож на текст (в нём есть нулевые байты); ничего не сделано");
}

// Standard input that begins like RTF is read as RTF unless a format is named.
bool StandardInputRtf(const std::string& path, const TProbe& probe)
{
    return path == "-" && probe.Format == "auto" && LooksLikeRtf(probe.Head);
}

// The input read once through the probe and ready to be read again from its
// start; standard input and pipes are kept in a temporary file for that. A text with a
// zero byte is refused as soon as one shows, so that binary or endless input
// is not read to its end first.
std::unique_ptr<TByteInput> OpenProbed(const std::string& path, TProbe& probe)
{
    const auto add = [&](std::string_view piece) {
        probe.Add(piece);
        if (probe.Nul && !StandardInputRtf(path, probe))
            throw NotText(path);
    };
    if (path == "-")
        return std::make_unique<TByteInput>(SpoolToTemporary(STDIN_FILENO, add), "stdin");
    auto input = std::make_unique<TByteInput>(path);
    if (input->Size() < 0) // a named pipe: kept too
        return std::make_unique<TByteInput>(SpoolToTemporary(input->Fd(), add), input->Name());
    std::string piece;
    for (;;) {
        piece.clear();
        if (input->ReadInto(piece, Piece) == 0)
            break;
        add(piece);
    }
    input->Rewind();
    return input;
}

// What --format and the file name say before a byte is read.
struct TNamedFormat
{
    std::optional<TDocumentFormat> Document;
    std::optional<TTextFormat> Text; // named by --format
};

TNamedFormat NamedFormat(const std::string& path, std::string_view format)
{
    TNamedFormat named;
    if (format != "auto") {
        named.Document = DocumentFormatNamed(format);
        named.Text = TextFormatNamed(format);
        if (!named.Document && !named.Text)
            throw ECliError(ExitUsage,
                "неизвестный формат \"" + std::string(format)
                    + "\"; возможны auto, text, rtf, fb2, docx, odt, epub, html, md, srt, vtt");
    } else if (path != "-") {
        named.Document = DocumentFormatOf(path);
    }
    return named;
}

// The encoding --encoding leaves to decide: a FictionBook's own declaration
// unless one was given (one this program does not read is refused).
TEncodingChoice EncodingToDecide(const TInputDescription& d, TEncodingChoice choice, std::string_view head)
{
    if (choice != TEncodingChoice::Auto || d.Format != TTextFormat::FictionBook)
        return choice;
    CheckFictionBookEncoding(d.Path, head);
    return DeclaredXmlEncoding(head);
}

TTextEncoding EncodingOf(TEncodingChoice choice)
{
    return choice == TEncodingChoice::Utf8 ? TTextEncoding::Utf8 : TTextEncoding::Cp1251;
}

void NoteBrokenUtf8(TInputDescription& d, const TUtf8Tally& tally)
{
    d.BrokenUtf8 = tally.LooksBroken();
    if (d.BrokenUtf8)
        PrintError(tally.Warning(d.Path));
}

TOpenedInput OpenWhole(const std::string& path, TEncodingChoice choice, const TNamedFormat& named)
{
    TOpenedInput opened;
    TInputDescription& d = opened.Description;
    std::string& bytes = opened.Bytes;
    d.Path = path;
    d.Choice = choice;
    if (path == "-") {
        bytes = ReadStandardInput();
        d.Format = LooksLikeRtf(bytes) ? TTextFormat::Rtf : TTextFormat::Plain;
    } else {
        RefuseEndlessInput(path);
        bytes = ReadWholeFile(path, &d.Stamp);
        d.Format = TextFormatOf(path);
    }
    if (named.Text)
        d.Format = *named.Text;
    if (named.Document) {
        // A book in an encoding this program does not read is refused now,
        // as a FictionBook text always was.
        if (*named.Document == TDocumentFormat::Fb2 && choice == TEncodingChoice::Auto && !LooksLikeZip(bytes)
            && !Utf16ByMark(bytes) && !ForeignEncodingNamed(DeclaredXmlEncodingName(bytes)))
            CheckFictionBookEncoding(path, bytes);
        d.Format = TTextFormat::Plain;
        d.Document = named.Document;
        d.Encoding = TTextEncoding::Utf8;
        return opened;
    }
    if (d.Format == TTextFormat::Rtf && LooksLikeRtf(bytes)) {
        d.Document = TDocumentFormat::Rtf;
        d.Encoding = TTextEncoding::Utf8;
        d.RtfOnStandardInput = path == "-";
        return opened;
    }
    // No text file holds a zero byte; such input is binary (or UTF-16), and
    // changing "letters" in it would only damage it.
    if (std::memchr(bytes.data(), 0, bytes.size()) != nullptr)
        throw NotText(path);
    choice = EncodingToDecide(d, choice, bytes);
    if (choice != TEncodingChoice::Auto) {
        d.Encoding = EncodingOf(choice);
        return opened;
    }
    d.Encoding = DetectTextEncoding(bytes);
    if (d.Encoding == TTextEncoding::Cp1251) {
        TUtf8Tally tally;
        tally.Add(bytes);
        tally.Finish();
        NoteBrokenUtf8(d, tally);
    }
    return opened;
}

} // namespace

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

TOpenedInput OpenInput(
    const std::string& path, TEncodingChoice choice, std::string_view format, TOpening opening)
{
    const TNamedFormat named = NamedFormat(path, format);
    const TTextFormat textFormat = named.Text ? *named.Text
        : path == "-"                         ? TTextFormat::Plain
                                              : TextFormatOf(path);
    if (opening == TOpening::Whole || named.Document || textFormat == TTextFormat::Rtf)
        return OpenWhole(path, choice, named);

    TProbe probe;
    probe.Format = format;
    probe.TallyUtf8 = choice == TEncodingChoice::Auto;
    std::unique_ptr<TByteInput> input = OpenProbed(path, probe);
    TOpenedInput opened;
    TInputDescription& d = opened.Description;
    d.Path = path;
    d.Choice = choice;
    d.Format = textFormat;
    if (StandardInputRtf(path, probe)) {
        d.Format = TTextFormat::Rtf;
        d.Document = TDocumentFormat::Rtf;
        d.Encoding = TTextEncoding::Utf8;
        d.RtfOnStandardInput = true;
        opened.Bytes = ReadAll(*input);
        return opened;
    }
    if (probe.Nul)
        throw NotText(path);
    choice = EncodingToDecide(d, choice, probe.Head);
    const TTextEncoding detected = probe.Finish();
    d.Encoding = choice == TEncodingChoice::Auto ? detected : EncodingOf(choice);
    if (choice == TEncodingChoice::Auto && d.Encoding == TTextEncoding::Cp1251)
        NoteBrokenUtf8(d, probe.Tally);
    d.Stamp = input->Stamp();
    opened.Stream = std::move(input);
    return opened;
}

} // namespace tildo
