#include "rtf_reader.h"

#include "formats/code_page_decoder.h"
#include "formats/rtf_vocabulary.h"
#include "text/cp1251.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

namespace tildo {

namespace {

constexpr std::size_t MaxFontNameLength = 256;
constexpr std::size_t MaxFieldInstruction = 32;

enum class TDest : std::uint8_t { Body, Skip, FontTable, ColourTable };

struct TState
{
    TCharFormat Format;
    int FontIndex = -1; // -1: the document's default font
    int CodePage = 0; // of the current font; 0: the document's
    int UcSkip = 1;
    TDest Dest = TDest::Body;
    bool InInfo = false; // inside the document information group
    // Properties in force that the styled text cannot hold: they count as
    // lost when text is written under them.
    TRtfLosses ParagraphLosses;
    TRtfLosses CharacterLosses;
};

struct TFontEntry
{
    std::string Name;
    int CodePage = 0;
};

struct TColourEntry
{
    TColour Colour = ColourBlack;
    bool Auto = true;
};

class TRtfReader
{
public:
    TRtfReader(std::string_view rtf, TRtfLosses* losses)
        : m_in(rtf)
        , m_losses(losses)
    {
    }

    TStyledText Read();

private:
    bool Skipping() const { return m_overflow > 0 || m_state.Dest == TDest::Skip; }
    void OpenGroup();
    // False when the outermost group has closed: the document ends there.
    bool CloseGroup();
    void ReadControl();
    void ControlWord(std::string_view word, bool hasParam, int param);
    void NoteLoss(std::string_view word, bool hasParam, int param);
    void FinishFieldInstruction();
    void ControlSymbol(char c);
    void Byte(char c, bool escaped);
    void FlushBytes();
    void Emit(char32_t ch);
    // A whole character to the body or the font's name.
    void Put(char32_t ch);
    void EmitUnicode(int param);
    void FinishFont();
    TColour ColourAt(int index, TColour fallback) const;
    void SetFont(TState& state, int index) const;
    int CodePageOf(const TState& state) const;

