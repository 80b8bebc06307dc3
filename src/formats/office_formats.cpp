// Word-processor documents: the WordprocessingML of DOCX and the OpenDocument
// text of ODT. The text is found by scanning the original bytes, so that a
// changed letter is written where it stood and nothing else moves.
#include "formats/format_handlers.h"
#include "formats/markup_scanner.h"
#include "formats/zip_archive.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <initializer_list>
#include <set>

namespace tildo {

std::vector<TBytePatch> TFormatHandler::Patches(
    int /*part*/, const TDocumentPart& source, const std::vector<TLetterChange>& changes)
{
    return LetterPatches(source, changes);
}

std::vector<TBytePatch> LetterPatches(const TDocumentPart& source, const std::vector<TLetterChange>& changes)
{
    std::vector<TBytePatch> patches;
    patches.reserve(changes.size());
    for (const TLetterChange& c : changes) {
        const std::string_view old = std::string_view(source.Bytes).substr(c.Byte, c.Bytes);
        patches.push_back({ c.Byte, c.Bytes, EncodeLetter(c, old, source.Utf8) });
    }
    return patches;
}

namespace {

constexpr std::string_view WordNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

// The prefix the root element binds to a namespace ("w" by custom).
std::string PrefixOf(std::string_view bytes, std::string_view ns, std::string_view fallback)
{
    TMarkupScanner scanner(bytes, false);
    TMarkupToken token;
    while (scanner.Next(token)) {
        if (token.Kind != TTokenKind::StartTag && token.Kind != TTokenKind::EmptyTag)
            continue;
        const std::string_view tag = bytes.substr(token.Begin, token.End - token.Begin);
        for (std::size_t at = tag.find(ns); at != std::string_view::npos; at = tag.find(ns, at + 1)) {
            const std::size_t xmlns = tag.rfind("xmlns:", at);
            const std::size_t eq = tag.find('=', xmlns);
            if (xmlns != std::string_view::npos && eq < at)
                return std::string(tag.substr(xmlns + 6, eq - xmlns - 6));
        }
        break;
    }
    return std::string(fallback);
}

// A text element of a run as it is read, with what is needed to split the
// run around a letter. Offsets in a member (never above the member limit)
// take four bytes each.
struct TDocxRun
{
    std::uint32_t RunTagBegin = 0, RunTagEnd = 0; // <w:r ...>
    std::uint32_t PropsBegin = 0, PropsEnd = 0; // <w:rPr>...</w:rPr>; empty when the run has none
    std::uint32_t TextTagBegin = 0, TextTagEnd = 0; // <w:t ...>
    // The text element is a child of the run, so that the run can be closed
    // and opened again around a letter.
    bool Splittable = false;
};

// The same kept for the write: a large document holds one for every run, so
// the parts of the run are kept as short distances from its start. A run too
// long for them is not split (its letter is written without a mark).
struct TDocxText
{
    std::uint32_t RunTagBegin = 0;
    std::uint16_t RunTagLength = 0;
    std::uint16_t PropsOffset = 0, PropsLength = 0;
    std::uint16_t TextTagOffset = 0, TextTagLength = 0;
    bool Splittable = false;

