#pragma once

#include "platform/user_interface.h"

#include <array>
#include <string>

namespace tildo {

// A user interface nobody looks at: boxes show nothing, questions get their
// default answer (No, Cancel), file dialogs are cancelled and Esc is never
// pressed. It keeps the status text and the commands' states, so that code
// which reads back an option sees what was set. The command-line tool, the
// benchmarks and the fuzz targets build on it and override what they need.
class TNullUserInterface : public UserInterface
{
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
    void SetCommandEnabled(TCommandName command, bool enabled) override
    {
        m_enabled[command.Index()] = enabled;
    }
    bool IsCommandEnabled(TCommandName command) const override { return m_enabled[command.Index()] != 0; }
    void SetCommandChecked(TCommandName command, bool checked) override
    {
        m_checked[command.Index()] = checked;
    }
    bool IsCommandChecked(TCommandName command) const override { return m_checked[command.Index()] == 1; }
    void SetCommandCaption(TCommandName, const std::string&) override { }

private:
    std::string m_status;
    // Per command: enabled unless disabled (2 = never set), checked only when set.
    std::array<unsigned char, CommandCount> m_enabled = MakeFilled(2);
    std::array<unsigned char, CommandCount> m_checked = MakeFilled(0);

    static constexpr std::array<unsigned char, CommandCount> MakeFilled(unsigned char value)
    {
        std::array<unsigned char, CommandCount> a {};
        a.fill(value);
        return a;
    }
};

} // namespace tildo
