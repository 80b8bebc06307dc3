#include "platform/text_document.h"
#include "support/recording_ui.h"
#include "text/cp1251.h"
#include "text/letters.h"
#include "text/memory_document.h"

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::W;

TEST(MemoryDocument, WritesBackExactlyWhatItRead)
{
    const std::string samples[] = {
        "",
        "a",
        "a\n",
        "a\r\nb\r\n",
        "a\nb",
        "a\r\n\r\n",
        "x\ry\r\n",
        "\r\n",
        "end\r",
    };
    for (const std::string& s : samples) {
        EXPECT_EQ(MemoryDocument::FromCp1251(s).ToCp1251(), s);
        EXPECT_EQ(MemoryDocument::FromUtf8(s).ToUtf8(), s);
    }
    // BOM, characters outside CP1251, malformed bytes and an emoji survive a UTF-8 round trip.
    const std::string utf8
        = "\xEF\xBB\xBF\xD0\xB5\xD1\x89\xD0\xB5 \xE4\xB8\xAD\r\n\xF0\x9F\x98\x80 \xFF\xC3\n";
    const MemoryDocument doc = MemoryDocument::FromUtf8(utf8);
    EXPECT_TRUE(doc.HasBom());
    EXPECT_EQ(doc.ToUtf8(), utf8);
    EXPECT_EQ(doc.Line(0), W("еще ") + "\x98");
    EXPECT_EQ(doc.Line(1), "\x98 \x98\x98");
    EXPECT_EQ(doc.LineCount(), 3);
    // A CP1251 text keeps every byte, 0x98 included.
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(MemoryDocument::FromCp1251(all).ToCp1251(), all);
    // Every two-byte Cyrillic character, alone and between others: the code
    // page's byte where it has one (Ђ, Ё, ё, ў...), else a placeholder that
    // writes back the original; a lead cut off at the end stays a stray byte.
    for (char32_t ch = 0x400; ch < 0x480; ++ch) {
        std::string one;
        AppendUtf8(one, ch);
        const int b = UnicodeToCp1251(ch);
        const char expected = static_cast<char>(b < 0 ? ForeignPlaceholder : b);
        const std::string text = "a" + one + one + "\n" + one;
        const MemoryDocument d = MemoryDocument::FromUtf8(text);
        EXPECT_EQ(d.TextRef(), std::string("a") + expected + expected + "\n" + expected) << int(ch);
        EXPECT_EQ(d.ToUtf8(), text) << int(ch);
        EXPECT_EQ(MemoryDocument::FromUtf8(one.substr(0, 1)).ToUtf8(), one.substr(0, 1)) << int(ch);
        // The same inside runs of letters and of ASCII long enough for the
        // decoding's eight-byte steps (at each of the four places of a step
        // of letters), next to CRs with and without a LF.
        const std::string letters = "\xD0\xB5\xD1\x89\xD0\xB5\xD0\x95"; // ещеЕ
        for (std::size_t k = 0; k < 4; ++k) {
            std::string lead;
            for (std::size_t j = 0; j < k; ++j)
                lead += "\xD0\xB5";
            const std::string wide = lead + one + letters + "abcdefghij" + one + "x\ry\r\nz" + one + letters;
            const MemoryDocument w = MemoryDocument::FromUtf8(wide);
            const std::string decoded = std::string(k, W("е")[0]) + expected + W("ещеЕ") + "abcdefghij"
                + expected + "x\ry\nz" + expected + W("ещеЕ");
            EXPECT_EQ(w.TextRef(), decoded) << int(ch) << " at " << k;
            EXPECT_EQ(w.ToUtf8(), wide) << int(ch) << " at " << k;
        }
    }
}

