#pragma once

#include "platform/text_document.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tildo {

// The in-memory TextDocument of the tests, the command-line tool and the
// dictionary tools. It keeps everything needed to write a text back exactly:
// each line break's own bytes (CR LF or LF), whether the text ends with a line
// break, a UTF-8 byte-order mark, every character CP1251 cannot hold and every
// malformed UTF-8 byte (shown to the core as ForeignPlaceholder). Colours and
// backgrounds are kept per character, sparsely: text that was never coloured
// costs nothing.
class MemoryDocument : public TextDocument
{
public:
    MemoryDocument() { RebuildLines(); }

    // CP1251 bytes, as read from a file. A CR right before an LF belongs to the
    // line break.
    static MemoryDocument FromCp1251(std::string_view bytes);
    // UTF-8 bytes, as read from a file; a leading BOM is remembered. A part
    // of a text that is not its beginning (atStart false) has no BOM: its
    // leading U+FEFF is a character like any other.
    static MemoryDocument FromUtf8(std::string_view bytes, bool atStart = true);
    // The text in its original form, in either encoding. Converting a UTF-8
    // document to CP1251 writes placeholders for what CP1251 lacks.
    std::string ToCp1251() const;
    std::string ToUtf8() const;
    bool HasBom() const { return m_bom; }
    void SetBom(bool bom) { m_bom = bom; }

    TColour CharColour(int offset) const;
    TColour CharBackground(int offset) const;

    int LineCount() const override { return static_cast<int>(m_lineStarts.size()); }
    std::string Line(int i) const override;
    std::string LineSlice(int i, int from, int length) const override;
    // Line(i) into out, reusing its storage: for readers that go line by line.
    void LineInto(int i, std::string& out) const override;
    int LineStart(int i) const override;
    int LineOf(int offset) const override;
    std::string Text() const override { return m_text; }
    std::string_view TextView(std::string& /*scratch*/) const override { return m_text; }
    int Length() const override { return static_cast<int>(m_text.size()); }
    // The text without a copy.
    const std::string& TextRef() const { return m_text; }

    void Select(int start, int length) override;
    int SelStart() const override { return m_selStart; }
    int SelLength() const override { return m_selLength; }
    void ReplaceSelection(const std::string& text) override;
    TColour SelectionColour() const override;
    void SetSelectionColour(TColour colour) override;
    void SetSelectionBackground(TColour colour) override;

    void ScrollToCaret() override { ++ScrollCount; }
    void SetReadOnly(bool readOnly) override { m_readOnly = readOnly; }
    bool IsReadOnly() const override { return m_readOnly; }
    void SetBusyCursor(bool busy) override { BusyCursor = busy; }
    void Focus() override { }

    void SetText(const std::string& text) override;
    void InsertLine(int i, const std::string& text) override;
    void ReplaceLine(int i, const std::string& text) override;
    void DeleteLine(int i) override;

    // Observations for tests.
    int ScrollCount = 0;
    bool BusyCursor = false;
    // Every change of the text counts here (an editor's change notification).
    int ChangeCount = 0;

private:
    // Replaces [start, start + length) by text; new characters take the
    // formatting of the first replaced character (or of the one before an
    // empty range), as a rich editor does.
    void Splice(int start, int length, std::string_view text);
    void Apply(const TRangeEdit& edit);
    void RebuildLines();
    bool UsesCrLf() const;
    template <class Map> static void ShiftKeys(Map& map, int start, int length, int inserted);

    std::string m_text; // CP1251, each line break one '\n'
    std::vector<int> m_lineStarts;
    std::map<int, TColour> m_colours; // only characters not black
    std::map<int, TColour> m_backgrounds; // only characters not white
    // Original characters behind placeholders: a Unicode code point, or
    // 0xDC00 + byte for a malformed UTF-8 byte. For a '\n' offset, the value
    // '\r' means the break was CR LF.
    std::map<int, char32_t> m_originals;
    bool m_bom = false;
    bool m_readOnly = false;
    int m_selStart = 0;
    int m_selLength = 0;
};

} // namespace tildo
