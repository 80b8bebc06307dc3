// The running text of RTF found where it is written, so that a changed letter
// can be written back in place and every other byte kept. The body text is read
// with the window reader's vocabulary and limits (the engine must see the same
// text whichever way a file is opened); footnotes, headers and footers, which
// the window does not show, follow the body.
#include "formats/rtf_scanner.h"

#include "formats/code_page_decoder.h"
#include "formats/rtf_vocabulary.h"
#include "text/cp1251.h"

#include <algorithm>
#include <map>

namespace tildo {

namespace {

enum class TDest : std::uint8_t {
    Body,
    Skip,
    FontTable,
    ColourTable,
    Side, // a footnote, header or footer: read after the body
};

struct TState
{
    int FontIndex = -1; // -1: the document's default font
    int CodePage = 0; // of the current font; 0: the document's
    int UcSkip = 1;
    TDest Dest = TDest::Body;
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

class TRtfScanner
{
public:
    TRtfScanner(std::string_view rtf, TTextMap& map, TRtfLayout& layout)
        : m_in(rtf)
        , m_map(map)
        , m_layout(layout)
    {
    }

    void Scan();

private:
    bool Skipping() const
    {
        return m_overflow > 0 || m_state.Dest == TDest::Skip || m_state.Dest == TDest::Side;
    }
    std::size_t Depth() const { return m_baseDepth + m_stack.size(); }
    void Run(std::size_t end);
    void FinishRun();
    void OpenGroup();
    bool CloseGroup();
    void ReadControl();
    void ControlWord(std::string_view word, int param, std::size_t start, std::size_t numberEnd);
    // The font and colour tables' words.
    void TableWord(TRtfWord word, int param);
    void ControlSymbol(char c, std::size_t start);
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
    void SetFont(TState& state, int index) const;
    int CodePageOf(const TState& state) const { return state.CodePage != 0 ? state.CodePage : m_docCodePage; }

