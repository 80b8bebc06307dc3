#include "engine_fixture.h"

#include "engine/question_collector.h"
#include "engine/word_context.h"

#include <utility>
#include <vector>

namespace tildo::test {
namespace {

template <class T> std::vector<int> Values(const TValueList<T>& list)
{
    std::vector<int> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list[i]);
    return out;
}

// Answers with the proposed answer and notes where each asked word was.
struct TDefaultAsker : Asker
{
    const TextDocument& Doc;
    std::vector<std::pair<int, TQuestion>> Asked;
    explicit TDefaultAsker(const TextDocument& doc)
        : Doc(doc)
    {
    }
    TAnswer Ask(const TQuestion& q) override
    {
        Asked.emplace_back(Doc.SelStart(), q);
        return q.DefaultDotted ? TAnswer::Dotted : TAnswer::Plain;
    }
};

struct QuestionCollector : TEngineFixture
{
    // A text with asked words on several lines, an undisputed word, a rule's
    // word, a standing choice and a misplaced ё.
    void Prepare()
    {
        Dictionary({ "всё?", "ещё", "нём?", "тёмн*?", "черёд" });
        Text("Ещё все здесь.\nО нем и о тёмном деле все\nдумали, всё черед; ёще темные очередь.\n");
        Option("ProposeLast1");
        Option("CheckYo1");
        Option("Mark1");
    }
    std::vector<TCollectedQuestion> Collect()
    {
        TQuestionCollector collector(dic, combi, window, limits);
        return collector.Collect(doc, ui);
    }
};

TEST_F(QuestionCollector, ChangesNothingAndFindsWhatAPassWithProposedAnswersAsks)
{
    Prepare();
    const std::string before = doc.Text();
    const int changes = doc.ChangeCount;
    const std::vector<int> last = Values(dic.FormLastAnswer);
    const std::vector<int> met = Values(dic.FormMetPlain);
    const std::vector<TCollectedQuestion> found = Collect();
    EXPECT_EQ(doc.Text(), before);
    EXPECT_EQ(doc.ChangeCount, changes);
    EXPECT_EQ(Values(dic.FormLastAnswer), last);
    EXPECT_EQ(Values(dic.FormMetPlain), met);
    EXPECT_EQ(engine.Counters().NewDottedCount, 0);
    EXPECT_TRUE(asker.Questions.empty());

    MemoryDocument twin;
    twin.SetText(before);
    TDefaultAsker answering(twin);
    TYoficator pass(twin, ui, answering, dic, combi, window, limits);
    pass.DoYoficate(0, 1);
    ASSERT_EQ(found.size(), answering.Asked.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        const TCollectedQuestion& q = found[i];
        const TQuestion& asked = answering.Asked[i].second;
        EXPECT_TRUE(q.Asked());
        EXPECT_EQ(q.Position, answering.Asked[i].first);
        EXPECT_EQ(before.substr(static_cast<std::size_t>(q.Position), q.Word.size()), q.Word);
        EXPECT_EQ(q.Question.PlainForm, asked.PlainForm);
        EXPECT_EQ(q.Question.DottedForm, asked.DottedForm);
        EXPECT_EQ(q.Question.DefaultDotted, asked.DefaultDotted) << i;
        EXPECT_EQ(q.Question.Caption, asked.Caption);
        EXPECT_EQ(q.Word.substr(0),
            q.Question.Context.substr(static_cast<std::size_t>(q.Question.WordOffset),
                static_cast<std::size_t>(q.Question.WordLength)));
    }
    // The proposed е of the first все, taken as its answer, is proposed again
    // for a всё further on.
    ASSERT_EQ(found.size(), 7u);
    EXPECT_EQ(U(found[4].Word), "всё");
    EXPECT_FALSE(found[4].Question.DefaultDotted);
    EXPECT_EQ(found[1].Line, 1);
    EXPECT_EQ(found[1].Column, 3);
    EXPECT_EQ(U(found[1].Word), "нем");
    EXPECT_EQ(U(found[5].Question.Caption), "Странное расположение \"Ё\"");
}

TEST_F(QuestionCollector, StandingChoicesAndCombinationsAreListedAsSettled)
{
    Dictionary({ "всё?", "нём?" });
    Combinations({ "о нем" });
    Text("Думали о нем все.");
    dic.FormAlways.Set(FormIndex("всё"), 2);
    const std::vector<TCollectedQuestion> found = Collect();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].SettledBy, TSettledBy::Combination);
    EXPECT_FALSE(found[0].Question.DefaultDotted);
    EXPECT_EQ(found[1].SettledBy, TSettledBy::Standing);
    EXPECT_EQ(U(found[1].Question.DottedForm), "всё");
    EXPECT_TRUE(found[1].Question.DefaultDotted);
    EXPECT_EQ(combi.UseCounts[0], 0);
    // A pass asks about neither.
    Pass();
    EXPECT_TRUE(asker.Questions.empty());
    EXPECT_EQ(Result(), "Думали о нем всё.");
}

