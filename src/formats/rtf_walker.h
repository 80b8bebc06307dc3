#pragma once

// The walk over RTF that the window's reader and the scanner share: groups with
// the state they save and restore, nesting bounded by RtfMaxDepth, control
// words and symbols, the font table with its code pages, the colour table,
// the document's code page and default font, and the counting of \uN
// fallbacks. What each makes of the text is its own: the reader builds styled
// text, the scanner maps letters to their bytes.

#include "formats/code_page_decoder.h"
#include "formats/rtf_vocabulary.h"
#include "platform/text_document.h"
#include "text/cp1251.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tildo {

// Where the text of a group goes.
enum class TRtfDest : std::uint8_t {
    Body,
    Skip,
    FontTable,
    ColourTable,
    Side, // a footnote, header or footer that the scanner reads after the body
};

// What a group carries: saved when it opens, restored when it closes.
struct TRtfGroupState
{
    int FontIndex = -1; // -1: the document's default font
    int CodePage = 0; // of the current font; 0: the document's
    int UcSkip = 1;
    TRtfDest Dest = TRtfDest::Body;
};

struct TRtfFont
{
    std::string Name; // UTF-8, trimmed
    int CodePage = 0;
};

// TWalker derives from TRtfWalker<TWalker, TState> (TState from TRtfGroupState)
// and provides Byte(c, escaped, begin), FlushBytes(), ControlWord(token, start),
// Emit(ch) and Star() (\* opened a destination); it may replace the hooks
// below that do nothing. Calls go straight to TWalker, never through a virtual
// table: RTF is mostly control words, and each is a call.
template <class TWalker, class TState> class TRtfWalker
{
protected:
    explicit TRtfWalker(std::string_view rtf)
        : m_in(rtf)
    {
    }

    // Reads from m_pos up to end, or until the group that began the walk closes.
    void Walk(std::size_t end)
    {
        while (m_pos < end) {
            const char c = m_in[m_pos];
            if (c == '{') {
                ++m_pos;
                Self().FlushBytes();
                OpenGroup();
            } else if (c == '}') {
                ++m_pos;
                Self().FlushBytes();
                if (!CloseGroup())
                    break;
            } else if (c == '\\') {
                ReadControl();
            } else {
                ++m_pos;
                if (c != '\r' && c != '\n')
                    Self().Byte(c, false, m_pos - 1);
            }
        }
    }

    bool Skipping() const
    {
        return m_overflow > 0 || m_state.Dest == TRtfDest::Skip || m_state.Dest == TRtfDest::Side;
    }
    std::size_t Depth() const { return m_baseDepth + m_stack.size(); }
    int CodePageOf(const TRtfGroupState& state) const
    {
        return state.CodePage != 0 ? state.CodePage : m_docCodePage;
    }

    // The words of the font and colour tables, \uc and the document's code
    // page and default font; false for any other word.
    bool TableWord(const TRtfWordInfo& info, int param)
    {
        switch (info.Word) {
        case TRtfWord::FontTable:
            m_state.Dest = m_sidePass ? TRtfDest::Skip : TRtfDest::FontTable;
            m_fontPending = false;
            return true;
        case TRtfWord::ColourTable:
            m_state.Dest = m_sidePass ? TRtfDest::Skip : TRtfDest::ColourTable;
            if (!m_sidePass) {
                m_colours.clear();
                m_colour = ColourBlack;
                m_colourAuto = true;
                Self().ColourTableOpened();
            }
            return true;
        case TRtfWord::Red:
        case TRtfWord::Green:
        case TRtfWord::Blue: {
            if (m_state.Dest != TRtfDest::ColourTable)
                return true;
            const int shift = info.Word == TRtfWord::Red ? 16 : (info.Word == TRtfWord::Green ? 8 : 0);
            m_colour = (m_colour & ~(TColour(0xFF) << shift)) | (TColour(param & 0xFF) << shift);
            m_colourAuto = false;
            return true;
        }
        case TRtfWord::Font:
            if (m_state.Dest == TRtfDest::FontTable) {
                if (m_fontPending)
                    FinishFont();
                m_fontNumber = param;
                m_fontName.clear();
                m_fontCodePage = 0;
                m_fontPending = true;
            } else {
                SetFont(m_state, param);
            }
            return true;
        case TRtfWord::Charset:
            if (m_state.Dest == TRtfDest::FontTable)
                m_fontCodePage = CharsetCodePage(param);
            return true;
        case TRtfWord::CodePage:
            if (m_state.Dest == TRtfDest::FontTable && param > 0)
                m_fontCodePage = param;
            return true;
        case TRtfWord::Uc:
            m_state.UcSkip = std::clamp(param, 0, 16);
            return true;
        case TRtfWord::AnsiCpg:
            if (param > 0)
                m_docCodePage = param;
            return true;
        case TRtfWord::DocCodePage:
            m_docCodePage = static_cast<int>(info.Char);
            return true;
        case TRtfWord::DefaultFont:
            m_defaultFont = param;
            return true;
        default:
            return false;
        }
    }

    // A byte the walk takes itself: one that ends an entry of the font or
    // colour table, any byte of the colour table, and a bare tab (a character
    // of its own); false for a byte of text to decode.
    bool TakeByte(char c, bool escaped)
    {
        if (m_state.Dest == TRtfDest::ColourTable) {
            if (c == ';') {
                m_colours.push_back(m_colourAuto ? std::nullopt : std::optional<TColour>(m_colour));
                m_colour = ColourBlack;
                m_colourAuto = true;
                Self().ColourEntryEnded();
            }
            return true;
        }
        if (m_state.Dest == TRtfDest::FontTable && c == ';' && !escaped) {
            Self().FlushBytes();
            FinishFont();
            return true;
        }
        if (!escaped && c == '\t') {
            Self().FlushBytes();
            Self().Emit(U'\t');
            return true;
        }
        return false;
    }

    // A character of the font table's current entry: its name.
    void AddToFontName(char32_t ch)
    {
        if (m_fontName.size() < MaxFontNameLength)
            m_fontName += ch;
    }

    // ch as whole characters, surrogate pairs joined: put(character, last)
    // gets each, last for the one that ends what ch completed.
    template <class TPut> void Whole(char32_t ch, TPut&& put)
    {
        if (m_surrogates.Plain(ch)) {
            put(ch, true);
            return;
        }
        char32_t whole[2];
        const int n = m_surrogates.Take(ch, whole);
        for (int i = 0; i < n; ++i)
            put(whole[i], i + 1 == n);
    }

    void SetFont(TState& state, int index) const
    {
        state.FontIndex = index;
        const auto it = m_fonts.find(index < 0 ? m_defaultFont : index);
        const TRtfFont* font = it == m_fonts.end() ? nullptr : &it->second;
        state.CodePage = font != nullptr ? font->CodePage : 0;
        Self().FontSet(state, font);
    }

    // A \uN fallback character skipped (byte: its byte, < 0 for a control
    // word or symbol); false when none is being skipped.
    bool SkipFallback(std::size_t, int)
    {
        if (m_skipChars <= 0)
            return false;
        --m_skipChars;
        return true;
    }

    // Hooks: nothing by default.
    void GroupEdge() { } // before a group opens or closes
    void EnterGroup(TState&) { } // the state about to be saved as a group opens
    void GroupClosed(TRtfDest) { } // after a group closed; its state is restored
    void ColourTableOpened() { }
    void ColourEntryEnded() { }
    void FontSet(TState&, const TRtfFont*) const { }

    std::string_view m_in;
    std::size_t m_pos = 0;
    std::vector<TState> m_stack;
    std::size_t m_baseDepth = 0; // groups around a part read on its own
    TState m_state;
    int m_overflow = 0; // groups opened past RtfMaxDepth, skipped whole
    int m_skipChars = 0; // fallback characters still to skip after \uN
    // Reading the footnotes, headers and footers after the body: the tables
    // are known, and each part ends with its own group.
    bool m_sidePass = false;
    std::string m_bytes; // text bytes waiting to be decoded
    TCodePageDecoder m_decoder;
    std::u32string m_decoded;
    TRtfSurrogates m_surrogates;
    int m_docCodePage = 1252;
    int m_defaultFont = 0;
    std::map<int, TRtfFont> m_fonts;
    std::vector<std::optional<TColour>> m_colours; // none for "auto"

private:
    static constexpr std::size_t MaxFontNameLength = 256;

    TWalker& Self() { return static_cast<TWalker&>(*this); }
    const TWalker& Self() const { return static_cast<const TWalker&>(*this); }

    void OpenGroup()
    {
        Self().GroupEdge();
        m_skipChars = 0;
        if (m_overflow > 0 || Depth() >= RtfMaxDepth) {
            ++m_overflow;
            return;
        }
        Self().EnterGroup(m_state);
        m_stack.push_back(m_state);
    }

    // False when the group that began the walk has closed.
    bool CloseGroup()
    {
        Self().GroupEdge();
        m_skipChars = 0;
        if (m_overflow > 0) {
            --m_overflow;
            return true;
        }
        if (m_state.Dest == TRtfDest::FontTable && m_fontPending)
            FinishFont();
        const TRtfDest closed = m_state.Dest;
        if (m_stack.empty())
            return false;
        m_state = m_stack.back();
        m_stack.pop_back();
        if (closed == TRtfDest::FontTable && m_state.Dest != TRtfDest::FontTable) {
            // The fonts are known now: text before any \f uses the default one.
            for (TState& s : m_stack) {
                if (s.FontIndex < 0)
                    SetFont(s, -1);
            }
            if (m_state.FontIndex < 0)
                SetFont(m_state, -1);
        }
        Self().GroupClosed(closed);
        // The body ends with the outermost group; a footnote with its own.
        return m_sidePass || !m_stack.empty();
    }

    void ReadControl()
    {
        const std::size_t start = m_pos; // the backslash
        const TRtfToken token = ReadRtfToken(m_in, m_pos);
        m_pos = token.End;
        switch (token.Kind) {
        case TRtfTokenKind::Nothing:
            break;
        case TRtfTokenKind::Byte:
            Self().Byte(token.Byte, true, start);
            break;
        case TRtfTokenKind::Symbol:
            Self().FlushBytes();
            ControlSymbol(token.Byte, start);
            break;
        case TRtfTokenKind::Binary:
            // Binary data: its bytes are no text, whatever they look like.
            Self().FlushBytes();
            Self().SkipFallback(start, -1);
            break;
        case TRtfTokenKind::Overlong:
            Self().FlushBytes();
            break;
        case TRtfTokenKind::Word:
            Self().FlushBytes();
            Self().ControlWord(token, start);
            break;
        }
    }

    void ControlSymbol(char c, std::size_t start)
    {
        if (Self().SkipFallback(start, -1))
            return;
        switch (c) {
        case '\\':
        case '{':
        case '}':
            Self().Byte(c, false, start);
            Self().FlushBytes();
            break;
        case '~':
            Self().Emit(U'\u00A0');
            break;
        case '_':
            Self().Emit(U'\u2011');
            break;
        case '*':
            if (m_overflow == 0)
                Self().Star();
            break;
        case '\n':
        case '\r':
            Self().Emit(U'\n');
            break;
        default: // \- optional hyphen, \: index subentry, \| formula: nothing to show
            break;
        }
    }

    void FinishFont()
    {
        m_fontPending = false;
        std::string name;
        for (const char32_t ch : m_fontName)
            AppendUtf8(name, ch);
        const auto first = name.find_first_not_of(' ');
        const auto last = name.find_last_not_of(' ');
        name = first == std::string::npos ? std::string() : name.substr(first, last - first + 1);
        m_fonts[m_fontNumber] = TRtfFont { std::move(name), m_fontCodePage };
        m_fontName.clear();
    }

    int m_fontNumber = 0;
    std::u32string m_fontName;
    int m_fontCodePage = 0;
    bool m_fontPending = false;
    TColour m_colour = ColourBlack;
    bool m_colourAuto = true;
};

} // namespace tildo
