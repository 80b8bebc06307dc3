#include "engine_fixture.h"

#include "platform/file_io.h"

#include <filesystem>
#include <utility>

namespace tildo::test {
namespace {

using RestorationPass = TEngineFixture;

TEST_F(RestorationPass, FixedWordIsWrittenLetterByLetterAndMarkedOnlyWithMark)
{
    Dictionary({ "ещё" });
    Text("еще");
    Option("Mark1");
    Pass();
    EXPECT_EQ(Result(), "ещё");
    EXPECT_EQ(doc.CharColour(2), ColourBlue);
    EXPECT_EQ(doc.CharColour(1), ColourBlack); // unchanged letters keep their colour
    EXPECT_TRUE(asker.Questions.empty());
    EXPECT_EQ(doc.ChangeCount, 2); // SetText and the one letter

    const TColour green = Rgb(0, 128, 0);
    Text("еще");
    doc.Select(0, 3);
    doc.SetSelectionColour(green);
    Option("Mark1", false);
    Pass();
    EXPECT_EQ(Result(), "ещё");
    EXPECT_EQ(doc.CharColour(2), green);
    EXPECT_FALSE(engine.Busy());
    EXPECT_EQ(asker.BeginCount, 2);
    EXPECT_EQ(asker.EndCount, 2);
}

TEST_F(RestorationPass, WordsAreRunsOfRussianLetters)
{
    Dictionary({ "всё", "ёлка", "ещё" });
    Text("е все-таки елка2 еще\nЕ");
    Pass();
    EXPECT_EQ(Result(), "е всё-таки ёлка2 ещё\nЕ");
}

// An abbreviation whose letters spell a ё word, and a short word in capitals,
// are asked about; the same words in running text are changed as before.
TEST_F(RestorationPass, AbbreviationsAndShortCapitalsAreAskedAboutNeverChangedSilently)
{
    Dictionary({ "врём", "ещё", "мёд", "пёр", "трёхведёрный" });
    Option("NoVarOnly1"); // undisputed changes only: a question leaves the word alone
    const char* const kept[] = {
        "См. главу 3 (прим. пер.) и ниже.",
        "Удалите врем. файлы.",
        "Адрес: Кривоколенный пер., 5.",
        "пер. 2",
        "Команды ПЕР и ЕЩЕ в таблице.",
        "окончил мед. институт",
    };
    for (const char* text : kept) {
        Text(text);
        Pass();
        EXPECT_EQ(Result(), text);
    }
    const std::pair<const char*, const char*> changed[] = {
        { "Он пер. Мы врем.", "Он пёр. Мы врём." }, // a sentence ends at the stop
        { "Еще... и еще.", "Ещё... и ещё." }, // an ellipsis is no abbreviation
        { "Он пер.\nдальше", "Он пёр.\nдальше" }, // the line ends: nothing is known
        { "мед.txt и мед.5", "мёд.txt и мёд.5" }, // no blank: a file name, a number
        { "ЕЩЕ ТРЕХВЕДЕРНЫЙ", "ЕЩЕ ТРЁХВЕДЁРНЫЙ" }, // only short capitals are asked about
        { "Пер. Ещё", "Пёр. Ещё" },
    };
    for (const auto& [text, restored] : changed) {
        Text(text);
        Pass();
        EXPECT_EQ(Result(), restored) << text;
    }
    EXPECT_TRUE(asker.Questions.empty());
    // The combination analysis decides a word later, from its window: the
    // text after it is read the same way.
    Combinations({ "всё равно" });
    Text(kept[0]);
    Pass();
    EXPECT_EQ(Result(), kept[0]);
    Text("Он пер. Мы врем.");
    Pass();
    EXPECT_EQ(Result(), "Он пёр. Мы врём.");
    EXPECT_TRUE(asker.Questions.empty());
    Option("CombiWords1", false);

    // With questions allowed, a disguised word is asked about with the
    // variant's caption and the е proposed.
    Option("NoVarOnly1", false);
    Text("прим. пер.) и ПЕР");
    Answers({ TAnswer::Plain, TAnswer::Dotted });
    Pass();
    EXPECT_EQ(Result(), "прим. пер.) и ПЁР");
    ASSERT_EQ(asker.Questions.size(), 2u);
    EXPECT_EQ(U(asker.Questions[0].Caption), "Выберите верный вариант");
    EXPECT_FALSE(asker.Questions[0].DefaultDotted);
}

TEST_F(RestorationPass, ScanFromTheCaretTakesTheRestOfAWordAsAWord)
{
    Dictionary({ "вернёт" });
    Text("перевернет");
    engine.DoYoficate(0, 5); // the caret before в
    EXPECT_EQ(Result(), "перевернёт");
    Text("перевернет");
    engine.DoYoficate(0, 1);
    EXPECT_EQ(Result(), "перевернет");
}

TEST_F(RestorationPass, FictionBookModeStopsAtTheBinarySection)
{
    Dictionary({ "ещё" });
    Option("FBFormat1");
    Text("еще текст<binary id=x>еще\nеще");
    Pass();
    EXPECT_EQ(Result(), "ещё текст<binary id=x>еще\nеще"); // the lines after the mark are not scanned

    Text("еще<Binary>еще");
    Pass();
    EXPECT_EQ(Result(), "ещё<Binary>еще");

    Option("FBFormat1", false);
    Pass();
    EXPECT_EQ(Result(), "ещё<Binary>ещё");
}

TEST_F(RestorationPass, EscBeforeThePassIsIgnoredEscDuringItStopsAfterTheWord)
{
    Dictionary({ "ещё" });
    Text("еще еще еще");
    ui.EscPressesLeft = 5; // held down when the command was given
    Pass();
    EXPECT_EQ(Result(), "ещё ещё ещё");
}

// Esc pressed while the first question waits: the pass stops after that word.
TEST_F(RestorationPass, EscDuringThePassStopsItAfterTheCurrentWord)
{
    struct TEscUi : TRecordingUi
    {
        bool pressed = false;
        bool IsEscPressed() override { return std::exchange(pressed, false); }
    } escUi;
    struct TPressingAsker : Asker
    {
        TEscUi* ui = nullptr;
        int asked = 0;
        TAnswer Ask(const TQuestion&) override
        {
            ++asked;
            ui->pressed = true;
            return TAnswer::Dotted;
        }
    } pressing;
    pressing.ui = &escUi;
    Dictionary({ "всё?" });
    TYoficator e { doc, escUi, pressing, dic, combi, window, limits };
    Text("все все все");
    e.DoYoficate(0, 1);
    EXPECT_EQ(Result(), "всё все все");
    EXPECT_EQ(pressing.asked, 1);
    EXPECT_TRUE(e.Aborted());
}

TEST_F(RestorationPass, SeparatorsCarryPunctuationAcrossLinesButNotLineBreaks)
{
    Dictionary({ "всё?" });
    Combinations({ "все равно", "всё, равно" });
    // A line that ends with a letter: the next word's separator is one space.
    Text("все\nравно");
    Pass();
    EXPECT_EQ(Result(), "все\nравно");
    EXPECT_TRUE(asker.Questions.empty());
    EXPECT_EQ(engine.Counters().CombiDecisionCount, 1);
    EXPECT_EQ(combi.UseCounts[0], 1);
    // Blanks on both sides of the break collapse to one space after the comma.
    Text("все, \n\n равно");
    Pass();
    EXPECT_EQ(Result(), "всё, \n\n равно");
    EXPECT_TRUE(asker.Questions.empty());
    // A bare comma before the break: nothing matches, the user is asked.
    Text("все,\nравно");
    Answers({ TAnswer::Plain });
    Pass();
    EXPECT_EQ(asker.Questions.size(), 1u);
}

TEST_F(RestorationPass, CombinationModeDecidesTheLastWordsWithTheTextAfterThem)
{
    Dictionary({ "всё?" });
    Combinations({ "всё," });
    Text("он сказал все,");
    Pass();
    EXPECT_EQ(Result(), "он сказал всё,");
    EXPECT_TRUE(asker.Questions.empty());
    // Without the comma after it the word is asked about.
    Text("он сказал все");
    Answers({ TAnswer::Plain });
    Pass();
    EXPECT_EQ(asker.Questions.size(), 1u);
}

TEST_F(RestorationPass, UndoAnswerTakesBackTheLastAskedLetterAndScansAgainFromItsWord)
{
    Dictionary({ "всё?", "ещё" });
    Text("все еще все");
    Answers({ TAnswer::Dotted, TAnswer::Undo, TAnswer::Plain, TAnswer::Dotted });
    Pass();
    EXPECT_EQ(Result(), "все ещё всё");
    ASSERT_EQ(asker.Questions.size(), 4u);
    // The first word is asked about again after the undo.
    EXPECT_EQ(asker.Questions[2].Context.substr(0, 3), W("все"));
    EXPECT_EQ(asker.Questions[2].WordOffset, 0);
    EXPECT_FALSE(asker.Questions[0].UndoEnabled);
    EXPECT_TRUE(asker.Questions[1].UndoEnabled);
    EXPECT_EQ(U(asker.Questions[1].UndoCaption), "Откат \"все -> всё\"");
    // Counters and stored answers stay as they were: the ё of the undone answer still counts.
    EXPECT_EQ(engine.Counters().NewDottedCount, 3);
    EXPECT_EQ(engine.Counters().AskedDottedCount, 2);
    EXPECT_EQ(asker.BeginCount, 1);
    EXPECT_FALSE(engine.Busy());
}

TEST_F(RestorationPass, ScanPollsEscAfterEveryCandidateOnly)
{
    Dictionary({ "ещё" });
    Text("дом еще кот еще");
    Pass();
    // One query drains the state before the scan, then one per word with е.
    EXPECT_EQ(ui.EscQueries, 3);
    ui.EscQueries = 0;
    Combinations({ "о чём" });
    Pass();
    EXPECT_EQ(ui.EscQueries, 1 + 5); // every word and the end entry
}

TEST_F(RestorationPass, CombinationLogGetsOneLinePerMatchOnlyWhenBound)
{
    TTempDir dir;
    Dictionary({ "всё?", "ещё" });
    Combinations({ "все равно" });
    Text("все равно, все равно");
    Pass();
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/combi.log"));
    engine.BindCombiLog(dir.Path());
    Pass();
    EXPECT_EQ(engine.CombiLogPath(), dir.Path() + "/combi.log");
    EXPECT_EQ(ReadWholeFile(engine.CombiLogPath()), W("все равно\r\nвсе равно\r\n"));
    // A logged combination is not logged again with the next decided word.
    Text("еще");
    Pass();
    EXPECT_EQ(Result(), "ещё");
    EXPECT_EQ(ReadWholeFile(engine.CombiLogPath()), W("все равно\r\nвсе равно\r\n"));
}

TEST_F(RestorationPass, UnwritableCombinationLogEndsThePassWithEveryStateRestored)
{
    TTempDir dir;
    Dictionary({ "всё?" });
    Combinations({ "все равно" });
    engine.BindCombiLog(dir.Path() + "/missing-directory");
    Text("все равно, еще все равно");
    Pass();
    ASSERT_EQ(ui.Errors.size(), 1u);
    EXPECT_NE(ui.Errors[0].find("missing-directory/combi.log"), std::string::npos);
    EXPECT_FALSE(engine.Busy());
    EXPECT_EQ(asker.EndCount, 1);
    EXPECT_FALSE(doc.BusyCursor);
    // Nothing of the failed decision is left for the next one: without
    // combinations the word gets its question, and the combination that
    // failed is not logged with it.
    Option("CombiWords1", false);
    engine.BindCombiLog(dir.Path());
    Answers({ TAnswer::Dotted });
    Text("все");
    Pass();
    EXPECT_EQ(asker.Questions.size(), 1u);
    EXPECT_EQ(Result(), "всё");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/combi.log"));
    // The engine is usable again at once.
    Option("CombiWords1");
    engine.UnbindCombiLog();
    Text("все равно, еще все равно");
    Pass();
    EXPECT_EQ(ui.Errors.size(), 1u);
    EXPECT_EQ(asker.EndCount, 3);
}

TEST_F(RestorationPass, EmptyTextEndsAtOnceWithTheReport)
{
    Dictionary({ "ещё" });
    Text("");
    Pass();
    EXPECT_EQ(Result(), "");
    EXPECT_TRUE(Status().starts_with("Новых \"Ё/Е\": 0/0 (в т.ч. с запросом 0/0)")) << Status();
}

} // namespace
} // namespace tildo::test
