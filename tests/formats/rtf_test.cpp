#include "formats/rtf_reader.h"
#include "formats/rtf_writer.h"
#include "platform/file_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <vector>

namespace tildo {

// Kinds of loss by name in failure messages.
void PrintTo(TRtfLoss kind, std::ostream* os)
{
    *os << RtfLossName(kind);
}

namespace {

// The text of each run, with its format, for compact checks.
const TCharFormat& FormatAt(const TStyledText& text, std::size_t index)
{
    static const TCharFormat none;
    const auto formats = text.CharFormats();
    return index < formats.size() ? *formats[index] : none;
}

TEST(RtfReaderTest, WindowsCyrillicDocument)
{
    // As a Russian WordPad writes it: code page 1251, \'hh bytes, a Cyrillic font.
    const std::string rtf
        = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\nouicompat\\deflang1049{\\fonttbl{\\f0\\fnil\\fcharset204 "
          "Calibri;}{\\f1\\fnil\\fcharset0 Arial;}}\n"
          "{\\colortbl ;\\red0\\green0\\blue255;\\red255\\green255\\blue0;}\n"
          "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \n"
          "\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang1049\\'e5\\'f9\\'b8 \\cf1\\'e2\\'f1\\'b8\\cf0 "
          "\\b\\'c6\\b0\\i\\'c8\\i0\\ul\\'d3\\ulnone\\highlight2\\'d4\\highlight0\\par\n"
          "\\f1\\'e5\\tab x\\line y\\par\n}\n";
    const TStyledText text = ReadRtf(rtf);
    EXPECT_EQ(text.PlainText(), U"ещё всёЖИУФ\n\u00E5\tx\ny\n");
    EXPECT_EQ(FormatAt(text, 0).Font, "Calibri");
    EXPECT_EQ(FormatAt(text, 0).SizeHalfPoints, 22);
    EXPECT_EQ(FormatAt(text, 3).Colour, ColourBlack);
    EXPECT_EQ(FormatAt(text, 4).Colour, ColourBlue);
    EXPECT_EQ(FormatAt(text, 7).Colour, ColourBlack);
    EXPECT_TRUE(FormatAt(text, 7).Bold);
    EXPECT_FALSE(FormatAt(text, 8).Bold);
    EXPECT_TRUE(FormatAt(text, 8).Italic);
    EXPECT_TRUE(FormatAt(text, 9).Underline);
    EXPECT_FALSE(FormatAt(text, 10).Underline);
    EXPECT_EQ(FormatAt(text, 10).Background, Rgb(255, 255, 0));
    EXPECT_EQ(FormatAt(text, 11).Background, ColourWhite);
    EXPECT_EQ(FormatAt(text, 12).Font, "Arial");
}

TEST(RtfReaderTest, UnicodeFallbacksAndEscapes)
{
    const std::string rtf = "{\\rtf1\\ansi\\uc2 \\u1105 ??\\u-10179\\'3f\\'3f\\u-8704 ??ab"
                            "{\\uc1\\u8364\\'80 x}\\u1025\\'a8\\'a8 \\{\\}\\\\\\~\\_\\-.\\emdash\\lquote"
                            "\\uc0\\u55357  lone}";
    const TStyledText text = ReadRtf(rtf);
    EXPECT_EQ(text.PlainText(), U"ё\U0001F600ab€ xЁ {}\\\u00A0\u2011.\u2014\u2018\uFFFD lone");
}

TEST(RtfReaderTest, SkipsDestinationsPicturesAndBinaryData)
{
    const std::string rtf = "{\\rtf1{\\info{\\title Not text}{\\author Me}}{\\stylesheet{\\s0 Normal;}}"
                            "{\\*\\unknowndest hidden {\\b nested}}{\\header page head}"
                            "A{\\pict\\pngblip 89504e47}B{\\*\\shppict{\\pict 00}}{\\nonshppict{\\pict 11}}"
                            "C{\\object\\bin5 }{x\\}}D{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}}"
                            "\\bin3 {{{E\\newunknownword F}";
    EXPECT_EQ(ReadRtf(rtf).PlainText(), U"ABCDlinkEF");
}

TEST(RtfReaderTest, DamagedInputGivesWhatCanBeRecovered)
{
    EXPECT_THROW(ReadRtf("plain text"), ERtfError);
    EXPECT_THROW(ReadRtf(""), ERtfError);
    EXPECT_THROW(ReadRtf("{\\rt"), ERtfError);
    EXPECT_EQ(ReadRtf("{\\rtf1 cut in the mid").PlainText(), U"cut in the mid");
    EXPECT_EQ(ReadRtf("{\\rtf1 end}after the end").PlainText(), U"end");
    EXPECT_EQ(ReadRtf("{\\rtf1 a\\'e").PlainText(), U"ae");
    EXPECT_EQ(ReadRtf("{\\rtf1 a\\").PlainText(), U"a");
    EXPECT_EQ(ReadRtf("{\\rtf1 a\\bin99999999999 swallowed}").PlainText(), U"a");
    EXPECT_EQ(ReadRtf("{\\rtf1\\uc99999 \\u1105 abc}").PlainText(), U"ё");
    EXPECT_EQ(ReadRtf("{\\rtf1\\cf99\\highlight-5 x\\fs-4 y}").PlainText(), U"xy");
    EXPECT_EQ(
        ReadRtf("{\\rtf1 \\abcdefghijklmnopqrstuvwxyzabcdefghijklmnop1234567890123456789 z}").PlainText(),
        U"z");

    // Groups nested far deeper than any document: the deep part is skipped,
    // the text around it kept, quickly and without exhausting the stack.
    const std::string deep
        = "{\\rtf1 before" + std::string(200000, '{') + "inside" + std::string(200000, '}') + " after}";
    EXPECT_EQ(ReadRtf(deep).PlainText(), U"before after");
    const std::string open = "{\\rtf1 x" + std::string(100000, '{');
    EXPECT_EQ(ReadRtf(open).PlainText(), U"x");
}

TEST(RtfReaderTest, OtherCodePages)
{
    const std::string rtf = "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Times;}{\\f1\\fcharset161 Greek;}"
                            "{\\f2\\fcharset128 MS Mincho;}}\\f0 caf\\'e9 \\f1\\'e1 \\f2\\'82\\'a0}";
    EXPECT_EQ(ReadRtf(rtf).PlainText(), U"café α あ");
}

TEST(RtfWriterTest, RoundTripKeepsTextAndFormatting)
{
    TStyledText text;
    TCharFormat plain;
    TCharFormat blue;
    blue.Colour = ColourBlue;
    TCharFormat marked;
    marked.Background = ColourAqua;
    marked.Bold = true;
    marked.Italic = true;
    marked.Underline = true;
    marked.SizeHalfPoints = 33;
    marked.Font = "DejaVu Sans";
    text.Append(U"Ещ", plain);
    text.Append(U"ё", blue);
    text.Append(U" {braces} \\ back\tslash\n", plain);
    text.Append(U"€ \U0001F642 中文", marked);
    text.Append(U"\n\nend", plain);

    const std::string rtf = WriteRtf(text);
    EXPECT_TRUE(std::all_of(rtf.begin(), rtf.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x80;
    })) << "the file is 7-bit";
    const TStyledText back = ReadRtf(rtf);
    EXPECT_EQ(back.PlainText(), text.PlainText());
    ASSERT_EQ(back.Runs().size(), text.Runs().size());
    for (std::size_t k = 0; k < text.Runs().size(); ++k) {
        TCharFormat expected = text.Runs()[k].Format;
        if (expected.Font.empty())
            expected.Font = "Courier New";
        EXPECT_EQ(back.Runs()[k].Format, expected) << k;
    }
}

TEST(RtfReaderTest, ReadsWhatLibreOfficeWrote)
{
    // Written by LibreOffice from tests/data/libreoffice_sample.html.
    const TStyledText text = ReadRtf(ReadWholeFile(TILDO_TEST_DATA_DIR "/libreoffice_sample.rtf"));
    const std::u32string plain = text.PlainText();
    EXPECT_EQ(plain.substr(0, plain.find(U'\n')), U"Ещё одна жирная строка и синие ё.");
    const auto at = [&plain](std::u32string_view s) { return plain.find(s); };
    ASSERT_NE(at(U"жирная"), std::u32string::npos);
    EXPECT_TRUE(FormatAt(text, at(U"жирная")).Bold);
    EXPECT_FALSE(FormatAt(text, at(U" строка")).Bold);
    EXPECT_EQ(FormatAt(text, at(U"синие")).Colour, ColourBlue);
    EXPECT_EQ(FormatAt(text, at(U"Фон")).Background, Rgb(255, 255, 0));
    EXPECT_TRUE(FormatAt(text, at(U"italic")).Italic);
    EXPECT_TRUE(FormatAt(text, at(U"под")).Underline);
    EXPECT_EQ(FormatAt(text, at(U"большой")).SizeHalfPoints, 32);
    EXPECT_NE(at(U"€™ 中文"), std::u32string::npos);
    EXPECT_NE(at(U"{braces} \\back"), std::u32string::npos);
}

// The kinds a summary holds, for readable failures.
std::vector<TRtfLoss> Kinds(const TRtfLosses& losses)
{
    std::vector<TRtfLoss> kinds;
    for (int k = 0; k < RtfLossKinds; ++k) {
        if (losses.Has(static_cast<TRtfLoss>(k)))
            kinds.push_back(static_cast<TRtfLoss>(k));
    }
    return kinds;
}

TEST(RtfLossesTest, LibreOfficeDocumentWithPictureFootnoteHeaderAndLink)
{
    // Written by LibreOffice from tests/data/libreoffice_features.fodt.
    const std::string rtf = ReadWholeFile(TILDO_TEST_DATA_DIR "/libreoffice_features.rtf");
    TRtfLosses losses;
    const TStyledText text = ReadRtf(rtf, losses);
    using enum TRtfLoss;
    EXPECT_EQ(Kinds(losses), (std::vector { Pictures, Footnotes, HeadersFooters, Hyperlinks, PageSetup }));
    // Asking for the summary changes nothing in what is read.
    EXPECT_EQ(text.PlainText(), ReadRtf(rtf).PlainText());
    EXPECT_EQ(text.PlainText(), U"Мы идем вперед, а вот ссылка на елку.\nРисунок:  конец.\n");
}

TEST(RtfLossesTest, OurOwnOutputLosesNothing)
{
    TStyledText text;
    TCharFormat odd;
    odd.Bold = odd.Italic = odd.Underline = true;
    odd.Colour = ColourBlue;
    odd.Background = ColourAqua;
    odd.SizeHalfPoints = 40;
    odd.Font = "DejaVu Sans";
    text.Append(U"Ещё {раз}\tи \\ ", TCharFormat {});
    text.Append(U"всё\n\U0001F642 конец", odd);
    TRtfLosses losses;
    losses.Add(TRtfLoss::Pictures); // a stale value is replaced
    const TStyledText back = ReadRtf(WriteRtf(text, "Times New Roman"), losses);
    EXPECT_TRUE(losses.Empty()) << Kinds(losses).size();
    EXPECT_EQ(back.PlainText(), text.PlainText());
}

TEST(RtfLossesTest, CountsWhatTextIsWrittenUnderAndSkipsWhatIsSkippedAnyway)
{
    const auto kinds = [](std::string_view body) {
        TRtfLosses losses;
        ReadRtf("{\\rtf1\\ansi " + std::string(body) + "}", losses);
        return Kinds(losses);
    };
    using enum TRtfLoss;
    using V = std::vector<TRtfLoss>;
    // Properties reset before any text under them lose nothing.
    EXPECT_EQ(kinds("\\qc\\li340\\strike\\v\\pard\\plain text\\par"), V {});
    EXPECT_EQ(kinds("\\pard\\qc centred\\par"), V { Paragraphs });
    EXPECT_EQ(kinds("\\li0\\sb0\\s0\\cols1\\strike0 x"), V {});
    EXPECT_EQ(kinds("{\\super 2} x{\\v hidden}"), (V { CharacterFormat, HiddenText }));
    EXPECT_EQ(kinds("\\trowd\\intbl a\\cell b\\cell\\row"), V { Tables });
    EXPECT_EQ(kinds("a\\page b\\sect\\cols2 c"), (V { PageSetup, PageBreaks }));
    // Each kind once, however often.
    EXPECT_EQ(kinds("{\\pict x}{\\pict y}{\\*\\shppict{\\pict z}}"), V { Pictures });
    // A field: a hyperlink or another, told by its instruction in any case.
    EXPECT_EQ(kinds("{\\field{\\*\\fldinst{ hyperlink \"x\"}}{\\fldrslt link}}"), V { Hyperlinks });
    EXPECT_EQ(kinds("{\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}"), V { Fields });
    // Inside a skipped group only the group counts: a picture in a header is the header.
    EXPECT_EQ(kinds("{\\header{\\pict p}\\qc{\\field{\\*\\fldinst PAGE}}}"), V { HeadersFooters });
    EXPECT_EQ(kinds("{\\*\\unknown{\\footnote n}}{\\stylesheet{\\s1\\qc Heading;}}"), V {});
    // Document information counts for what a person wrote, not for dates.
    EXPECT_EQ(kinds("{\\info{\\creatim\\yr2020}{\\revtim\\yr2021}}x"), V {});
    EXPECT_EQ(kinds("{\\info{\\title T}{\\author A}}x"), V { DocumentInfo });
    EXPECT_EQ(kinds("{\\*\\bkmkstart b}{\\*\\annotation n}{\\listtext 1.}\\ls1 item"),
        (V { Comments, Bookmarks, Lists }));
    // Damaged input: an instruction cut off still counts, and the reader stays bounded.
    EXPECT_EQ(kinds("{\\field{\\*\\fldinst HYPERLINK"), V { Hyperlinks });
    EXPECT_EQ(kinds(std::string(300, '{') + "\\pict" + std::string(300, '}') + "x"), V {});
}

} // namespace
} // namespace tildo