    static TDocxText From(const TDocxRun& run)
    {
        TDocxText text;
        const auto fits = [](std::uint32_t n) { return n <= 0xFFFFu; };
        const std::uint32_t props = run.PropsBegin == 0 ? 0 : run.PropsBegin - run.RunTagBegin;
        text.Splittable = run.Splittable && fits(run.RunTagEnd - run.RunTagBegin) && fits(props)
            && fits(run.PropsEnd - run.PropsBegin) && fits(run.TextTagBegin - run.RunTagBegin)
            && fits(run.TextTagEnd - run.TextTagBegin);
        if (!text.Splittable)
            return text;
        text.RunTagBegin = run.RunTagBegin;
        text.RunTagLength = static_cast<std::uint16_t>(run.RunTagEnd - run.RunTagBegin);
        text.PropsOffset = static_cast<std::uint16_t>(props);
        text.PropsLength = static_cast<std::uint16_t>(run.PropsEnd - run.PropsBegin);
        text.TextTagOffset = static_cast<std::uint16_t>(run.TextTagBegin - run.RunTagBegin);
        text.TextTagLength = static_cast<std::uint16_t>(run.TextTagEnd - run.TextTagBegin);
        return text;
    }
    std::size_t PropsBegin() const { return std::size_t(RunTagBegin) + PropsOffset; }
    std::size_t TextTagBegin() const { return std::size_t(RunTagBegin) + TextTagOffset; }
};
static_assert(sizeof(TDocxText) <= 16);

static_assert(TZipArchive::MemberLimit <= 0xFFFFFFFFu);
std::uint32_t Offset(std::size_t byte)
{
    return static_cast<std::uint32_t>(byte);
}

class TDocxHandler : public TFormatHandler
{
public:
    void Read(int part, const TDocumentPart& source, TTextMap& map) override;
    std::vector<TBytePatch> Patches(
        int part, const TDocumentPart& source, const std::vector<TLetterChange>& changes) override;

private:
    std::vector<std::string> m_prefixes; // per part
    std::vector<std::vector<TDocxText>> m_texts; // per part
};

// The document's title, subject, description and keywords, in the core
// properties of DOCX and the meta data of ODT: each a line of its own, without
// marks (there is no formatting to carry them).
bool IsTitleElement(std::string_view name)
{
    return name == "dc:title" || name == "dc:subject" || name == "dc:description" || name == "cp:keywords"
        || name == "meta:keyword";
}

void ReadTitles(std::string_view bytes, TTextMap& map)
{
    bool inTitle = false;
    TMarkupScanner scanner(bytes, false);
    TMarkupToken token;
    while (scanner.Next(token)) {
        if (token.Kind == TTokenKind::StartTag || token.Kind == TTokenKind::EndTag) {
            inTitle = token.Kind == TTokenKind::StartTag && IsTitleElement(token.Name);
            if (!map.LineEmpty())
                map.EndLine();
        } else if (token.Kind == TTokenKind::Text && inTitle) {
            map.AddMarkupText(token.Begin, token.End, Unmarkable);
        }
    }
    if (!map.LineEmpty())
        map.EndLine();
}

// Text written in attributes of a tag, each a line of its own apart from the
// paragraph the tag stands in, without marks: no run can stand there.
void ReadAttributeTexts(std::string_view bytes, const TMarkupToken& token, TTextMap& map,
    std::initializer_list<std::string_view> attributes)
{
    const std::string_view tag = bytes.substr(token.Begin, token.End - token.Begin);
    for (const std::string_view attribute : attributes) {
        const std::string_view value = TagAttribute(tag, attribute);
        if (value.empty())
            continue;
        if (!map.LineEmpty())
            map.EndLine();
        const auto begin = static_cast<std::size_t>(value.data() - bytes.data());
        map.AddMarkupText(begin, begin + value.size(), Unmarkable);
        map.EndLine();
    }
}

// A picture's description and title (its alternative text).
void ReadPictureTexts(std::string_view bytes, const TMarkupToken& token, TTextMap& map)
{
    ReadAttributeTexts(bytes, token, map, { "descr", "title" });
}

void TDocxHandler::Read(int part, const TDocumentPart& source, TTextMap& map)
{
    const std::string_view bytes = source.Bytes;
    if (source.Name == "docProps/core.xml") {
        m_prefixes.resize(static_cast<std::size_t>(part) + 1);
        m_texts.resize(static_cast<std::size_t>(part) + 1);
        ReadTitles(bytes, map);
        return;
    }
    const std::string prefix = PrefixOf(bytes, WordNamespace, "w") + ":";
    const auto is = [&prefix](std::string_view name, std::string_view local) {
        return name.size() == prefix.size() + local.size() && name.starts_with(prefix)
            && name.substr(prefix.size()) == local;
    };
    m_prefixes.resize(static_cast<std::size_t>(part) + 1);
    m_texts.resize(static_cast<std::size_t>(part) + 1);
    m_prefixes[static_cast<std::size_t>(part)] = prefix;
    std::vector<TDocxText>& texts = m_texts[static_cast<std::size_t>(part)];

    TDocxRun run;
    int runDepth = -1; // depth of the open run, -1 outside one
    int depth = 0;
    bool inText = false;
    TMarkupScanner scanner(bytes, false);
    TMarkupToken token;
    while (scanner.Next(token)) {
        switch (token.Kind) {
        case TTokenKind::StartTag:
            if (LocalName(token.Name) == "docPr") {
                ReadPictureTexts(bytes, token, map);
            } else if (is(token.Name, "r")) {
                run = TDocxRun { Offset(token.Begin), Offset(token.End) };
                runDepth = depth;
            } else if (runDepth >= 0 && depth == runDepth + 1 && is(token.Name, "rPr")) {
                run.PropsBegin = Offset(token.Begin);
            } else if (runDepth >= 0 && is(token.Name, "t")) {
                run.TextTagBegin = Offset(token.Begin);
                run.TextTagEnd = Offset(token.End);
                run.Splittable
                    = depth == runDepth + 1 && (run.PropsBegin == 0 || run.PropsEnd > run.PropsBegin);
                texts.push_back(TDocxText::From(run));
                inText = true;
            }
            ++depth;
            break;
        case TTokenKind::EndTag:
            --depth;
            if (is(token.Name, "t")) {
                inText = false;
            } else if (is(token.Name, "r")) {
                runDepth = -1;
            } else if (runDepth >= 0 && depth == runDepth + 1 && is(token.Name, "rPr")) {
                run.PropsEnd = Offset(token.End);
            } else if (is(token.Name, "p")) {
                map.EndLine();
            }
            break;
        case TTokenKind::EmptyTag:
            if (LocalName(token.Name) == "docPr") {
                ReadPictureTexts(bytes, token, map);
            } else if (runDepth >= 0 && depth == runDepth + 1 && is(token.Name, "rPr")) {
                run.PropsBegin = Offset(token.Begin);
                run.PropsEnd = Offset(token.End);
            } else if (is(token.Name, "p")) {
                map.EndLine();
            } else if (runDepth >= 0 && is(token.Name, "tab")) {
                map.AddVirtual(U'\t');
            } else if (runDepth >= 0 && (is(token.Name, "br") || is(token.Name, "cr"))) {
                map.AddVirtual(U' ');
            } else if (runDepth >= 0 && is(token.Name, "noBreakHyphen")) {
                map.AddVirtual(U'-');
            }
            break;
        case TTokenKind::Text:
            if (inText)
                map.AddMarkupText(token.Begin, token.End, static_cast<std::uint32_t>(texts.size() - 1));
            break;
        case TTokenKind::Other:
            break;
        }
    }
}

// Children of the run properties that must come after the colour.
constexpr std::array<std::string_view, 21> AfterColour { "spacing", "w", "kern", "position", "sz", "szCs",
    "highlight", "u", "effect", "bdr", "shd", "fitText", "vertAlign", "rtl", "cs", "em", "lang",
    "eastAsianLayout", "specVanish", "oMath", "rPrChange" };

// The run's properties with the colour set: an old colour is taken out and the
// new one put where the schema wants it.
std::string RunProperties(std::string_view props, const std::string& prefix, TColour colour)
{
    const std::string colourTag
        = "<" + prefix + "color " + prefix + "val=\"" + HexColour(colour).substr(1) + "\"/>";
    if (props.empty() || props.ends_with("/>"))
        return "<" + prefix + "rPr>" + colourTag + "</" + prefix + "rPr>";
    std::string out;
    std::size_t insertAt = std::string::npos;
    int depth = 0;
    int skipDepth = -1; // inside an old colour element
    TMarkupScanner scanner(props, false);
    TMarkupToken token;
    while (scanner.Next(token)) {
        const bool start = token.Kind == TTokenKind::StartTag;
        const bool end = token.Kind == TTokenKind::EndTag;
        if (skipDepth >= 0) {
            depth += start ? 1 : end ? -1 : 0;
            if (end && depth == skipDepth)
                skipDepth = -1;
            continue;
        }
        const std::string_view local = LocalName(token.Name);
        const bool child = depth == 1 && (start || token.Kind == TTokenKind::EmptyTag);
        if (child && local == "color") {
            if (start)
                skipDepth = depth++;
            continue;
        }
        if (insertAt == std::string::npos
            && ((child && std::find(AfterColour.begin(), AfterColour.end(), local) != AfterColour.end())
                || (end && depth == 1)))
            insertAt = out.size();
        depth += start ? 1 : end ? -1 : 0;
        out.append(props.substr(token.Begin, token.End - token.Begin));
    }
    out.insert(std::min(insertAt, out.size()), colourTag);
    return out;
}

std::vector<TBytePatch> TDocxHandler::Patches(
    int part, const TDocumentPart& source, const std::vector<TLetterChange>& changes)
{
    const std::string& prefix = m_prefixes[static_cast<std::size_t>(part)];
    const std::vector<TDocxText>& texts = m_texts[static_cast<std::size_t>(part)];
    const std::string_view bytes = source.Bytes;
    std::vector<TBytePatch> patches;
    std::set<std::uint32_t> preserved;
    for (const TLetterChange& c : changes) {
        const std::string letter = EncodeLetter(c, bytes.substr(c.Byte, c.Bytes), source.Utf8);
        if (!c.Marked || c.Context >= texts.size() || !texts[c.Context].Splittable) {
            patches.push_back({ c.Byte, c.Bytes, letter });
            continue;
        }
        // The letter gets a run of its own between the two halves of its run;
        // both halves keep their spaces.
        const TDocxText& t = texts[c.Context];
        std::string textTag(bytes.substr(t.TextTagBegin(), t.TextTagLength));
        if (textTag.find("xml:space") == std::string::npos) {
            const std::size_t close = textTag.size() - (textTag.ends_with("/>") ? 2 : 1);
            textTag.insert(close, " xml:space=\"preserve\"");
            if (preserved.insert(c.Context).second)
                patches.push_back({ t.TextTagBegin(), t.TextTagLength, textTag });
        }
        const std::string runTag(bytes.substr(t.RunTagBegin, t.RunTagLength));
        const std::string props(bytes.substr(t.PropsBegin(), t.PropsLength));
        std::string text = "</" + prefix + "t></" + prefix + "r>";
        text += "<" + prefix + "r>" + RunProperties(props, prefix, c.Colour) + "<" + prefix
            + "t xml:space=\"preserve\">" + letter + "</" + prefix + "t></" + prefix + "r>";
        text += runTag + props + textTag;
        patches.push_back({ c.Byte, c.Bytes, std::move(text) });
    }
    return patches;
}

// OpenDocument text: paragraphs and headings of content.xml and styles.xml
// (headers and footers); a marked letter goes into a span of an automatic
// style the document gets when it has marks.
class TOdtHandler : public TFormatHandler
{
public:
    void Read(int part, const TDocumentPart& source, TTextMap& map) override;
    std::vector<TBytePatch> Patches(
        int part, const TDocumentPart& source, const std::vector<TLetterChange>& changes) override;

private:
    struct TStylesPlace
    {
        std::size_t Byte = std::string::npos; // where the style definition goes
        std::size_t Length = 0; // bytes it replaces (an empty <office:automatic-styles/>)
        bool Wrap = false; // it needs an office:automatic-styles element of its own
    };
    std::vector<TStylesPlace> m_places;
};

// Elements whose text may hold a span: everywhere else (fields, references,
// placeholders, a picture's title and description) a reader rebuilds or
// drops what is inside, so a letter there is written without a mark.
constexpr std::array<std::string_view, 6> SpanHolders { "text:p", "text:h", "text:span", "text:a",
    "text:meta", "text:ruby-base" };

// A picture's title and description: text of their own, apart from the
// paragraph the picture stands in.
bool IsAltText(std::string_view name)
{
    return name == "svg:title" || name == "svg:desc";
}

void TOdtHandler::Read(int part, const TDocumentPart& source, TTextMap& map)
{
    const std::string_view bytes = source.Bytes;
    if (source.Name == "meta.xml") {
        m_places.resize(static_cast<std::size_t>(part) + 1);
        ReadTitles(bytes, map);
        return;
    }
    TStylesPlace place;
    int paragraphs = 0; // open text:p and text:h
    int skipped = 0; // open elements whose text is not running text
    // Open elements inside paragraphs; the innermost decides whether a mark
    // can stand in its text.
    std::vector<std::string_view> open;
    // Tracked deletions: the regions that are deletions, and the one being
    // read. The deleted text stands in the paragraph between its change marks
    // and stays as it was.
    std::set<std::string_view> deletions;
    std::string_view region;
    std::string_view deletedRange;
    TMarkupScanner scanner(bytes, false);
    TMarkupToken token;
    while (scanner.Next(token)) {
        const std::string_view name = token.Name;
        const bool paragraph = name == "text:p" || name == "text:h";
        // A comment's text is read (as lines of its own), its author and date
        // are not.
        const bool skip = name == "dc:creator" || name == "dc:date" || name == "meta:creator-initials"
            || name == "text:tracked-changes" || name == "text:note-citation";
        // A field's string value (a user field's declaration, a variable):
        // LibreOffice shows it rather than the text the field element holds,
        // so its letters change with that text, without a mark.
        if ((token.Kind == TTokenKind::StartTag || token.Kind == TTokenKind::EmptyTag) && skipped == 0
            && name.starts_with("text:"))
            ReadAttributeTexts(bytes, token, map, { "office:string-value" });
        switch (token.Kind) {
        case TTokenKind::StartTag:
            if (name == "text:changed-region")
                region = TagAttribute(bytes.substr(token.Begin, token.End - token.Begin), "text:id");
            else if (name == "text:deletion" && !region.empty())
                deletions.insert(region);
            paragraphs += paragraph ? 1 : 0;
            skipped += skip ? 1 : 0;
            if (paragraphs > 0 || IsTitleElement(name)) {
                open.push_back(name);
                if (IsAltText(name) && skipped == 0 && !map.LineEmpty())
                    map.EndLine();
            }
            if ((name == "office:body" || name == "office:master-styles") && place.Byte == std::string::npos)
                place = { token.Begin, 0, true };
            break;
        case TTokenKind::EndTag:
            if (!open.empty())
                open.pop_back();
            if (IsAltText(name) && paragraphs > 0 && skipped == 0 && !map.LineEmpty())
                map.EndLine();
            if (paragraph && paragraphs > 0) {
                --paragraphs;
                if (skipped == 0)
                    map.EndLine();
            }
            skipped -= skip && skipped > 0 ? 1 : 0;
            if (name == "office:automatic-styles")
                place = { token.Begin, 0, false };
            break;
        case TTokenKind::EmptyTag:
            if (name == "text:change-start" || name == "text:change-end") {
                const std::string_view id
                    = TagAttribute(bytes.substr(token.Begin, token.End - token.Begin), "text:change-id");
                if (name == "text:change-start" && deletedRange.empty() && deletions.contains(id)) {
                    deletedRange = id;
                    ++skipped;
                } else if (name == "text:change-end" && !deletedRange.empty() && id == deletedRange) {
                    deletedRange = {};
                    --skipped;
                }
            } else if (name == "office:automatic-styles") {
                place = { token.Begin, token.End - token.Begin, true };
            } else if (paragraphs == 0 || skipped > 0) {
                if (paragraph && skipped == 0)
                    map.EndLine();
            } else if (name == "text:s") {
                const std::string_view count
                    = TagAttribute(bytes.substr(token.Begin, token.End - token.Begin), "text:c");
                int n = 1;
                std::from_chars(count.data(), count.data() + count.size(), n);
                for (int i = 0; i < std::clamp(n, 1, 64); ++i)
                    map.AddVirtual(U' ');
            } else if (name == "text:tab") {
                map.AddVirtual(U'\t');
            } else if (name == "text:line-break") {
                map.AddVirtual(U' ');
            } else if (paragraph) {
                map.EndLine();
            }
            break;
        case TTokenKind::Text:
            if (paragraphs == 0 && !open.empty() && IsTitleElement(open.back())) {
                map.AddMarkupText(token.Begin, token.End, Unmarkable);
                map.EndLine();
            } else if (paragraphs > 0 && skipped == 0) {
                const bool markable = !open.empty()
                    && std::find(SpanHolders.begin(), SpanHolders.end(), open.back()) != SpanHolders.end();
                map.AddMarkupText(token.Begin, token.End, markable ? 0 : Unmarkable);
            }
            break;
        case TTokenKind::Other:
            break;
        }
    }
    m_places.resize(static_cast<std::size_t>(part) + 1);
    m_places[static_cast<std::size_t>(part)] = place;
}

std::vector<TBytePatch> TOdtHandler::Patches(
    int part, const TDocumentPart& source, const std::vector<TLetterChange>& changes)
{
    const std::string_view bytes = source.Bytes;
    std::string styleName = "TildoMark";
    while (bytes.find("\"" + styleName) != std::string_view::npos)
        styleName += "_";
    std::vector<TBytePatch> patches;
    std::set<TColour> colours;
    for (const TLetterChange& c : changes) {
        std::string letter = EncodeLetter(c, bytes.substr(c.Byte, c.Bytes), source.Utf8);
        if (c.Marked && c.Context != Unmarkable) {
            colours.insert(c.Colour);
            letter = "<text:span text:style-name=\"" + styleName + HexColour(c.Colour).substr(1) + "\">"
                + letter + "</text:span>";
        }
        patches.push_back({ c.Byte, c.Bytes, std::move(letter) });
    }
    const TStylesPlace& place = m_places[static_cast<std::size_t>(part)];
    if (!colours.empty() && place.Byte != std::string::npos) {
        std::string styles;
        for (const TColour colour : colours) {
            styles += "<style:style style:name=\"" + styleName + HexColour(colour).substr(1)
                + "\" style:family=\"text\"><style:text-properties fo:color=\"" + HexColour(colour)
                + "\"/></style:style>";
        }
        if (place.Wrap)
            styles = "<office:automatic-styles>" + styles + "</office:automatic-styles>";
        patches.push_back({ place.Byte, place.Length, std::move(styles) });
    }
    return patches;
}

} // namespace

std::unique_ptr<TFormatHandler> MakeDocxHandler()
{
    return std::make_unique<TDocxHandler>();
}

std::unique_ptr<TFormatHandler> MakeOdtHandler()
{
    return std::make_unique<TOdtHandler>();
}

} // namespace tildo