    std::string_view m_in;
    TTextMap& m_map;
    TRtfLayout& m_layout;
    std::size_t m_pos = 0;
    std::vector<TState> m_stack;
    std::size_t m_baseDepth = 0; // groups around a footnote read after the body
    TState m_state;
    int m_overflow = 0;
    int m_skipChars = 0;
    TRtfSurrogates m_surrogates;
    std::string m_bytes;
    std::vector<TUnit> m_units; // where each of m_bytes is written
    std::u32string m_decoded;
    TCodePageDecoder m_decoder;
    int m_docCodePage = 1252;
    int m_defaultFont = 0;
    std::map<int, int> m_fontCodePages;
    int m_fontNumber = 0;
    int m_fontCodePage = 0;
    bool m_fontPending = false;
    bool m_fontTableSeen = false;
    std::vector<std::optional<TColour>> m_colours;
    TColour m_colour = ColourBlack;
    bool m_colourAuto = true;
    bool m_colourTableOpen = false;
    std::size_t m_colourEntryFrom = 0; // where the colour table's unfinished entry begins
    std::vector<TSide> m_sides;
    bool m_sidePass = false;
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
    Run(m_in.size());
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
        Run(side.End);
        FinishRun();
        if (!m_map.LineEmpty())
            m_map.EndLine();
    }
}

void TRtfScanner::Run(std::size_t end)
{
    while (m_pos < end) {
        const char c = m_in[m_pos];
        if (c == '{') {
            ++m_pos;
            FlushBytes();
            OpenGroup();
        } else if (c == '}') {
            ++m_pos;
            FlushBytes();
            if (!CloseGroup())
                break;
        } else if (c == '\\') {
            ReadControl();
        } else {
            ++m_pos;
            if (c != '\r' && c != '\n')
                Byte(c, false, m_pos - 1);
        }
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

void TRtfScanner::OpenGroup()
{
    EndFallback();
    m_skipChars = 0;
    if (m_overflow > 0 || Depth() >= RtfMaxDepth) {
        ++m_overflow;
        return;
    }
    m_state.Starred = false;
    m_stack.push_back(m_state);
}

bool TRtfScanner::CloseGroup()
{
    EndFallback();
    m_skipChars = 0;
    if (m_overflow > 0) {
        --m_overflow;
        return true;
    }
    if (m_state.Dest == TDest::FontTable && m_fontPending) {
        m_fontCodePages[m_fontNumber] = m_fontCodePage;
        m_fontPending = false;
    }
    const TDest closed = m_state.Dest;
    if (m_stack.empty())
        return false;
    m_state = m_stack.back();
    m_stack.pop_back();
    if (closed == TDest::FontTable && m_state.Dest != TDest::FontTable) {
        // The fonts are known now: text before any \f uses the default one.
        for (TState& s : m_stack) {
            if (s.FontIndex < 0)
                SetFont(s, -1);
        }
        if (m_state.FontIndex < 0)
            SetFont(m_state, -1);
        if (!m_fontTableSeen)
            m_layout.TablePlace = m_pos;
        m_fontTableSeen = true;
    } else if (closed == TDest::ColourTable && m_state.Dest != TDest::ColourTable) {
        CloseColourTable();
    } else if (closed == TDest::Side && m_state.Dest != TDest::Side && !m_sides.empty()) {
        m_sides.back().End = m_pos - 1;
    }
    // The body ends with the outermost group; a footnote with its own.
    return m_sidePass || !m_stack.empty();
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

void TRtfScanner::ReadControl()
{
    const std::size_t start = m_pos; // the backslash
    const TRtfToken token = ReadRtfToken(m_in, m_pos);
    m_pos = token.End;
    switch (token.Kind) {
    case TRtfTokenKind::Nothing:
        break;
    case TRtfTokenKind::Byte:
        Byte(token.Byte, true, start);
        break;
    case TRtfTokenKind::Symbol:
        FlushBytes();
        ControlSymbol(token.Byte, start);
        break;
    case TRtfTokenKind::Binary:
        // Binary data: its bytes are no text, whatever they look like.
        FlushBytes();
        if (m_skipChars > 0)
            SkipFallback(start, -1);
        break;
    case TRtfTokenKind::Overlong:
        FlushBytes();
        break;
    case TRtfTokenKind::Word:
        FlushBytes();
        ControlWord(token.Word, token.Param, start, token.NumberEnd);
        break;
    }
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

void TRtfScanner::ControlSymbol(char c, std::size_t start)
{
    if (SkipFallback(start, -1))
        return;
    switch (c) {
    case '\\':
    case '{':
    case '}':
        Byte(c, false, start);
        FlushBytes();
        break;
    case '~':
        Emit(U'\u00A0');
        break;
    case '_':
        Emit(U'\u2011');
        break;
    case '*':
        // A footnote's group stays one while the body is read.
        if (m_overflow == 0 && m_state.Dest != TDest::Side) {
            m_state.Starred = m_state.Dest == TDest::Body;
            m_state.Dest = TDest::Skip;
        }
        break;
    case '\n':
    case '\r':
        Emit(U'\n');
        break;
    default:
        break;
    }
}

void TRtfScanner::BeginSide()
{
    if (m_sidePass) {
        // A footnote inside a header is read where it stands, on a line of its own.
        m_state.Dest = TDest::Body;
        if (!m_map.LineEmpty())
            Emit(U'\n');
        return;
    }
    TState state = m_state;
    state.Dest = TDest::Body;
    state.Starred = false;
    m_sides.push_back({ m_pos, m_in.size(), state, Depth() });
    m_state.Dest = TDest::Side;
}

void TRtfScanner::ControlWord(std::string_view word, int param, std::size_t start, std::size_t numberEnd)
{
    if (SkipFallback(start, -1))
        return;
    const bool starred = m_state.Starred;
    m_state.Starred = false;
    const TRtfWordInfo* found = FindRtfWord(word);
    if (found == nullptr)
        return;
    const TRtfWordInfo info = *found;
    if (starred && m_overflow == 0 && info.Word == TRtfWord::Side) {
        BeginSide();
        return;
    }
    if (Skipping())
        return;
    switch (info.Word) {
    case TRtfWord::Skip:
        m_state.Dest = TDest::Skip;
        break;
    case TRtfWord::Side:
        if (m_state.Dest == TDest::Body)
            BeginSide();
        else
            m_state.Dest = TDest::Skip;
        break;
    case TRtfWord::Uc:
        m_state.UcSkip = std::clamp(param, 0, 16);
        break;
    case TRtfWord::Unicode: {
        TRtfLetter letter;
        letter.Begin = start;
        letter.NumberEnd = numberEnd;
        letter.End = letter.FallbackBegin = m_pos;
        letter.Form = TRtfLetterForm::Unicode;
        Emit(RtfUnicodeChar(param), &letter);
        m_skipChars = m_state.UcSkip;
        if (m_skipChars == 0)
            EndFallback();
        break;
    }
    case TRtfWord::AnsiCpg:
        if (param > 0)
            m_docCodePage = param;
        break;
    case TRtfWord::DocCodePage:
        m_docCodePage = static_cast<int>(info.Char);
        break;
    case TRtfWord::DefaultFont:
        m_defaultFont = param;
        break;
    case TRtfWord::Plain:
        if (m_state.Dest == TDest::Body)
            SetFont(m_state, -1);
        break;
    case TRtfWord::Break:
    case TRtfWord::Tab:
    case TRtfWord::Char:
        if (m_state.Dest == TDest::Body)
            Emit(info.Word == TRtfWord::Break ? U'\n' : info.Word == TRtfWord::Tab ? U'\t' : info.Char);
        break;
    default:
        TableWord(info.Word, param);
    }
}

void TRtfScanner::TableWord(TRtfWord word, int param)
{
    const bool tables = !m_sidePass; // tables are read once, with the body
    switch (word) {
    case TRtfWord::FontTable:
        m_state.Dest = tables ? TDest::FontTable : TDest::Skip;
        m_fontPending = false;
        break;
    case TRtfWord::ColourTable:
        m_state.Dest = tables ? TDest::ColourTable : TDest::Skip;
        if (tables) {
            m_colours.clear();
            m_colour = ColourBlack;
            m_colourAuto = true;
            m_colourTableOpen = true;
            m_colourEntryFrom = m_pos;
        }
        break;
    case TRtfWord::Red:
    case TRtfWord::Green:
    case TRtfWord::Blue: {
        if (m_state.Dest != TDest::ColourTable)
            break;
        const int shift = word == TRtfWord::Red ? 16 : (word == TRtfWord::Green ? 8 : 0);
        m_colour = (m_colour & ~(TColour(0xFF) << shift)) | (TColour(param & 0xFF) << shift);
        m_colourAuto = false;
        break;
    }
    case TRtfWord::Font:
        if (m_state.Dest == TDest::FontTable) {
            if (m_fontPending)
                m_fontCodePages[m_fontNumber] = m_fontCodePage;
            m_fontNumber = param;
            m_fontCodePage = 0;
            m_fontPending = true;
        } else {
            SetFont(m_state, param);
        }
        break;
    case TRtfWord::Charset:
        if (m_state.Dest == TDest::FontTable)
            m_fontCodePage = CharsetCodePage(param);
        break;
    case TRtfWord::CodePage:
        if (m_state.Dest == TDest::FontTable && param > 0)
            m_fontCodePage = param;
        break;
    default:
        break;
    }
}

void TRtfScanner::Byte(char c, bool escaped, std::size_t begin)
{
    if (SkipFallback(begin, static_cast<unsigned char>(c)))
        return;
    if (Skipping())
        return;
    if (m_state.Dest == TDest::ColourTable) {
        if (c == ';') {
            m_colours.push_back(m_colourAuto ? std::nullopt : std::optional<TColour>(m_colour));
            m_colour = ColourBlack;
            m_colourAuto = true;
            m_colourEntryFrom = m_pos;
        }
        return;
    }
    if (m_state.Dest == TDest::FontTable && c == ';' && !escaped) {
        FlushBytes();
        m_fontCodePages[m_fontNumber] = m_fontCodePage;
        m_fontPending = false;
        return;
    }
    if (!escaped && c == '\t') {
        FlushBytes();
        Emit(U'\t');
        return;
    }
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
    const bool letters = m_state.Dest == TDest::Body && !Skipping()
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
    if (Skipping())
        return;
    if (m_surrogates.Plain(ch)) {
        Put(ch, source);
        return;
    }
    char32_t whole[2];
    const int n = m_surrogates.Take(ch, whole);
    // Only the last can be the source's character: a surrogate is no letter.
    for (int i = 0; i < n; ++i)
        Put(whole[i], i + 1 == n ? source : nullptr);
}

void TRtfScanner::Put(char32_t ch, const TRtfLetter* source)
{
    if (m_state.Dest != TDest::Body)
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

void TRtfScanner::SetFont(TState& state, int index) const
{
    state.FontIndex = index;
    const auto it = m_fontCodePages.find(index < 0 ? m_defaultFont : index);
    state.CodePage = it == m_fontCodePages.end() ? 0 : it->second;
}

} // namespace

void ScanRtf(std::string_view rtf, TTextMap& map, TRtfLayout& layout)
{
    TRtfScanner scanner(rtf, map, layout);
    scanner.Scan();
}

} // namespace tildo
