#include "rtf_writer.h"

#include "text/cp1251.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace tildo {

namespace {

void AppendHexByte(std::string& out, unsigned char b)
{
    static const char digits[] = "0123456789abcdef";
    out += "\\'";
    out += digits[b >> 4];
    out += digits[b & 0xF];
}

// One character of text; ASCII goes as it is, the rest as \uN with a fallback.
void AppendChar(std::string& out, char32_t ch)
{
    if (ch == '\\' || ch == '{' || ch == '}') {
        out += '\\';
        out += static_cast<char>(ch);
        return;
    }
    if (ch == '\n') {
        out += "\\par\n";
        return;
    }
    if (ch == '\t') {
        out += "\\tab ";
        return;
    }
    if (ch >= 0x20 && ch < 0x7F) {
        out += static_cast<char>(ch);
        return;
    }
    if (IsEscapedByte(ch) || (ch >= 0xD800 && ch <= 0xDFFF) || ch > 0x10FFFF)
        ch = U'\uFFFD';
    const int fallback = UnicodeToCp1251(ch);
    auto unit = [&out, fallback](unsigned code) {
        out += "\\u";
        out += std::to_string(code >= 0x8000 ? static_cast<int>(code) - 0x10000 : static_cast<int>(code));
        if (fallback >= 0x80 && code < 0xD800)
            AppendHexByte(out, static_cast<unsigned char>(fallback));
        else
            out += '?';
    };
    if (ch >= 0x10000) {
        // Both halves of the pair get a fallback, since a reader skips one
        // character after each \uN, and a control word counts as one.
        const unsigned v = static_cast<unsigned>(ch) - 0x10000;
        unit(0xD800 + (v >> 10));
        unit(0xDC00 + (v & 0x3FF));
        return;
    }
    unit(static_cast<unsigned>(ch));
}

void AppendFontName(std::string& out, const std::string& utf8)
{
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t ch = 0;
        if (!NextUtf8(utf8, i, ch))
            ch = U'\uFFFD';
        if (ch == ';' || ch == '\n' || ch == '\t')
            continue;
        AppendChar(out, ch);
    }
}

std::string ColourEntry(TColour c)
{
    char buffer[48];
    std::snprintf(
        buffer, sizeof buffer, "\\red%u\\green%u\\blue%u;", (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
    return buffer;
}

} // namespace

std::string WriteRtf(const TStyledText& text, const std::string& defaultFont)
{
    // Tables of the fonts and colours the text uses; colour 0 is "auto", and
    // black text is written with it.
    std::vector<std::string> fonts { defaultFont };
    std::map<TColour, int> colourIndex;
    std::vector<TColour> colours;
    auto colourOf = [&colourIndex, &colours](TColour c) {
        const auto [it, added] = colourIndex.emplace(c, static_cast<int>(colours.size()) + 1);
        if (added)
            colours.push_back(c);
        return it->second;
    };
    for (const auto& run : text.Runs()) {
        if (!run.Format.Font.empty() && std::find(fonts.begin(), fonts.end(), run.Format.Font) == fonts.end())
            fonts.push_back(run.Format.Font);
        if (run.Format.Colour != ColourBlack)
            colourOf(run.Format.Colour);
        if (run.Format.Background != ColourWhite)
            colourOf(run.Format.Background);
    }

    std::string out = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\uc1\n{\\fonttbl";
    for (std::size_t k = 0; k < fonts.size(); ++k) {
        out += "{\\f" + std::to_string(k) + "\\fnil\\fcharset204 ";
        AppendFontName(out, fonts[k]);
        out += ";}";
    }
    out += "}\n{\\colortbl;";
    for (const TColour c : colours)
        out += ColourEntry(c);
    out += "}\n\\pard\\plain ";

    out.reserve(out.size() + text.Length() * 2);
    for (const auto& run : text.Runs()) {
        const TCharFormat& f = run.Format;
        const auto font = f.Font.empty() ? fonts.begin() : std::find(fonts.begin(), fonts.end(), f.Font);
        // Each run states its whole format, so no run depends on the one before.
        out += "\\plain\\f" + std::to_string(font - fonts.begin());
        out += "\\fs" + std::to_string(f.SizeHalfPoints > 0 ? f.SizeHalfPoints : 24);
        if (f.Bold)
            out += "\\b";
        if (f.Italic)
            out += "\\i";
        if (f.Underline)
            out += "\\ul";
        if (f.Colour != ColourBlack)
            out += "\\cf" + std::to_string(colourIndex[f.Colour]);
        if (f.Background != ColourWhite) {
            const std::string index = std::to_string(colourIndex[f.Background]);
            out += "\\highlight" + index + "\\chcbpat" + index;
        }
        out += ' ';
        for (const char32_t ch : run.Text)
            AppendChar(out, ch);
    }
    out += "}\n";
    return out;
}

} // namespace tildo
