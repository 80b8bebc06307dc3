#include "cli_user_interface.h"

#include "batch/messages.h"

namespace tildo {

void TCliUserInterface::ErrorBox(const std::string& text)
{
    m_errors.push_back(text);
    if (m_holding)
        m_held.emplace_back(true, text);
    else
        PrintError(ForMessage(text));
}

void TCliUserInterface::InfoBox(const std::string& text)
{
    if (m_holding)
        m_held.emplace_back(false, text);
    else
        PrintError(ForMessage(text));
}

void TCliUserInterface::ReleaseMessagesTo(TCliUserInterface& to)
{
    for (const auto& [error, text] : m_held) {
        if (error)
            to.ErrorBox(text);
        else
            to.InfoBox(text);
    }
    m_held.clear();
}

} // namespace tildo
