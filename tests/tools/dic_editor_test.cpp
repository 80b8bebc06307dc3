#include "tools_fixture.h"

#include "platform/file_io.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tildo::test {
namespace {

using Lines = std::vector<std::string>;

std::string Log(const TEditorFixture& f)
{
    return FileExists(f.Path("insert.log")) ? U(ReadWholeFile(f.Path("insert.log"))) : std::string();
}

// A dictionary opened from the program directory, so the counts are set.
void OpenDictionary(TEditorFixture& f, const Lines& lines)
{
    f.Editor.OpenDic(f.WriteDic("tildo.dat", lines));
}

// --- adding words ---------------------------------------------------------------

TEST(AddToDic, NewWordGoesToItsSortedPlaceMarkedRed)
{
    TEditorFixture f;
    OpenDictionary(f, { "ёж", "ёлка" });
    SetPane(f.Word, { "ёрш", "ёжик" });
    f.Word.Select(0, 0);
    f.Editor.AddToDic1Click();
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "ёж", "ёлка", "ёрш" }));
    const int start = f.Dic.LineStart(2);
    EXPECT_EQ(f.Dic.CharColour(start), ColourRed);
    EXPECT_EQ(f.Dic.CharColour(start + 2), ColourRed);
    EXPECT_EQ(f.Dic.CharColour(0), ColourBlack);
    EXPECT_EQ(PaneUtf8(f.Word), (Lines { "ёжик" }));
    EXPECT_EQ(f.Status(), "Словоформ/сочетаний: 3, правил: 0");
    EXPECT_TRUE(f.Editor.Modified());
    EXPECT_EQ(U(f.Editor.Caption()), "tildo.dat *");
    EXPECT_EQ(U(f.Ui.WindowCaption), "tildo.dat *");
    EXPECT_EQ(Log(f), "") << "the log is off";

    f.Editor.InsertLog1Click();
    f.Editor.AddToDic1Click();
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "ёж", "ёжик", "ёлка", "ёрш" }));
    EXPECT_EQ(f.Word.Length(), 0);
    EXPECT_EQ(Log(f), "ёжик\r\n");

    // A rule counts as a rule.
    SetPane(f.Word, { "*съёмка" });
    f.Editor.AddToDic1Click();
    EXPECT_EQ(PaneUtf8(f.Dic)[0], "*съёмка");
    EXPECT_EQ(f.Status(), "Словоформ/сочетаний: 4, правил: 1");
}

TEST(AddToDic, TheSameWordAddsNothing)
{
    TEditorFixture f;
    OpenDictionary(f, { "ёж", "ёлка" });
    SetPane(f.Word, { "ёж" });
    f.Editor.AddToDic1Click();
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "ёж", "ёлка" }));
    EXPECT_EQ(PaneUtf8(f.Word), (Lines { "ёж" }));
    EXPECT_TRUE(f.Ui.Questions.empty());
    EXPECT_EQ(f.Dic.SelStart(), 0);
    EXPECT_EQ(f.Dic.SelLength(), 2);
    EXPECT_FALSE(f.Editor.Modified());
}

TEST(AddToDic, CaseTwinAsksYesNoCancel)
{
    TEditorFixture f;
    f.Editor.InsertLog1Click();
    SetPane(f.Dic, { "Ёж", "ёлка" });
    SetPane(f.Word, { "ёж" });

    f.Ui.YesNoCancelAnswers = { TDialogAnswer::Cancel };
    f.Editor.AddToDic1Click();
    ASSERT_EQ(f.Ui.Questions.size(), 1u);
    EXPECT_EQ(U(f.Ui.Questions[0]), "Изменить \"Ёж\" на \"ёж\" ?");
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "Ёж", "ёлка" }));
    EXPECT_EQ(PaneUtf8(f.Word), (Lines { "ёж" }));

    // No keeps both; the new line goes on its sorted side (after Ёж).
    f.Ui.YesNoCancelAnswers = { TDialogAnswer::No };
    f.Editor.AddToDic1Click();
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "Ёж", "ёж", "ёлка" }));
    EXPECT_EQ(f.Dic.CharColour(f.Dic.LineStart(1)), ColourRed);

    // ... and before the existing line when it sorts first.
    SetPane(f.Dic, { "ёж", "ёлка" });
    SetPane(f.Word, { "Ёж" });
    f.Ui.YesNoCancelAnswers = { TDialogAnswer::No };
    f.Editor.AddToDic1Click();
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "Ёж", "ёж", "ёлка" }));

    // Yes replaces.
    SetPane(f.Dic, { "Ёж", "ёлка" });
    SetPane(f.Word, { "ёж" });
    f.Ui.YesNoCancelAnswers = { TDialogAnswer::Yes };
    f.Editor.AddToDic1Click();
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "ёж", "ёлка" }));
    EXPECT_EQ(f.Word.Length(), 0);
    EXPECT_EQ(Log(f), "ёж\r\nЁж\r\nёж\tЁж\r\n");
}

