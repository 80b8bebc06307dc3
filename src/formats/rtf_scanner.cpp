// The running text of RTF found where it is written, so that a changed letter
// can be written back in place and every other byte kept. The body text is read
// with the window reader's vocabulary and limits (the engine must see the same
// text whichever way a file is opened); footnotes, headers and footers, which
// the window does not show, follow the body.
#include "formats/rtf_scanner.h"

#include "formats/rtf_walker.h"

#include <algorithm>

namespace tildo {

namespace {

struct TState : TRtfGroupState
{
    bool Starred = false; // \* has just begun a destination inside the body
};

bool IsLetter(char32_t ch)
{
    return ch == U'е' || ch == U'ё' || ch == U'Е' || ch == U'Ё';
}

// A byte of text waiting to be decoded, and where it is written.
struct TUnit
{
    std::size_t Begin = 0;
    std::size_t End = 0;
};

// A footnote, header or footer: the bytes after its control word up to its
// closing brace, and the state it begins in.
struct TSide
{
    std::size_t Begin = 0;
    std::size_t End = 0;
    TState State;
    std::size_t Depth = 0;
};

class TRtfScanner : public TRtfWalker<TRtfScanner, TState>
{
public:
    TRtfScanner(std::string_view rtf, TTextMap& map, TRtfLayout& layout)
        : TRtfWalker(rtf)
        , m_map(map)
        , m_layout(layout)
    {
    }

    void Scan();

private:
    friend class TRtfWalker<TRtfScanner, TState>;

    void FinishRun();
    void GroupEdge() { EndFallback(); }
    void EnterGroup(TState& state) { state.Starred = false; }
    void GroupClosed(TRtfDest closed);
    void ColourTableOpened();
    void ColourEntryEnded() { m_colourEntryFrom = m_pos; }
    void Star();
    void ControlWord(const TRtfToken& token, std::size_t start);
    void Byte(char c, bool escaped, std::size_t begin);
    // A character of a \uN's fallback skipped; byte < 0 for a control word.
    bool SkipFallback(std::size_t begin, int byte);
    void EndFallback();
    void FlushBytes();
    void Emit(char32_t ch, const TRtfLetter* source = nullptr);
    // A whole character to the map.
    void Put(char32_t ch, const TRtfLetter* source);
    void BeginSide();
    void CloseColourTable();

