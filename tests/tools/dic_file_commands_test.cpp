#include "tools_fixture.h"

#include "platform/file_io.h"
#include "tools/dic_file_commands.h"

#include <gtest/gtest.h>

namespace tildo::test {
namespace {

using Lines = std::vector<std::string>;

std::string WriteLines(const TTempDir& dir, const std::string& name, const Lines& utf8)
{
    return dir.Write(name, DicFileBytes(Ws(utf8)));
}

TEST(DicFileCommands, CheckListsEveryFaultyLineOnce)
{
    TTempDir dir;
    const std::string path
        = WriteLines(dir, "d.dat", { "# заголовок", "", "Ёж", "ёж", "ёж?", "ёлка", "ёЛочка", "ёж", "ель" });
    std::vector<std::pair<int, std::string>> found;
    for (const auto& e : CheckDictionaryFile(path, false))
        found.emplace_back(e.Line, U(e.Message));
    EXPECT_EQ(found,
        (std::vector<std::pair<int, std::string>> { { 5, "Ошибка: повторение слова" },
            { 7, "Ошибка: неверный регистр" }, { 8, "Ошибка: нарушен порядок слов" },
            { 9, "Ошибка: строка без Ё" } }));

    const std::string combi = WriteLines(dir, "c.dat", { "всё-таки", "и так", "о чём", "раз два три ещё" });
    found.clear();
    for (const auto& e : CheckDictionaryFile(combi, true, 3))
        found.emplace_back(e.Line, U(e.Message));
    EXPECT_EQ(found,
        (std::vector<std::pair<int, std::string>> {
            { 2, "Ошибка: строка без Е/Ё" }, { 4, "Ошибка: словосочетание длиной более 3 слов" } }));
    EXPECT_TRUE(CheckDictionaryFile(WriteLines(dir, "ok.dat", { "Ёж", "ёж", "*съёмка?" }), false).size() == 1)
        << "*съёмка sorts before ёж";
    EXPECT_THROW(CheckDictionaryFile(dir.Path() + "/none.dat", false), EFileError);
}

TEST(DicFileCommands, SortDedupeSubtractSweep)
{
    TTempDir dir;
    const TDicToolResult sorted
        = SortDictionaryFile(WriteLines(dir, "s.dat", { "# шапка", "ёлка", "ёж", "*ёж", "ёж" }));
    EXPECT_EQ(Us(sorted.Lines), (Lines { "# шапка", "*ёж", "ёж", "ёж", "ёлка" }));
    EXPECT_EQ(U(sorted.Status), "Словоформ/сочетаний: 3, правил: 1");
    EXPECT_TRUE(sorted.Errors.empty());
    EXPECT_EQ(U(sorted.Text()), "# шапка\r\n*ёж\r\nёж\r\nёж\r\nёлка\r\n");

    const TDicToolResult deduped
        = DedupeDictionaryFile(WriteLines(dir, "d.dat", { "ёж", "ёж", "ёж", "ёлка" }));
    EXPECT_EQ(Us(deduped.Lines), (Lines { "ёж", "ёлка" }));
    EXPECT_EQ(U(deduped.Status), "Словоформ/сочетаний: 2, правил: 0, удалено дублей: 2");

    const TDicToolResult rest
        = SubtractDictionaryFile(WriteLines(dir, "a.dat", { "ёж", "ёлка", "ёрш", "ёж" }),
            WriteLines(dir, "b.dat", { "ёрш", "ёмкость" }));
    EXPECT_EQ(Us(rest.Lines), (Lines { "ёж", "ёлка", "ёж" }));
    EXPECT_EQ(U(rest.Status), "Словоформ/сочетаний: 3, правил: 0");
    ASSERT_EQ(rest.Errors.size(), 1u);
    EXPECT_EQ(U(rest.Errors[0]), "Порядок слов в словаре нарушен словом \"ёж\"");

    const TDicToolResult swept = SweepWordsFile(WriteLines(dir, "w.txt", { "ёрш", "ёж", "Ёж", "ёлка" }),
        WriteLines(dir, "dic.dat", { "ёж", "ёлка" }));
    EXPECT_EQ(Us(swept.Lines), (Lines { "ёрш", "Ёж" }));
    EXPECT_EQ(U(swept.Status), "2 слова убрано из окна слов");
}

TEST(DicFileCommands, FormsOfEveryParadigm)
{
    TTempDir dir;
    const std::string rules = dir.Write("morphs.dat",
        W("=Существительное\nстол:[бвгджзклмнпрстфхцчшщ]:0:,а,у\nлампа:а:1:а,ы\n=Иное\nвсё:ж:1:ж,жи\n"));
    const auto paradigms = WordFormsFor(rules, W("ёж?"));
    // Both match one letter; the later one goes before the one that cuts nothing.
    ASSERT_EQ(paradigms.size(), 2u);
    EXPECT_EQ(U(paradigms[0].Title), "Иное (всё)");
    EXPECT_EQ(Us(paradigms[0].Forms), (Lines { "ёж?", "ёжи?" }));
    EXPECT_EQ(U(paradigms[1].Title), "Существительное (стол)");
    EXPECT_EQ(Us(paradigms[1].Forms), (Lines { "ёж?", "ёжа?", "ёжу?" }));
    EXPECT_TRUE(WordFormsFor(rules, W("ёлки")).empty());
    EXPECT_THROW(WordFormsFor(dir.Path() + "/none.dat", W("ёж")), EFileError);
}

} // namespace
} // namespace tildo::test