TEST(AddToDic, DottedOrMarkTwinAsksOkCancel)
{
    TEditorFixture f;
    SetPane(f.Dic, { "еж", "ёлка" });
    SetPane(f.Word, { "ёж" });
    f.Ui.OkCancelAnswers = { true };
    f.Editor.AddToDic1Click();
    EXPECT_EQ(U(f.Ui.Questions.at(0)), "Изменить \"еж\" на \"ёж\" ?");
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "ёж", "ёлка" }));
    EXPECT_EQ(f.Status(), "Словоформ/сочетаний: 0, правил: 0") << "a replacement adds nothing to the counts";

    SetPane(f.Dic, { "ёж?", "ёлка" });
    SetPane(f.Word, { "ёж" });
    f.Editor.AddToDic1Click(); // Cancel
    EXPECT_EQ(U(f.Ui.Questions.at(1)), "Изменить \"ёж?\" на \"ёж\" ?");
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "ёж?", "ёлка" }));
    EXPECT_EQ(PaneUtf8(f.Word), (Lines { "ёж" }));
}

TEST(AddToDic, BadWordOnlyFindsThePlace)
{
    TEditorFixture f;
    SetPane(f.Dic, { "ёж", "ёлка", "ёрш" });
    SetPane(f.Word, { "ёЛочка" });
    f.Editor.AddToDic1Click();
    EXPECT_EQ(f.Status(), "Ошибка: неверный регистр");
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "ёж", "ёлка", "ёрш" }));
    EXPECT_EQ(PaneUtf8(f.Word), (Lines { "ёЛочка" }));
    EXPECT_EQ(f.Dic.SelStart(), f.Dic.LineStart(2));
    EXPECT_EQ(f.Dic.SelLength(), 0);

    // Finding a known word selects it; the status text comes back.
    f.Ui.SetStatusText(W("прежде"));
    SetPane(f.Word, { "ЁЛКА" });
    f.Editor.FindInDic1Click();
    EXPECT_EQ(f.Dic.SelStart(), f.Dic.LineStart(1));
    EXPECT_EQ(f.Dic.SelLength(), 4);
    EXPECT_EQ(f.Status(), "прежде");
    EXPECT_TRUE(f.Ui.Questions.empty());
}

TEST(AddToDic, UnwritableLogStopsBeforeAnyChange)
{
    TEditorFixture f;
    std::filesystem::create_directory(f.Path("insert.log"));
    f.Editor.SetInsertLog(true);
    SetPane(f.Dic, { "ёж" });
    SetPane(f.Word, { "ёлка" });
    f.Editor.AddToDic1Click();
    ASSERT_EQ(f.Ui.Errors.size(), 1u);
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "ёж" }));
    EXPECT_EQ(PaneUtf8(f.Word), (Lines { "ёлка" }));

    f.Editor.DelFromDic1Click(TPane::Dic);
    EXPECT_EQ(f.Ui.Errors.size(), 2u);
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "ёж" }));
}

// --- case and deleting ----------------------------------------------------------------

