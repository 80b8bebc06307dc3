#include "json_record.h"

#include "text/cp1251.h"
#include "text/letters.h"

#include <cstdio>

namespace tildo {

namespace {

constexpr int MaxDepth = 256;

// A parser that checks the JSON grammar and notes the strings at a path.
class TJsonScanner
{
public:
    TJsonScanner(std::string_view text, const std::vector<std::string>& path, std::vector<TJsonSpan>& out)
        : m_s(text)
        , m_path(path)
        , m_out(out)
    {
    }

    bool Record(std::string& error)
    {
        SkipSpace();
        if (m_i >= m_s.size() || m_s[m_i] != '{')
            return Fail(error, "строка не является объектом JSON");
        if (!Value(0, 0, true))
            return Fail(error, m_error);
        SkipSpace();
        if (m_i != m_s.size())
            return Fail(error, "лишние знаки после объекта JSON");
        return true;
    }

private:
    bool Fail(std::string& error, const std::string& what)
    {
        error = what + " (байт " + std::to_string(m_i + 1) + ")";
        return false;
    }
    bool Error(const char* what)
    {
        if (m_error.empty())
            m_error = what;
        return false;
    }
    void SkipSpace()
    {
        while (
            m_i < m_s.size() && (m_s[m_i] == ' ' || m_s[m_i] == '\t' || m_s[m_i] == '\n' || m_s[m_i] == '\r'))
            ++m_i;
    }
    bool Literal(std::string_view word)
    {
        if (m_s.substr(m_i, word.size()) != word)
            return Error("неизвестное слово");
        m_i += word.size();
        return true;
    }
    bool Digits()
    {
        const std::size_t start = m_i;
        while (m_i < m_s.size() && m_s[m_i] >= '0' && m_s[m_i] <= '9')
            ++m_i;
        return m_i > start || Error("неверное число");
    }
    bool Number()
    {
        if (m_s[m_i] == '-')
            ++m_i;
        if (m_i < m_s.size() && m_s[m_i] == '0')
            ++m_i;
        else if (!Digits())
            return false;
        if (m_i < m_s.size() && m_s[m_i] == '.') {
            ++m_i;
            if (!Digits())
                return false;
        }
        if (m_i < m_s.size() && (m_s[m_i] == 'e' || m_s[m_i] == 'E')) {
            ++m_i;
            if (m_i < m_s.size() && (m_s[m_i] == '+' || m_s[m_i] == '-'))
                ++m_i;
            if (!Digits())
                return false;
        }
        return true;
    }
    // A string at m_i (its opening quote); its body's span goes to span and
    // its decoded text to decoded when asked for.
    bool String(TJsonSpan& span, std::string* decoded)
    {
        ++m_i;
        span.Begin = m_i;
        while (m_i < m_s.size()) {
            const auto c = static_cast<unsigned char>(m_s[m_i]);
            if (c == '"') {
                span.End = m_i++;
                return true;
            }
            if (c < 0x20)
                return Error("управляющий знак в строке");
            if (c == '\\') {
                if (!Escape(decoded))
                    return false;
                continue;
            }
            if (c < 0x80) {
                if (decoded != nullptr)
                    *decoded += static_cast<char>(c);
                ++m_i;
                continue;
            }
            const std::size_t from = m_i;
            char32_t ch = 0;
            if (!NextUtf8(m_s, m_i, ch))
                return Error("неверная последовательность UTF-8");
            if (decoded != nullptr)
                decoded->append(m_s.substr(from, m_i - from));
        }
        return Error("незакрытая строка");
    }
    bool Escape(std::string* decoded)
    {
        if (m_i + 1 >= m_s.size())
            return Error("незакрытая строка");
        const char e = m_s[m_i + 1];
        m_i += 2;
        char plain = 0;
        switch (e) {
        case '"':
            plain = '"';
            break;
        case '\\':
            plain = '\\';
            break;
        case '/':
            plain = '/';
            break;
        case 'b':
            plain = '\b';
            break;
        case 'f':
            plain = '\f';
            break;
        case 'n':
            plain = '\n';
            break;
        case 'r':
            plain = '\r';
            break;
        case 't':
            plain = '\t';
            break;
        case 'u': {
            if (m_i + 4 > m_s.size())
                return Error("неверная escape-последовательность");
            char32_t code = 0;
            for (int k = 0; k < 4; ++k) {
                const int v = HexValue(m_s[m_i + static_cast<std::size_t>(k)]);
                if (v < 0)
                    return Error("неверная escape-последовательность");
                code = code * 16 + static_cast<char32_t>(v);
            }
            m_i += 4;
            if (decoded != nullptr)
                AppendUtf8(*decoded, code >= 0xD800 && code < 0xE000 ? U'\uFFFD' : code);
            return true;
        }
        default:
            return Error("неверная escape-последовательность");
        }
        if (decoded != nullptr)
            *decoded += plain;
        return true;
    }
    // matched: the keys of the path matched so far (all of them: this value is a target).
    bool Value(int depth, std::size_t matched, bool onPath)
    {
        if (depth > MaxDepth)
            return Error("слишком глубокая вложенность");
        SkipSpace();
        if (m_i >= m_s.size())
            return Error("запись оборвана");
        const char c = m_s[m_i];
        if (c == '{')
            return Object(depth, matched, onPath);
        if (c == '[')
            return Array(depth);
        if (c == '"') {
            TJsonSpan span;
            if (!String(span, nullptr))
                return false;
            if (onPath && matched == m_path.size())
                m_out.push_back(span);
            return true;
        }
        if (c == 't')
            return Literal("true");
        if (c == 'f')
            return Literal("false");
        if (c == 'n')
            return Literal("null");
        if (c == '-' || (c >= '0' && c <= '9'))
            return Number();
        return Error("неожиданный знак");
    }
    bool Object(int depth, std::size_t matched, bool onPath)
    {
        ++m_i;
        SkipSpace();
        if (m_i < m_s.size() && m_s[m_i] == '}') {
            ++m_i;
            return true;
        }
        std::string key;
        for (;;) {
            SkipSpace();
            if (m_i >= m_s.size() || m_s[m_i] != '"')
                return Error("ожидалось имя поля");
            TJsonSpan span;
            key.clear();
            const bool wantKey = onPath && matched < m_path.size();
            if (!String(span, wantKey ? &key : nullptr))
                return false;
            SkipSpace();
            if (m_i >= m_s.size() || m_s[m_i] != ':')
                return Error("ожидалось двоеточие");
            ++m_i;
            const bool next = wantKey && key == m_path[matched];
            if (!Value(depth + 1, next ? matched + 1 : matched, next))
                return false;
            SkipSpace();
            if (m_i < m_s.size() && m_s[m_i] == ',') {
                ++m_i;
                continue;
            }
            if (m_i < m_s.size() && m_s[m_i] == '}') {
                ++m_i;
                return true;
            }
            return Error("ожидалась запятая или }");
        }
    }
    bool Array(int depth)
    {
        ++m_i;
        SkipSpace();
        if (m_i < m_s.size() && m_s[m_i] == ']') {
            ++m_i;
            return true;
        }
        for (;;) {
            if (!Value(depth + 1, 0, false))
                return false;
            SkipSpace();
            if (m_i < m_s.size() && m_s[m_i] == ',') {
                ++m_i;
                continue;
            }
            if (m_i < m_s.size() && m_s[m_i] == ']') {
                ++m_i;
                return true;
            }
            return Error("ожидалась запятая или ]");
        }
    }

