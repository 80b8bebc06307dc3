#include "app/window_commands.h"
#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "platform/commands.h"
#include "support/recording_ui.h"

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::TRecordingUi;
using test::TTempDir;
using test::W;

TEST(WindowCommands, EveryCommandIsFoundByItsOwnName)
{
    for (const TCommandInfo& info : CommandTable) {
        ASSERT_EQ(CommandByName(info.Name), info.Command) << info.Name;
        EXPECT_EQ(CommandName(info.Command), info.Name);
        EXPECT_FALSE(info.Caption.empty()) << info.Name;
    }
    EXPECT_EQ(CommandByName("Mark"), std::nullopt);
    EXPECT_EQ(TCommandName("Help2").Command(), TCommand::Help2);
}

TEST(WindowCommands, NumberEntries)
{
    EXPECT_EQ(CheckNumber("45", 20, 60).Kind, TNumberVerdict::Accepted);
    EXPECT_EQ(CheckNumber(" 20 ", 20, 60).Value, 20);
    EXPECT_EQ(CheckNumber("+0", 0, 20).Kind, TNumberVerdict::Accepted);
    const TNumberVerdict high = CheckNumber("70", 20, 60);
    EXPECT_EQ(high.Kind, TNumberVerdict::OutOfBounds);
    EXPECT_EQ(high.Value, 70);
    EXPECT_EQ(CheckNumber("-1", 0, 20).Kind, TNumberVerdict::OutOfBounds);
    EXPECT_EQ(CheckNumber("5", 10, 1).Kind, TNumberVerdict::OutOfBounds); // bounds the wrong way round
    for (const char* bad : { "", "  ", "abc", "12a", "1 2", "3.5", "+-1", "99999999999" })
        EXPECT_EQ(CheckNumber(bad, 0, 20).Kind, TNumberVerdict::NotInteger) << bad;
    EXPECT_EQ(BoundsTitle(20, 60), "20 <= x <= 60");
}

TEST(WindowCommands, AboutNamesBothDictionariesWithCountEndings)
{
    TTempDir dir;
    TRecordingUi ui;
    TDic dic;
    dic.FileName = dir.Write("main.dat", W("всё?\nёлка\nещё\n*ёж\n"));
    dic.ReadDic(ui);
    TBufferLimits limits;
    TCombiWordsDic combi(limits);
    auto lines = AboutLines("1.2", dic, combi);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("1.2"), std::string::npos);
    EXPECT_EQ(lines[1], W("Основной словарь main.dat: 3 словоформы, 1 правило"));
    EXPECT_EQ(lines[2], W("Словарь словосочетаний не загружен"));

    combi.FileName = dir.Write("c.dat", W("в чём-то\nвсё-таки\nни о чём\nо чём\nпри всём\n"));
    combi.ReadCombiDic(ui);
    lines = AboutLines("1.2", dic, combi);
    EXPECT_EQ(lines[2], W("Словарь словосочетаний c.dat: 5 словосочетаний"));
}

} // namespace
} // namespace tildo
