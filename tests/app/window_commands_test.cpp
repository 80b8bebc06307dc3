#include "app/context_data.h"
#include "app/window_commands.h"
#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "engine/yoficator.h"
#include "platform/commands.h"
#include "support/recording_ui.h"
#include "support/scripted_asker.h"
#include "text/memory_document.h"

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::TRecordingUi;
using test::TScriptedAsker;
using test::TTempDir;
using test::U;
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

TEST(WindowCommands, ContextDataIsReadOnlyWithTheOptionOnAndADamagedFileLeavesThePassWithoutIt)
{
    TTempDir dir;
    const std::string damaged = dir.Write("tags.dat", "not a tag dictionary");
    const std::string rare = std::string(TILDO_DATA_DIR) + "/rare_yo.dat";
    TRecordingUi ui;
    TContextData data;
    // Off: nothing is read, not even the damaged file.
    EXPECT_EQ(data.JudgeFor(ui, damaged, rare), nullptr);
    EXPECT_TRUE(ui.Errors.empty());

    // On: the damaged file is shown in a box once, and the passes go on without a judge.
    ui.Checked["Context1"] = true;
    EXPECT_EQ(data.JudgeFor(ui, damaged, rare), nullptr);
    ASSERT_EQ(ui.Errors.size(), 1u);
    EXPECT_NE(ui.ErrorsUtf8()[0].find(damaged), std::string::npos) << ui.ErrorsUtf8()[0];
    EXPECT_EQ(data.JudgeFor(ui, damaged, rare), nullptr);
    EXPECT_EQ(ui.Errors.size(), 1u);

    TScriptedAsker asker;
    asker.WhenEmpty = TAnswer::Plain;
    TBufferLimits limits;
    TDic dic;
    dic.AddForm(W("всё"), true);
    TCombiWordsDic combi(limits);
    TWordBuffer window(limits);
    MemoryDocument doc;
    doc.SetText(W("Вот это все."));
    TYoficator engine(doc, ui, asker, dic, combi, window, limits);
    engine.SetContextJudge(data.JudgeFor(ui, damaged, rare));
    engine.DoYoficate(0, 1);
    EXPECT_EQ(asker.Questions.size(), 1u); // asked as without the option
    EXPECT_EQ(engine.Counters().ContextDecisionCount, 0);

    // Turned off and on again, the files are tried anew; good ones give a judge that is kept.
    ui.Checked["Context1"] = false;
    EXPECT_EQ(data.JudgeFor(ui, damaged, rare), nullptr);
    ui.Checked["Context1"] = true;
    TContextJudge* judge = data.JudgeFor(ui, std::string(TILDO_DATA_DIR) + "/tags.dat", rare);
    ASSERT_NE(judge, nullptr);
    EXPECT_EQ(ui.Errors.size(), 1u);
    EXPECT_EQ(data.JudgeFor(ui, damaged, rare), judge);
    engine.SetContextJudge(judge);
    asker.Questions.clear();
    engine.DoYoficate(0, 1);
    EXPECT_TRUE(asker.Questions.empty());
    EXPECT_EQ(U(doc.Text()), "Вот это всё.");
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
