#include "formats/markup_scanner.h"

#include <algorithm>
#include <array>
#include <vector>

namespace tildo {

namespace {

bool IsNameStart(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u | 0x20) >= 'a' && (u | 0x20) <= 'z' ? true : u == '_' || u == ':' || u >= 0x80;
}

bool IsNameEnd(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '/' || c == '>';
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// HTML elements whose contents are not markup.
constexpr std::array<std::string_view, 5> RawTextElements { "script", "style", "textarea", "title", "xmp" };

} // namespace

std::string_view LocalName(std::string_view name)
{
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string_view TagAttribute(std::string_view tag, std::string_view name)
{
    std::size_t i = 1;
    while (i < tag.size() && !IsNameEnd(tag[i]))
        ++i;
    while (i < tag.size()) {
        while (i < tag.size() && (IsNameEnd(tag[i]) || tag[i] == '='))
            ++i;
        const std::size_t nameBegin = i;
        while (i < tag.size() && !IsNameEnd(tag[i]) && tag[i] != '=')
            ++i;
        const std::string_view attribute = tag.substr(nameBegin, i - nameBegin);
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t' || tag[i] == '\n' || tag[i] == '\r'))
            ++i;
        if (i >= tag.size() || tag[i] != '=')
            continue;
        ++i;
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t' || tag[i] == '\n' || tag[i] == '\r'))
            ++i;
        std::size_t valueBegin = i;
        std::size_t valueEnd = i;
        if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
            const std::size_t close = tag.find(tag[i], i + 1);
            valueBegin = i + 1;
            valueEnd = close == std::string_view::npos ? tag.size() : close;
            i = valueEnd + 1;
        } else {
            while (i < tag.size() && !IsNameEnd(tag[i]))
                ++i;
            valueEnd = i;
        }
        if (attribute == name)
            return tag.substr(valueBegin, valueEnd - valueBegin);
    }
    return {};
}

std::string XmlStructureError(std::string_view bytes)
{
    std::vector<std::string_view> open;
    bool root = false;
    TMarkupScanner scanner(bytes, false);
    TMarkupToken token;
    const auto at = [](const char* what, std::size_t byte) {
        return std::string(what) + ", байт " + std::to_string(byte);
    };
    while (scanner.Next(token)) {
        std::string_view text = bytes.substr(token.Begin, token.End - token.Begin);
        // A byte-order mark may open the file; readers take it, and it stays.
        if (token.Begin == 0 && text.starts_with("\xEF\xBB\xBF"))
            text.remove_prefix(3);
        if (token.Kind == TTokenKind::Text) {
            if (text.find('<') != std::string_view::npos)
                return at("лишний знак <", token.Begin + text.find('<'));
            if (open.empty() && text.find_first_not_of(" \t\r\n") != std::string_view::npos)
                return at("текст вне корневого элемента", token.Begin);
            continue;
        }
        if (!text.ends_with('>'))
            return at("незакрытый тег", token.Begin);
        if ((token.Kind == TTokenKind::StartTag || token.Kind == TTokenKind::EmptyTag) && open.empty()
            && root)
            return at("второй корневой элемент", token.Begin);
        if (token.Kind == TTokenKind::StartTag) {
            open.push_back(token.Name);
            root = true;
        } else if (token.Kind == TTokenKind::EmptyTag) {
            root = true;
        } else if (token.Kind == TTokenKind::EndTag) {
            if (open.empty() || open.back() != token.Name)
                return at("закрывающий тег не того элемента", token.Begin);
            open.pop_back();
        }
    }
    if (!open.empty())
        return at("элемент не закрыт", bytes.size());
    return root ? std::string() : at("нет корневого элемента", 0);
}

TMarkupScanner::TMarkupScanner(std::string_view bytes, bool html)
    : m_bytes(bytes)
    , m_html(html)
{
}

std::size_t TMarkupScanner::FindOr(std::string_view what, std::size_t from, std::size_t fallback) const
{
    const std::size_t at = m_bytes.find(what, from);
    return at == std::string_view::npos ? fallback : at;
}

bool TMarkupScanner::Next(TMarkupToken& token)
{
    const std::size_t size = m_bytes.size();
    if (m_pos >= size)
        return false;
    token.Name = {};
    token.Begin = m_pos;
    if (!m_rawTextEnd.empty()) {
        // The contents end at the first "</name" in any case.
        std::size_t at = m_pos;
        for (;;) {
            at = m_bytes.find("</", at);
            if (at == std::string_view::npos) {
                at = size;
                break;
            }
            if (SameNameIgnoringCase(m_bytes.substr(at + 2, m_rawTextEnd.size()), m_rawTextEnd))
                break;
            at += 2;
        }
        m_rawTextEnd = {};
        if (at > m_pos) {
            token.Kind = TTokenKind::Other;
            token.End = m_pos = at;
            return true;
        }
    }
    if (m_bytes[m_pos] == '<' && ScanTag(token))
        return true;
    std::size_t end = m_pos + 1;
    for (;;) {
        end = FindOr("<", end, size);
        if (end >= size || !m_html)
            break;
        const char next = end + 1 < size ? m_bytes[end + 1] : '\0';
        if (IsNameStart(next) || next == '/' || next == '!' || next == '?')
            break;
        ++end;
    }
    token.Kind = TTokenKind::Text;
    token.End = m_pos = end;
    return true;
}

bool TMarkupScanner::ScanTag(TMarkupToken& token)
{
    const std::size_t size = m_bytes.size();
    const std::string_view rest = m_bytes.substr(m_pos);
    token.Kind = TTokenKind::Other;
    if (rest.starts_with("<!--")) {
        const std::size_t close = FindOr("-->", m_pos + 4, size);
        token.End = m_pos = std::min(close + 3, size);
        return true;
    }
    if (rest.starts_with("<![CDATA[")) {
        const std::size_t close = FindOr("]]>", m_pos + 9, size);
        token.End = m_pos = std::min(close + 3, size);
        return true;
    }
    if (rest.starts_with("<!") || rest.starts_with("<?")) {
        const std::size_t close = FindOr(">", m_pos + 2, size);
        token.End = m_pos = std::min(close + 1, size);
        return true;
    }
    const bool end = rest.starts_with("</");
    const std::size_t nameBegin = m_pos + (end ? 2 : 1);
    if (nameBegin >= size || !IsNameStart(m_bytes[nameBegin])) {
        if (m_html)
            return false;
        // Not well-formed XML: the '<' goes with the text after it.
        return false;
    }
    std::size_t i = nameBegin;
    while (i < size && !IsNameEnd(m_bytes[i]))
        ++i;
    token.Name = m_bytes.substr(nameBegin, i - nameBegin);
    char quote = 0;
    while (i < size) {
        const char c = m_bytes[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            break;
        }
        ++i;
    }
    token.End = m_pos = std::min(i + 1, size);
    if (end)
        token.Kind = TTokenKind::EndTag;
    else if (i < size && i > nameBegin && m_bytes[i - 1] == '/')
        token.Kind = TTokenKind::EmptyTag;
    else
        token.Kind = TTokenKind::StartTag;
    if (m_html && token.Kind == TTokenKind::StartTag) {
        for (const std::string_view raw : RawTextElements) {
            if (SameNameIgnoringCase(token.Name, raw))
                m_rawTextEnd = raw;
        }
    }
    return true;
}

} // namespace tildo
