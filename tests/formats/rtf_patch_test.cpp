// RTF read where its letters are written and patched in place: each changed
// letter keeps its way of being written, notes and headers are read after the
// body, and nothing else moves.
#include "formats/markup_document.h"
#include "formats/rtf_reader.h"
#include "formats/styled_text.h"
#include "markup_edits.h"
#include "platform/file_io.h"
#include "text/cp1251.h"

#include <gtest/gtest.h>

#include <string>

namespace tildo {
namespace {

// Every е (Е) turned into ё (Ё), marked blue or not, and written back.
std::string AllYo(const std::string& rtf, bool marked)
{
    const TMarkupDocument doc(rtf, TDocumentFormat::Rtf);
    const MemoryDocument edited = test::AllYo(doc, marked);
    const std::string written = doc.Write(edited);
    // Whatever was written reads back as the edited text.
    EXPECT_EQ(TMarkupDocument(written, TDocumentFormat::Rtf).Document().TextRef(), edited.TextRef());
    return written;
}

std::string Text(const std::string& rtf)
{
    return TMarkupDocument(rtf, TDocumentFormat::Rtf).Text();
}

std::string WindowText(const std::string& rtf)
{
    return Cp1251ToUtf8(StyledToMemory(ReadRtf(rtf)).TextRef());
}

TEST(RtfPatch, EachLetterIsWrittenTheWayTheOldOneWas)
{
    // \'hh in either case, bare CP1251 bytes, \uN with a fallback that is the
    // letter, "?", a Latin look-alike or nothing (\uc0), two-byte Shift-JIS
    // letters, and binary data that only looks like letters.
    const std::string rtf
        = R"({\rtf1\ansi\ansicpg1251{\fonttbl{\f0\fcharset204 A;}{\f1\fcharset128 M;})"
          R"({\f2\fcharset0 T;}}\f0 \'e5\'C5 )"
          "\xE5\xC5"
          R"( \u1077\'e5\u1045 \'c5\u1077?\uc0\u1077 1\uc1 {\f1\'84\'75\'84\'45}{\f2\u1077 e})"
          R"({\pict\bin6 )"
          "{\xE5}\\\xC5x"
          R"(}\par})";
    EXPECT_EQ(Text(rtf), "еЕ еЕ еЕее1еЕе\n");
    EXPECT_EQ(AllYo(rtf, false),
        R"({\rtf1\ansi\ansicpg1251{\fonttbl{\f0\fcharset204 A;}{\f1\fcharset128 M;})"
        R"({\f2\fcharset0 T;}}\f0 \'b8\'A8 )"
        "\xB8\xA8"
        R"( \u1105\'b8\u1025 \'a8\u1105?\uc0\u1105 1\uc1 {\f1\'84\'76\'84\'46}{\f2\u1105 e})"
        R"({\pict\bin6 )"
        "{\xE5}\\\xC5x"
        R"(}\par})");

    // A UTF-8 document's bare bytes stay UTF-8.
    EXPECT_EQ(AllYo("{\\rtf1\\ansi\\ansicpg65001 \xD0\xB5\xD0\xB6}", false),
        "{\\rtf1\\ansi\\ansicpg65001 \xD1\x91\xD0\xB6}");
}

TEST(RtfPatch, NotesHeadersAndFieldResultsAreRestoredAfterTheBody)
{
    const std::string rtf
        = R"({\rtf1\ansi\ansicpg1251{\info{\title \'e5}}{\header \'e5\'f9\'e5\par})"
          R"(Body \'e5 {\*\bkmkstart \'e5}{\field{\*\fldinst HYPERLINK "\'e5"}{\fldrslt \'e5\'e6}})"
          R"({\super\chftn}{\*\footnote \pard \'e5\'e6\par second}{\*\unknown \'e5}{\pict \'e5})"
          R"({\stylesheet{\s1 \'e5;}}{\fonttbl{\f0 \'e5;}}\par})";
    // The engine sees the window's body text first, every line apart.
    EXPECT_EQ(Text(rtf), "Body е еж\nеще\nеж\nsecond\n");
    EXPECT_EQ(WindowText(rtf), "Body е еж\n");
    EXPECT_EQ(AllYo(rtf, false),
        R"({\rtf1\ansi\ansicpg1251{\info{\title \'e5}}{\header \'b8\'f9\'b8\par})"
        R"(Body \'b8 {\*\bkmkstart \'e5}{\field{\*\fldinst HYPERLINK "\'e5"}{\fldrslt \'b8\'e6}})"
        R"({\super\chftn}{\*\footnote \pard \'b8\'e6\par second}{\*\unknown \'e5}{\pict \'e5})"
        R"({\stylesheet{\s1 \'e5;}}{\fonttbl{\f0 \'e5;}}\par})");
}

TEST(RtfPatch, MarkingAddsOneColourOrReusesTheBlueOne)
{
    // A table without blue gets one entry, however many letters are marked;
    // a letter is wrapped with its fallback, so its group keeps its bold.
    EXPECT_EQ(
        AllYo(
            R"({\rtf1\ansi\ansicpg1251{\colortbl;\red255\green0\blue0;}\b \'e5\u1077\'e5\'c5\b0\par})", true),
        R"({\rtf1\ansi\ansicpg1251{\colortbl;\red255\green0\blue0;\red0\green0\blue255;})"
        R"(\b {\cf2 \'b8}{\cf2 \u1105\'b8}{\cf2 \'a8}\b0\par})");
    // Blue is there already: the table stays as it is.
    EXPECT_EQ(
        AllYo(R"({\rtf1\ansi\ansicpg1251{\colortbl;\red0\green0\blue255;\red1\green2\blue3;}\'e5})", true),
        R"({\rtf1\ansi\ansicpg1251{\colortbl;\red0\green0\blue255;\red1\green2\blue3;}{\cf1 \'b8}})");
    // A last entry without its ';' is kept as an entry of its own.
    EXPECT_EQ(AllYo(R"({\rtf1\ansi\ansicpg1251{\colortbl;\red255\green0\blue0}\'e5})", true),
        R"({\rtf1\ansi\ansicpg1251{\colortbl;\red255\green0\blue0;\red0\green0\blue255;}{\cf2 \'b8}})");
    // No table: one after the font table, or after \rtf1 when there is none.
    EXPECT_EQ(AllYo(R"({\rtf1\ansi\ansicpg1251{\fonttbl{\f0 A;}}\'e5})", true),
        R"({\rtf1\ansi\ansicpg1251{\fonttbl{\f0 A;}}{\colortbl;\red0\green0\blue255;}{\cf1 \'b8}})");
    EXPECT_EQ(AllYo(R"({\rtf1 \ansicpg1251\'e5})", true),
        R"({\rtf1 {\colortbl;\red0\green0\blue255;}\ansicpg1251{\cf1 \'b8}})");
    // A letter nested as deep as a reader goes gets no group around it.
    const std::string deep = "{\\rtf1\\ansicpg1251" + std::string(199, '{') + "\\'e5" + std::string(200, '}');
    EXPECT_EQ(AllYo(deep, true),
        "{\\rtf1{\\colortbl;\\red0\\green0\\blue255;}\\ansicpg1251" + std::string(199, '{') + "\\'b8"
            + std::string(200, '}'));
}

TEST(RtfPatch, BodyTextIsTheWindowsOwn)
{
    const std::string samples[] = {
        ReadWholeFile(std::string(TILDO_TEST_DATA_DIR) + "/libreoffice_sample.rtf"),
        // Surrogate pairs and lone halves, \ucN, control symbols, tabs,
        // unknown destinations, a font's code page and \plain.
        R"({\rtf1\ansi\ansicpg1251\deff1{\fonttbl{\f0\fcharset0 L;}{\f1\fcharset204 C;}}\uc2\u-10179\'3f\'3f)"
        R"(\u-8704??\u-10179 x\uc1\'e5\tab\~\_\-\emdash{\*\x \'e5}\f0\'e5\plain\'e5\line)"
        "\te\\\r\n"
        R"({\u1077\'e5}\u1077}ignored)",
        std::string("{\\rtf1 ") + std::string(500, '{') + "\\'e5" + std::string(500, '}') + "x}",
    };
    for (const std::string& rtf : samples) {
        EXPECT_EQ(
            Cp1251ToUtf8(TMarkupDocument(rtf, TDocumentFormat::Rtf).Document().TextRef()), WindowText(rtf));
    }
}

TEST(RtfPatch, DamagedInputIsReadAsFarAsItGoes)
{
    // Unclosed groups, a huge \bin, text after the end, a cut control word.
    EXPECT_EQ(Text("{\\rtf1\\ansicpg1251 " + std::string(100000, '{') + "\\'e5"), "");
    EXPECT_EQ(AllYo("{\\rtf1\\ansicpg1251 {{\\'e5", false), "{\\rtf1\\ansicpg1251 {{\\'b8");
    EXPECT_EQ(AllYo("{\\rtf1\\ansicpg1251 \\'e5\\bin2000000000 \\'e5{", false),
        "{\\rtf1\\ansicpg1251 \\'b8\\bin2000000000 \\'e5{");
    EXPECT_EQ(AllYo("{\\rtf1\\ansicpg1251 \\'e5}}\\'e5", false), "{\\rtf1\\ansicpg1251 \\'b8}}\\'e5");
    EXPECT_EQ(AllYo("{\\rtf1\\ansicpg1251{\\footnote \\'e5{\\'e5\\u10", false),
        "{\\rtf1\\ansicpg1251{\\footnote \\'b8{\\'b8\\u10");
    EXPECT_THROW(TMarkupDocument("plain text", TDocumentFormat::Rtf), EDocumentError);
}

} // namespace
} // namespace tildo