TEST(EditLines, CaseCommandsAndDeletingWithTheLog)
{
    TEditorFixture f;
    SetPane(f.Dic, { "ёж", "ЁЖИК", "ёлка" });
    SetPane(f.Word, { "ёлка", "" });
    f.Dic.Select(f.Dic.LineStart(1) + 2, 0);
    f.Editor.Lower1Click(TPane::Dic);
    EXPECT_EQ(PaneUtf8(f.Dic)[1], "ёжик");
    EXPECT_EQ(f.Dic.SelStart(), f.Dic.LineStart(1) + 2);
    EXPECT_EQ(f.Dic.CharColour(f.Dic.LineStart(1) + 3), ColourRed);
    EXPECT_EQ(Log(f), "") << "the log is off";

    f.Editor.InsertLog1Click();
    f.Dic.Select(f.Dic.LineStart(2), 0);
    f.Editor.Upper1Click(TPane::Dic);
    f.Editor.Upper1Click(TPane::Dic); // the same text again: no record
    EXPECT_EQ(PaneUtf8(f.Dic)[2], "Ёлка");
    f.Editor.Upper1Click(TPane::Word);
    EXPECT_EQ(PaneUtf8(f.Word), (Lines { "Ёлка", "" }));
    f.Word.Select(f.Word.LineStart(1), 0);
    f.Editor.Upper1Click(TPane::Word); // an empty line stays
    EXPECT_EQ(PaneUtf8(f.Word), (Lines { "Ёлка", "" }));
    EXPECT_EQ(Log(f), "Ёлка\tёлка\r\n");

    // Deleting from the dictionary is always logged, from the word pane never.
    f.Editor.InsertLog1Click();
    f.Dic.Select(0, 0);
    f.Editor.DelFromDic1Click(TPane::Dic);
    f.Word.Select(0, 0);
    f.Editor.DelFromDic1Click(TPane::Word);
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "ёжик", "Ёлка" }));
    EXPECT_EQ(f.Word.Text(), "") << "the empty last line went with the break before it";
    EXPECT_EQ(Log(f), "Ёлка\tёлка\r\n-\tёж\r\n");
    EXPECT_TRUE(f.Editor.Modified());
}

// --- opening, saving, closing ---------------------------------------------------------

TEST(DicFiles, OpeningNamesTheFileAndChecksTheOrder)
{
    TEditorFixture f;
    const std::string path = f.WriteDic("tildo.dat", { "# словарь", "ёлка", "ёж", "*съёмка" });
    f.Ui.OpenFileAnswers.push_back(path);
    f.Editor.Open1Click();
    EXPECT_EQ(f.Ui.FileChoices.at(0).Directory, f.Dir.Path());
    EXPECT_EQ(f.Ui.FileChoices.at(0).Filter, "Словарь|*.dat");
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "# словарь", "ёлка", "ёж", "*съёмка" }));
    EXPECT_EQ(U(f.Ui.WindowCaption), "tildo.dat");
    EXPECT_EQ(f.Ui.ErrorsUtf8(), (Lines { "Порядок слов в словаре нарушен словом \"ёж\"" }));
    EXPECT_EQ(f.Editor.FirstOrderBreak, 2);
    EXPECT_EQ(f.Dic.SelStart(), f.Dic.LineStart(2));
    EXPECT_EQ(f.Dic.SelLength(), 2);
    EXPECT_EQ(f.Status(), "Словоформ/сочетаний: 2, правил: 1");
    EXPECT_FALSE(f.Editor.Modified());
    EXPECT_FALSE(f.Editor.IsCombiWords());

    // Elsewhere: the full path; a combination text switches the mode on.
    TTempDir other;
    const std::string combi = other.Write("combi.dat", DicFileBytes(Ws({ "\\0 лет", "всё-таки", "о чём" })));
    f.Editor.OpenDic(combi);
    EXPECT_EQ(f.Ui.WindowCaption, combi);
    EXPECT_TRUE(f.Editor.IsCombiWords());

    // A missing file is passed over in silence; one that cannot be read is
    // reported and the pane keeps its text.
    f.Editor.OpenDic(f.Path("missing.dat"));
    EXPECT_EQ(f.Ui.WindowCaption, combi);
    EXPECT_EQ(f.Ui.Errors.size(), 1u);
    std::filesystem::create_directory(f.Path("folder.dat"));
    f.Editor.OpenDic(f.Path("folder.dat"));
    EXPECT_EQ(f.Ui.Errors.size(), 2u);
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "\\0 лет", "всё-таки", "о чём" }));
    EXPECT_EQ(f.Ui.WindowCaption, combi);

    f.Editor.Selectall1Click(TPane::Dic);
    EXPECT_EQ(f.Dic.SelLength(), f.Dic.Length());
}

