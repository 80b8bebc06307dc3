// Checks that a word processor reads the RTF the program writes with the same
// text and formatting. LibreOffice converts the file headless; the test is
// skipped only where LibreOffice is not installed.
#include "formats/markup_document.h"
#include "formats/rtf_writer.h"
#include "markup_edits.h"
#include "platform/file_io.h"
#include "support/recording_ui.h"
#include "text/cp1251.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace tildo {
namespace {

bool HaveSoffice()
{
    return std::system("command -v soffice >/dev/null 2>&1") == 0;
}

// Converts file into format in dir (with a private profile and home there) and
// returns the converted file's bytes.
std::string Convert(const test::TTempDir& dir, const std::string& file, const std::string& format,
    const std::string& extension)
{
    const std::string command = "cd '" + dir.Path() + "' && HOME='" + dir.Path()
        + "/home' soffice -env:UserInstallation=file://" + dir.Path()
        + "/profile --headless --norestore --convert-to " + format + " --outdir '" + dir.Path() + "/out' '"
        + file + "' >'" + dir.Path() + "/soffice.log' 2>&1";
    const int rc = std::system(command.c_str());
    EXPECT_EQ(rc, 0) << command;
    const std::string stem = file.substr(file.rfind('/') + 1, file.rfind('.') - file.rfind('/') - 1);
    return ReadWholeFile(dir.Path() + "/out/" + stem + "." + extension);
}

TStyledText SampleText()
{
    TStyledText text;
    TCharFormat plain;
    TCharFormat blue;
    blue.Colour = ColourBlue;
    TCharFormat marked;
    marked.Background = ColourAqua;
    TCharFormat big;
    big.Bold = true;
    big.SizeHalfPoints = 36;
    text.Append(U"Ещ", plain);
    text.Append(U"ё", blue);
    text.Append(U" раз: в", plain);
    text.Append(U"ё", blue);
    text.Append(U"дра {скобки} \\ € 中文\n", plain);
    text.Append(U"Фон", marked);
    text.Append(U" и ", plain);
    text.Append(U"ЖИРНЫЙ", big);
    text.Append(U"\nTab\there\n\U0001F642 last line", plain);
    return text;
}

TEST(LibreOfficeTest, ReadsTheTextWeWrite)
{
    if (!HaveSoffice())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    test::TTempDir dir;
    const TStyledText text = SampleText();
    const std::string rtf = dir.Write("sample.rtf", WriteRtf(text));
    std::string txt = Convert(dir, rtf, "txt:Text", "txt");
    if (txt.substr(0, 3) == "\xEF\xBB\xBF")
        txt.erase(0, 3);
    while (!txt.empty() && (txt.back() == '\n' || txt.back() == '\r'))
        txt.pop_back();
    std::string expected;
    for (const char32_t ch : text.PlainText())
        AppendUtf8(expected, ch);
    EXPECT_EQ(txt, expected);
}

TEST(LibreOfficeTest, ReadsTheFormattingWeWrite)
{
    if (!HaveSoffice())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    test::TTempDir dir;
    const std::string rtf = dir.Write("sample.rtf", WriteRtf(SampleText()));
    const std::string xml = Convert(dir, rtf, "fodt", "fodt");
    EXPECT_NE(xml.find("fo:color=\"#0000ff\""), std::string::npos) << "blue marks";
    EXPECT_NE(xml.find("fo:background-color=\"#00ffff\""), std::string::npos) << "background";
    EXPECT_NE(xml.find("fo:font-weight=\"bold\""), std::string::npos) << "bold";
    EXPECT_NE(xml.find("fo:font-size=\"18pt\""), std::string::npos) << "size";
    EXPECT_NE(xml.find("Ещ"), std::string::npos);
}

// Marked letters in fields, references, placeholders and a picture's alt text
// of a document LibreOffice wrote: LibreOffice must read every letter back.
TEST(LibreOfficeTest, KeepsTheLettersWeWriteIntoFields)
{
    if (!HaveSoffice())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    test::TTempDir dir;
    const TMarkupDocument doc(
        ReadWholeFile(std::string(TILDO_TEST_DATA_DIR) + "/libreoffice_fields.odt"), TDocumentFormat::Odt);
    const std::string odt = dir.Write("fields.odt", doc.Write(test::AllYo(doc, true)));
    const std::string txt = Convert(dir, odt, "txt:Text", "txt");
    for (const char* words : { "чёрный кот пришёл", "ёщё нашёл", "Полё: тёплый вёчёр", "Ссылка: зёлёный",
             "<пришёл>", "Обычный тёкст: ёщё лёд" })
        EXPECT_NE(txt.find(words), std::string::npos) << words << "\n" << txt;
    const std::string flat = Convert(dir, odt, "fodt", "fodt");
    EXPECT_NE(flat.find("<svg:title>ёлка зёлёная</svg:title>"), std::string::npos);
    EXPECT_NE(flat.find("<svg:desc>ёщё одна ёлка</svg:desc>"), std::string::npos);
}

} // namespace
} // namespace tildo