    TTextMap& m_map;
    TRtfLayout& m_layout;
    std::vector<TUnit> m_units; // where each of m_bytes is written
    bool m_fontTableSeen = false;
    bool m_colourTableOpen = false;
    std::size_t m_colourEntryFrom = 0; // where the colour table's unfinished entry begins
    std::vector<TSide> m_sides;
    int m_fallback = -1; // the letter whose \uN fallback is being skipped
    std::string m_fallbackBytes;
    bool m_fallbackBytesOnly = true;
};

void TRtfScanner::Scan()
{
    m_pos = m_in.find('{');
    if (m_pos == std::string_view::npos)
        return;
    // A new colour table goes after the first control word (\rtf1) unless a
    // font table comes, and then after that.
    m_layout.TablePlace = m_pos + 1;
    if (m_pos + 1 < m_in.size() && m_in[m_pos + 1] == '\\') {
        const TRtfToken first = ReadRtfToken(m_in, m_pos + 1);
        if (!first.Word.empty()) // its delimiting space too, but never \bin's data
            m_layout.TablePlace = first.NumberEnd + (m_in.substr(first.NumberEnd, 1) == " " ? 1 : 0);
    }
    Walk(m_in.size());
    FinishRun();
    m_layout.ColourTableBroken = m_colourTableOpen;
    m_sidePass = true;
    for (const TSide& side : m_sides) {
        if (!m_map.LineEmpty())
            m_map.EndLine();
        m_state = side.State;
        m_stack.clear();
        m_baseDepth = side.Depth;
        m_overflow = 0;
        m_skipChars = 0;
        m_pos = side.Begin;
        Walk(side.End);
        FinishRun();
        if (!m_map.LineEmpty())
            m_map.EndLine();
    }
}

void TRtfScanner::FinishRun()
{
    FlushBytes();
    EndFallback();
    if (m_surrogates.Pending() && !Skipping())
        m_map.AddVirtual(U'\uFFFD');
    m_surrogates.Clear();
}

void TRtfScanner::GroupClosed(TRtfDest closed)
{
    if (closed == TRtfDest::FontTable && m_state.Dest != TRtfDest::FontTable) {
        if (!m_fontTableSeen)
            m_layout.TablePlace = m_pos;
        m_fontTableSeen = true;
    } else if (closed == TRtfDest::ColourTable && m_state.Dest != TRtfDest::ColourTable) {
        CloseColourTable();
    } else if (closed == TRtfDest::Side && m_state.Dest != TRtfDest::Side && !m_sides.empty()) {
        m_sides.back().End = m_pos - 1;
    }
}

void TRtfScanner::ColourTableOpened()
{
    m_colourTableOpen = true;
    m_colourEntryFrom = m_pos;
}

void TRtfScanner::CloseColourTable()
{
    m_colourTableOpen = false;
    m_layout.HasColourTable = true;
    m_layout.ColourTableEnd = m_pos - 1;
    m_layout.Colours = m_colours;
    const std::string_view rest = m_in.substr(m_colourEntryFrom, m_layout.ColourTableEnd - m_colourEntryFrom);
    m_layout.ColourTableOpenEntry = rest.find_first_not_of(" \t\r\n") != std::string_view::npos;
}

bool TRtfScanner::SkipFallback(std::size_t begin, int byte)
{
    if (m_skipChars <= 0)
        return false;
    if (m_fallback >= 0) {
        TRtfLetter& letter = m_layout.Letters[static_cast<std::size_t>(m_fallback)];
        if (letter.FallbackUnits == 0) {
            letter.FallbackBegin = begin;
            letter.FallbackHex = m_pos - begin > 1;
        }
        letter.End = m_pos;
        ++letter.FallbackUnits;
        if (byte < 0)
            m_fallbackBytesOnly = false;
        else
            m_fallbackBytes += static_cast<char>(byte);
    }
    if (--m_skipChars == 0)
        EndFallback();
    return true;
}

void TRtfScanner::EndFallback()
{
    if (m_fallback < 0)
        return;
    TRtfLetter& letter = m_layout.Letters[static_cast<std::size_t>(m_fallback)];
    if (m_fallbackBytesOnly && !m_fallbackBytes.empty()) {
        m_decoded.clear();
        m_decoder.Decode(letter.CodePage, m_fallbackBytes, m_decoded);
        letter.FallbackIsLetter = m_decoded.size() == 1 && m_decoded[0] == letter.Old;
    }
    m_fallback = -1;
    m_fallbackBytes.clear();
    m_fallbackBytesOnly = true;
}

void TRtfScanner::Star()
{
    // A footnote's group stays one while the body is read.
    if (m_state.Dest != TRtfDest::Side) {
        m_state.Starred = m_state.Dest == TRtfDest::Body;
        m_state.Dest = TRtfDest::Skip;
    }
}

void TRtfScanner::BeginSide()
{
    if (m_sidePass) {
        // A footnote inside a header is read where it stands, on a line of its own.
        m_state.Dest = TRtfDest::Body;
        if (!m_map.LineEmpty())
            Emit(U'\n');
        return;
    }
    TState state = m_state;
    state.Dest = TRtfDest::Body;
    state.Starred = false;
    m_sides.push_back({ m_pos, m_in.size(), state, Depth() });
    m_state.Dest = TRtfDest::Side;
}

void TRtfScanner::ControlWord(const TRtfToken& token, std::size_t start)
{
    if (SkipFallback(start, -1))
        return;
    const bool starred = m_state.Starred;
    m_state.Starred = false;
    const TRtfWordInfo* found = FindRtfWord(token.Word);
    if (found == nullptr)
        return;
    const TRtfWordInfo info = *found;
    if (starred && m_overflow == 0 && info.Word == TRtfWord::Side) {
        BeginSide();
        return;
    }
    if (Skipping() || TableWord(info, token.Param))
        return;
    switch (info.Word) {
    case TRtfWord::Skip:
        m_state.Dest = TRtfDest::Skip;
        break;
    case TRtfWord::Side:
        if (m_state.Dest == TRtfDest::Body)
            BeginSide();
        else
            m_state.Dest = TRtfDest::Skip;
        break;
    case TRtfWord::Unicode: {
        TRtfLetter letter;
        letter.Begin = start;
        letter.NumberEnd = token.NumberEnd;
        letter.End = letter.FallbackBegin = m_pos;
        letter.Form = TRtfLetterForm::Unicode;
        Emit(RtfUnicodeChar(token.Param), &letter);
        m_skipChars = m_state.UcSkip;
        if (m_skipChars == 0)
            EndFallback();
        break;
    }
    case TRtfWord::Plain:
        if (m_state.Dest == TRtfDest::Body)
            SetFont(m_state, -1);
        break;
    case TRtfWord::Break:
    case TRtfWord::Tab:
    case TRtfWord::Char:
        if (m_state.Dest == TRtfDest::Body)
            Emit(info.Word == TRtfWord::Break ? U'\n' : info.Word == TRtfWord::Tab ? U'\t' : info.Char);
        break;
    default:
        break;
    }
}

void TRtfScanner::Byte(char c, bool escaped, std::size_t begin)
{
    if (SkipFallback(begin, static_cast<unsigned char>(c)) || Skipping() || TakeByte(c, escaped))
        return;
    m_bytes += c;
    m_units.push_back({ begin, m_pos });
}

void TRtfScanner::FlushBytes()
{
    if (m_bytes.empty())
        return;
    const int codePage = CodePageOf(m_state);
    m_decoded.clear();
    m_decoder.Decode(codePage, m_bytes, m_decoded);
    const bool letters = m_state.Dest == TRtfDest::Body && !Skipping()
        && std::any_of(m_decoded.begin(), m_decoded.end(), IsLetter);
    // How many bytes each character takes: one, unless the code page has
    // longer characters, when they are found one by one as Decode found them.
    std::vector<std::size_t> sizes;
    if (letters && m_decoded.size() != m_bytes.size()) {
        const std::string_view bytes = m_bytes;
        char32_t ch = 0;
        for (std::size_t i = 0; i < bytes.size() && sizes.size() <= m_decoded.size();) {
            const std::size_t n
                = std::max<std::size_t>(1, m_decoder.DecodeOne(codePage, bytes.substr(i), ch));
            if (sizes.size() < m_decoded.size() && ch != m_decoded[sizes.size()])
                break;
            sizes.push_back(n);
            i += n;
        }
        if (sizes.size() != m_decoded.size())
            sizes.clear(); // no letter of these bytes can be found again: none is mapped
    }
    const bool mapped = letters && (m_decoded.size() == m_bytes.size() || !sizes.empty());
    std::size_t unit = 0;
    for (std::size_t i = 0; i < m_decoded.size(); ++i) {
        const char32_t ch = m_decoded[i];
        const std::size_t n = sizes.empty() ? 1 : sizes[i];
        // Control bytes in the text are line-wrapping debris, not characters.
        if (ch >= 0x20 || ch == '\t') {
            if (mapped && IsLetter(ch) && unit + n <= m_units.size()) {
                TRtfLetter letter;
                letter.Begin = m_units[unit].Begin;
                letter.End = m_units[unit + n - 1].End;
                bool hex = false;
                bool bare = false;
                for (std::size_t k = unit; k < unit + n; ++k)
                    (m_units[k].End - m_units[k].Begin > 1 ? hex : bare) = true;
                letter.Form = hex ? TRtfLetterForm::Hex : TRtfLetterForm::Bytes;
                Emit(ch, &letter);
            } else {
                Emit(ch);
            }
        }
        unit += n;
    }
    m_bytes.clear();
    m_units.clear();
}

void TRtfScanner::Emit(char32_t ch, const TRtfLetter* source)
{
    // Only the last can be the source's character: a surrogate is no letter.
    if (!Skipping())
        Whole(ch, [&](char32_t whole, bool last) { Put(whole, last ? source : nullptr); });
}

void TRtfScanner::Put(char32_t ch, const TRtfLetter* source)
{
    if (m_state.Dest != TRtfDest::Body)
        return;
    if (ch == U'\n' || ch == U'\r') {
        m_map.EndLine();
        return;
    }
    if (source == nullptr || !IsLetter(ch)) {
        m_map.AddVirtual(ch);
        return;
    }
    TRtfLetter letter = *source;
    letter.Old = ch;
    letter.CodePage = CodePageOf(m_state);
    letter.Uc = static_cast<std::uint8_t>(m_state.UcSkip);
    letter.Deep = Depth() >= RtfMaxDepth;
    if (letter.Form == TRtfLetterForm::Hex && letter.Begin + 3 < m_in.size())
        letter.HexUpper = (m_in[letter.Begin + 2] >= 'A' && m_in[letter.Begin + 2] <= 'F')
            || (m_in[letter.Begin + 3] >= 'A' && m_in[letter.Begin + 3] <= 'F');
    const auto index = static_cast<std::uint32_t>(m_layout.Letters.size());
    m_map.AddEntity(letter.Begin, letter.End, ch, index);
    m_layout.Letters.push_back(letter);
    if (letter.Form == TRtfLetterForm::Unicode)
        m_fallback = static_cast<int>(index);
}

} // namespace

void ScanRtf(std::string_view rtf, TTextMap& map, TRtfLayout& layout)
{
    TRtfScanner scanner(rtf, map, layout);
    scanner.Scan();
}

} // namespace tildo
