// RTF as a document patched in place: a changed letter is written the way the
// old one was (\'hh, a bare byte of the code page, or \uN with its fallback),
// and a marked one is wrapped in a group of its own with a colour of the
// colour table, so that pictures, notes, fields, page setup and everything else
// the program does not read stay byte for byte.
#include "formats/code_page_decoder.h"
#include "formats/format_handlers.h"
#include "formats/rtf_scanner.h"

#include <map>

namespace tildo {

namespace {

std::string HexByte(unsigned char b, bool upper)
{
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    return { '\\', '\'', digits[b >> 4], digits[b & 0xF] };
}

std::string UnicodeWord(char32_t ch)
{
    const auto code = static_cast<int>(ch);
    return "\\u" + std::to_string(code >= 0x8000 ? code - 0x10000 : code);
}

std::string ColourEntry(TColour c)
{
    return "\\red" + std::to_string((c >> 16) & 0xFF) + "\\green" + std::to_string((c >> 8) & 0xFF) + "\\blue"
        + std::to_string(c & 0xFF) + ";";
}

class TRtfHandler : public TFormatHandler
{
public:
    void Read(int /*part*/, const TDocumentPart& source, TTextMap& map) override
    {
        ScanRtf(source.Bytes, map, m_layout);
    }
    std::vector<TBytePatch> Patches(
        int part, const TDocumentPart& source, const std::vector<TLetterChange>& changes) override;

private:
    // The bytes of ch in the code page, when they read back as ch.
    std::string Encoded(int codePage, char32_t ch);
    std::string LetterText(const TRtfLetter& letter, char32_t ch, std::string_view bytes);
    // The fallback of a \uN for ch: the letter itself where the old fallback
    // was the old letter and the code page has the new one, else what it was.
    std::string Fallback(const TRtfLetter& letter, char32_t ch, std::string_view old);
    // The colour table's index of each marking colour, adding the patch that
    // defines the new ones.
    std::map<TColour, int> ColourIndexes(
        const std::vector<TLetterChange>& changes, std::vector<TBytePatch>& patches) const;

    TRtfLayout m_layout;
    TCodePageDecoder m_codec;
};

std::string TRtfHandler::Encoded(int codePage, char32_t ch)
{
    const std::string bytes = m_codec.Encode(codePage, ch);
    std::u32string back;
    m_codec.Decode(codePage, bytes, back);
    return back.size() == 1 && back[0] == ch ? bytes : std::string();
}

std::string TRtfHandler::Fallback(const TRtfLetter& letter, char32_t ch, std::string_view old)
{
    if (!letter.FallbackIsLetter)
        return std::string(old);
    const std::string bytes = Encoded(letter.CodePage, ch);
    if (bytes.size() != letter.FallbackUnits)
        return std::string(letter.FallbackUnits, '?');
    std::string out;
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        if (letter.FallbackHex || u < 0x80)
            out += HexByte(u, letter.HexUpper);
        else
            out += b;
    }
    return out;
}

std::string TRtfHandler::LetterText(const TRtfLetter& letter, char32_t ch, std::string_view bytes)
{
    if (letter.Form == TRtfLetterForm::Unicode) {
        // The delimiter and whatever else stands before the fallback stay.
        return UnicodeWord(ch)
            + std::string(bytes.substr(letter.NumberEnd, letter.FallbackBegin - letter.NumberEnd))
            + Fallback(letter, ch, bytes.substr(letter.FallbackBegin, letter.End - letter.FallbackBegin));
    }
    const std::string encoded = Encoded(letter.CodePage, ch);
    if (encoded.empty()) {
        // The code page has no such letter: Unicode, with as many fallback
        // characters as readers skip here.
        return UnicodeWord(ch) + (letter.Uc == 0 ? std::string(" ") : std::string(letter.Uc, '?'));
    }
    std::string out;
    for (const char b : encoded) {
        const auto u = static_cast<unsigned char>(b);
        if (letter.Form == TRtfLetterForm::Hex || u < 0x80)
            out += HexByte(u, letter.HexUpper);
        else
            out += b;
    }
    return out;
}

std::map<TColour, int> TRtfHandler::ColourIndexes(
    const std::vector<TLetterChange>& changes, std::vector<TBytePatch>& patches) const
{
    std::map<TColour, int> indexes;
    if (m_layout.ColourTableBroken)
        return indexes;
    const auto& table = m_layout.Colours;
    // Index 0 is "auto": a new colour never takes it.
    int next = 1;
    std::string entries;
    if (m_layout.HasColourTable) {
        next = static_cast<int>(table.size()) + (m_layout.ColourTableOpenEntry ? 1 : 0);
        if (m_layout.ColourTableOpenEntry)
            entries = ";";
        if (next == 0) {
            entries += ";";
            next = 1;
        }
    }
    const std::size_t prefix = entries.size();
    for (const TLetterChange& c : changes) {
        if (!c.Marked || indexes.contains(c.Colour))
            continue;
        int index = -1;
        for (std::size_t i = 1; i < table.size() && index < 0; ++i) {
            if (table[i] == c.Colour)
                index = static_cast<int>(i);
        }
        if (index < 0) {
            index = next++;
            entries += ColourEntry(c.Colour);
        }
        indexes[c.Colour] = index;
    }
    if (entries.size() > prefix) {
        if (m_layout.HasColourTable)
            patches.push_back({ m_layout.ColourTableEnd, 0, entries });
        else
            patches.push_back({ m_layout.TablePlace, 0, "{\\colortbl;" + entries + "}" });
    }
    return indexes;
}

std::vector<TBytePatch> TRtfHandler::Patches(
    int /*part*/, const TDocumentPart& source, const std::vector<TLetterChange>& changes)
{
    const std::string_view bytes = source.Bytes;
    std::vector<TBytePatch> patches;
    patches.reserve(changes.size() + 1);
    const std::map<TColour, int> colours = ColourIndexes(changes, patches);
    for (const TLetterChange& c : changes) {
        if (c.Context >= m_layout.Letters.size())
            throw EDocumentError("проход изменил символ, которого в документе нет");
        const TRtfLetter& letter = m_layout.Letters[c.Context];
        std::string text = LetterText(letter, c.Letter, bytes);
        const auto colour = c.Marked && !letter.Deep ? colours.find(c.Colour) : colours.end();
        if (colour != colours.end())
            text = "{\\cf" + std::to_string(colour->second) + " " + text + "}";
        patches.push_back({ letter.Begin, letter.End - letter.Begin, std::move(text) });
    }
    return patches;
}

} // namespace

std::unique_ptr<TFormatHandler> MakeRtfHandler()
{
    return std::make_unique<TRtfHandler>();
}

} // namespace tildo