TEST(DicFiles, UnsavedEditsAreOnlyLostWithConsent)
{
    TEditorFixture f;
    OpenDictionary(f, { "ёж" });
    f.Editor.DicEditorChange(TPane::Dic);
    EXPECT_EQ(U(f.Ui.WindowCaption), "tildo.dat *");
    const std::string other = f.WriteDic("other.dat", { "ёлка" });
    f.Editor.OpenDic(other); // No
    EXPECT_EQ(U(f.Ui.Questions.back()), "Результаты редактирования будут потеряны. Продолжить операцию?");
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "ёж" }));
    EXPECT_FALSE(f.Editor.FormCloseQuery());
    f.Ui.YesNoAnswers = { true };
    f.Editor.OpenDic(other);
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "ёлка" }));
    EXPECT_EQ(U(f.Ui.WindowCaption), "other.dat");
    EXPECT_TRUE(f.Editor.FormCloseQuery());
}

TEST(DicFiles, SavingTheCurrentDictionaryOffersToReloadIt)
{
    TEditorFixture f;
    f.CurrentDic = f.WriteDic("tildo.dat", { "ёж", "ёлка" });
    f.CurrentCombi = f.WriteDic("combi.dat", { "о чём" });
    f.Editor.FormShow();
    f.Editor.OpenCurrDic1Click();
    SetPane(f.Word, { "ёрш" });
    f.Editor.AddToDic1Click();

    f.Ui.SaveFileAnswers.push_back(f.CurrentDic);
    f.Ui.YesNoAnswers = { true }; // overwrite
    f.Editor.Save1Click();
    EXPECT_EQ(f.Ui.FileChoices.back().Directory, f.Dir.Path());
    EXPECT_EQ(f.Ui.FileChoices.back().FileName, "tildo.dat");
    EXPECT_EQ(U(f.Ui.Questions.back()), "Файл " + f.CurrentDic + " существует. Переписать?");
    EXPECT_EQ(U(ReadWholeFile(f.CurrentDic)), "ёж\r\nёлка\r\nёрш\r\n");
    EXPECT_EQ(f.Ui.WindowCaption, f.CurrentDic);
    EXPECT_FALSE(f.Editor.Modified());
    EXPECT_TRUE(f.Editor.MainDicEdited);
    EXPECT_FALSE(f.Editor.CombiDicEdited);

    // Saving the combination file unchanged sets nothing.
    f.Editor.OpenCurrCombiDic1Click();
    f.Ui.SaveFileAnswers.push_back(f.CurrentCombi);
    f.Ui.YesNoAnswers = { true };
    f.Editor.Save1Click();
    EXPECT_FALSE(f.Editor.CombiDicEdited);
    EXPECT_EQ(f.Ui.FileChoices.back().Directory, f.Dir.Path());

    const std::size_t asked = f.Ui.Questions.size();
    f.Ui.YesNoAnswers = { true };
    ASSERT_TRUE(f.Editor.FormCloseQuery());
    f.Editor.FormClose();
    ASSERT_EQ(f.Ui.Questions.size(), asked + 1);
    EXPECT_EQ(U(f.Ui.Questions.back()), "Вы отредактировали текущий словарь. Использовать его сейчас?");
    EXPECT_EQ(f.DicReloads, 1);
    EXPECT_EQ(f.CombiReloads, 0);
    EXPECT_EQ(f.Dic.Length(), 0);
    EXPECT_EQ(f.Ui.WindowCaption, ""); // no file's name over the empty pane
    EXPECT_EQ(PaneUtf8(f.Word), Lines {}) << "the word went into the dictionary";

    // Showing again forgets the flags.
    f.Editor.FormShow();
    EXPECT_FALSE(f.Editor.MainDicEdited);
    f.Editor.FormClose();
    EXPECT_EQ(f.Ui.Questions.size(), asked + 1);
}

