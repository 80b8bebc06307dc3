#pragma once

#include "platform/null_user_interface.h"

#include <string>
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

private:
    std::vector<std::string> m_errors;
};

} // namespace tildo
