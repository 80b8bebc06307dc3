#include "dict/main_dictionary.h"
#include "support/recording_ui.h"

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::TRecordingUi;
using test::TTempDir;
using test::U;
using test::W;

// Loads a dictionary written from UTF-8 lines joined by CR LF.
struct TLoaded
{
    TTempDir dir;
    TRecordingUi ui;
    TDic dic;

    explicit TLoaded(const std::string& utf8Text, const std::string& name = "tildo.dat")
    {
        dic.FileName = dir.Write(name, W(utf8Text));
        dic.ReadDic(ui);
    }
};

const char* const TestDictionary = "# test\r\n"
                                   "всё?\r\n"
                                   "ещё\r\n"
                                   "лёт?\r\n"
                                   "полёт*?\r\n"
                                   "*рублёв*\r\n"
                                   "*съёмка\r\n"
                                   "трёхведёрный\r\n";

TEST(MainDictionary, LoadsFormsAndRulesIntoParallelLists)
{
    TLoaded t(TestDictionary);
    EXPECT_TRUE(t.ui.Errors.empty()) << (t.ui.Errors.empty() ? "" : U(t.ui.Errors[0]));
    ASSERT_EQ(t.dic.FormCount(), 4);
    ASSERT_EQ(t.dic.RuleCount(), 3);
    EXPECT_EQ(U(t.dic.Keys[0]), "все");
    EXPECT_EQ(U(t.dic.Forms[0]), "всё");
    EXPECT_EQ(t.dic.FormVariant.Get(0), 1);
    EXPECT_EQ(t.dic.FormVariant.Get(1), 0);
    EXPECT_EQ(U(t.dic.RuleFragments[0]), "полёт");
    EXPECT_EQ(t.dic.RuleStarBefore[0], "");
    EXPECT_EQ(t.dic.RuleStarAfter[0], "*");
    EXPECT_EQ(t.dic.RuleVariant.Get(0), 1);
    EXPECT_EQ(t.dic.RuleStarBefore[1], "*");
    EXPECT_EQ(t.dic.RuleStarAfter[1], "*");
    for (const TShortIntList* l : { &t.dic.FormVariant, &t.dic.FormLastAnswer, &t.dic.FormAlways })
        EXPECT_EQ(l->Count(), 4);
    for (const TIntegerList* l : { &t.dic.FormMetPlain, &t.dic.FormMetDotted, &t.dic.FormNetDotted })
        EXPECT_EQ(l->Count(), 4);
    for (const TIntegerList* l : { &t.dic.RuleMetPlain, &t.dic.RuleMetDotted, &t.dic.RuleNetDotted })
        EXPECT_EQ(l->Count(), 3);
    EXPECT_TRUE(t.ui.IsCommandEnabled("YoBegin1"));
    EXPECT_TRUE(t.ui.IsCommandEnabled("YoPos1"));
    EXPECT_FALSE(t.ui.IsCommandEnabled("ClearUserSel1"));

    // A dictionary that passes only read is reloaded with no state of its own,
    // the lookups unchanged.
    t.dic.KeepsRunState = false;
    t.dic.ReadDic(t.ui);
    EXPECT_EQ(t.dic.FormCount(), 4);
    EXPECT_EQ(t.dic.RuleCount(), 3);
    EXPECT_EQ(t.dic.FindForm(W("лет")), 2);
    for (const TShortIntList* l : { &t.dic.FormLastAnswer, &t.dic.FormAlways, &t.dic.RuleLastAnswer })
        EXPECT_EQ(l->Count(), 0);
    for (const TIntegerList* l : { &t.dic.FormMetPlain, &t.dic.RuleMetPlain, &t.dic.RuleNetDotted })
        EXPECT_EQ(l->Count(), 0);
    EXPECT_EQ(t.ui.BusyDepth, 0);
    ASSERT_GE(t.ui.StatusHistory.size(), 2u);
    EXPECT_EQ(U(t.ui.StatusHistory[0]).rfind("Загрузка словаря ", 0), 0u);
    EXPECT_EQ(t.ui.StatusText(), ""); // the previous status text is back
}

