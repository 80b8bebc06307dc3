#pragma once

#include "engine/word_decider.h"

namespace tildo {

// Told of each word the pass decided (after any question), before the verdict
// is carried out; for callers that gather what a pass does without taking part.
class TDecisionObserver
{
public:
    virtual void Decided(int position, const TWordCase& word, const TWordDecision& decision) = 0;

protected:
    ~TDecisionObserver() = default;
};

} // namespace tildo