    std::string_view m_s;
    const std::vector<std::string>& m_path;
    std::vector<TJsonSpan>& m_out;
    std::size_t m_i = 0;
    std::string m_error;
};

// The spelling of a replacement character: an escape for an escaped original
// (upper-case hex digits if the original used them), else UTF-8.
std::string Spell(char32_t code, std::string_view original)
{
    std::string out;
    if (original.size() == 6 && original[0] == '\\') {
        bool upper = false;
        for (const char c : original.substr(2))
            upper = upper || (c >= 'A' && c <= 'F');
        char text[8];
        std::snprintf(text, sizeof text, upper ? "\\u%04X" : "\\u%04x", static_cast<unsigned>(code));
        return text;
    }
    AppendUtf8(out, code);
    return out;
}

// Restores one string body; the replacements (record offsets) go to edits.
// A body may be as long as the record (a book in one field): besides the
// document, nothing as large as the body is held. The characters are walked
// one at a time, and the text before the pass is decoded again in small
// pieces to find the changed letters.
void RestoreBody(std::string_view body, std::size_t base, const std::function<void(MemoryDocument&)>& restore,
    const std::function<void(const TJsonEdit&)>& edited)
{
    // A body without escapes is its own UTF-8 text.
    const bool escaped = body.find('\\') != std::string_view::npos;
    std::string decoded;
    if (escaped) {
        decoded.reserve(body.size());
        for (std::size_t i = 0; i < body.size();)
            AppendUtf8(decoded, NextJsonChar(body, i).Code);
    }
    MemoryDocument doc = MemoryDocument::FromUtf8(escaped ? std::string_view(decoded) : body);
    std::string().swap(decoded);
    const int changes = doc.ChangeCount;
    const int length = doc.Length();
    restore(doc);
    // Nothing changed, or more than letters: a pass that changed the text's
    // length changed something a record cannot take back.
    if (doc.ChangeCount == changes || doc.Length() != length)
        return;
    const std::string& after = doc.TextRef();

    constexpr std::size_t PieceBytes = 1 << 16;
    std::string piece;
    std::vector<TJsonChar> chars;
    std::size_t position = 0; // the document's offset of the piece's first character
    bool first = true;
    // Decodes the piece as the document was decoded and compares it with the
    // document after the pass: the document's characters are the body's,
    // less a leading byte-order mark and the CR of each CR LF.
    const auto comparePiece = [&] {
        const MemoryDocument was = MemoryDocument::FromUtf8(piece, first);
        const std::string& before = was.TextRef();
        std::size_t d = 0;
        for (std::size_t k = 0; k < chars.size() && d < before.size(); ++k) {
            if (first && k == 0 && chars[k].Code == 0xFEFF)
                continue;
            if (chars[k].Code == '\r' && k + 1 < chars.size() && chars[k + 1].Code == '\n')
                continue;
            const std::size_t at = position + d++;
            if (at < after.size() && after[at] != before[d - 1]) {
                const std::string_view original = body.substr(chars[k].Begin, chars[k].End - chars[k].Begin);
                const char32_t code = Cp1251ToUnicode(static_cast<unsigned char>(after[at]));
                edited({ base + chars[k].Begin, base + chars[k].End, Spell(code, original) });
            }
        }
        position += before.size();
        first = false;
        piece.clear();
        chars.clear();
    };
    for (std::size_t i = 0; i < body.size();) {
        const TJsonChar c = NextJsonChar(body, i);
        // A piece never ends between a CR and what follows it.
        if (piece.size() >= PieceBytes && (chars.empty() || chars.back().Code != '\r'))
            comparePiece();
        AppendUtf8(piece, c.Code);
        chars.push_back(c);
    }
    comparePiece();
}

} // namespace

TJsonChar NextJsonChar(std::string_view body, std::size_t& i)
{
    TJsonChar c;
    c.Begin = i;
    if (body[i] == '\\' && i + 1 < body.size() && body[i + 1] == 'u' && i + 6 <= body.size()) {
        char32_t code = 0;
        for (std::size_t k = 2; k < 6; ++k)
            code = code * 16 + static_cast<char32_t>(std::max(HexValue(body[i + k]), 0));
        i += 6;
        // A surrogate pair spelt as two escapes is one character.
        if (code >= 0xD800 && code < 0xDC00 && i + 6 <= body.size() && body[i] == '\\'
            && body[i + 1] == 'u') {
            char32_t low = 0;
            for (std::size_t k = 2; k < 6; ++k)
                low = low * 16 + static_cast<char32_t>(std::max(HexValue(body[i + k]), 0));
            if (low >= 0xDC00 && low < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 6;
            }
        }
        c.Code = code >= 0xD800 && code < 0xE000 ? U'\uFFFD' : code;
    } else if (body[i] == '\\' && i + 1 < body.size()) {
        static constexpr std::string_view from = "\"\\/bfnrt";
        static constexpr std::string_view to = "\"\\/\b\f\n\r\t";
        const std::size_t k = from.find(body[i + 1]);
        c.Code = k == std::string_view::npos ? U'\uFFFD' : static_cast<char32_t>(to[k]);
        i += 2;
    } else if (!NextUtf8(body, i, c.Code)) {
        c.Code = U'\uFFFD';
        i = std::max(i, c.Begin + 1);
    }
    c.End = i;
    return c;
}

std::vector<std::string> SplitFieldPath(std::string_view dotted)
{
    std::vector<std::string> keys;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = dotted.find('.', start);
        const std::string_view key = dotted.substr(start, dot == std::string_view::npos ? dot : dot - start);
        if (key.empty())
            return {};
        keys.emplace_back(key);
        if (dot == std::string_view::npos)
            return keys;
        start = dot + 1;
    }
}