TEST(MainDictionary, LookupOfFormsAndRules)
{
    TLoaded t(TestDictionary);
    TDicEntry e;
    auto form = [&](const char* word) {
        return t.dic.Lookup(FoldDottedE(W(word)), e) ? U(e.Form) + (e.IsRule ? " rule" : "")
                                                     : std::string("-");
    };
    EXPECT_EQ(form("все"), "всё");
    EXPECT_EQ(form("ВСЕ"), "всё");
    EXPECT_EQ(form("вСе"), "всё");
    EXPECT_EQ(form("всё"), "всё");
    EXPECT_EQ(form("полетами"), "полётами rule");
    EXPECT_EQ(form("Полетами"), "полётами rule"); // matched lower-cased; the pass restores the capital
    EXPECT_EQ(form("двухрублевый"), "двухрублёвый rule");
    EXPECT_EQ(form("киносъемка"), "киносъёмка rule");
    EXPECT_EQ(form("съемками"), "-"); // *съёмка only at the end
    EXPECT_EQ(form("вертолет"), "-");
    EXPECT_EQ(form("мир"), "-");
    EXPECT_EQ(e.Index, -1);
}

TEST(MainDictionary, RuleMatchingLooksAtTheFirstOccurrenceOnly)
{
    TDic dic;
    dic.AddRule("*", W("ёж"), "", 0);
    TDicEntry e;
    ASSERT_TRUE(dic.FindRule(W("еж"), e));
    EXPECT_EQ(U(e.Form), "ёж");
    EXPECT_TRUE(dic.FindRule(W("морж"), e) == false);
    EXPECT_FALSE(dic.FindRule(W("ежеж"), e)); // the first occurrence does not end the word
    dic.Clear();
    dic.AddRule("*", W("съёмка"), "", 0);
    dic.AddRule("", W("съём"), "*", 0);
    ASSERT_TRUE(dic.FindRule(W("съемка"), e));
    EXPECT_EQ(e.Index, 0);
    dic.Clear();
    dic.AddRule("", "", "*", 0);
    EXPECT_FALSE(dic.FindRule(W("еж"), e)); // an empty fragment never matches
    dic.AddRule("", W("Ёлк"), "*", 0);
    EXPECT_FALSE(dic.Lookup(W("елка"), e));
    ASSERT_TRUE(dic.Lookup(W("Елки"), e));
    EXPECT_EQ(U(e.Form), "Ёлки");
}

TEST(MainDictionary, CapitalisedFormsAreFoundOnlyForCapitalisedWords)
{
    TLoaded t("Орёл\r\nорёл?\r\nЩёлково\r\n");
    EXPECT_TRUE(t.ui.Errors.empty());
    TDicEntry e;
    ASSERT_TRUE(t.dic.Lookup(W("Орел"), e));
    EXPECT_EQ(U(e.Form), "Орёл");
    ASSERT_TRUE(t.dic.Lookup(W("ОРЕЛ"), e));
    EXPECT_EQ(U(e.Form), "Орёл");
    ASSERT_TRUE(t.dic.Lookup(W("орел"), e));
    EXPECT_EQ(U(e.Form), "орёл");
    EXPECT_TRUE(t.dic.Lookup(W("Щелково"), e));
    EXPECT_FALSE(t.dic.Lookup(W("щелково"), e));

    TLoaded reversed("орёл\r\nОрёл\r\n");
    ASSERT_EQ(reversed.ui.Errors.size(), 1u);
    EXPECT_EQ(reversed.ui.ErrorsUtf8()[0], "Порядок слов в словаре нарушен словом \"Орёл\"");
}

