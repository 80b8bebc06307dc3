#include "formats/text_map.h"

#include "text/address_token.h"
#include "text/cp1251.h"
#include "text/memory_document.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace tildo {

namespace {

struct TNamedEntity
{
    std::string_view Name;
    char32_t Ch;
};

// The references that occur in running text; Cyrillic е and ё have names of
// their own in HTML, and a changed letter keeps that way of writing.
constexpr std::array<TNamedEntity, 10> NamedEntities { {
    { "amp", U'&' },
    { "lt", U'<' },
    { "gt", U'>' },
    { "quot", U'"' },
    { "apos", U'\'' },
    { "nbsp", U'\u00A0' },
    { "iecy", U'е' },
    { "IEcy", U'Е' },
    { "iocy", U'ё' },
    { "IOcy", U'Ё' },
} };

// The character of the reference at s[0] ('&'); its length in len, or 0 when
// s does not begin with a reference the program reads. An unknown name still
// counts as a reference (to a character that is not a letter).
char32_t ReadReference(std::string_view s, std::size_t& len)
{
    len = 0;
    const std::size_t semicolon = s.substr(0, 40).find(';');
    if (s.size() < 3 || semicolon == std::string_view::npos || semicolon < 2)
        return 0;
    const std::string_view body = s.substr(1, semicolon - 1);
    if (body[0] == '#') {
        const bool hex = body.size() > 1 && (body[1] == 'x' || body[1] == 'X');
        const std::string_view digits = body.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 8)
            return 0;
        char32_t value = 0;
        for (const char c : digits) {
            int d = -1;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (hex && (c | 0x20) >= 'a' && (c | 0x20) <= 'f')
                d = (c | 0x20) - 'a' + 10;
            if (d < 0)
                return 0;
            value = value * (hex ? 16 : 10) + static_cast<char32_t>(d);
        }
        len = semicolon + 1;
        return value > 0x10FFFF || value == 0 ? U'\uFFFD' : value;
    }
    for (const char c : body) {
        if (!((c | 0x20) >= 'a' && (c | 0x20) <= 'z') && !(c >= '0' && c <= '9'))
            return 0;
    }
    len = semicolon + 1;
    for (const TNamedEntity& e : NamedEntities) {
        if (e.Name == body)
            return e.Ch;
    }
    return U'\uFFFD';
}

} // namespace

void TTextMap::SetPart(int part, std::string_view bytes, bool utf8)
{
    if (bytes.size() > 0xFFFFFFFFu)
        throw EDocumentError("часть документа больше 4 ГБ");
    if (static_cast<std::size_t>(part) >= m_parts.size()) {
        m_parts.resize(static_cast<std::size_t>(part) + 1);
        m_utf8.resize(m_parts.size());
    }
    m_parts[static_cast<std::size_t>(part)] = bytes;
    m_utf8[static_cast<std::size_t>(part)] = utf8;
    m_part = part;
}

void TTextMap::Append(char32_t ch)
{
    // Line breaks belong to the format; a byte-order mark would be taken for
    // one at the start of the text.
    if (ch == U'\n' || ch == U'\r')
        ch = U' ';
    else if (ch == U'\uFEFF')
        ch = U'\uFFFD';
    AppendUtf8(m_text, ch);
    ++m_length;
    m_lineEmpty = false;
}

namespace {

bool IsSpaceOrBracket(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '(' || c == ')' || c == '<' || c == '>'
        || c == '"' || c == '\'' || c == '[' || c == ']';
}

} // namespace

void TTextMap::AddLiteral(std::size_t begin, std::size_t end, std::uint32_t context)
{
    AddRun(begin, end, context);
}

namespace {

// The bytes an address cannot do without: "://", "@", a path's slashes, "www.".
constexpr std::array<bool, 256> AddressBytes = [] {
    std::array<bool, 256> bytes {};
    for (const char c : std::string_view(":@/\\w"))
        bytes[static_cast<unsigned char>(c)] = true;
    return bytes;
}();

bool MayBeginAddress(char c)
{
    return AddressBytes[static_cast<unsigned char>(c)];
}

} // namespace

