#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tildo {

enum class TTokenKind {
    Text, // character data between tags (entities still written as entities)
    StartTag,
    EndTag,
    EmptyTag, // <name ... />
    Other, // comment, processing instruction, declaration, CDATA section
};

struct TMarkupToken
{
    TTokenKind Kind = TTokenKind::Text;
    std::size_t Begin = 0; // first byte of the token
    std::size_t End = 0; // one past its last byte
    std::string_view Name; // element name of a tag, prefix included
};

// Splits XML or HTML into tags and text without building a tree, so that a
// caller can find the text of a document by byte positions and patch it in
// place. Nothing is trusted: an unterminated tag, comment or section ends at
// the end of the input, and the scanner never looks past it. In HTML a '<'
// that does not open a tag is text, and the contents of script, style,
// textarea, title and xmp are returned as one Other token.
class TMarkupScanner
{
public:
    TMarkupScanner(std::string_view bytes, bool html);

    // The next token; false at the end of the input.
    bool Next(TMarkupToken& token);

    std::string_view Bytes() const { return m_bytes; }

private:
    bool ScanTag(TMarkupToken& token);
    std::size_t FindOr(std::string_view what, std::size_t from, std::size_t fallback) const;

    std::string_view m_bytes;
    std::size_t m_pos = 0;
    bool m_html = false;
    std::string_view m_rawTextEnd; // HTML: the element whose raw contents come next
};

// What keeps XML from being well formed as far as its structure goes (tags
// closed, end tags matching, one root, no stray '<'), with the byte where it
// shows; empty when nothing does. One pass without a tree, so that a large
// document costs little more than reading it.
std::string XmlStructureError(std::string_view bytes);

// The local name of an element (after the prefix and colon).
std::string_view LocalName(std::string_view name);

// Whether names are equal ignoring ASCII case.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

// The value of an attribute inside the bytes of a start tag; empty when the
// tag has none. Quotes are removed; entities are left as written.
std::string_view TagAttribute(std::string_view tag, std::string_view name);

} // namespace tildo