TEST(MemoryDocument, OffsetsCountOnePositionPerLineBreak)
{
    MemoryDocument doc = MemoryDocument::FromCp1251("ab\r\ncde\r\n\r\nf");
    EXPECT_EQ(doc.LineCount(), 4);
    EXPECT_EQ(doc.Text(), "ab\ncde\n\nf");
    EXPECT_EQ(doc.LineStart(0), 0);
    EXPECT_EQ(doc.LineStart(1), 3);
    EXPECT_EQ(doc.LineStart(2), 7);
    EXPECT_EQ(doc.LineStart(3), 8);
    EXPECT_EQ(doc.LineStart(4), -1);
    EXPECT_EQ(doc.LineOf(0), 0);
    EXPECT_EQ(doc.LineOf(2), 0); // the break belongs to its line
    EXPECT_EQ(doc.LineOf(3), 1);
    EXPECT_EQ(doc.LineOf(7), 2);
    EXPECT_EQ(doc.LineOf(9), 3);
    EXPECT_EQ(doc.Line(2), "");

    doc.Select(4, 0);
    const TLineColumn lc = LineAndColumn(doc, doc.SelStart());
    EXPECT_EQ(lc.Line, 1);
    EXPECT_EQ(lc.Column, 2);
    ShowPosition(doc, -1);
    EXPECT_EQ(doc.SelStart(), 4);
    ShowPosition(doc, 8);
    EXPECT_EQ(doc.SelStart(), 8);
    EXPECT_EQ(doc.SelLength(), 0);
    EXPECT_EQ(doc.ScrollCount, 1);
}

TEST(MemoryDocument, ReplacingALetterKeepsFormattingAndOffsets)
{
    MemoryDocument doc = MemoryDocument::FromUtf8("\xD0\xB5\xD1\x89\xD0\xB5 \xE4\xB8\xAD\r\n");
    doc.Select(2, 1);
    EXPECT_EQ(doc.SelectionColour(), ColourBlack);
    doc.SetSelectionColour(ColourBlue);
    doc.ReplaceSelection(std::string(1, LetterYo));
    EXPECT_EQ(doc.SelStart(), 3);
    EXPECT_EQ(doc.SelLength(), 0);
    EXPECT_EQ(doc.CharColour(2), ColourBlue);
    EXPECT_EQ(doc.CharColour(1), ColourBlack);
    EXPECT_EQ(doc.ToUtf8(), "\xD0\xB5\xD1\x89\xD1\x91 \xE4\xB8\xAD\r\n"); // ещё 中
    doc.Select(0, 3);
    doc.SetSelectionBackground(ColourAqua);
    EXPECT_EQ(doc.CharBackground(2), ColourAqua);
    doc.SetSelectionBackground(ColourWhite);
    EXPECT_EQ(doc.CharBackground(2), ColourWhite);
    // Selections are clamped to the text.
    doc.Select(100, 5);
    EXPECT_EQ(doc.SelStart(), doc.Length());
    EXPECT_EQ(doc.SelLength(), 0);
}

TEST(MemoryDocument, LineEditingKeepsTheBreakStyleAndShiftsMarks)
{
    MemoryDocument doc = MemoryDocument::FromCp1251("b\r\nd\r\n");
    doc.Select(2, 0);
    doc.InsertLine(0, "a");
    doc.InsertLine(2, "c");
    EXPECT_EQ(doc.ToCp1251(), "a\r\nb\r\nc\r\nd\r\n");
    doc.Select(doc.LineStart(3), 1);
    doc.SetSelectionColour(ColourRed);
    doc.DeleteLine(1);
    EXPECT_EQ(doc.ToCp1251(), "a\r\nc\r\nd\r\n");
    EXPECT_EQ(doc.CharColour(doc.LineStart(2)), ColourRed); // the mark moved with its letter
    doc.ReplaceLine(1, "cc");
    EXPECT_EQ(doc.ToCp1251(), "a\r\ncc\r\nd\r\n");
    doc.DeleteLine(3); // the empty last line: removes the final break
    EXPECT_EQ(doc.ToCp1251(), "a\r\ncc\r\nd");
    doc.InsertLine(doc.LineCount(), "e");
    EXPECT_EQ(doc.ToCp1251(), "a\r\ncc\r\nd\r\ne");
    doc.SetText("x\ny");
    EXPECT_EQ(doc.ToCp1251(), "x\r\ny");
    EXPECT_EQ(doc.CharColour(0), ColourBlack);
}

} // namespace
} // namespace tildo