void TTextMap::FreezeAddresses()
{
    // Found in the running text, not in each run of the source, so that an
    // address split over several runs or elements is still one address.
    m_frozen.clear();
    const std::string_view text = m_text;
    std::size_t counted = 0; // bytes of the text whose characters are counted
    int characters = 0;
    const auto positionOf = [&](std::size_t byte) {
        for (; counted < byte; ++counted) {
            if ((static_cast<unsigned char>(text[counted]) & 0xC0) != 0x80)
                ++characters;
        }
        return characters;
    };
    std::size_t from = 0;
    for (;;) {
        std::size_t mark = from;
        while (mark < text.size() && !MayBeginAddress(text[mark]))
            ++mark;
        if (mark == text.size())
            break;
        if (text[mark] == 'w' && text.substr(mark, 4) != "www.") {
            from = mark + 1;
            continue;
        }
        std::size_t start = mark;
        while (start > 0 && !IsSpaceOrBracket(text[start - 1]))
            --start;
        std::size_t stop = mark;
        while (stop < text.size() && !IsSpaceOrBracket(text[stop]))
            ++stop;
        from = stop;
        while (stop > start && std::string_view(".,;:!?").find(text[stop - 1]) != std::string_view::npos)
            --stop;
        if (stop > start && IsAddressToken(text.substr(start, stop - start))) {
            const int first = positionOf(start);
            m_frozen.emplace_back(first, positionOf(stop));
        }
    }
}

bool TTextMap::Frozen(int position) const
{
    const auto next = std::upper_bound(m_frozen.begin(), m_frozen.end(), position,
        [](int p, const std::pair<int, int>& range) { return p < range.first; });
    return next != m_frozen.begin() && position < std::prev(next)->second;
}

void TTextMap::AddRun(std::size_t begin, std::size_t end, std::uint32_t context)
{
    if (begin >= end)
        return;
    // A soft hyphen only says where a word may break: the word is read whole
    // and the hyphen stays in the source where it was.
    const std::string_view part = m_parts[static_cast<std::size_t>(m_part)];
    const std::string_view softHyphen = m_utf8[static_cast<std::size_t>(m_part)] ? "\xC2\xAD" : "\xAD";
    for (std::size_t hyphen = part.substr(0, end).find(softHyphen, begin); hyphen != std::string_view::npos;
         hyphen = part.substr(0, end).find(softHyphen, begin)) {
        AddWord(begin, hyphen, context);
        begin = hyphen + softHyphen.size();
    }
    AddWord(begin, end, context);
}

void TTextMap::AddWord(std::size_t begin, std::size_t end, std::uint32_t context)
{
    if (begin >= end)
        return;
    const std::string_view bytes = m_parts[static_cast<std::size_t>(m_part)].substr(begin, end - begin);
    TTextSegment segment { .Start = m_length,
        .Part = m_part,
        .Byte = static_cast<std::uint32_t>(begin),
        .Context = context,
        .Form = TSourceForm::Literal };
    if (m_utf8[static_cast<std::size_t>(m_part)]) {
        // A well-formed character goes over as its own bytes; only line
        // breaks, byte-order marks and malformed bytes need Append.
        std::size_t i = 0;
        while (i < bytes.size()) {
            // A run of printable ASCII and two-byte characters (Cyrillic
            // among them) is copied at once.
            const std::size_t start = i;
            int characters = 0;
            while (i < bytes.size()) {
                const auto b = static_cast<unsigned char>(bytes[i]);
                if (b >= 0x20 && b < 0x80) {
                    ++i;
                } else if (b >= 0xC2 && b < 0xE0 && i + 1 < bytes.size()
                    && (static_cast<unsigned char>(bytes[i + 1]) & 0xC0) == 0x80) {
                    i += 2;
                } else {
                    break;
                }
                ++characters;
            }
            if (characters > 0) {
                m_text.append(bytes.substr(start, i - start));
                m_length += characters;
                m_lineEmpty = false;
                continue;
            }
            char32_t ch = 0;
            if (!NextUtf8(bytes, i, ch)) {
                Append(U'\uFFFD');
            } else if (ch == U'\n' || ch == U'\r' || ch == U'\uFEFF') {
                Append(ch);
            } else {
                m_text.append(bytes.substr(start, i - start));
                ++m_length;
                m_lineEmpty = false;
            }
        }
    } else {
        for (const char c : bytes)
            Append(Cp1251ToUnicode(static_cast<unsigned char>(c)));
    }
    segment.Length = m_length - segment.Start;
    m_segments.push_back(segment);
}

