#include "engine_fixture.h"

#include "engine/question.h"

namespace tildo::test {
namespace {

using Asking = TEngineFixture;

TEST(Context, NeighbourhoodOfTheSelectionWithLineBreaksAsSpaces)
{
    MemoryDocument doc;
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += static_cast<char>('a' + i % 26);
    text[30] = '\n';
    doc.SetText(text);
    doc.Select(5, 3);
    TContext c = GetContext(doc, 20);
    EXPECT_EQ(c.Text, text.substr(0, 29));
    EXPECT_EQ(c.Offset, 5);
    EXPECT_EQ(c.Length, 3);

    // Both sides clipped: N before, N + 1 after; the break at 30 reads as a space.
    doc.Select(40, 2);
    c = GetContext(doc, 20);
    std::string expected = text.substr(20, 43);
    expected[10] = ' ';
    EXPECT_EQ(c.Text, expected);
    EXPECT_EQ(c.Offset, 20);

    // At the end of the text.
    doc.Select(97, 3);
    c = GetContext(doc, 20);
    EXPECT_EQ(c.Text, text.substr(77));
    EXPECT_EQ(c.Offset, 20);

    MemoryDocument empty;
    EXPECT_EQ(GetContext(empty, 20).Text, "");
}

TEST(Context, CaptionFollowsTheFirstFlagThatHolds)
{
    TQuestion q;
    q.DottedMisplaced = q.DottedMismatch = true;
    ChooseCaption(q);
    EXPECT_EQ(U(q.Caption), "Странное расположение \"Ё\"");
    EXPECT_EQ(q.CaptionColour, ColourRed);
    q = {};
    q.DottedMissing = true;
    ChooseCaption(q);
    EXPECT_EQ(U(q.Caption), "Вероятно, здесь должна быть \"Ё\"");
    q = {};
    ChooseCaption(q);
    EXPECT_EQ(U(q.Caption), "Выберите верный вариант");
    EXPECT_EQ(q.CaptionColour, ColourNavy);
}

// A document that records where the view was scrolled to.
struct TScrollingDocument : MemoryDocument
{
    std::vector<int> scrolledTo;
    void ScrollToCaret() override { scrolledTo.push_back(SelStart()); }
};

TEST_F(Asking, WordIsShownWithLinesBelowItAndTheQuestionCarriesItsContext)
{
    TScrollingDocument scrolling;
    TYoficator e { scrolling, ui, asker, dic, combi, window, limits };
    Dictionary({ "всё?" });
    Option("FastScroll1");
    scrolling.SetText(W("а все\nб\nв\nг все"));
    Answers({ TAnswer::Plain, TAnswer::Plain });
    e.DoYoficate(0, 1);
    // Line 0: first the start of line 2, then the word; line 3 is the last: the word only.
    EXPECT_EQ(scrolling.scrolledTo, (std::vector<int> { 8, 2, 12 }));
    ASSERT_EQ(asker.Questions.size(), 2u);
    EXPECT_EQ(U(asker.Questions[0].Context), "а все б в г все");
    EXPECT_EQ(asker.Questions[0].WordOffset, 2);
    EXPECT_EQ(asker.Questions[0].WordLength, 3);
    EXPECT_EQ(U(asker.Questions[0].PlainForm), "все");
}

TEST_F(Asking, UndoCaptionNamesTheLastChange)
{
    Dictionary({ "всё?" });
    Text("все все");
    Answers({ TAnswer::Dotted, TAnswer::Plain });
    Pass();
    EXPECT_FALSE(asker.Questions[0].UndoEnabled);
    EXPECT_EQ(U(asker.Questions[0].UndoCaption), "Откат");
    EXPECT_TRUE(asker.Questions[1].UndoEnabled);
    EXPECT_EQ(U(ui.Caption("Undo1")), "Откат \"все -> всё\"");
    EXPECT_TRUE(ui.Enabled["Undo1"]);
    EXPECT_EQ(engine.UndoHistory().Count(), 1);

    // The next pass starts with an empty history.
    Answers({ TAnswer::Plain, TAnswer::Plain });
    Pass();
    EXPECT_EQ(U(ui.Caption("Undo1")), "Откат");
    EXPECT_FALSE(ui.Enabled["Undo1"]);
}

TEST_F(Asking, OneUndoTakesBackEveryLetterOfAnAnswerWithItsColour)
{
    Dictionary({ "трёхведёрный" });
    Option("AlwaysAsk1");
    Option("Mark1");
    Text("трехведерный");
    doc.Select(0, 12);
    doc.SetSelectionColour(Rgb(0, 128, 0));
    Answers({ TAnswer::Dotted });
    Pass();
    EXPECT_EQ(Result(), "трёхведёрный");
    EXPECT_EQ(doc.CharColour(2), ColourBlue);
    EXPECT_EQ(engine.UndoHistory().Count(), 2); // a record per letter

    EXPECT_EQ(engine.UndoLast(), TUndoHistory::TTakeBack::Restored);
    EXPECT_EQ(Result(), "трехведерный");
    EXPECT_EQ(doc.CharColour(2), Rgb(0, 128, 0));
    EXPECT_EQ(doc.CharColour(7), Rgb(0, 128, 0));
    EXPECT_EQ(doc.SelStart(), 0);
    EXPECT_EQ(doc.SelLength(), 0);
    EXPECT_FALSE(ui.Enabled["Undo1"]);
    EXPECT_EQ(U(ui.Caption("Undo1")), "Откат");
    EXPECT_EQ(engine.UndoLast(), TUndoHistory::TTakeBack::Nothing);
    // Undo touches neither the counters nor the stored answers.
    EXPECT_EQ(engine.Counters().NewDottedCount, 2);
    EXPECT_EQ(engine.Counters().AskedDottedCount, 2);
}

TEST_F(Asking, ReplacementsWithoutAQuestionAreNotRecorded)
{
    Dictionary({ "ещё" });
    Text("еще");
    Pass();
    EXPECT_EQ(engine.UndoHistory().Count(), 0);
    EXPECT_EQ(engine.Counters().AskedDottedCount, 0);
}

TEST_F(Asking, UndoAfterOtherEditsNeverWritesWhatItDidNotWrite)
{
    Dictionary({ "всё?" });
    Text("все дом все");
    Answers({ TAnswer::Dotted, TAnswer::Dotted });
    Pass();
    ASSERT_EQ(Result(), "всё дом всё");

    // The letter of the last record was typed over: the record goes, nothing is written.
    doc.Select(10, 1);
    doc.ReplaceSelection("x");
    EXPECT_EQ(engine.UndoLast(), TUndoHistory::TTakeBack::Stale);
    EXPECT_EQ(Result(), "всё дом всx");
    // The text was cut short: the first record's letter lies past its end.
    doc.SetText(W("вс"));
    EXPECT_EQ(engine.UndoLast(), TUndoHistory::TTakeBack::Stale);
    EXPECT_EQ(Result(), "вс");
    EXPECT_FALSE(ui.Enabled["Undo1"]);
}

TEST_F(Asking, ScriptedAnswersAreTakenBeforeTheAsker)
{
    TTestScript script;
    script.ScriptedTesting = true;
    script.TestAnswers.Add(1);
    script.TestAnswers.Add(0);
    engine.SetTestScript(&script);
    Dictionary({ "всё?" });
    Text("все все все");
    Answers({ TAnswer::Dotted });
    Pass();
    EXPECT_EQ(Result(), "всё все всё");
    EXPECT_EQ(script.NextAnswer, 2);
    EXPECT_EQ(asker.Questions.size(), 1u); // the third, after the script ran out
    script.ScriptedTesting = false;
    Answers({ TAnswer::Plain });
    Text("все");
    Pass();
    EXPECT_EQ(asker.Questions.size(), 2u);
    engine.SetTestScript(nullptr);
}

} // namespace
} // namespace tildo::test
