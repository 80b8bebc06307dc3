#include "engine_fixture.h"

namespace tildo::test {
namespace {

// What one pass over a single word did.
struct TOutcome
{
    std::string Text; // UTF-8
    bool Asked = false;
    std::string Caption; // UTF-8
    bool DefaultDotted = false;
    bool AlwaysEnabled = false;
    std::string Plain; // the е button
    std::string Dotted; // the ё button
};

struct WordDecision : TEngineFixture
{
    void SetUp() override
    {
        Dictionary({ "всё?", "ещё", "трёхведёрный" });
        Option("CheckYo1");
        asker.WhenEmpty = TAnswer::Plain;
    }

    TOutcome Decide(const char* word, TAnswer answer = TAnswer::Plain)
    {
        Text(word);
        asker.Questions.clear();
        Answers({ answer });
        Pass();
        asker.Answers.clear();
        TOutcome o;
        o.Text = Result();
        o.Asked = !asker.Questions.empty();
        if (o.Asked) {
            const TQuestion& q = asker.Questions.back();
            o.Caption = U(q.Caption);
            o.DefaultDotted = q.DefaultDotted;
            o.AlwaysEnabled = q.AlwaysPlainEnabled && q.AlwaysDottedEnabled;
            o.Plain = U(q.PlainForm);
            o.Dotted = U(q.DottedForm);
        }
        return o;
    }
    void Always(const char* form, int choice)
    {
        dic.FormAlways.Set(FormIndex(form), static_cast<std::int8_t>(choice));
    }
};

const char* const Plain = "Выберите верный вариант";
const char* const Missing = "Вероятно, здесь должна быть \"Ё\"";
const char* const Needless = "Вероятно, здесь должна быть \"Е\"";
const char* const Strange = "Странное расположение \"Ё\"";

TEST_F(WordDecision, WordsWithoutDottedE)
{
    // Not in the dictionary: left alone whatever the options.
    Option("AlwaysAsk1");
    EXPECT_FALSE(Decide("дед").Asked);
    EXPECT_EQ(Decide("дед").Text, "дед");
    Option("AlwaysAsk1", false);

    // Fixed ё word.
    TOutcome o = Decide("Еще");
    EXPECT_EQ(o.Text, "Ещё");
    EXPECT_FALSE(o.Asked);
    EXPECT_EQ(Decide("ЕЩЕ").Text, "ЕЩЁ");
    Option("VarOnly1");
    EXPECT_EQ(Decide("еще").Text, "еще");
    Option("AlwaysAsk1");
    EXPECT_EQ(Decide("еще").Text, "еще"); // VarOnly wins over AlwaysAsk
    EXPECT_FALSE(asker.Questions.size());
    Option("VarOnly1", false);
    o = Decide("еще", TAnswer::Dotted);
    EXPECT_TRUE(o.Asked);
    EXPECT_EQ(o.Caption, Missing);
    EXPECT_FALSE(o.DefaultDotted);
    EXPECT_TRUE(o.AlwaysEnabled);
    EXPECT_EQ(o.Text, "ещё");
    Option("AlwaysAsk1", false);

    // Fixed word with a standing choice of е.
    Always("ещё", 1);
    o = Decide("еще");
    EXPECT_FALSE(o.Asked);
    EXPECT_EQ(o.Text, "еще");
    Option("AlwaysAsk1");
    o = Decide("еще");
    EXPECT_TRUE(o.Asked);
    EXPECT_EQ(o.Caption, Plain);
    EXPECT_FALSE(o.DefaultDotted);
    Option("AlwaysAsk1", false);
    Always("ещё", 0);

    // Variant.
    Option("NoVarOnly1");
    EXPECT_FALSE(Decide("все").Asked);
    EXPECT_EQ(Decide("все").Text, "все");
    Option("NoVarOnly1", false);
    o = Decide("Все", TAnswer::Dotted);
    EXPECT_TRUE(o.Asked);
    EXPECT_EQ(o.Caption, Plain);
    EXPECT_FALSE(o.DefaultDotted);
    EXPECT_EQ(o.Plain, "Все");
    EXPECT_EQ(o.Dotted, "Всё");
    EXPECT_EQ(o.Text, "Всё");
}

TEST_F(WordDecision, WordsWithDottedEWhereTheDictionaryHasIt)
{
    TOutcome o = Decide("ещё");
    EXPECT_FALSE(o.Asked);
    EXPECT_EQ(o.Text, "ещё");
    Option("AlwaysAsk1");
    o = Decide("ещё");
    EXPECT_TRUE(o.Asked);
    EXPECT_EQ(o.Caption, Plain);
    EXPECT_TRUE(o.DefaultDotted);
    EXPECT_EQ(o.Text, "еще"); // answered е
    Option("VarOnly1");
    EXPECT_FALSE(Decide("ещё").Asked);
    Option("VarOnly1", false);
    Option("AlwaysAsk1", false);

    // Standing choice е: the ё goes without a question, or is asked with ё proposed.
    Always("ещё", 1);
    o = Decide("ещё");
    EXPECT_FALSE(o.Asked);
    EXPECT_EQ(o.Text, "еще");
    Option("AlwaysAsk1");
    o = Decide("ещё", TAnswer::Dotted);
    EXPECT_TRUE(o.Asked);
    EXPECT_TRUE(o.DefaultDotted);
    EXPECT_EQ(o.Text, "ещё");
    Option("AlwaysAsk1", false);

    // Variant.
    Option("NoVarOnly1");
    EXPECT_FALSE(Decide("всё").Asked);
    Option("NoVarOnly1", false);
    o = Decide("всё", TAnswer::Dotted);
    EXPECT_TRUE(o.Asked);
    EXPECT_EQ(o.Caption, Plain);
    EXPECT_TRUE(o.DefaultDotted);
    EXPECT_EQ(o.Text, "всё");
}

TEST_F(WordDecision, WordsWhoseDottedEDisagreesWithTheDictionary)
{
    // ё elsewhere than in the dictionary: the е button offers the dictionary's placement.
    TOutcome o = Decide("Трехвёдерный");
    EXPECT_TRUE(o.Asked);
    EXPECT_EQ(o.Caption, Strange);
    EXPECT_FALSE(o.DefaultDotted);
    EXPECT_FALSE(o.AlwaysEnabled);
    EXPECT_EQ(o.Plain, "Трёхведёрный");
    EXPECT_EQ(o.Dotted, "Трехвёдерный");
    EXPECT_EQ(o.Text, "Трёхведёрный");
    ASSERT_FALSE(asker.Questions.empty());
    EXPECT_TRUE(asker.Questions.back().DottedMisplaced);
    EXPECT_EQ(asker.Questions.back().CaptionColour, ColourRed);

    // ё in a word the dictionary does not know.
    o = Decide("ёлка");
    EXPECT_TRUE(o.Asked);
    EXPECT_EQ(o.Caption, Needless);
    EXPECT_FALSE(o.DefaultDotted);
    EXPECT_FALSE(o.AlwaysEnabled);
    EXPECT_EQ(o.Plain, "елка");
    EXPECT_EQ(o.Dotted, "ёлка");
    EXPECT_EQ(o.Text, "елка");

    // Only undisputed replacements: both are left alone.
    Option("NoVarOnly1");
    EXPECT_FALSE(Decide("ёлка").Asked);
    EXPECT_FALSE(Decide("Трехвёдерный").Asked);
    EXPECT_EQ(Decide("Трехвёдерный").Text, "Трехвёдерный");
    // Only obligatory replacements still ask about them.
    Option("NoVarOnly1", false);
    Option("VarOnly1");
    EXPECT_TRUE(Decide("ёлка").Asked);
    // Without "Проверять расстановку ё" they are never looked at.
    Option("VarOnly1", false);
    Option("CheckYo1", false);
    EXPECT_FALSE(Decide("ёлка").Asked);
}

TEST_F(WordDecision, RulesAskWithoutStandingChoicesAndRememberTheirAnswer)
{
    Dictionary({ "полёт*?" });
    TOutcome o = Decide("полетами", TAnswer::Dotted);
    ASSERT_TRUE(o.Asked);
    EXPECT_FALSE(o.AlwaysEnabled);
    EXPECT_TRUE(asker.Questions.back().FromRule);
    EXPECT_EQ(o.Text, "полётами");
    EXPECT_EQ(dic.RuleLastAnswer[0], 2);
    // A standing-choice answer to a rule counts as a plain answer and sets nothing.
    Decide("полетами", TAnswer::AlwaysPlain);
    EXPECT_EQ(Result(), "полетами");
    EXPECT_EQ(dic.RuleLastAnswer[0], 1);
    for (int i = 0; i < dic.FormCount(); ++i)
        EXPECT_EQ(dic.FormAlways[i], 0);
}

TEST_F(WordDecision, ProposeLastOffersTheLastAnswer)
{
    Option("ProposeLast1");
    EXPECT_FALSE(Decide("все", TAnswer::Dotted).DefaultDotted);
    EXPECT_EQ(dic.FormLastAnswer[FormIndex("всё")], 2);
    EXPECT_TRUE(Decide("все", TAnswer::Plain).DefaultDotted);
    EXPECT_FALSE(Decide("все").DefaultDotted);
    // A fixed word asked because of AlwaysAsk proposes its ё.
    Option("AlwaysAsk1");
    EXPECT_TRUE(Decide("еще").DefaultDotted);
    // A doubtful ё always proposes е.
    EXPECT_FALSE(Decide("ёлка").DefaultDotted);
}

TEST_F(WordDecision, StandingChoiceDecidesLaterOccurrencesUntilCleared)
{
    Text("все все");
    Answers({ TAnswer::AlwaysDotted });
    Pass();
    EXPECT_EQ(Result(), "всё всё");
    EXPECT_EQ(asker.Questions.size(), 1u);
    EXPECT_TRUE(ui.Enabled["ClearUserSel1"]);
    EXPECT_EQ(dic.FormAlways[FormIndex("всё")], 2);
    // A later run still uses it.
    EXPECT_FALSE(Decide("Все").Asked);
    EXPECT_EQ(Result(), "Всё");
    // With every change confirmed it is asked, with ё proposed by the choice.
    Option("AlwaysAsk1");
    Option("ProposeLast1");
    TOutcome o = Decide("все");
    EXPECT_TRUE(o.Asked);
    EXPECT_TRUE(o.DefaultDotted);
}

TEST_F(WordDecision, CancelEndsThePassAndStoresNothing)
{
    Text("все еще все");
    Answers({ TAnswer::Cancel });
    Pass();
    EXPECT_EQ(Result(), "все еще все");
    EXPECT_TRUE(engine.Aborted());
    EXPECT_EQ(dic.FormLastAnswer[FormIndex("всё")], 0);
    EXPECT_EQ(asker.Questions.size(), 1u);
}

TEST_F(WordDecision, DoubtfulWordIsHighlightedOnlyWhileAsked)
{
    struct THighlightAsker : Asker
    {
        MemoryDocument* doc = nullptr;
        std::vector<TColour> seen;
        TAnswer Ask(const TQuestion&) override
        {
            seen.push_back(doc->CharBackground(doc->SelStart()));
            return TAnswer::Dotted;
        }
    } highlight;
    highlight.doc = &doc;
    TYoficator e { doc, ui, highlight, dic, combi, window, limits };
    Option("AlwaysAsk1");
    Text("все еще ёлка");
    e.DoYoficate(0, 1);
    ASSERT_EQ(highlight.seen.size(), 3u);
    EXPECT_EQ(highlight.seen[0], ColourWhite); // a plain variant
    EXPECT_EQ(highlight.seen[1], ColourAqua); // a missing ё
    EXPECT_EQ(highlight.seen[2], ColourAqua); // a needless ё
    for (int i = 0; i < doc.Length(); ++i)
        EXPECT_EQ(doc.CharBackground(i), ColourWhite) << i;
    EXPECT_EQ(doc.SelLength(), 0);
}

TEST_F(WordDecision, CombinationDecidesWithoutAQuestion)
{
    Combinations({ "все равно", "о чём" });
    Text("все равно; о чем");
    Pass();
    EXPECT_EQ(Result(), "все равно; о чем"); // чём is not in this dictionary
    EXPECT_TRUE(asker.Questions.empty());
    EXPECT_EQ(engine.Counters().CombiDecisionCount, 1);
    EXPECT_EQ(combi.UseCounts[0], 1);
    EXPECT_EQ(combi.UseCounts[1], 0);

    Dictionary({ "чём?" });
    Pass();
    EXPECT_EQ(Result(), "все равно; о чём");
    EXPECT_EQ(combi.UseCounts[1], 1);

    // Without the analysis все is asked about again.
    Option("CombiWords1", false);
    Text("все равно");
    Answers({ TAnswer::Plain });
    Pass();
    EXPECT_EQ(asker.Questions.size(), 1u);
}

TEST_F(WordDecision, CandidatesOfTheWorkedExample)
{
    Combinations({ "о чём" });
    std::vector<std::string> seen;
    struct TCapturingAsker : Asker
    {
        TWordBuffer* window = nullptr;
        std::vector<std::string>* seen = nullptr;
        TAnswer Ask(const TQuestion&) override
        {
            if (seen->empty()) {
                for (int i = 0; i < window->Candidates.Count(); ++i)
                    seen->push_back(U(window->Candidates[i]));
            }
            return TAnswer::Plain;
        }
    } capturing;
    capturing.window = &window;
    capturing.seen = &seen;
    TYoficator e { doc, ui, capturing, dic, combi, window, limits };
    Text("Ну, все  равно, что, дом");
    e.DoYoficate(0, 1);
    const std::vector<std::string> expected = { "все", ", все", "все равно", ", все равно", "все равно,",
        ", все равно,", "все равно, что", ", все равно, что", "все равно, что,", ", все равно, что," };
    EXPECT_EQ(seen, expected);
}

TEST_F(WordDecision, OldestWordAloneNeverMatches)
{
    // AddCombination itself takes a one-word line (only the file loader refuses it).
    Combinations({ "всё" });
    Text("все");
    Answers({ TAnswer::Plain });
    Pass();
    EXPECT_EQ(asker.Questions.size(), 1u);
    EXPECT_EQ(combi.UseCounts[0], 0);
}

// "Решать по контексту": the shipped tag dictionary and rare list behind a
// judge that the pass reads the words around a variant with.
struct ContextDecision : TEngineFixture
{
    TTagDictionary tags;
    TRareYoList rare;
    std::unique_ptr<TContextJudge> judge;