    std::string_view m_in;
    TRtfLosses* m_losses; // nullptr: not wanted
    std::size_t m_pos = 0;
    std::vector<TState> m_stack;
    TState m_state;
    int m_overflow = 0; // groups opened past RtfMaxDepth, skipped whole
    int m_skipChars = 0; // fallback characters still to skip after \uN
    bool m_starred = false; // \* has just opened a destination in a group that is read
    // The beginning of a field's instruction, enough to tell a hyperlink,
    // while the instruction's group (at this depth) is open.
    std::string m_fieldInstruction;
    std::size_t m_fieldDepth = 0; // 0: no instruction open
    std::string m_bytes; // text bytes waiting to be decoded
    TRtfSurrogates m_surrogates;
    int m_docCodePage = 1252;
    int m_defaultFont = 0;
    std::map<int, TFontEntry> m_fonts;
    int m_fontNumber = 0;
    std::u32string m_fontName;
    int m_fontCodePage = 0;
    bool m_fontPending = false;
    std::vector<TColourEntry> m_colours;
    TColourEntry m_colour;
    TCodePageDecoder m_decoder;
    std::u32string m_decoded;
    TStyledText m_out;
};

TStyledText TRtfReader::Read()
{
    if (!LooksLikeRtf(m_in))
        throw ERtfError("not an RTF file");
    m_pos = m_in.find('{');
    while (m_pos < m_in.size()) {
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
                Byte(c, false);
        }
    }
    FlushBytes();
    if (m_fieldDepth != 0)
        FinishFieldInstruction();
    if (m_surrogates.Pending() && !Skipping())
        m_out.Append(U'\uFFFD', m_state.Format);
    return std::move(m_out);
}

void TRtfReader::OpenGroup()
{
    m_skipChars = 0;
    m_starred = false;
    if (m_overflow > 0 || m_stack.size() >= RtfMaxDepth) {
        ++m_overflow;
        return;
    }
    m_stack.push_back(m_state);
}

bool TRtfReader::CloseGroup()
{
    m_skipChars = 0;
    m_starred = false;
    if (m_overflow > 0) {
        --m_overflow;
        return true;
    }
    if (m_state.Dest == TDest::FontTable && m_fontPending)
        FinishFont();
    const TDest closed = m_state.Dest;
    if (m_stack.empty())
        return false;
    m_state = m_stack.back();
    m_stack.pop_back();
    if (m_fieldDepth > m_stack.size())
        FinishFieldInstruction();
    if (closed == TDest::FontTable && m_state.Dest != TDest::FontTable) {
        // The fonts are known now: text before any \f uses the default one.
        for (TState& s : m_stack) {
            if (s.FontIndex < 0)
                SetFont(s, -1);
        }
        if (m_state.FontIndex < 0)
            SetFont(m_state, -1);
    }
    return !m_stack.empty();
}

void TRtfReader::ReadControl()
{
    const TRtfToken token = ReadRtfToken(m_in, m_pos);
    m_pos = token.End;
    switch (token.Kind) {
    case TRtfTokenKind::Nothing:
        break;
    case TRtfTokenKind::Byte:
        Byte(token.Byte, true);
        break;
    case TRtfTokenKind::Symbol:
        FlushBytes();
        ControlSymbol(token.Byte);
        break;
    case TRtfTokenKind::Binary:
        // Binary data: its bytes are no text, whatever they look like.
        FlushBytes();
        if (m_skipChars > 0)
            --m_skipChars;
        break;
    case TRtfTokenKind::Overlong:
        FlushBytes();
        break;
    case TRtfTokenKind::Word:
        FlushBytes();
        ControlWord(token.Word, token.HasParam, token.Param);
        break;
    }
}

void TRtfReader::ControlSymbol(char c)
{
    if (m_skipChars > 0) {
        --m_skipChars;
        return;
    }
    switch (c) {
    case '\\':
    case '{':
    case '}':
        Byte(c, false);
        FlushBytes();
        break;
    case '~':
        Emit(U'\u00A0');
        break;
    case '_':
        Emit(U'\u2011');
        break;
    case '*':
        if (m_overflow == 0) {
            m_starred = !Skipping();
            m_state.Dest = TDest::Skip;
        }
        break;
    case '\n':
    case '\r':
        Emit(U'\n');
        break;
    default: // \- optional hyphen, \: index subentry, \| formula: nothing to show
        break;
    }
}

void TRtfReader::ControlWord(std::string_view word, bool hasParam, int param)
{
    if (m_skipChars > 0) {
        --m_skipChars;
        return;
    }
    if (m_losses != nullptr)
        NoteLoss(word, hasParam, param);
    m_starred = false;
    if (Skipping())
        return;
    const TRtfWordInfo* info = FindRtfWord(word);
    if (info == nullptr)
        return;
    const bool on = !hasParam || param != 0;
    TCharFormat& f = m_state.Format;
    switch (info->Word) {
    case TRtfWord::Skip:
    case TRtfWord::Side: // the window shows only the body
        m_state.Dest = TDest::Skip;
        break;
    case TRtfWord::FontTable:
        m_state.Dest = TDest::FontTable;
        m_fontPending = false;
        break;
    case TRtfWord::ColourTable:
        m_state.Dest = TDest::ColourTable;
        m_colours.clear();
        m_colour = {};
        break;
    case TRtfWord::Red:
    case TRtfWord::Green:
    case TRtfWord::Blue: {
        if (m_state.Dest != TDest::ColourTable)
            break;
        const int shift = info->Word == TRtfWord::Red ? 16 : (info->Word == TRtfWord::Green ? 8 : 0);
        m_colour.Colour = (m_colour.Colour & ~(TColour(0xFF) << shift)) | (TColour(param & 0xFF) << shift);
        m_colour.Auto = false;
        break;
    }
    case TRtfWord::Font:
        if (m_state.Dest == TDest::FontTable) {
            if (m_fontPending)
                FinishFont();
            m_fontNumber = param;
            m_fontName.clear();
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
    case TRtfWord::Uc:
        m_state.UcSkip = std::clamp(param, 0, 16);
        break;
    case TRtfWord::Unicode:
        EmitUnicode(param);
        m_skipChars = m_state.UcSkip;
        break;
    case TRtfWord::AnsiCpg:
        if (param > 0)
            m_docCodePage = param;
        break;
    case TRtfWord::DocCodePage:
        m_docCodePage = static_cast<int>(info->Char);
        break;
    case TRtfWord::DefaultFont:
        m_defaultFont = param;
        break;
    default:
        if (m_state.Dest != TDest::Body)
            break;
        switch (info->Word) {
        case TRtfWord::Plain:
            f = TCharFormat {};
            SetFont(m_state, -1);
            break;
        case TRtfWord::Bold:
            f.Bold = on;
            break;
        case TRtfWord::Italic:
            f.Italic = on;
            break;
        case TRtfWord::Underline:
            f.Underline = on;
            break;
        case TRtfWord::UnderlineNone:
            f.Underline = false;
            break;
        case TRtfWord::Colour:
            f.Colour = ColourAt(param, ColourBlack);
            break;
        case TRtfWord::Background:
            f.Background = param == 0 ? ColourWhite : ColourAt(param, ColourWhite);
            break;
        case TRtfWord::Size:
            f.SizeHalfPoints = param > 0 ? std::min(param, 32767) : 24;
            break;
        case TRtfWord::Break:
            Emit(U'\n');
            break;
        case TRtfWord::Tab:
            Emit(U'\t');
            break;
        case TRtfWord::Char:
            Emit(info->Char);
            break;
        default:
            break;
        }
    }
}

void TRtfReader::Byte(char c, bool escaped)
{
    if (m_skipChars > 0) {
        --m_skipChars;
        return;
    }
    if (m_fieldDepth != 0 && m_overflow == 0 && m_fieldInstruction.size() < MaxFieldInstruction)
        m_fieldInstruction += c;
    if (Skipping())
        return;
    if (m_state.Dest == TDest::ColourTable) {
        if (c == ';') {
            m_colours.push_back(m_colour);
            m_colour = {};
        }
        return;
    }
    if (m_state.Dest == TDest::FontTable && c == ';' && !escaped) {
        FlushBytes();
        FinishFont();
        return;
    }
    if (!escaped && c == '\t') {
        FlushBytes();
        Emit(U'\t');
        return;
    }
    m_bytes += c;
}

void TRtfReader::FlushBytes()
{
    if (m_bytes.empty())
        return;
    m_decoded.clear();
    m_decoder.Decode(CodePageOf(m_state), m_bytes, m_decoded);
    m_bytes.clear();
    // Control bytes in the text are line-wrapping debris, not characters.
    for (const char32_t ch : m_decoded) {
        if (ch >= 0x20 || ch == '\t')
            Emit(ch);
    }
}

void TRtfReader::Emit(char32_t ch)
{
    if (Skipping())
        return;
    if (m_surrogates.Plain(ch)) {
        Put(ch);
        return;
    }
    char32_t whole[2];
    const int n = m_surrogates.Take(ch, whole);
    for (int i = 0; i < n; ++i)
        Put(whole[i]);
}

void TRtfReader::Put(char32_t ch)
{
    if (m_state.Dest == TDest::FontTable) {
        if (m_fontName.size() < MaxFontNameLength)
            m_fontName += ch;
        return;
    }
    if (m_state.Dest == TDest::Body) {
        m_out.Append(ch, m_state.Format);
        if (m_losses != nullptr) {
            m_losses->Add(m_state.ParagraphLosses);
            m_losses->Add(m_state.CharacterLosses);
        }
    }
}

void TRtfReader::NoteLoss(std::string_view word, bool hasParam, int param)
{
    const TRtfLossWord* loss = FindRtfLossWord(word);
    if (loss == nullptr || m_overflow > 0)
        return;
    // A destination opened by \* is skipped already, but it is still content
    // of the group that opened it.
    const bool live = !Skipping() || m_starred;
    const bool inBody = live && m_state.Dest == TDest::Body;
    const bool on = !hasParam || param != 0;
    switch (loss->Rule) {
    case TRtfLossRule::Destination:
        if (live)
            m_losses->Add(loss->Kind);
        break;
    case TRtfLossRule::Info:
        if (live)
            m_state.InInfo = true;
        break;
    case TRtfLossRule::InfoItem:
        if (m_state.InInfo)
            m_losses->Add(loss->Kind);
        break;
    case TRtfLossRule::FieldInstruction:
        if (live && m_fieldDepth == 0) {
            m_fieldDepth = m_stack.size();
            m_fieldInstruction.clear();
        }
        break;
    case TRtfLossRule::Document:
        if (inBody)
            m_losses->Add(loss->Kind);
        break;
    case TRtfLossRule::Columns:
        if (inBody && param > 1)
            m_losses->Add(loss->Kind);
        break;
    case TRtfLossRule::Paragraph:
        if (on)
            m_state.ParagraphLosses.Add(loss->Kind);
        break;
    case TRtfLossRule::Character:
        if (on)
            m_state.CharacterLosses.Add(loss->Kind);
        break;
    case TRtfLossRule::ResetParagraph:
        m_state.ParagraphLosses = {};
        break;
    case TRtfLossRule::ResetCharacter:
        m_state.CharacterLosses = {};
        break;
    }
}

void TRtfReader::FinishFieldInstruction()
{
    m_fieldDepth = 0;
    const auto first = m_fieldInstruction.find_first_not_of(" \t\r\n");
    const std::string_view name = first == std::string::npos
        ? std::string_view()
        : std::string_view(m_fieldInstruction).substr(first, 9);
    const bool hyperlink = name.size() == 9
        && std::equal(name.begin(), name.end(), "HYPERLINK",
            [](char a, char b) { return (a >= 'a' && a <= 'z' ? a - 'a' + 'A' : a) == b; });
    m_losses->Add(hyperlink ? TRtfLoss::Hyperlinks : TRtfLoss::Fields);
}

void TRtfReader::EmitUnicode(int param)
{
    Emit(RtfUnicodeChar(param));
}

void TRtfReader::FinishFont()
{
    m_fontPending = false;
    std::string name;
    for (const char32_t ch : m_fontName)
        AppendUtf8(name, ch);
    const auto first = name.find_first_not_of(' ');
    const auto last = name.find_last_not_of(' ');
    name = first == std::string::npos ? std::string() : name.substr(first, last - first + 1);
    m_fonts[m_fontNumber] = TFontEntry { name, m_fontCodePage };
    m_fontName.clear();
}

TColour TRtfReader::ColourAt(int index, TColour fallback) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_colours.size())
        return fallback;
    const TColourEntry& entry = m_colours[static_cast<std::size_t>(index)];
    return entry.Auto ? fallback : entry.Colour;
}

void TRtfReader::SetFont(TState& state, int index) const
{
    state.FontIndex = index;
    const auto it = m_fonts.find(index < 0 ? m_defaultFont : index);
    if (it == m_fonts.end()) {
        state.CodePage = 0;
        state.Format.Font.clear();
        return;
    }
    state.CodePage = it->second.CodePage;
    state.Format.Font = it->second.Name;
}

int TRtfReader::CodePageOf(const TState& state) const
{
    return state.CodePage != 0 ? state.CodePage : m_docCodePage;
}

} // namespace

bool LooksLikeRtf(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    const auto first = bytes.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && bytes.substr(first, 5) == "{\\rtf";
}

TStyledText ReadRtf(std::string_view rtf)
{
    TRtfReader reader(rtf, nullptr);
    return reader.Read();
}

TStyledText ReadRtf(std::string_view rtf, TRtfLosses& losses)
{
    losses = {};
    TRtfReader reader(rtf, &losses);
    return reader.Read();
}

} // namespace tildo
