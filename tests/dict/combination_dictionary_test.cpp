#include "dict/combination_dictionary.h"
#include "support/recording_ui.h"

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::TRecordingUi;
using test::TTempDir;
using test::U;
using test::W;

TEST(CombinationDictionary, TestEntriesLoadWithCountsAndMasks)
{
    TTempDir dir;
    TRecordingUi ui;
    TBufferLimits limits;
    TCombiWordsDic dic(limits);
    dic.FileName = dir.Write("combi.dat", W("# test\r\n\\0 лет\r\nвсё-таки\r\nо чём\r\nСалтыков-\r\n"));
    dic.ReadCombiDic(ui);
    EXPECT_TRUE(ui.Errors.empty()) << U(ui.Errors.empty() ? "" : ui.Errors[0]);
    ASSERT_EQ(dic.Count(), 4);
    EXPECT_EQ(dic.WordCounts.Get(0), 1);
    EXPECT_EQ(dic.DottedMasks.Get(0), 0);
    EXPECT_EQ(dic.WordCounts.Get(1), 2);
    EXPECT_EQ(dic.DottedMasks.Get(1), 1);
    EXPECT_EQ(dic.WordCounts.Get(2), 2);
    EXPECT_EQ(dic.DottedMasks.Get(2), 2);
    EXPECT_EQ(U(dic.Keys[1]), "все-таки");
    EXPECT_EQ(U(dic.Texts[1]), "всё-таки");
    EXPECT_TRUE(ui.IsCommandEnabled("CombiWords1"));
    EXPECT_EQ(ui.BusyDepth, 0);

    EXPECT_EQ(dic.FindCombination(W("все-таки")), 1);
    EXPECT_EQ(dic.FindCombination(W("Все-таки")), 1);
    EXPECT_EQ(dic.FindCombination(W("ВСЕ-ТАКИ")), 1);
    EXPECT_EQ(dic.FindCombination(W("о чем")), 2);
    EXPECT_EQ(dic.FindCombination(W("125 лет")), 0); // found on the second lookup, as \0 лет
    EXPECT_EQ(dic.FindCombination(W("Салтыков-")), 3);
    EXPECT_EQ(dic.FindCombination(W("салтыков-")), -1); // a capitalised entry needs the capital
    EXPECT_EQ(dic.FindCombination(W("о чем-то")), -1);
    EXPECT_EQ(DigitsToMarker("a12b3 45"), "a\\0b\\0 \\0");
}

TEST(CombinationDictionary, LongLinesOrderAndSingleWords)
{
    TTempDir dir;
    TRecordingUi ui;
    TBufferLimits limits;
    TCombiWordsDic dic(limits);
    dic.FileName = dir.Write("combi.dat",
        W("о чём\r\nраз два три четыре\r\nо чём\r\nвсё\r\nвсё \r\nа вот\r\nещё\r\nни при чём\n"));
    dic.ReadCombiDic(ui);
    // After reading, one message for each kind of fault, naming its first
    // line and counting the others: the four-word line (left out), the lines
    // out of order against the last accepted entry ("всё " and "а вот"; the
    // twin "о чём" is allowed), the first single word.
    EXPECT_EQ(ui.ErrorsUtf8(), (std::vector<std::string> {
                                   "Слишком длинное словосочетание в СС: \"раз два три четыре\"",
                                   "Порядок слов в СС нарушен словом \"всё \" (и ещё строк с тем же: 1)",
                                   "СС содержит слово \"всё\", которое не является словосочетанием",
                               }));
    ASSERT_EQ(dic.Count(), 5);
    EXPECT_EQ(U(dic.Texts[2]), "всё "); // accepted as a one-word entry
    EXPECT_EQ(U(dic.Texts[4]), "ни при чём");
    EXPECT_EQ(dic.DottedMasks.Get(4), 4);
}

TEST(CombinationDictionary, PathsAndTheTick)
{
    TRecordingUi ui;
    TBufferLimits limits;
    TCombiWordsDic dic(limits);
    dic.AddCombination(W("о чём"), ui);
    ui.Checked["CombiWords1"] = true;
    dic.ReadCombiDic(ui); // no path: the tick goes, the entries stay
    EXPECT_FALSE(ui.IsCommandChecked("CombiWords1"));
    EXPECT_EQ(dic.Count(), 1);
    CombiWords1Click(ui);
    EXPECT_TRUE(ui.IsCommandChecked("CombiWords1"));

    dic.FileName = "/nonexistent/combi.dat";
    dic.ReadCombiDic(ui);
    EXPECT_EQ(dic.Count(), 0);
    EXPECT_EQ(dic.FileName, "");
    EXPECT_EQ(ui.ErrorsUtf8(), (std::vector<std::string> { "Файл \"/nonexistent/combi.dat\" не найден" }));

    TTempDir dir;
    dic.FileName = dir.Write("empty.dat", "");
    dic.ReadCombiDic(ui);
    EXPECT_FALSE(ui.IsCommandEnabled("CombiWords1"));

    limits.WordsBufferLength = 2;
    dic.AddCombination(W("при всём том"), ui);
    EXPECT_EQ(dic.Count(), 0);
}

} // namespace
} // namespace tildo
