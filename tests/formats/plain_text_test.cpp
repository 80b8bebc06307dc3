#include "formats/plain_text_format.h"
#include "formats/styled_text.h"
#include "support/recording_ui.h"

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::W;

TEST(PlainTextTest, DetectsUtf8OnlyWhenValidAndNeeded)
{
    EXPECT_EQ(DetectEncoding("plain ascii\r\n"), TTextEncoding::Cp1251);
    EXPECT_EQ(DetectEncoding("\xEF\xBB\xBFonly ascii"), TTextEncoding::Utf8);
    EXPECT_EQ(DetectEncoding("ещё"), TTextEncoding::Utf8);
    EXPECT_EQ(DetectEncoding(W("ещё")), TTextEncoding::Cp1251);
    EXPECT_EQ(DetectEncoding("ещё \xFF"), TTextEncoding::Cp1251);
    EXPECT_EQ(DetectEncoding("\xEF\xBB\xBF"
                             "bad \xC0\x80"),
        TTextEncoding::Cp1251); // overlong
    EXPECT_EQ(DetectEncoding("cut \xD0"), TTextEncoding::Cp1251);
    EXPECT_EQ(DetectEncoding(""), TTextEncoding::Cp1251);
}

TEST(PlainTextTest, XmlDeclarationNamesTheEncoding)
{
    EXPECT_EQ(DeclaredXmlEncoding("<?xml version=\"1.0\" encoding=\"windows-1251\"?><FictionBook>"),
        TEncodingChoice::Cp1251);
    EXPECT_EQ(
        DeclaredXmlEncoding("\xEF\xBB\xBF<?xml version='1.0' ENCODING = 'UTF-8' ?>"), TEncodingChoice::Utf8);
    EXPECT_EQ(DeclaredXmlEncoding("<?xml version=\"1.0\"?>"), TEncodingChoice::Auto);
    EXPECT_EQ(DeclaredXmlEncoding("<?xml encoding=\"koi8-r\"?>"), TEncodingChoice::Auto);
    EXPECT_EQ(DeclaredXmlEncoding("<?xml encoding=\"utf-8\""), TEncodingChoice::Auto);
    EXPECT_EQ(DeclaredXmlEncoding("text encoding=\"utf-8\"?>"), TEncodingChoice::Auto);

    // A FictionBook declared windows-1251 is read so even when its bytes happen to be valid UTF-8.
    const std::string fb = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n\xD0\xB0";
    const TPlainText text = ReadFictionBook(fb);
    EXPECT_EQ(text.Encoding, TTextEncoding::Cp1251);
    EXPECT_EQ(text.Document.Line(1), "\xD0\xB0");
    EXPECT_EQ(WritePlainText(text.Document, text.Encoding), fb);
}

TEST(PlainTextTest, WritesBackByteForByte)
{
    const std::string samples[] = {
        W("еще\r\nвсе\r\n"),
        "\xEF\xBB\xBF\xD0\xB5\xD1\x89\xD0\xB5\n\xF0\x9F\x99\x82 and \xFF stray\n",
        W("mixed\r\nbreaks\nand\rlone CR \x98"),
        "",
    };
    for (const std::string& bytes : samples) {
        const TPlainText text = ReadPlainText(bytes);
        EXPECT_EQ(WritePlainText(text.Document, text.Encoding), bytes);
    }
    const TPlainText utf = ReadPlainText("\xEF\xBB\xBF\xD0\xB5\xD1\x89\xD0\xB5\n");
    EXPECT_EQ(utf.Encoding, TTextEncoding::Utf8);
    EXPECT_EQ(utf.Document.Line(0), W("еще"));
}

TEST(PlainTextTest, StyledTextThroughTheEditorKeepsEveryCharacter)
{
    // Declared UTF-8 (as a FictionBook can be), with a stray byte.
    const std::string bytes = "\xEF\xBB\xBF"
                              "ещё\r\n\xF0\x9F\x99\x82 \xFF end";
    const TPlainText read = ReadPlainText(bytes, TEncodingChoice::Utf8);
    const TStyledText styled = MemoryToStyled(read.Document);
    EXPECT_EQ(styled.PlainText(), U"ещё\n\U0001F642 \xDCFF end");
    EXPECT_EQ(EncodePlainText(styled, PlainTextStyleOf(bytes, read.Encoding)), bytes);

    const std::string cp = W("ещё\nвсё");
    EXPECT_EQ(EncodePlainText(
                  MemoryToStyled(ReadPlainText(cp).Document), PlainTextStyleOf(cp, TTextEncoding::Cp1251)),
        cp);
}

TEST(StyledTextTest, DocumentChangesKeepTheOtherFormatting)
{
    TCharFormat bold;
    bold.Bold = true;
    bold.Font = "Arial";
    TCharFormat red;
    red.Colour = ColourRed;
    red.Background = ColourAqua;
    TStyledText text;
    text.Append(U"все ", bold);
    text.Append(U"еще", red);
    text.Append(U"\nконец", TCharFormat {});

    MemoryDocument doc = StyledToMemory(text);
    EXPECT_EQ(doc.Text(), W("все еще\nконец"));
    EXPECT_EQ(doc.CharColour(4), ColourRed);
    EXPECT_EQ(doc.CharBackground(6), ColourAqua);
    EXPECT_EQ(doc.CharColour(3), ColourBlack);

    // A pass writes ё over е, in blue.
    doc.Select(6, 1);
    doc.ReplaceSelection(W("ё"));
    doc.Select(6, 1);
    doc.SetSelectionColour(ColourBlue);
    doc.Select(2, 1);
    doc.ReplaceSelection(W("ё"));
    TStyledText back = MemoryToStyled(doc, text);
    EXPECT_EQ(back.PlainText(), U"всё ещё\nконец");
    auto formats = back.CharFormats();
    EXPECT_TRUE(formats[2]->Bold);
    EXPECT_EQ(formats[2]->Font, "Arial");
    EXPECT_EQ(formats[6]->Colour, ColourBlue);
    EXPECT_EQ(formats[6]->Background, ColourAqua);
    EXPECT_EQ(formats[5]->Colour, ColourRed);

    // Inserted text takes the formatting of what it replaced; the rest keeps its own.
    doc.Select(0, 3);
    doc.ReplaceSelection(W("ВСЁ ЭТО"));
    back = MemoryToStyled(doc, text);
    EXPECT_EQ(back.PlainText(), U"ВСЁ ЭТО ещё\nконец");
    formats = back.CharFormats();
    EXPECT_TRUE(formats[5]->Bold);
    EXPECT_TRUE(formats[7]->Bold);
    EXPECT_EQ(formats[8]->Colour, ColourRed);
    EXPECT_FALSE(formats[13]->Bold);
}

} // namespace
} // namespace tildo
