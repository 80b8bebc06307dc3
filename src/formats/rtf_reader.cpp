#include "rtf_reader.h"

#include "formats/rtf_walker.h"

#include <algorithm>

namespace tildo {

namespace {

constexpr std::size_t MaxFieldInstruction = 32;

struct TState : TRtfGroupState
{
    TCharFormat Format;
    bool InInfo = false; // inside the document information group
    // Properties in force that the styled text cannot hold: they count as
    // lost when text is written under them.
    TRtfLosses ParagraphLosses;
    TRtfLosses CharacterLosses;
};

class TRtfReader : public TRtfWalker<TRtfReader, TState>
{
public:
    TRtfReader(std::string_view rtf, TRtfLosses* losses)
        : TRtfWalker(rtf)
        , m_losses(losses)
    {
    }

    TStyledText Read();

private:
    friend class TRtfWalker<TRtfReader, TState>;

    void GroupEdge() { m_starred = false; }
    void GroupClosed(TRtfDest);
    void Star();
    void ControlWord(const TRtfToken& token, std::size_t start);
    void NoteLoss(std::string_view word, bool hasParam, int param);
    void FinishFieldInstruction();
    void Byte(char c, bool escaped, std::size_t begin);
    void FlushBytes();
    void Emit(char32_t ch);
    // A whole character to the body or the font's name.
    void Put(char32_t ch);
    void FontSet(TState& state, const TRtfFont* font) const;
    TColour ColourAt(int index, TColour fallback) const;

    TRtfLosses* m_losses; // nullptr: not wanted
    bool m_starred = false; // \* has just opened a destination in a group that is read
    // The beginning of a field's instruction, enough to tell a hyperlink,
    // while the instruction's group (at this depth) is open.
    std::string m_fieldInstruction;
    std::size_t m_fieldDepth = 0; // 0: no instruction open
    TStyledText m_out;
};

TStyledText TRtfReader::Read()
{
    if (!LooksLikeRtf(m_in))
        throw ERtfError("not an RTF file");
    m_pos = m_in.find('{');
    Walk(m_in.size());
    FlushBytes();
    if (m_fieldDepth != 0)
        FinishFieldInstruction();
    if (m_surrogates.Pending() && !Skipping())
        m_out.Append(U'\uFFFD', m_state.Format);
    return std::move(m_out);
}

void TRtfReader::GroupClosed(TRtfDest)
{
    if (m_fieldDepth > m_stack.size())
        FinishFieldInstruction();
}

void TRtfReader::Star()
{
    m_starred = !Skipping();
    m_state.Dest = TRtfDest::Skip;
}

void TRtfReader::ControlWord(const TRtfToken& token, std::size_t start)
{
    if (SkipFallback(start, -1))
        return;
    const int param = token.Param;
    if (m_losses != nullptr)
        NoteLoss(token.Word, token.HasParam, param);
    m_starred = false;
    if (Skipping())
        return;
    const TRtfWordInfo* info = FindRtfWord(token.Word);
    if (info == nullptr || TableWord(*info, param))
        return;
    const bool on = !token.HasParam || param != 0;
    TCharFormat& f = m_state.Format;
    switch (info->Word) {
    case TRtfWord::Skip:
    case TRtfWord::Side: // the window shows only the body
        m_state.Dest = TRtfDest::Skip;
        break;
    case TRtfWord::Unicode:
        Emit(RtfUnicodeChar(param));
        m_skipChars = m_state.UcSkip;
        break;
    default:
        if (m_state.Dest != TRtfDest::Body)
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

void TRtfReader::Byte(char c, bool escaped, std::size_t begin)
{
    if (SkipFallback(begin, static_cast<unsigned char>(c)))
        return;
    if (m_fieldDepth != 0 && m_overflow == 0 && m_fieldInstruction.size() < MaxFieldInstruction)
        m_fieldInstruction += c;
    if (!Skipping() && !TakeByte(c, escaped))
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
    if (!Skipping())
        Whole(ch, [this](char32_t whole, bool) { Put(whole); });
}

void TRtfReader::Put(char32_t ch)
{
    if (m_state.Dest == TRtfDest::FontTable) {
        AddToFontName(ch);
        return;
    }
    if (m_state.Dest == TRtfDest::Body) {
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
    const bool inBody = live && m_state.Dest == TRtfDest::Body;
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

TColour TRtfReader::ColourAt(int index, TColour fallback) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_colours.size())
        return fallback;
    return m_colours[static_cast<std::size_t>(index)].value_or(fallback);
}

void TRtfReader::FontSet(TState& state, const TRtfFont* font) const
{
    if (font != nullptr)
        state.Format.Font = font->Name;
    else
        state.Format.Font.clear();
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
