// Texts of the web and of plain-text markups: HTML and the XHTML of e-books,
// Markdown, and SRT/WebVTT subtitles.
#include "formats/format_handlers.h"
#include "formats/markup_scanner.h"

#include <algorithm>
#include <array>
#include <set>

namespace tildo {

namespace {

// Elements whose text is not running text: the head, programs, styles, code.
constexpr std::array<std::string_view, 11> SkippedElements { "head", "script", "style", "code", "pre",
    "textarea", "title", "template", "kbd", "samp", "var" };

// Elements that begin and end a line of running text.
constexpr std::array<std::string_view, 43> BlockElements { "p", "div", "h1", "h2", "h3", "h4", "h5", "h6",
    "li", "ul", "ol", "dl", "dt", "dd", "blockquote", "table", "tr", "td", "th", "caption", "section",
    "article", "header", "footer", "nav", "aside", "main", "figure", "figcaption", "hr", "address", "body",
    "br", "tbody", "option", "button", "select", "label", "legend", "details", "summary", "form",
    "fieldset" };

// Elements whose text a span would break: drawings and formulas keep to
// their own vocabularies, and a list option holds text alone.
constexpr std::array<std::string_view, 4> SpanlessElements { "svg", "math", "option", "optgroup" };

template <std::size_t N>
bool IsOneOf(std::string_view name, const std::array<std::string_view, N>& names, bool xml)
{
    const std::string_view local = xml ? LocalName(name) : name;
    return std::any_of(names.begin(), names.end(),
        [&](std::string_view n) { return xml ? local == n : SameNameIgnoringCase(local, n); });
}

constexpr std::string_view MarkClass = "tildo-mark";

class TWebPageHandler : public TFormatHandler
{
public:
    explicit TWebPageHandler(bool xml)
        : m_xml(xml)
    {
    }
    void Read(int part, const TDocumentPart& source, TTextMap& map) override;
    std::vector<TBytePatch> Patches(
        int part, const TDocumentPart& source, const std::vector<TLetterChange>& changes) override;

private:
    bool m_xml;
    std::vector<std::size_t> m_headEnds; // per part: the byte of "</head>", npos when there is none
};

// The book's own words outside its pages: the title and description of the
// package document and the labels of the old table of contents, each a line
// of its own, without marks.
void ReadBookNames(const TDocumentPart& source, TTextMap& map)
{
    const bool package = source.Name.ends_with(".opf");
    bool inName = false;
    TMarkupScanner scanner(source.Bytes, false);
    TMarkupToken token;
    while (scanner.Next(token)) {
        if (token.Kind == TTokenKind::StartTag || token.Kind == TTokenKind::EndTag) {
            const std::string_view name = package ? token.Name : LocalName(token.Name);
            inName = token.Kind == TTokenKind::StartTag
                && (package ? name == "dc:title" || name == "dc:description" || name == "dc:subject"
                            : name == "text");
            if (!map.LineEmpty())
                map.EndLine();
        } else if (token.Kind == TTokenKind::Text && inName) {
            map.AddMarkupText(token.Begin, token.End, Unmarkable);
        }
    }
    if (!map.LineEmpty())
        map.EndLine();
}

void TWebPageHandler::Read(int part, const TDocumentPart& source, TTextMap& map)
{
    m_headEnds.resize(static_cast<std::size_t>(part) + 1, std::string::npos);
    if (m_xml && (source.Name.ends_with(".opf") || source.Name.ends_with(".ncx"))) {
        ReadBookNames(source, map);
        return;
    }
    std::size_t headEnd = std::string::npos;
    bool inTitle = false; // the page's title: read as a line of its own, without marks
    int skipped = 0;
    int embedded = 0; // open elements whose text cannot hold a span
    TMarkupScanner scanner(source.Bytes, !m_xml);
    TMarkupToken token;
    while (scanner.Next(token)) {
        switch (token.Kind) {
        case TTokenKind::StartTag:
        case TTokenKind::EndTag:
            if (IsOneOf(token.Name, SpanlessElements, m_xml))
                embedded = std::max(embedded + (token.Kind == TTokenKind::StartTag ? 1 : -1), 0);
            if (embedded == 0 && SameNameIgnoringCase(LocalName(token.Name), "title")) {
                inTitle = token.Kind == TTokenKind::StartTag;
                if (!map.LineEmpty())
                    map.EndLine();
            }
            if (IsOneOf(token.Name, SkippedElements, m_xml)) {
                if (token.Kind == TTokenKind::StartTag)
                    ++skipped;
                else
                    skipped = std::max(skipped - 1, 0);
                if (token.Kind == TTokenKind::EndTag && SameNameIgnoringCase(LocalName(token.Name), "head"))
                    headEnd = token.Begin;
            } else if (token.Kind == TTokenKind::StartTag
                && SameNameIgnoringCase(LocalName(token.Name), "body")) {
                skipped = 0; // a head left open ends here
            }
            [[fallthrough]];
        case TTokenKind::EmptyTag:
            if (IsOneOf(token.Name, BlockElements, m_xml) && !map.LineEmpty())
                map.EndLine();
            break;
        case TTokenKind::Text:
            if (inTitle && m_xml) {
                map.AddMarkupText(token.Begin, token.End, Unmarkable);
                break;
            }
            // Layout between blocks is no line of its own.
            if (skipped == 0
                && !(map.LineEmpty() && source.Bytes.find_first_not_of(" \t\r\n", token.Begin) >= token.End))
                map.AddMarkupText(token.Begin, token.End, embedded > 0 ? Unmarkable : 0);
            break;
        case TTokenKind::Other:
            // An HTML title's contents come whole, as raw text.
            if (inTitle && !m_xml)
                map.AddMarkupText(token.Begin, token.End, Unmarkable);
            break;
        }
    }
    m_headEnds[static_cast<std::size_t>(part)] = headEnd;
}

std::vector<TBytePatch> TWebPageHandler::Patches(
    int part, const TDocumentPart& source, const std::vector<TLetterChange>& changes)
{
    const std::string_view bytes = source.Bytes;
    const std::size_t headEnd = m_headEnds[static_cast<std::size_t>(part)];
    std::vector<TBytePatch> patches;
    patches.reserve(changes.size() + 1);
    std::set<TColour> colours;
    for (const TLetterChange& c : changes) {
        std::string letter = EncodeLetter(c, bytes.substr(c.Byte, c.Bytes), source.Utf8);
        if (c.Marked && c.Context != Unmarkable) {
            colours.insert(c.Colour);
            const std::string hex = HexColour(c.Colour).substr(1);
            // Without a head to hold the rule, the span carries the colour itself.
            const std::string style
                = headEnd == std::string::npos ? " style=\"color:" + HexColour(c.Colour) + "\"" : "";
            letter = "<span class=\"" + std::string(MarkClass) + "-" + hex + "\"" + style + ">" + letter
                + "</span>";
        }
        patches.push_back({ c.Byte, c.Bytes, std::move(letter) });
    }
    if (!colours.empty() && headEnd != std::string::npos) {
        std::string rules = "<style type=\"text/css\">";
        for (const TColour colour : colours)
            rules += "." + std::string(MarkClass) + "-" + HexColour(colour).substr(1)
                + " { color: " + HexColour(colour) + " }";
        patches.push_back({ headEnd, 0, rules + "</style>" });
    }
    return patches;
}

// FictionBook: the text of the bodies, the annotation and the book's title.
// Attributes (links, picture references), ids, the rest of the description,
// binaries and code stay as they are.
class TFictionBookHandler : public TFormatHandler
{
public:
    void Read(int part, const TDocumentPart& source, TTextMap& map) override;
};

constexpr std::array<std::string_view, 3> BookTextElements { "body", "annotation", "book-title" };
constexpr std::array<std::string_view, 2> BookSkippedElements { "binary", "code" };
constexpr std::array<std::string_view, 16> BookBlockElements { "p", "v", "subtitle", "title", "text-author",
    "epigraph", "section", "stanza", "poem", "cite", "td", "th", "tr", "empty-line", "body", "book-title" };

void TFictionBookHandler::Read(int /*part*/, const TDocumentPart& source, TTextMap& map)
{
    int inText = 0; // open elements whose text is read
    int skipped = 0; // open binaries and code
    TMarkupScanner scanner(source.Bytes, false);
    TMarkupToken token;
    while (scanner.Next(token)) {
        const bool start = token.Kind == TTokenKind::StartTag;
        const bool end = token.Kind == TTokenKind::EndTag;
        if (start || end) {
            const int step = start ? 1 : -1;
            if (IsOneOf(token.Name, BookTextElements, true))
                inText = std::max(inText + step, 0);
            if (IsOneOf(token.Name, BookSkippedElements, true))
                skipped = std::max(skipped + step, 0);
        }
        if ((start || end || token.Kind == TTokenKind::EmptyTag)
            && IsOneOf(token.Name, BookBlockElements, true) && !map.LineEmpty())
            map.EndLine();
        if (token.Kind == TTokenKind::Text && inText > 0 && skipped == 0
            && !(map.LineEmpty() && source.Bytes.find_first_not_of(" \t\r\n", token.Begin) >= token.End))
            map.AddMarkupText(token.Begin, token.End);
    }
}

// Calls f(begin, end) for each line of bytes, without its line break.
template <class F> void ForEachLine(std::string_view bytes, std::size_t from, F f)
{
    while (from < bytes.size()) {
        std::size_t end = bytes.find('\n', from);
        const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
        if (end == std::string_view::npos)
            end = bytes.size();
        if (end > from && bytes[end - 1] == '\r')
            --end;
        f(from, end);
        from = next;
    }
}

std::size_t TextStart(const TDocumentPart& source)
{
    return source.Utf8 && source.Bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
}

bool Blank(std::string_view line)
{
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// A list item's first line: "- ", "* ", "+ ", "1. " or "1) ", or a footnote's
// definition, whose indented paragraphs continue it the same way.
bool IsListItem(std::string_view body)
{
    if (body.starts_with("- ") || body.starts_with("* ") || body.starts_with("+ ") || body.starts_with("[^"))
        return true;
    const std::size_t digits = body.find_first_not_of("0123456789");
    return digits > 0 && digits != std::string_view::npos && digits < 10 && digits + 1 < body.size()
        && (body[digits] == '.' || body[digits] == ')') && body[digits + 1] == ' ';
}

bool ClosesFence(std::string_view body, const std::string& fence)
{
    if (!body.starts_with(fence))
        return false;
    const std::size_t after = body.find_first_not_of(fence[0]);
    return after == std::string_view::npos || Blank(body.substr(after));
}

// Markdown: everything is running text except code (spans, fenced and
// indented blocks), link targets and HTML tags, which stand as a space.
class TMarkdownHandler : public TFormatHandler
{
public:
    void Read(int part, const TDocumentPart& source, TTextMap& map) override;

private:
    // Reads a line of prose; true when it leaves an HTML comment open.
    static bool ReadLine(std::string_view bytes, std::size_t begin, std::size_t end, TTextMap& map);
};

// The end of the code span or link target that starts at i, or npos when
// nothing is skipped there.
std::size_t SkippedFrom(std::string_view line, std::size_t i)
{
    const char c = line[i];
    if (c == '`') {
        std::size_t n = line.find_first_not_of('`', i);
        n = (n == std::string_view::npos ? line.size() : n) - i;
        const std::string fence(n, '`');
        for (std::size_t at = line.find(fence, i + n); at != std::string_view::npos;
             at = line.find(fence, at + 1)) {
            const std::size_t after = at + n;
            if ((after >= line.size() || line[after] != '`') && line[at - 1] != '`')
                return after;
        }
        return i + n; // an unmatched run of backticks is only itself
    }
    if (c == '$' && i + 1 < line.size()) {
        // TeX: $$display$$, or $inline$ with no space inside its dollars
        // and no digit after the closing one (so "$5 and $10" is prose).
        if (line[i + 1] == '$') {
            const std::size_t close = line.find("$$", i + 2);
            return close == std::string_view::npos ? std::string_view::npos : close + 2;
        }
        if (line[i + 1] == ' ' || line[i + 1] == '\t')
            return std::string_view::npos;
        for (std::size_t at = line.find('$', i + 1); at != std::string_view::npos;
             at = line.find('$', at + 1)) {
            const bool digitAfter = at + 1 < line.size() && line[at + 1] >= '0' && line[at + 1] <= '9';
            if (line[at - 1] != ' ' && line[at - 1] != '\t' && line[at - 1] != '\\' && !digitAfter)
                return at + 1;
        }
        return std::string_view::npos;
    }
    if (c == ']' && i + 1 < line.size() && line[i + 1] == '(') {
        int depth = 0;
        for (std::size_t j = i + 1; j < line.size(); ++j) {
            depth += line[j] == '(' ? 1 : line[j] == ')' ? -1 : 0;
            if (depth == 0)
                return j + 1;
        }
        return std::string_view::npos;
    }
    if (c == '<' && i + 1 < line.size()) {
        const char next = line[i + 1];
        const bool tag = (next | 0x20) >= 'a' && (next | 0x20) <= 'z';
        if (tag || next == '/' || next == '!') {
            const std::size_t close = line.find('>', i);
            return close == std::string_view::npos ? std::string_view::npos : close + 1;
        }
    }
    return std::string_view::npos;
}

bool TMarkdownHandler::ReadLine(std::string_view bytes, std::size_t begin, std::size_t end, TTextMap& map)
{
    const std::string_view line = bytes.substr(begin, end - begin);
    // A link reference definition: "[label]: target".
    std::size_t from = 0;
    const std::size_t indent = std::min(line.find_first_not_of(' '), line.size());
    if (indent < 4 && line.substr(indent).starts_with("[") && !line.substr(indent).starts_with("[^")) {
        const std::size_t close = line.find("]:", indent);
        if (close != std::string_view::npos) {
            map.AddLiteral(begin + indent, begin + close + 1);
            map.AddVirtual(U' ');
            return false;
        }
    }
    const auto wordByte = [&line](std::size_t at) {
        const auto b = static_cast<unsigned char>(line[at]);
        return b >= 0x80 || std::isalnum(b) != 0;
    };
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if ((c == '*' || c == '_') && i > 0 && wordByte(i - 1)) {
            // Emphasis that opens or closes inside a word ("**ещ**е") is
            // markup: the word is read whole around it.
            const std::size_t after = std::min(line.find_first_not_of(c, i), line.size());
            if (after < line.size() && wordByte(after)) {
                map.AddLiteral(begin + from, begin + i);
                from = after;
                i = after - 1;
            }
            continue;
        }
        if (c != '`' && c != ']' && c != '<' && c != '$')
            continue;
        if (line.substr(i).starts_with("<!--") && line.find("-->", i + 4) == std::string_view::npos) {
            map.AddLiteral(begin + from, begin + i);
            return true;
        }
        const std::size_t skipTo = SkippedFrom(line, i);
        if (skipTo == std::string_view::npos)
            continue;
        const std::size_t keep = c == ']' ? i + 1 : i; // the link text's bracket stays
        map.AddLiteral(begin + from, begin + keep);
        map.AddVirtual(U' ');
        from = skipTo;
        i = skipTo - 1;
    }
    map.AddLiteral(begin + from, end);
    return false;
}

void TMarkdownHandler::Read(int /*part*/, const TDocumentPart& source, TTextMap& map)
{
    const std::string_view bytes = source.Bytes;
    std::string fence; // the open fence of a code block
    bool previousBlank = true;
    bool inIndentedCode = false;
    bool inList = false; // indented paragraphs continue a list item, not code
    bool inComment = false; // an HTML comment over several lines: kept whole
    ForEachLine(bytes, TextStart(source), [&](std::size_t begin, std::size_t end) {
        const std::string_view line = bytes.substr(begin, end - begin);
        const std::size_t indent = std::min(line.find_first_not_of(' '), line.size());
        const std::string_view body = line.substr(indent);
        if (inComment) {
            inComment = line.find("-->") == std::string_view::npos;
        } else if (!fence.empty()) {
            if (indent < 4 && ClosesFence(body, fence))
                fence.clear();
        } else if (indent < 4 && (body.starts_with("```") || body.starts_with("~~~"))) {
            inList = inList && indent > 0;
            fence.assign(body.substr(0, std::min(body.find_first_not_of(body[0]), body.size())));
        } else if ((line.starts_with("    ") || line.starts_with("\t")) && (previousBlank || inIndentedCode)
            && !Blank(line) && !(inList && !inIndentedCode && indent < 8)) {
            inIndentedCode = true;
        } else {
            if (!Blank(line))
                inIndentedCode = false;
            if (indent < 4 && !Blank(line))
                inList = IsListItem(body);
            inComment = ReadLine(bytes, begin, end, map);
        }
        previousBlank = Blank(line);
        map.EndLine();
    });
}

// SRT and WebVTT: in each cue the lines after the timing line are its text;
// numbers, identifiers, timings, notes and style blocks stay as they are, and
// so do the tags inside a cue's text.
class TSubtitleHandler : public TFormatHandler
{
public:
    explicit TSubtitleHandler(bool webVtt)
        : m_webVtt(webVtt)
    {
    }
    void Read(int part, const TDocumentPart& source, TTextMap& map) override;

private:
    void ReadCueLine(std::string_view bytes, std::size_t begin, std::size_t end, TTextMap& map) const;
    bool m_webVtt;
};

void TSubtitleHandler::ReadCueLine(
    std::string_view bytes, std::size_t begin, std::size_t end, TTextMap& map) const
{
    std::size_t from = begin;
    for (std::size_t i = begin; i < end; ++i) {
        const char open = bytes[i];
        if (open != '<' && open != '{')
            continue;
        const std::size_t close = bytes.substr(0, end).find(open == '<' ? '>' : '}', i);
        if (close == std::string_view::npos)
            break;
        if (m_webVtt)
            map.AddMarkupText(from, i);
        else
            map.AddLiteral(from, i);
        from = close + 1;
        i = close;
    }
    if (m_webVtt)
        map.AddMarkupText(from, end);
    else
        map.AddLiteral(from, end);
    map.EndLine();
}

void TSubtitleHandler::Read(int /*part*/, const TDocumentPart& source, TTextMap& map)
{
    const std::string_view bytes = source.Bytes;
    bool inCueText = false;
    ForEachLine(bytes, TextStart(source), [&](std::size_t begin, std::size_t end) {
        const std::string_view line = bytes.substr(begin, end - begin);
        if (Blank(line))
            inCueText = false;
        else if (inCueText)
            ReadCueLine(bytes, begin, end, map);
        else if (line.find("-->") != std::string_view::npos)
            inCueText = !(m_webVtt && line.starts_with("NOTE"));
    });
}

} // namespace

std::unique_ptr<TFormatHandler> MakeWebPageHandler(bool xml)
{
    return std::make_unique<TWebPageHandler>(xml);
}

std::unique_ptr<TFormatHandler> MakeFictionBookHandler()
{
    return std::make_unique<TFictionBookHandler>();
}

std::unique_ptr<TFormatHandler> MakeMarkdownHandler()
{
    return std::make_unique<TMarkdownHandler>();
}

std::unique_ptr<TFormatHandler> MakeSubtitleHandler(bool webVtt)
{
    return std::make_unique<TSubtitleHandler>(webVtt);
}

} // namespace tildo