TEST_F(QuestionCollector, DecisionsByPositionEqualAPassAnsweredTheSameWay)
{
    Prepare();
    const std::string text = doc.Text();
    const std::vector<TCollectedQuestion> found = Collect();
    std::map<int, TAnswer> decisions;
    std::vector<TAnswer> inOrder;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const TAnswer a = i % 2 == 0 ? TAnswer::Dotted : TAnswer::Plain;
        decisions[found[i].Position] = a;
        inOrder.push_back(a);
    }
    TRecordingUi otherUi;
    otherUi.Checked = ui.Checked;
    MemoryDocument twin;
    twin.SetText(text);
    TDecisionAsker decided(doc, decisions);
    TYoficator applying(doc, ui, decided, dic, combi, window, limits);
    applying.DoYoficate(0, 1);

    TDic dic2;
    std::swap(dic2, dic);
    Dictionary({ "всё?", "ещё", "нём?", "тёмн*?", "черёд" });
    asker.Answers.assign(inOrder.begin(), inOrder.end());
    TYoficator answered(twin, otherUi, asker, dic, combi, window, limits);
    answered.DoYoficate(0, 1);

    EXPECT_EQ(doc.Text(), twin.Text());
    EXPECT_NE(doc.Text(), text);
    for (int i = 0; i < twin.Length(); ++i)
        EXPECT_EQ(doc.CharColour(i), twin.CharColour(i)) << i;
    const TRunCounters& a = applying.Counters();
    const TRunCounters& b = answered.Counters();
    EXPECT_EQ(a.NewDottedCount, b.NewDottedCount);
    EXPECT_EQ(a.NewPlainCount, b.NewPlainCount);
    EXPECT_EQ(a.AskedDottedCount, b.AskedDottedCount);
    EXPECT_EQ(a.AskedPlainCount, b.AskedPlainCount);
    EXPECT_GT(a.AskedDottedCount + a.AskedPlainCount, 0);
    EXPECT_EQ(decided.AnsweredCount(), static_cast<int>(found.size()));
    EXPECT_EQ(decided.KeptCount(), 0);
    EXPECT_EQ(Values(dic.FormLastAnswer), Values(dic2.FormLastAnswer));

    // Without a decision the word stays as written.
    Text("все и всё");
    TDecisionAsker none(doc, {});
    TYoficator keeping(doc, ui, none, dic, combi, window, limits);
    keeping.DoYoficate(0, 1);
    EXPECT_EQ(Result(), "все и всё");
    EXPECT_EQ(none.KeptCount(), 2);
}

TEST(WordContext, CutsAtWordBoundariesAndShowsLineBreaksAsSpaces)
{
    const std::string text = W("Мы думали, что все хорошо\nи ничего не случится.");
    const int at = static_cast<int>(W("Мы думали, что ").size());
    TWordContext c = WordContext(text, at, 3, 8);
    EXPECT_EQ(U(c.Context.Text), "что все хорошо");
    EXPECT_EQ(U(c.Context.Text.substr(static_cast<std::size_t>(c.Context.Offset), 3)), "все");
    EXPECT_TRUE(c.CutBefore);
    EXPECT_TRUE(c.CutAfter);
    // The comma after a dropped word goes with it; a line break reads as a space.
    c = WordContext(text, at, 3, 11);
    EXPECT_EQ(U(c.Context.Text), "что все хорошо и");
    // The whole text fits: no cut.
    c = WordContext(text, at, 3, 100);
    EXPECT_EQ(c.Context.Text.size(), text.size());
    EXPECT_FALSE(c.CutBefore || c.CutAfter);
    EXPECT_EQ(c.Context.Offset, at);

    // A pass's context at full width on both sides loses its broken edge words.
    TContext pass { W("ли, что все хорошо н"), 8, 3 };
    const TWordContext whole = WholeWords(pass, 8);
    EXPECT_EQ(U(whole.Context.Text), "что все хорошо");
    EXPECT_EQ(whole.Context.Offset, 4);
    // Short of full width it reached the text's edge and keeps everything.
    EXPECT_EQ(U(WholeWords(TContext { W("что все хорош"), 4, 3 }, 8).Context.Text), "что все хорош");
}

} // namespace
} // namespace tildo::test
