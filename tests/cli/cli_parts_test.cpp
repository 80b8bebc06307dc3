// Pieces of the command-line tool: the terminal questions and the answer that
// keeps a word.

#include "batch/question_log.h"
#include "cli/terminal_asker.h"
#include "support/recording_ui.h"

#include <gtest/gtest.h>
#include <sstream>

namespace tildo::test {
namespace {

TQuestion SampleQuestion()
{
    TQuestion q;
    q.PlainForm = W("все");
    q.DottedForm = W("всё");
    q.DefaultDotted = true;
    q.Context = W("Мы все\x1b[2Jтут");
    q.WordOffset = 3;
    q.WordLength = 3;
    q.Caption = W("Выберите верный вариант");
    q.AlwaysPlainEnabled = q.AlwaysDottedEnabled = false;
    q.UndoEnabled = true;
    q.UndoCaption = W("Откат \"еще -> ещё\"");
    return q;
}

TEST(TerminalAsker, ShowsTheQuestionAndTakesOnlyTheAnswersOnOffer)
{
    const TQuestion q = SampleQuestion();
    std::istringstream in("A1\n\nx\n0\n u \nc\n");
    std::ostringstream out;
    TTerminalAsker asker(in, out, false);
    // "A1" is not on offer for this question; Enter takes the proposed ё.
    EXPECT_EQ(asker.Ask(q, 3, 4), TAnswer::Dotted);
    const std::string shown = out.str();
    EXPECT_NE(shown.find("Строка 3, столбец 4: Выберите верный вариант"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Мы «все» [2Jтут"), std::string::npos) << shown; // no escape reaches the terminal
    EXPECT_NE(shown.find("1 — всё (по умолчанию)"), std::string::npos);
    EXPECT_NE(shown.find("U — Откат \"еще -> ещё\""), std::string::npos);
    EXPECT_EQ(shown.find("A1 —"), std::string::npos);
    EXPECT_NE(shown.find("Такого ответа нет"), std::string::npos);
    EXPECT_EQ(asker.Ask(q, 1, 1), TAnswer::Plain); // "x" refused, then 0
    EXPECT_EQ(asker.Ask(q, 1, 1), TAnswer::Undo);
    EXPECT_EQ(asker.Ask(q, 1, 1), TAnswer::Cancel);
    EXPECT_EQ(asker.Ask(q, 1, 1), TAnswer::Cancel); // the end of input
}

TEST(CliAnswers, ScriptedNamesAndTheAnswerThatKeepsAWord)
{
    const std::vector<TAnswer> codes = ParseAnswers({ "1", "0", "a1", "A0", "u", "C" });
    const std::vector<TAnswer> expected = { TAnswer::Dotted, TAnswer::Plain, TAnswer::AlwaysDotted,
        TAnswer::AlwaysPlain, TAnswer::Undo, TAnswer::Cancel };
    EXPECT_EQ(codes, expected);
    for (TAnswer code : expected)
        EXPECT_EQ(ParseAnswers({ AnswerName(code) }).front(), code);

    TQuestion q = SampleQuestion();
    EXPECT_EQ(KeepAnswer(q, W("все")), TAnswer::Plain);
    EXPECT_EQ(KeepAnswer(q, W("всё")), TAnswer::Dotted);
    // A misplaced ё: the е button would move it, so the word itself is the ё form.
    q.PlainForm = W("ёлка");
    q.DottedForm = W("елкё");
    EXPECT_EQ(KeepAnswer(q, W("елкё")), TAnswer::Dotted);
}

} // namespace
} // namespace tildo::test
