#pragma once

#include "formats/text_map.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tildo {

// How a letter is written in RTF.
enum class TRtfLetterForm : std::uint8_t {
    Bytes, // bytes of the code page, as they are
    Hex, // bytes of the code page as \'hh (or escaped and bare bytes mixed)
    Unicode, // \uN, then its fallback characters
};

// A letter a pass may change (е, ё, Е, Ё) with what is needed to write another
// in its place.
struct TRtfLetter
{
    std::size_t Begin = 0; // its first byte
    std::size_t End = 0; // past its last byte: \uN's delimiter and fallback included
    std::size_t NumberEnd = 0; // \uN: past the digits of N
    std::size_t FallbackBegin = 0; // \uN: the fallback characters, up to End
    int CodePage = 1252; // of its bytes, or of its fallback
    std::uint8_t Uc = 1; // fallback characters a \uN written here needs
    std::uint8_t FallbackUnits = 0; // \uN: the fallback characters it has
    TRtfLetterForm Form = TRtfLetterForm::Bytes;
    bool FallbackIsLetter = false; // \uN: the fallback is the same letter in the code page
    bool FallbackHex = false; // \uN: the fallback is written as \'hh
    bool HexUpper = false; // \'hh written with capital digits
    bool Deep = false; // a group opened around it would be nested too deep to be read
    char32_t Old = 0;
};

// What writing letters back into RTF needs besides the letters: the colour
// table and where a new one would go.
struct TRtfLayout
{
    std::vector<TRtfLetter> Letters;
    bool HasColourTable = false; // a closed \colortbl
    bool ColourTableBroken = false; // one that never closes: no colour can be added
    std::size_t ColourTableEnd = 0; // its closing brace
    bool ColourTableOpenEntry = false; // something after its last ';'
    std::vector<std::optional<TColour>> Colours; // its entries; none for "auto"
    std::size_t TablePlace = 0; // where a colour table goes when there is none
};

// Reads the running text of RTF into map: first the body text, exactly as the
// window's reader reads it, then the text of each footnote, header and footer
// in its own lines. Every е, ё, Е and Ё of it is mapped to its bytes (its
// context is its index in layout.Letters); other characters cannot change.
// Damaged input gives what can be recovered; time and memory are linear in the
// input.
void ScanRtf(std::string_view rtf, TTextMap& map, TRtfLayout& layout);

} // namespace tildo
