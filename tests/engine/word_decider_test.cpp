#include "engine/word_decider.h"
#include "support/recording_ui.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace tildo::test {
namespace {

const char* const Choose = "Выберите верный вариант";
const char* const Missing = "Вероятно, здесь должна быть \"Ё\"";
const char* const Needless = "Вероятно, здесь должна быть \"Е\"";
const char* const Strange = "Странное расположение \"Ё\"";

// What the dictionary has for the word: no entry, a word form or a rule, either
// possibly a variant.
enum class TEntry { None, Fixed, Variant, VariantRule };

// One case of the decision table. Words are UTF-8; Decided is the written word,
// "" when the word is left alone and "-" when the pass stops; Caption is
// nullptr when no question is asked.
struct TRow
{
    const char* Name;
    TPassOptions Options;
    TEntry Entry;
    const char* Form;
    const char* Word;
    TAnswer Standing;
    TAnswer Combination;
    TAnswer Answer;
    const char* Decided;
    const char* Caption;
    bool ProposesDotted = false;
    bool Collecting = false;
};

constexpr TAnswer No = TAnswer::None;
constexpr TAnswer E = TAnswer::Plain;
constexpr TAnswer Yo = TAnswer::Dotted;

const TRow Rows[] = {
    { "unknown word", {}, TEntry::None, "", "дед", No, No, E, "дед", nullptr },
    { "unknown word, every change confirmed", { .AlwaysAsk = true }, TEntry::None, "", "дед", No, No, E,
        "дед", nullptr },
    { "unknown word, obligatory only", { .VarOnly = true }, TEntry::None, "", "дед", No, No, E, "", nullptr },
    { "unknown word, combination ignored", {}, TEntry::None, "", "дед", No, Yo, E, "дед", nullptr },
    { "fixed word", {}, TEntry::Fixed, "ещё", "Еще", No, No, E, "Ещё", nullptr },
    { "fixed word, obligatory only", { .VarOnly = true }, TEntry::Fixed, "ещё", "еще", No, No, E, "",
        nullptr },
    { "obligatory only wins over confirming", { .VarOnly = true, .AlwaysAsk = true }, TEntry::Fixed, "ещё",
        "еще", No, No, E, "", nullptr },
    { "fixed word confirmed", { .AlwaysAsk = true }, TEntry::Fixed, "ещё", "еще", No, No, Yo, "ещё",
        Missing },
    { "fixed word, standing е", {}, TEntry::Fixed, "ещё", "еще", E, No, Yo, "еще", nullptr },
    { "fixed word, standing е confirmed", { .AlwaysAsk = true }, TEntry::Fixed, "ещё", "еще", E, No, E, "еще",
        Choose },
    { "fixed word, standing е proposed", { .ProposeLast = true, .AlwaysAsk = true }, TEntry::Fixed, "ещё",
        "еще", E, No, E, "еще", Choose, false },
    { "fixed word with its ё", {}, TEntry::Fixed, "ещё", "ещё", No, No, E, "ещё", nullptr },
    { "fixed word with its ё, standing е", {}, TEntry::Fixed, "ещё", "ещё", E, No, Yo, "еще", nullptr },
    { "fixed word with its ё confirmed", { .AlwaysAsk = true }, TEntry::Fixed, "ещё", "ещё", No, No, E, "еще",
        Choose, true },
    { "variant", {}, TEntry::Variant, "всё", "Все", No, No, Yo, "Всё", Choose },
    { "variant, undisputed only", { .NoVarOnly = true }, TEntry::Variant, "всё", "все", No, No, Yo, "",
        nullptr },
    { "variant, standing ё", {}, TEntry::Variant, "всё", "все", Yo, No, E, "всё", nullptr },
    { "variant cancelled", {}, TEntry::Variant, "всё", "все", No, No, TAnswer::Cancel, "-", Choose },
    { "variant undone", {}, TEntry::Variant, "всё", "все", No, No, TAnswer::Undo, "-", Choose },
    { "variant, no answer", {}, TEntry::Variant, "всё", "все", No, No, No, "-", Choose },
    { "variant, always ё", {}, TEntry::Variant, "всё", "все", No, No, TAnswer::AlwaysDotted, "всё", Choose },
    { "variant decided by a combination", {}, TEntry::Variant, "всё", "все", No, Yo, E, "всё", nullptr },
    { "combination over a standing choice", {}, TEntry::Variant, "всё", "все", Yo, E, Yo, "все", nullptr },
    { "combination confirmed", { .AlwaysAsk = true }, TEntry::Variant, "всё", "все", No, E, Yo, "всё",
        Choose },
    { "variant with its ё", {}, TEntry::Variant, "всё", "всё", No, No, Yo, "всё", Choose, true },
    { "variant rule", {}, TEntry::VariantRule, "полётами", "полетами", No, No, TAnswer::AlwaysPlain,
        "полетами", Choose },
    { "misplaced ё", {}, TEntry::Fixed, "трёхведёрный", "Трехвёдерный", No, No, E, "Трёхведёрный", Strange },
    { "misplaced ё kept", {}, TEntry::Fixed, "трёхведёрный", "Трехвёдерный", No, No, Yo, "Трехвёдерный",
        Strange },
    { "misplaced ё, undisputed only", { .NoVarOnly = true }, TEntry::Fixed, "трёхведёрный", "Трехвёдерный",
        No, No, E, "", nullptr },
    { "needless ё", {}, TEntry::None, "", "ёлка", No, No, E, "елка", Needless },
    { "needless ё, obligatory only", { .VarOnly = true }, TEntry::None, "", "ёлка", No, No, E, "елка",
        Needless },
    { "needless ё, undisputed only", { .NoVarOnly = true }, TEntry::None, "", "ёлка", No, No, E, "",
        nullptr },
    { "variant, standing ё confirmed", { .ProposeLast = true, .AlwaysAsk = true }, TEntry::Variant, "всё",
        "все", Yo, No, E, "все", Missing, true },
    { "collection: needless ё", {}, TEntry::None, "", "ёлка", No, No, E, "ёлка", nullptr, false, true },
    { "collection: fixed word", {}, TEntry::Fixed, "ещё", "еще", No, No, E, "", nullptr, false, true },
};

// Answers the one question a row may ask, and keeps it.
struct TRowPort final : TQuestionPort
{
    TAnswer Answer = TAnswer::None;
    std::optional<TQuestion> Asked;
    TContextVerdict Judged; // what the judge says when asked
    std::vector<std::pair<TJudgeFamily, TAnswer>> Noted; // answers handed back to it
    TAnswer Ask(TQuestion& question) override
    {
        Asked = question;
        return Answer;
    }
    TContextVerdict JudgeContext(std::string_view, std::string_view) override { return Judged; }
    void NoteAnswer(const TContextVerdict& verdict, TAnswer given) override
    {
        Noted.emplace_back(verdict.Family, given);
    }
};

struct WordDecider : ::testing::Test
{
    TRecordingUi ui;
    TBufferLimits limits;
    TDic dic;
    TCombiWordsDic combi { limits };
    TWordDecider decider { dic, combi, ui };
};

TEST_F(WordDecider, DecisionTable)
{
    for (const TRow& row : Rows) {
        SCOPED_TRACE(row.Name);
        const std::string word = W(row.Word);
        const std::string form = W(row.Form);
        TWordCase c;
        c.Word = word;
        c.Form = form;
        c.Kind = row.Entry == TEntry::None     ? TEntryKind::None
            : row.Entry == TEntry::VariantRule ? TEntryKind::Rule
                                               : TEntryKind::Form;
        c.Variant = row.Entry == TEntry::Variant || row.Entry == TEntry::VariantRule;
        c.Standing = row.Standing;
        c.Combination = row.Combination;
        TRowPort port;
        port.Answer = row.Answer;
        const TWordDecision d = decider.Decide(row.Options, row.Collecting, c, port);

        const std::string decided = row.Decided;
        TVerdict verdict = row.Collecting ? TVerdict::Collect : TVerdict::Write;
        if (decided.empty())
            verdict = TVerdict::Leave;
        else if (decided == "-")
            verdict = TVerdict::Stop;
        EXPECT_EQ(d.Verdict, verdict);
        if (d.Verdict == TVerdict::Write || d.Verdict == TVerdict::Collect) {
            EXPECT_EQ(U(d.Result), decided);
        }
        EXPECT_EQ(d.Asked, port.Asked.has_value());
        EXPECT_EQ(d.UndoRequested, row.Answer == TAnswer::Undo && d.Asked);
        EXPECT_EQ(d.ByCombination, row.Combination != No && row.Entry != TEntry::None);
        ASSERT_EQ(port.Asked.has_value(), row.Caption != nullptr);
        if (port.Asked) {
            EXPECT_EQ(U(port.Asked->Caption), row.Caption);
            EXPECT_EQ(port.Asked->DefaultDotted, row.ProposesDotted);
            const bool offered = (row.Entry == TEntry::Fixed || row.Entry == TEntry::Variant)
                && row.Caption != Strange && row.Caption != Needless;
            EXPECT_EQ(port.Asked->AlwaysPlainEnabled, offered);
            EXPECT_EQ(port.Asked->AlwaysDottedEnabled, offered);
        }
    }
    // No row names a recorded combination: each verdict of one is an internal error.
    EXPECT_EQ(ui.Errors.size(), 3u);
}

// An abbreviation or a short word in capitals gets the dictionary's ё only by
// a question; the user's standing choice and a ё the text writes still stand.
TEST_F(WordDecider, DisguisedWordIsAskedAboutUnlessTheUserDecided)
{
    const std::string form = W("пёр");
    const std::string capitals = W("ПЕР");
    const std::string lower = W("пер");
    TWordCase c;
    c.Kind = TEntryKind::Form;
    c.Form = form;
    c.Word = capitals;
    // Capitals in running text are a word of the sentence (ЕЩЕ РАЗ).
    TRowPort port;
    EXPECT_EQ(U(decider.Decide({ .NoVarOnly = true }, false, c, port).Result), "ПЁР");
    EXPECT_FALSE(port.Asked);
    c.StandsApart = true;
    port.Answer = TAnswer::Dotted;
    EXPECT_EQ(U(decider.Decide({}, false, c, port).Result), "ПЁР");
    ASSERT_TRUE(port.Asked);
    EXPECT_EQ(U(port.Asked->Caption), Choose);
    EXPECT_EQ(decider.Decide({ .NoVarOnly = true }, false, c, port).Verdict, TVerdict::Leave);
    // A combination's ё is asked about too.
    c.Combination = TAnswer::Dotted;
    port.Asked.reset();
    decider.Decide({}, false, c, port);
    EXPECT_TRUE(port.Asked);
    c.Combination = TAnswer::None;
    // The user's "always ё" stands.
    c.Standing = TAnswer::Dotted;
    port.Asked.reset();
    EXPECT_EQ(U(decider.Decide({}, false, c, port).Result), "ПЁР");
    EXPECT_FALSE(port.Asked);
    c.Standing = TAnswer::None;
    // In lower case only a full stop that the sentence goes on after counts.
    c.Word = lower;
    EXPECT_EQ(U(decider.Decide({ .NoVarOnly = true }, false, c, port).Result), "пёр");
    c.AbbreviationStop = true;
    EXPECT_EQ(decider.Decide({ .NoVarOnly = true }, false, c, port).Verdict, TVerdict::Leave);
    const std::string longer = W("перечень");
    c.Word = longer;
    EXPECT_FALSE(IsDisguisedWord(c));

    EXPECT_TRUE(IsAbbreviationStop(W(". пер.")));
    EXPECT_TRUE(IsAbbreviationStop(W(".) и")));
    EXPECT_TRUE(IsAbbreviationStop(W(".,")));
    EXPECT_TRUE(IsAbbreviationStop(W(".  5")));
    EXPECT_TRUE(IsAbbreviationStop(". file"));
    EXPECT_FALSE(IsAbbreviationStop(W(". Пер")));
    EXPECT_FALSE(IsAbbreviationStop(W("... и")));
    EXPECT_FALSE(IsAbbreviationStop(". ("));
    EXPECT_FALSE(IsAbbreviationStop(". "));
    EXPECT_FALSE(IsAbbreviationStop(".txt"));
    EXPECT_FALSE(IsAbbreviationStop(W(", и")));

    EXPECT_TRUE(StandsApart(W("|  "), ""));
    EXPECT_TRUE(StandsApart("", " 5"));
    EXPECT_TRUE(StandsApart(W("команды\t"), ""));
    EXPECT_TRUE(StandsApart(W("команды:  "), "."));
    EXPECT_FALSE(StandsApart("", "")); // a line of its own
    EXPECT_FALSE(StandsApart("   ", "  ")); // indented, blanks at the end
    EXPECT_FALSE(StandsApart(W("еще "), W("! раз")));
    EXPECT_FALSE(StandsApart(W("(«"), std::string("\xA0") + W("раз")));
}

TEST_F(WordDecider, LookUpRemembersAnswersAndStandingChoicesInTheDictionary)
{
    dic.AddForm(W("всё"), 1);
    dic.AddForm(W("трёхведёрный"), 0);
    dic.AddRule("", W("полёт"), "*", 1);
    TRowPort port;

    const std::string all = W("Все");
    TWordCase c = decider.LookUp(all, false);
    EXPECT_EQ(c.Kind, TEntryKind::Form);
    EXPECT_TRUE(c.Variant);
    EXPECT_EQ(U(std::string(c.Form)), "всё");
    port.Answer = TAnswer::AlwaysDotted;
    EXPECT_EQ(U(decider.Decide({}, false, c, port).Result), "Всё");
    EXPECT_EQ(dic.FormAlways[c.Entry], 2);
    EXPECT_EQ(dic.FormLastAnswer[c.Entry], 2);
    EXPECT_TRUE(ui.Enabled["ClearUserSel1"]);
    // From now on the standing choice decides, and a second lookup (cached) agrees.
    c = decider.LookUp(all, false);
    EXPECT_EQ(c.Standing, TAnswer::Dotted);
    port.Asked.reset();
    EXPECT_EQ(U(decider.Decide({}, false, c, port).Result), "Всё");
    EXPECT_FALSE(port.Asked);

    // A rule remembers its last answer; an "always" answer to it is a plain one.
    const std::string flights = W("полетами");
    c = decider.LookUp(flights, false);
    EXPECT_EQ(c.Kind, TEntryKind::Rule);
    EXPECT_EQ(U(std::string(c.Form)), "полётами");
    port.Answer = TAnswer::AlwaysPlain;
    EXPECT_EQ(U(decider.Decide({}, false, c, port).Result), "полетами");
    EXPECT_EQ(dic.RuleLastAnswer[0], 1);
    EXPECT_EQ(c.Entry, 0);
    EXPECT_EQ(dic.FormAlways[0], 2); // the form's choice stays
    EXPECT_EQ(dic.FormAlways[1], 0);

    // A word with ё is looked up folded; a misplaced ё sets no standing choice.
    const std::string bucket = W("трехвёдерный");
    c = decider.LookUp(bucket, true);
    EXPECT_EQ(c.Kind, TEntryKind::Form);
    port.Answer = TAnswer::AlwaysPlain;
    EXPECT_EQ(U(decider.Decide({}, false, c, port).Result), "трёхведёрный");
    EXPECT_EQ(dic.FormAlways[c.Entry], 0);
    EXPECT_EQ(dic.FormLastAnswer[c.Entry], 1);

    // A cancelled question remembers nothing.
    dic.FormLastAnswer.Set(0, 0);
    dic.FormAlways.Set(0, 0);
    c = decider.LookUp(all, false);
    port.Answer = TAnswer::Cancel;
    EXPECT_EQ(decider.Decide({}, false, c, port).Verdict, TVerdict::Stop);
    EXPECT_EQ(dic.FormLastAnswer[0], 0);

    EXPECT_FALSE(decider.IsKnownMissing(W("дом")));
    decider.LookUp(W("дом"), false);
    EXPECT_TRUE(decider.IsKnownMissing(W("дом")));
    decider.ForgetLookups();
    EXPECT_FALSE(decider.IsKnownMissing(W("дом")));
}

// The answer to a question the judge could not settle goes back to it (the
// text's habit learns from it); with Context off, or when the question is
// cancelled, nothing does.
TEST_F(WordDecider, AnswerToAJudgedQuestionIsHandedBackToTheJudge)
{
    dic.AddForm(W("всё"), 1);
    TRowPort port;
    port.Judged.Family = TJudgeFamily::All;
    const std::string all = W("все");
    TWordCase c = decider.LookUp(all, false);
    TPassOptions on;
    on.Context = true;
    port.Answer = TAnswer::AlwaysDotted;
    EXPECT_EQ(U(decider.Decide(on, false, c, port).Result), "всё");
    ASSERT_EQ(port.Noted.size(), 1u);
    EXPECT_EQ(port.Noted[0], std::make_pair(TJudgeFamily::All, TAnswer::Dotted));
    dic.FormAlways.Set(c.Entry, 0);
    c = decider.LookUp(all, false);
    port.Answer = TAnswer::Cancel;
    decider.Decide(on, false, c, port);
    port.Answer = TAnswer::Plain;
    decider.Decide({}, false, c, port);
    EXPECT_EQ(port.Noted.size(), 1u);
    decider.Decide(on, false, c, port);
    ASSERT_EQ(port.Noted.size(), 2u);
    EXPECT_EQ(port.Noted[1].second, TAnswer::Plain);
}

TEST_F(WordDecider, CombinationVerdictIsCounted)
{
    combi.AddCombination(W("все равно"), ui);
    dic.AddForm(W("всё"), 1);
    TRowPort port;
    const std::string all = W("все");
    TWordCase c = decider.LookUp(all, false);
    c.Combination = TAnswer::Plain;
    c.CombinationEntry = 0;
    TWordDecision d = decider.Decide({}, false, c, port);
    EXPECT_TRUE(d.ByCombination);
    EXPECT_EQ(U(d.Result), "все");
    EXPECT_EQ(combi.UseCounts[0], 1);
    EXPECT_TRUE(ui.Errors.empty());
    // A verdict that names no recorded combination is an internal error, and
    // the decision goes on with it.
    c.CombinationEntry = 5;
    c.Combination = TAnswer::Dotted;
    d = decider.Decide({}, false, c, port);
    EXPECT_EQ(U(d.Result), "всё");
    ASSERT_EQ(ui.Errors.size(), 1u);
    EXPECT_EQ(U(ui.Errors[0]), "Ошибка #1!");
    EXPECT_EQ(combi.UseCounts[0], 1);
    EXPECT_FALSE(port.Asked);
}

} // namespace
} // namespace tildo::test
