#pragma once

#include "platform/user_interface.h"

#include <map>
#include <string>

namespace tildo {

// A user interface nobody looks at: boxes show nothing, questions get their
// default answer (No, Cancel), file dialogs are cancelled and Esc is never
// pressed. It keeps the status text and the commands' states, so that code
// which reads back an option sees what was set. The command-line tool, the
// benchmarks and the fuzz targets build on it and override what they need.
class TNullUserInterface : public UserInterface {
public:
    void ErrorBox(const std::string&) override { }
    bool QuestionYesNo(const std::string&) override { return false; }
    TDialogAnswer QuestionYesNoCancel(const std::string&) override { return TDialogAnswer::Cancel; }
    bool QuestionOkCancel(const std::string&) override { return false; }
    void InfoBox(const std::string&) override { }
    void SetCaption(const std::string&) override { }
    std::string StatusText() const override { return m_status; }
    void SetStatusText(const std::string& text) override { m_status = text; }
    void SetBusyCursor(bool) override { }
    bool IsEscPressed() override { return false; }
    void SetCommandEnabled(std::string_view command, bool enabled) override
    {
        m_enabled[std::string(command)] = enabled;
    }
    bool IsCommandEnabled(std::string_view command) const override
    {
        const auto it = m_enabled.find(command);
        return it == m_enabled.end() || it->second;
    }
    void SetCommandChecked(std::string_view command, bool checked) override
    {
        m_checked[std::string(command)] = checked;
    }
    bool IsCommandChecked(std::string_view command) const override
    {
        const auto it = m_checked.find(command);
        return it != m_checked.end() && it->second;
    }
    void SetCommandCaption(std::string_view, const std::string&) override { }

private:
    std::string m_status;
    std::map<std::string, bool, std::less<>> m_enabled;
    std::map<std::string, bool, std::less<>> m_checked;
};

} // namespace tildo