    void SetUp() override
    {
        TRecordingUi loading;
        ASSERT_TRUE(tags.Load(std::string(TILDO_DATA_DIR) + "/tags.dat", loading));
        ASSERT_TRUE(rare.Load(std::string(TILDO_DATA_DIR) + "/rare_yo.dat", loading));
        judge = std::make_unique<TContextJudge>(tags, rare);
        engine.SetContextJudge(judge.get());
        Dictionary({ "всё?", "нём?", "маркёр?" });
        Option("Mark1");
        asker.WhenEmpty = TAnswer::Plain;
    }
    // The proposed answers of the questions asked, "е" or "ё" each.
    std::string Proposed() const
    {
        std::string out;
        for (const TQuestion& q : asker.Questions)
            out += q.DefaultDotted ? "ё" : "е";
        return out;
    }
};

TEST_F(ContextDecision, OffAsksEveryVariantAsBefore)
{
    Text("Вот это все. Он знал все. Я думаю о нем.");
    Pass();
    EXPECT_EQ(Result(), "Вот это все. Он знал все. Я думаю о нем.");
    ASSERT_EQ(asker.Questions.size(), 3u);
    EXPECT_EQ(Proposed(), "еее");
    for (const TQuestion& q : asker.Questions)
        EXPECT_EQ(q.ContextAnswer, TAnswer::None);
    EXPECT_EQ(engine.Counters().ContextDecisionCount, 0);
    EXPECT_EQ(Status().find("контексту"), std::string::npos);
}

TEST_F(ContextDecision, SureWordsAreDecidedMarkedAndCounted)
{
    Option("Context1");
    Text("Вот это все. Он знал все. Я думаю о нем.");
    Pass();
    // все after это and нём after о are settled; "Он знал все." stays a question.
    EXPECT_EQ(Result(), "Вот это всё. Он знал все. Я думаю о нём.");
    ASSERT_EQ(asker.Questions.size(), 1u);
    EXPECT_EQ(asker.Questions[0].ContextAnswer, TAnswer::None);
    EXPECT_EQ(engine.Counters().ContextDecisionCount, 2);
    EXPECT_EQ(engine.Counters().NewDottedCount, 2);
    EXPECT_EQ(engine.Counters().AskedDottedCount, 0);
    EXPECT_NE(Status().find("по контексту: 2"), std::string::npos) << Status();
    // Marked like any change, and nothing to take back: no question was asked.
    EXPECT_EQ(doc.CharColour(static_cast<int>(W("Вот это вс").size())), ColourBlue);
    EXPECT_FALSE(engine.UndoHistory().UndoAvailable());
    ASSERT_EQ(asker.ContextDecisions.size(), 2u);
    EXPECT_EQ(U(asker.ContextDecisions[0].Result), "всё");
    EXPECT_EQ(asker.ContextDecisions[0].Answer, TAnswer::Dotted);
    EXPECT_EQ(asker.ContextDecisions[0].Family, "all");
    EXPECT_EQ(U(asker.ContextDecisions[0].Evidence).rfind("«это всё»", 0), 0u);
    EXPECT_EQ(U(asker.ContextDecisions[1].Evidence), "предлог перед: о");

    // The rare list answers е without a question.
    Text("Возьми маркер.");
    Pass();
    EXPECT_EQ(Result(), "Возьми маркер.");
    EXPECT_EQ(asker.Questions.size(), 1u);
    EXPECT_EQ(engine.Counters().ContextDecisionCount, 3);
}

TEST_F(ContextDecision, WordsAfterTheVariantAreReadInBothScans)
{
    // The judge needs the verb after все; with and without the word window.
    Option("Context1");
    for (const bool combinations : { false, true }) {
        Option("CombiWords1", combinations);
        Text("Я все понял.\nМы все знаем.");
        asker.Questions.clear();
        Pass();
        EXPECT_EQ(Result(), "Я всё понял.\nМы все знаем.") << combinations;
        EXPECT_EQ(asker.Questions.size(), 1u) << combinations;
    }
    // A line break within a paragraph hides what follows: the judge says
    // nothing it would need the next line for.
    Option("CombiWords1", false);
    Text("Я все\nпонял.");
    asker.Questions.clear();
    Pass();
    EXPECT_EQ(Result(), "Я все\nпонял.");
    EXPECT_EQ(asker.Questions.size(), 1u);
}

// A person's answers to все questions lean the rest of the text like the
// judge's own sure answers; answers nobody chose teach nothing, and the next
// pass starts afresh.
TEST_F(ContextDecision, AnswersTeachTheTextsHabitOnlyWhenAPersonGivesThem)
{
    Option("Context1");
    std::string text;
    for (int i = 0; i < 9; ++i)
        text += "Он знал все. ";
    for (const bool learns : { false, true, true }) {
        engine.LearnsFromAnswers = learns;
        Text(text.c_str());
        asker.Questions.clear();
        asker.Answers.assign(9, TAnswer::Dotted);
        Pass();
        ASSERT_EQ(asker.Questions.size(), 9u) << learns;
        EXPECT_EQ(Proposed(), learns ? "ееееееееё" : "еееееееее") << learns;
    }
}

TEST_F(ContextDecision, QuestionsProposeTheJudgesAnswer)
{
    // Every change confirmed: the sure word is still asked, with the judge's
    // answer proposed over the last answer.
    Option("Context1");
    Option("AlwaysAsk1");
    Option("ProposeLast1");
    Text("Он знал все. Вот это все. Пришли они все.");
    Answers({ TAnswer::Plain, TAnswer::Plain, TAnswer::Plain });
    Pass();
    ASSERT_EQ(asker.Questions.size(), 3u);
    EXPECT_EQ(Proposed(), "еёе");
    EXPECT_EQ(asker.Questions[0].ContextAnswer, TAnswer::None);
    EXPECT_EQ(asker.Questions[1].ContextAnswer, TAnswer::Dotted);
    EXPECT_EQ(U(asker.Questions[1].ContextEvidence).rfind("«это всё»", 0), 0u);
    EXPECT_EQ(asker.Questions[1].ContextFamily, "all");
    EXPECT_EQ(asker.Questions[2].ContextAnswer, TAnswer::Plain);
    EXPECT_EQ(engine.Counters().ContextDecisionCount, 0);

    // A written ё that is checked is asked too, the judge's е proposed.
    Option("AlwaysAsk1", false);
    Option("CheckYo1");
    Text("Пришли они всё.");
    asker.Questions.clear();
    Answers({ TAnswer::Dotted });
    Pass();
    ASSERT_EQ(asker.Questions.size(), 1u);
    EXPECT_EQ(Proposed(), "е");
    EXPECT_EQ(Result(), "Пришли они всё.");

    // Where the judge only leans, the word is still asked, the likelier
    // spelling proposed with its evidence, and nothing decided.
    Option("CheckYo1", false);
    Text("Постарайся все запомнить.");
    asker.Questions.clear();
    Answers({ TAnswer::Plain });
    Pass();
    ASSERT_EQ(asker.Questions.size(), 1u);
    EXPECT_EQ(Proposed(), "ё");
    EXPECT_EQ(asker.Questions[0].ContextAnswer, TAnswer::Dotted);
    EXPECT_EQ(U(asker.Questions[0].ContextEvidence).rfind("вероятнее: инфинитив после", 0), 0u);
    EXPECT_EQ(Result(), "Постарайся все запомнить.");
    EXPECT_EQ(engine.Counters().ContextDecisionCount, 0);
}

TEST_F(ContextDecision, AutomaticModeAppliesSureDecisionsOnly)
{
    Option("NoVarOnly1");
    Text("Вот это все. Он знал все. Я думаю о нем.");
    Pass();
    EXPECT_EQ(Result(), "Вот это все. Он знал все. Я думаю о нем.");

    Option("Context1");
    Pass();
    EXPECT_EQ(Result(), "Вот это всё. Он знал все. Я думаю о нём.");
    EXPECT_TRUE(asker.Questions.empty());
    EXPECT_EQ(engine.Counters().ContextDecisionCount, 2);

    // Without a judge (its files could not be read) the option decides nothing.
    engine.SetContextJudge(nullptr);
    Text("Вот это все.");
    Pass();
    EXPECT_EQ(Result(), "Вот это все.");
}

} // namespace
} // namespace tildo::test
