#pragma once

#include "support/recording_ui.h"

namespace tildo::test {

// A user interface on which Esc is found pressed from the given query on:
// stops a search after roughly that many polls.
class TEscAfterUi : public TRecordingUi
{
public:
    explicit TEscAfterUi(int queriesBeforePress)
        : m_left(queriesBeforePress)
    {
    }

    bool IsEscPressed() override
    {
        ++EscQueries;
        return m_left-- <= 0;
    }

private:
    int m_left;
};

} // namespace tildo::test
