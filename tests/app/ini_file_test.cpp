#include "app/ini_file.h"

#include "platform/file_io.h"
#include "support/recording_ui.h"

#include <gtest/gtest.h>

namespace tildo {
namespace {

TEST(IniFileTest, IntegersAreDecimalOrHexAndMalformedGiveNothing)
{
    EXPECT_EQ(ParseIniInteger("42"), 42);
    EXPECT_EQ(ParseIniInteger("-7"), -7);
    EXPECT_EQ(ParseIniInteger("+7"), 7);
    EXPECT_EQ(ParseIniInteger("0x1F"), 31);
    EXPECT_EQ(ParseIniInteger("0XfF"), 255);
    EXPECT_EQ(ParseIniInteger("0xFFFFFFFF"), -1);
    EXPECT_EQ(ParseIniInteger(" 15"), 15);
    EXPECT_EQ(ParseIniInteger("2147483647"), 2147483647);
    EXPECT_FALSE(ParseIniInteger("2147483648"));
    EXPECT_FALSE(ParseIniInteger(""));
    EXPECT_FALSE(ParseIniInteger("-"));
    EXPECT_FALSE(ParseIniInteger("12a"));
    EXPECT_FALSE(ParseIniInteger("0x"));
    EXPECT_FALSE(ParseIniInteger("0x123456789"));
    EXPECT_FALSE(ParseIniInteger("1.5"));
    EXPECT_FALSE(ParseIniInteger("abc"));
}

TEST(IniFileTest, ReadsNamesWithoutRegardToCaseAndTypesValues)
{
    TIniFile ini;
    ini.LoadFromText(
        "[tildo]\nMARK=0\nfontsize=0x0C\nFontName=Times New Roman\nBad=1x\n[FILES]\nname1=/a,b.txt,3\n");
    EXPECT_FALSE(ini.ReadBool("Tildo", "Mark", true));
    EXPECT_EQ(ini.ReadInteger("Tildo", "FontSize", 10), 12);
    EXPECT_EQ(ini.ReadString("Tildo", "FontName", ""), "Times New Roman");
    EXPECT_EQ(ini.ReadInteger("Tildo", "Bad", 5), 5);
    EXPECT_TRUE(ini.ReadBool("Tildo", "Bad", true));
    EXPECT_EQ(ini.ReadString("Files", "Name1", ""), "/a,b.txt,3");
    EXPECT_EQ(ini.ReadString("Files", "Name2", "none"), "none");
    EXPECT_FALSE(ini.HasKey("Editor", "SplitSize"));
}

TEST(IniFileTest, WritingKeepsCommentsUnknownKeysAndBom)
{
    TIniFile ini;
    ini.LoadFromText(
        "\xEF\xBB\xBF; my settings\n[Tildo]\n; the mark\nmark=1\nMine=keep me\nLastFileName=old\n"
        "[Other]\nx=y\n; closing words\n");
    ini.WriteBool("TILDO", "mark", false);
    ini.WriteString("Tildo", "New", "v");
    ini.DeleteKey("Tildo", "LastFileName");
    const std::string text = ini.SaveToText();
    EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(text.find("; my settings"), std::string::npos);
    // An existing key keeps its place and its spelling.
    EXPECT_NE(text.find("; the mark\nmark=0\nMine=keep me"), std::string::npos) << text;
    EXPECT_NE(text.find("Mine=keep me"), std::string::npos);
    EXPECT_NE(text.find("New=v"), std::string::npos);
    EXPECT_EQ(text.find("LastFileName"), std::string::npos);
    EXPECT_NE(text.find("[Other]\nx=y"), std::string::npos);
    EXPECT_NE(text.find("; closing words"), std::string::npos) << text;
    EXPECT_LT(text.find("Mine=keep me"), text.find("New=v"));
}

TEST(IniFileTest, NewKeysFollowTheOrderWrittenAndLineBreaksCannotSplitAKey)
{
    TIniFile ini;
    ini.WriteString("Tildo", "B", "2");
    ini.WriteString("Tildo", "A", "1");
    ini.WriteString("Files", "Name1", "/evil\nDictionary=/tmp/x.dat,0");
    const std::string text = ini.SaveToText();
    EXPECT_LT(text.find("B=2"), text.find("A=1"));
    EXPECT_EQ(text.find("Dictionary"), std::string::npos);

    TIniFile again;
    again.LoadFromText(text);
    EXPECT_EQ(again.ReadString("Files", "Name1", "missing"), "");
}

TEST(IniFileTest, MissingFileIsEmptyAndAFailedWriteThrowsWithThePath)
{
    test::TTempDir dir;
    TIniFile ini;
    ini.LoadFromFile(dir.Path() + "/none.ini");
    EXPECT_EQ(ini.ReadInteger("Tildo", "FontSize", 10), 10);
    ini.WriteInteger("Tildo", "FontSize", 11);
    const std::string bad = dir.Path() + "/no/such/dir/tildo.ini";
    try {
        ini.SaveToFile(bad);
        FAIL() << "no exception";
    } catch (const EFileError& e) {
        EXPECT_EQ(e.Path(), bad);
        EXPECT_FALSE(e.Reason().empty());
    }
}

} // namespace
} // namespace tildo