void TTextMap::AddEntity(std::size_t begin, std::size_t end, char32_t ch, std::uint32_t context)
{
    m_segments.push_back({ .Start = m_length,
        .Length = 1,
        .Part = m_part,
        .Byte = static_cast<std::uint32_t>(begin),
        .Context = context,
        .Bytes = static_cast<std::uint16_t>(std::min<std::size_t>(end - begin, 0xFFFF)),
        .Form = TSourceForm::Entity });
    Append(ch);
}

void TTextMap::AddMarkupText(std::size_t begin, std::size_t end, std::uint32_t context)
{
    const std::string_view bytes = m_parts[static_cast<std::size_t>(m_part)];
    std::size_t from = begin;
    for (std::size_t i = begin; i < end;) {
        const std::size_t amp = bytes.substr(0, end).find('&', i);
        if (amp == std::string_view::npos)
            break;
        std::size_t len = 0;
        char32_t ch = U'\u00AD';
        if (bytes.substr(amp, end - amp).starts_with("&shy;"))
            len = 5;
        else
            ch = ReadReference(bytes.substr(amp, end - amp), len);
        if (len == 0) {
            i = amp + 1;
            continue;
        }
        AddLiteral(from, amp, context);
        if (ch != U'\u00AD') // a soft hyphen, as in AddRun
            AddEntity(amp, amp + len, ch, context);
        i = from = amp + len;
    }
    AddLiteral(from, end, context);
}

void TTextMap::AddVirtual(char32_t ch)
{
    Append(ch);
}

void TTextMap::EndLine()
{
    m_text += '\n';
    ++m_length;
    m_lineEmpty = true;
}

std::vector<TLetterChange> TTextMap::Changes(const std::string& before, const MemoryDocument& after) const
{
    const std::string& now = after.TextRef();
    if (now.size() != before.size())
        throw EDocumentError("проход изменил длину текста");
    std::vector<TLetterChange> changes;
    // The walk inside the last segment, so that many changes in one long
    // segment cost one pass over it.
    std::size_t walkSegment = m_segments.size();
    int walkChar = 0;
    std::size_t walkByte = 0;
    auto at = before.begin();
    for (;;) {
        at = std::mismatch(at, before.end(), now.begin() + (at - before.begin())).first;
        if (at == before.end())
            break;
        const int position = static_cast<int>(at - before.begin());
        ++at;
        if (Frozen(position))
            continue; // a letter of an address stays as written
        const auto next = std::upper_bound(m_segments.begin(), m_segments.end(), position,
            [](int p, const TTextSegment& s) { return p < s.Start; });
        if (next == m_segments.begin() || position >= std::prev(next)->Start + std::prev(next)->Length)
            throw EDocumentError("проход изменил символ, которого в документе нет");
        const std::size_t index = static_cast<std::size_t>(std::prev(next) - m_segments.begin());
        const TTextSegment& segment = m_segments[index];
        TLetterChange change;
        change.Part = segment.Part;
        change.Form = segment.Form;
        change.Context = segment.Context;
        change.Letter = Cp1251ToUnicode(static_cast<unsigned char>(now[static_cast<std::size_t>(position)]));
        change.Colour = after.CharColour(position);
        change.Marked = change.Colour != ColourBlack;
        if (segment.Form == TSourceForm::Entity) {
            change.Byte = segment.Byte;
            change.Bytes = segment.Bytes;
        } else {
            const std::string_view bytes = m_parts[static_cast<std::size_t>(segment.Part)];
            const bool utf8 = m_utf8[static_cast<std::size_t>(segment.Part)];
            if (walkSegment != index || walkChar > position - segment.Start) {
                walkSegment = index;
                walkChar = 0;
                walkByte = segment.Byte;
            }
            char32_t ch = 0;
            for (; walkChar < position - segment.Start; ++walkChar) {
                if (utf8)
                    NextUtf8(bytes, walkByte, ch);
                else
                    ++walkByte;
            }
            change.Byte = walkByte;
            std::size_t end = walkByte;
            if (utf8)
                NextUtf8(bytes, end, ch);
            else
                ++end;
            change.Bytes = end - walkByte;
        }
        changes.push_back(change);
    }
    return changes;
}