TEST(MainDictionary, ReportsOnlyTheFirstFindingOfEachKind)
{
    // Order break, two incorrect lines and a line without ё: two boxes in a fixed order.
    TLoaded t("ёж\r\nвсё?\r\nвсё\r\nвсё-таки\r\nё*ж\r\nмир\r\nабв \r\n");
    EXPECT_EQ(t.ui.ErrorsUtf8(),
        (std::vector<std::string> { "Порядок слов в словаре нарушен словом \"всё\"",
            "Словарь содержит некорректную строку \"всё-таки\"" }));
    EXPECT_EQ(t.dic.FormCount(), 6); // findings never stop the load
    EXPECT_EQ(t.dic.RuleCount(), 1);

    TLoaded noYo("ёж\r\nмир\r\nмышь\r\n");
    EXPECT_EQ(noYo.ui.ErrorsUtf8(),
        (std::vector<std::string> { "Странно, что слово \"мир\" из словаря не содержит буквы \"Ё\"" }));

    TLoaded mark("?\r\n");
    EXPECT_EQ(mark.ui.ErrorsUtf8(),
        (std::vector<std::string> { "Порядок слов в словаре нарушен словом \"\"",
            "Странно, что слово \"?\" из словаря не содержит буквы \"Ё\"" }));
    EXPECT_EQ(mark.dic.FormCount(), 1);

    TLoaded rule("*ёж?\r\nёж*?\r\n*ёж*?\r\n");
    EXPECT_TRUE(rule.ui.Errors.empty());
    ASSERT_EQ(rule.dic.RuleCount(), 3);
    EXPECT_EQ(rule.dic.RuleVariant.Get(2), 1);
}

TEST(MainDictionary, MissingFilesAndEmptyDictionaries)
{
    TLoaded comments("# only\r\n\r\n#comments\r\n");
    EXPECT_TRUE(comments.ui.Errors.empty());
    EXPECT_FALSE(comments.dic.HasEntries());
    EXPECT_FALSE(comments.ui.IsCommandEnabled("YoBegin1"));
    EXPECT_EQ(comments.ui.Enabled.count("YoBegin1"), 0u); // not disabled either: left alone

    TRecordingUi ui;
    TDic dic;
    dic.AddForm(W("ёж"), 0);
    dic.FileName = "/nonexistent/dir/tildo.dat";
    dic.ReadDic(ui);
    EXPECT_FALSE(dic.HasEntries());
    EXPECT_EQ(dic.FileName, "");
    dic.ReadDic(ui);
    EXPECT_EQ(ui.ErrorsUtf8(),
        (std::vector<std::string> {
            "Файл \"/nonexistent/dir/tildo.dat\" не найден", "Не задан файл словаря" }));
}

TEST(MainDictionary, BadBytesAndBadPathsNeverCrash)
{
    TTempDir dir;
    TRecordingUi ui;
    TDic dic;
    // A directory is reported with the system's reason, and nothing is loaded.
    dic.FileName = dir.Path();
    dic.ReadDic(ui);
    ASSERT_EQ(ui.Errors.size(), 1u);
    EXPECT_NE(ui.ErrorsUtf8()[0].find(dir.Path()), std::string::npos);
    EXPECT_EQ(ui.BusyDepth, 0);

    // NUL, 0x98, a long line, LF-only lines and no final break.
    std::string bytes = W("ёж\n");
    bytes += std::string("\xB8\0\x98", 3) + "\r\n";
    bytes += std::string(200000, '\xB8') + "\n";
    bytes += W("ёмкость\r");
    ui.Errors.clear();
    dic.FileName = dir.Write("odd.dat", bytes);
    dic.ReadDic(ui);
    ASSERT_EQ(dic.FormCount(), 4);
    EXPECT_EQ(dic.Forms[1], std::string("\xB8\0\x98", 3));
    EXPECT_EQ(U(dic.Forms[3]), "ёмкость"); // a trailing CR is never part of an entry
    ASSERT_EQ(ui.Errors.size(), 2u); // an order break and an incorrect line, both at the NUL line
}

} // namespace
} // namespace tildo