bool FindJsonStrings(std::string_view record, const std::vector<std::string>& path,
    std::vector<TJsonSpan>& strings, std::string& error)
{
    strings.clear();
    TJsonScanner scanner(record, path, strings);
    if (scanner.Record(error))
        return true;
    strings.clear();
    return false;
}

std::vector<TJsonChar> DecodeJsonString(std::string_view body)
{
    std::vector<TJsonChar> chars;
    for (std::size_t i = 0; i < body.size();)
        chars.push_back(NextJsonChar(body, i));
    return chars;
}

bool FindJsonEdits(std::string_view record, const std::vector<std::string>& path,
    const std::function<void(MemoryDocument&)>& restore, const std::function<void(const TJsonEdit&)>& edited,
    std::string& error)
{
    std::vector<TJsonSpan> strings;
    if (!FindJsonStrings(record, path, strings, error))
        return false;
    for (const TJsonSpan& s : strings)
        RestoreBody(record.substr(s.Begin, s.End - s.Begin), s.Begin, restore, edited);
    return true;
}

bool RestoreJsonRecord(std::string& record, const std::vector<std::string>& path,
    const std::function<void(MemoryDocument&)>& restore, std::string& error)
{
    std::vector<TJsonEdit> edits;
    if (!FindJsonEdits(
            record, path, restore, [&](const TJsonEdit& edit) { edits.push_back(edit); }, error))
        return false;
    // Back to front, so that earlier offsets stay put.
    for (auto it = edits.rbegin(); it != edits.rend(); ++it)
        record.replace(it->Begin, it->End - it->Begin, it->Text);
    return true;
}

} // namespace tildo