namespace {

// Formats give their patches in order but for a few added at the end; a sort
// that needs no buffer keeps a large document's patches in place.
void SortPatches(std::vector<TBytePatch>& patches)
{
    const auto before = [](const TBytePatch& a, const TBytePatch& b) { return a.Byte < b.Byte; };
    if (!std::is_sorted(patches.begin(), patches.end(), before)) {
        const auto unsorted = std::is_sorted_until(patches.begin(), patches.end(), before);
        std::stable_sort(unsorted, patches.end(), before);
        std::inplace_merge(patches.begin(), unsorted, patches.end(), before);
    }
}

} // namespace

std::string ApplyPatches(std::string_view bytes, std::vector<TBytePatch> patches)
{
    SortPatches(patches);
    // The exact size, so that a large part with many marks is never copied
    // on growing.
    std::size_t added = 0;
    std::size_t removed = 0;
    for (const TBytePatch& p : patches) {
        added += p.Text.size();
        removed += p.Length;
    }
    std::string out;
    out.reserve(bytes.size() + added - std::min(removed, bytes.size() + added));
    std::size_t copied = 0;
    for (const TBytePatch& p : patches) {
        if (p.Byte < copied || p.Byte + p.Length > bytes.size())
            throw EDocumentError("замены в документе пересекаются");
        out.append(bytes.substr(copied, p.Byte - copied));
        out += p.Text;
        copied = p.Byte + p.Length;
    }
    out.append(bytes.substr(copied));
    return out;
}

bool PatchInPlace(std::string& bytes, std::vector<TBytePatch>& patches)
{
    std::size_t end = 0;
    for (const TBytePatch& p : patches) {
        if (p.Text.size() != p.Length || p.Byte < end || p.Byte + p.Length > bytes.size())
            return false;
        end = p.Byte + p.Length;
    }
    for (TBytePatch& p : patches) {
        std::string old = bytes.substr(p.Byte, p.Length);
        std::copy(p.Text.begin(), p.Text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(p.Byte));
        p.Text = std::move(old);
    }
    return true;
}

bool PatchGrowingInPlace(std::string& bytes, std::vector<TBytePatch>& patches)
{
    SortPatches(patches);
    std::size_t grown = bytes.size();
    std::size_t end = 0;
    for (const TBytePatch& p : patches) {
        if (p.Text.size() < p.Length || p.Byte < end || p.Byte + p.Length > bytes.size())
            return false;
        end = p.Byte + p.Length;
        grown += p.Text.size() - p.Length;
    }
    if (grown > bytes.capacity())
        return false;
    // From the last patch back: what follows a patch moves by the growth of
    // the patches before it, so it never lands on bytes not yet moved.
    std::size_t from = bytes.size();
    bytes.resize(grown);
    char* const data = bytes.data();
    std::size_t to = grown;
    for (auto p = patches.rbegin(); p != patches.rend(); ++p) {
        const std::size_t tail = from - (p->Byte + p->Length);
        to -= tail;
        std::memmove(data + to, data + p->Byte + p->Length, tail);
        to -= p->Text.size();
        std::memcpy(data + to, p->Text.data(), p->Text.size());
        from = p->Byte;
    }
    return true;
}

std::string EncodeLetter(const TLetterChange& change, std::string_view oldSource, bool utf8)
{
    std::string out;
    if (change.Form == TSourceForm::Entity) {
        if (!oldSource.starts_with("&#")) {
            for (const TNamedEntity& e : NamedEntities) {
                if (e.Ch == change.Letter) {
                    out = '&';
                    out.append(e.Name);
                    out += ';';
                    return out;
                }
            }
        }
        const bool hex = oldSource.starts_with("&#x") || oldSource.starts_with("&#X");
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, hex ? "&#x%X;" : "&#%u;", static_cast<unsigned>(change.Letter));
        return buffer;
    }
    if (utf8) {
        AppendUtf8(out, change.Letter);
    } else {
        const int byte = UnicodeToCp1251(change.Letter);
        out += static_cast<char>(byte < 0 ? ForeignPlaceholder : byte);
    }
    return out;
}

std::string HexColour(TColour colour)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%06x", static_cast<unsigned>(colour & 0xFFFFFF));
    return buffer;
}

} // namespace tildo
