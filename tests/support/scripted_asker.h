#pragma once

#include "platform/asker.h"

#include <deque>
#include <vector>

namespace tildo::test {

// An Asker that records every question and answers from a script; when the
// script runs out it gives WhenEmpty (a cancel unless told otherwise).
class TScriptedAsker : public Asker
{
public:
    std::deque<TAnswer> Answers;
    TAnswer WhenEmpty = TAnswer::Cancel;
    std::vector<TQuestion> Questions;
    std::vector<TContextDecision> ContextDecisions;
    int BeginCount = 0;
    int EndCount = 0;

    TAnswer Ask(const TQuestion& question) override
    {
        Questions.push_back(question);
        if (Answers.empty())
            return WhenEmpty;
        const TAnswer answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    void BeginPass() override { ++BeginCount; }
    void EndPass() override { ++EndCount; }
    void DecidedByContext(const TContextDecision& decision) override { ContextDecisions.push_back(decision); }
};

} // namespace tildo::test
