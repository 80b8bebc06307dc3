#pragma once

#include "platform/null_user_interface.h"

#include <string>
#include <utility>
#include <vector>

namespace tildo {

// The user interface of the command-line tool: what the core would show in a
// message box goes to standard error, questions of the Yes/No kind get their
// safe default (No, Cancel), Esc is never pressed, and the option marks are
// kept so that the engine reads what the command line set.
class TCliUserInterface : public TNullUserInterface
{
public:
    void ErrorBox(const std::string& text) override;
    void InfoBox(const std::string& text) override;

    // Every error box text (CP1251), in order.
    const std::vector<std::string>& Errors() const { return m_errors; }

    // From now on the boxes are kept, not printed: a loader on a thread of
    // its own must not print before the loaders whose messages come first.
    void HoldMessages() { m_holding = true; }
    // The kept boxes shown through to, in order, and no longer kept.
    void ReleaseMessagesTo(TCliUserInterface& to);

private:
    std::vector<std::string> m_errors;
    bool m_holding = false;
    std::vector<std::pair<bool, std::string>> m_held; // error box?, text
};

} // namespace tildo
