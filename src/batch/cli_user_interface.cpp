#include "cli_user_interface.h"

#include "batch/messages.h"

namespace tildo {

void TCliUserInterface::ErrorBox(const std::string& text)
{
    m_errors.push_back(text);
    PrintError(ForMessage(text));
}

void TCliUserInterface::InfoBox(const std::string& text)
{
    PrintError(ForMessage(text));
}

} // namespace tildo
