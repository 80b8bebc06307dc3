#include "formats/rtf_vocabulary.h"

#include <initializer_list>
#include <unordered_map>

namespace tildo {

namespace {

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

char32_t RtfUnicodeChar(int param)
{
    const int code = param < 0 ? param + 65536 : param;
    return code < 0 || code > 0xFFFF ? U'\uFFFD' : static_cast<char32_t>(code);
}

} // namespace tildo