TEST(DicFiles, EditedCombinationDictionaryAsksItsOwnQuestion)
{
    TEditorFixture f;
    f.CurrentCombi = f.WriteDic("combi.dat", { "о чём" });
    f.Editor.OpenCurrCombiDic1Click();
    f.Editor.DicEditorChange(TPane::Dic);
    f.Ui.SaveFileAnswers.push_back(f.CurrentCombi);
    f.Ui.YesNoAnswers = { true, false };
    f.Editor.Save1Click();
    EXPECT_TRUE(f.Editor.CombiDicEdited);
    f.Editor.FormClose();
    EXPECT_EQ(U(f.Ui.Questions.back()), "Вы отредактировали текущий СС. Использовать его сейчас?");
    EXPECT_EQ(f.CombiReloads, 0);

    // A cancelled save dialog and a refused overwrite write nothing.
    TEditorFixture g;
    SetPane(g.Dic, { "ёж" });
    g.Editor.Save1Click();
    const std::string path = g.WriteDic("x.dat", { "старое" });
    g.Ui.SaveFileAnswers.push_back(path);
    g.Editor.Save1Click();
    EXPECT_EQ(U(ReadWholeFile(path)), "старое\r\n");
}

// --- command states and layout -------------------------------------------------------------

TEST(Commands, UpdateCommandsFollowsThePanesInItsOrder)
{
    TEditorFixture f;
    f.Editor.UpdateCommands(TPane::None);
    for (const TCommand command :
        { TCommand::Save1, TCommand::Sort1, TCommand::CheckDic1, TCommand::AddToDic1, TCommand::Morph1,
            TCommand::SweepWordEditor1, TCommand::OpenCurrDic1, TCommand::OpenCurrCombiDic1 })
        EXPECT_FALSE(f.Ui.IsCommandEnabled(command)) << CommandName(command);

    SetPane(f.Dic, { "ёж" });
    f.CurrentDic = "/somewhere/tildo.dat";
    f.Editor.UpdateCommands(TPane::Dic);
    EXPECT_TRUE(f.Ui.IsCommandEnabled("Save1"));
    EXPECT_TRUE(f.Ui.IsCommandEnabled("Upper1"));
    EXPECT_TRUE(f.Ui.IsCommandEnabled("Copy1"));
    EXPECT_FALSE(f.Ui.IsCommandEnabled("Lower1")) << "the word pane decides last";
    EXPECT_FALSE(f.Ui.IsCommandEnabled("FindInDic1")) << "the word pane decides last";
    EXPECT_TRUE(f.Ui.IsCommandEnabled("OpenCurrDic1"));
    EXPECT_FALSE(f.Ui.IsCommandEnabled("OpenCurrCombiDic1"));

    SetPane(f.Word, { "ёлка" });
    f.Editor.UpdateCommands(TPane::Word);
    EXPECT_TRUE(f.Ui.IsCommandEnabled("AddToDic1"));
    EXPECT_TRUE(f.Ui.IsCommandEnabled("Lower1"));
    EXPECT_TRUE(f.Ui.IsCommandEnabled("FindInDic1"));
    EXPECT_FALSE(f.Ui.IsCommandEnabled("Morph1")) << "no rules file";
    f.Morphs.MorphsLoaded = true;
    f.Editor.FormShow();
    EXPECT_TRUE(f.Ui.IsCommandEnabled("Morph1"));
}

TEST(Commands, OptionsAndSplitLayout)
{
    TEditorFixture f;
    EXPECT_EQ(f.Editor.GetSplitSize(), 90);
    EXPECT_FALSE(f.Editor.IsSplitVert());
    f.Editor.SplitVert1Click();
    EXPECT_TRUE(f.Ui.IsCommandChecked("SplitVert1"));
    f.Editor.SetSplitSize(240);
    EXPECT_EQ(f.Editor.GetSplitSize(), 240);
    f.Editor.SetSplitVert(false);
    EXPECT_FALSE(f.Editor.IsSplitVert());
    f.Editor.InsertLog1Click();
    EXPECT_TRUE(f.Ui.IsCommandChecked("InsertLog1"));

    // The status helpers.
    f.Ui.SetStatusText(W("раньше"));
    f.Editor.BeginWait();
    EXPECT_EQ(f.Status(), "Подождите...");
    f.Editor.RestoreStatus();
    EXPECT_EQ(f.Status(), "раньше");
    f.Editor.AppendWord(W("ёж"));
    f.Editor.AppendWord(W("ёлка"));
    EXPECT_EQ(PaneUtf8(f.Word), (Lines { "ёж", "ёлка" }));
}

} // namespace
} // namespace tildo::test
