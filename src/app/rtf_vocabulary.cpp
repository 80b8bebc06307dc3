#include "app/rtf_vocabulary.h"

#include <algorithm>
#include <initializer_list>
#include <unordered_map>

namespace tildo {

namespace {

bool IsAlpha(char ch)
{
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
}

bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

int HexValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

std::unordered_map<std::string_view, TRtfWordInfo> MakeWords()
{
    using enum TRtfWord;
    std::unordered_map<std::string_view, TRtfWordInfo> w {
        { "plain", { Plain } },
        { "b", { Bold } },
        { "i", { Italic } },
        { "ulnone", { UnderlineNone } },
        { "cf", { Colour } },
        { "cb", { Background } },
        { "highlight", { Background } },
        { "chcbpat", { Background } },
        { "fs", { Size } },
        { "f", { Font } },
        { "uc", { Uc } },
        { "u", { Unicode } },
        { "ansicpg", { AnsiCpg } },
        { "ansi", { DocCodePage, 1252 } },
        { "mac", { DocCodePage, 10000 } },
        { "pc", { DocCodePage, 437 } },
        { "pca", { DocCodePage, 850 } },
        { "deff", { DefaultFont } },
        { "fonttbl", { FontTable } },
        { "colortbl", { ColourTable } },
        { "fcharset", { Charset } },
        { "cpg", { CodePage } },
        { "red", { Red } },
        { "green", { Green } },
        { "blue", { Blue } },
        { "tab", { Tab } },
        { "cell", { Tab } },
        { "nestcell", { Tab } },
        { "emdash", { Char, U'\u2014' } },
        { "endash", { Char, U'\u2013' } },
        { "bullet", { Char, U'\u2022' } },
        { "lquote", { Char, U'\u2018' } },
        { "rquote", { Char, U'\u2019' } },
        { "ldblquote", { Char, U'\u201C' } },
        { "rdblquote", { Char, U'\u201D' } },
        { "emspace", { Char, U'\u2003' } },
        { "enspace", { Char, U'\u2002' } },
        { "qmspace", { Char, U'\u2005' } },
        { "zwj", { Char, U'\u200D' } },
        { "zwnj", { Char, U'\u200C' } },
        { "ltrmark", { Char, U'\u200E' } },
        { "rtlmark", { Char, U'\u200F' } },
    };
    const auto add = [&w](std::initializer_list<std::string_view> names, TRtfWord word) {
        for (const std::string_view name : names)
            w.emplace(name, TRtfWordInfo { word });
    };
    add({ "par", "line", "sect", "page", "row", "nestrow" }, Break);
    add({ "ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth", "ulthd",
            "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw", "ulwave" },
        Underline);
    // Text shown nowhere: pictures, fields' instructions, document
    // information, tables of styles and lists, bookmarks...
    add({ "info", "stylesheet", "pict", "object", "objdata", "result", "fldinst", "filetbl", "listtable",
            "listoverridetable", "revtbl", "rsidtbl", "xmlnstbl", "pntext", "pntxta", "pntxtb", "pn",
            "listtext", "annotation", "atnid", "atnauthor", "atndate", "atnref", "comment", "doccomm",
            "author", "operator", "title", "subject", "keywords", "company", "manager", "category", "creatim",
            "revtim", "printim", "buptim", "template", "themedata", "colorschememapping", "datastore",
            "latentstyles", "userprops", "generator", "ftnsep", "ftnsepc", "ftncn", "aftnsep", "aftnsepc",
            "aftncn", "private", "shp", "shpinst", "shptxt", "nonshppict", "shppict", "bkmkstart", "bkmkend",
            "field_instruction", "txe", "xe", "tc", "rxe", "pgdsctbl", "mmathPr", "wgrffmtfilter", "fchars",
            "lchars", "protusertbl", "background", "passwordhash", "sp", "sn", "sv" },
        Skip);
    // ...and the text shown around the body (endnotes are footnotes too).
    add({ "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr", "footerf", "footnote" },
        Side);
    return w;
}

} // namespace

const TRtfWordInfo* FindRtfWord(std::string_view word)
{
    static const std::unordered_map<std::string_view, TRtfWordInfo> words = MakeWords();
    const auto it = words.find(word);
    return it == words.end() ? nullptr : &it->second;
}

TRtfToken ReadRtfToken(std::string_view rtf, std::size_t pos)
{
    TRtfToken token;
    if (pos + 1 >= rtf.size()) {
        token.End = rtf.size();
        return token;
    }
    const char first = rtf[pos + 1];
    token.End = pos + 2;
    if (!IsAlpha(first)) {
        if (first != '\'') {
            token.Kind = TRtfTokenKind::Symbol;
            token.Byte = first;
        } else if (pos + 4 <= rtf.size() && HexValue(rtf[pos + 2]) >= 0 && HexValue(rtf[pos + 3]) >= 0) {
            token.Kind = TRtfTokenKind::Byte;
            token.Byte = static_cast<char>(HexValue(rtf[pos + 2]) * 16 + HexValue(rtf[pos + 3]));
            token.End = pos + 4;
        }
        return token;
    }
    std::size_t end = pos + 1;
    while (end < rtf.size() && IsAlpha(rtf[end]))
        ++end;
    token.Word = rtf.substr(pos + 1, end - pos - 1);
    bool negative = false;
    std::int64_t value = 0;
    if (end + 1 < rtf.size() && rtf[end] == '-' && IsDigit(rtf[end + 1])) {
        negative = true;
        ++end;
    }
    while (end < rtf.size() && IsDigit(rtf[end])) {
        token.HasParam = true;
        if (value < 100000000000LL)
            value = value * 10 + (rtf[end] - '0');
        ++end;
    }
    token.NumberEnd = end;
    if (end < rtf.size() && rtf[end] == ' ')
        ++end;
    token.End = end;
    token.Param = static_cast<int>(std::clamp<std::int64_t>(negative ? -value : value, INT32_MIN, INT32_MAX));
    if (token.Word == "bin") {
        const std::size_t length = token.Param > 0 ? static_cast<std::size_t>(token.Param) : 0;
        token.End += std::min(length, rtf.size() - token.End);
        token.Kind = TRtfTokenKind::Binary;
    } else {
        token.Kind = token.Word.size() > RtfMaxWordLength ? TRtfTokenKind::Overlong : TRtfTokenKind::Word;
    }
    return token;
}

char32_t RtfUnicodeChar(int param)
{
    const int code = param < 0 ? param + 65536 : param;
    return code < 0 || code > 0xFFFF ? U'\uFFFD' : static_cast<char32_t>(code);
}

int TRtfSurrogates::Take(char32_t ch, char32_t out[2])
{
    int n = 0;
    if (m_high != 0) {
        const char32_t high = m_high;
        m_high = 0;
        if (ch >= 0xDC00 && ch <= 0xDFFF) {
            out[0] = 0x10000 + ((high - 0xD800) << 10) + (ch - 0xDC00);
            return 1;
        }
        out[n++] = U'\uFFFD';
    }
    if (ch >= 0xD800 && ch <= 0xDBFF) {
        m_high = ch;
        return n;
    }
    out[n++] = ch >= 0xDC00 && ch <= 0xDFFF ? U'\uFFFD' : ch;
    return n;
}

} // namespace tildo
