#pragma once

#include "platform/user_interface.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace tildo::test {

// A UserInterface that records what the core shows and answers questions from
// scripts. Texts are recorded as the core passes them (CP1251); ErrorsUtf8()
// gives them readable for assertions.
class TRecordingUi : public UserInterface
{
public:
    std::vector<std::string> Errors; // every ErrorBox text, in order
    std::vector<std::string> Questions; // every question text, in order
    std::vector<std::string> Infos; // every InfoBox text, in order
    std::vector<std::string> Warnings; // every WarningBox text, in order
    std::deque<bool> YesNoAnswers; // answers for QuestionYesNo; No when empty
    std::deque<TDialogAnswer> YesNoCancelAnswers; // Cancel when empty
    std::deque<bool> OkCancelAnswers; // answers for QuestionOkCancel; Cancel when empty
    std::string WindowCaption; // the last SetCaption
    std::vector<std::string> StatusHistory; // every status text set
    int EscPressesLeft = 0; // IsEscPressed returns true this many times
    int EscQueries = 0;
    int BusyDepth = 0; // SetBusyCursor(true) minus SetBusyCursor(false)
    std::map<std::string, bool, std::less<>> Enabled;
    std::map<std::string, bool, std::less<>> Checked;
    std::deque<std::string> OpenFileAnswers; // paths chosen in open dialogs; cancel when empty
    std::deque<std::string> SaveFileAnswers; // paths chosen in save dialogs; cancel when empty
    std::vector<TFileChoice> FileChoices; // every file dialog shown, in order
    std::map<std::string, std::string, std::less<>> Captions;

    void ErrorBox(const std::string& text) override { Errors.push_back(text); }
    bool QuestionYesNo(const std::string& text) override;
    TDialogAnswer QuestionYesNoCancel(const std::string& text) override;
    bool QuestionOkCancel(const std::string& text) override;
    void SetCaption(const std::string& text) override { WindowCaption = text; }
    void InfoBox(const std::string& text) override { Infos.push_back(text); }
    void WarningBox(const std::string& text) override { Warnings.push_back(text); }
    std::string StatusText() const override { return m_status; }
    void SetStatusText(const std::string& text) override
    {
        m_status = text;
        StatusHistory.push_back(text);
    }
    void SetBusyCursor(bool busy) override { BusyDepth += busy ? 1 : -1; }
    bool IsEscPressed() override;
    std::string ChooseOpenFile(const TFileChoice& choice) override;
    std::string ChooseSaveFile(const TFileChoice& choice) override;
    void SetCommandEnabled(TCommandName command, bool enabled) override
    {
        Enabled[std::string(command.Name())] = enabled;
    }
    bool IsCommandEnabled(TCommandName command) const override;
    void SetCommandChecked(TCommandName command, bool checked) override
    {
        Checked[std::string(command.Name())] = checked;
    }
    bool IsCommandChecked(TCommandName command) const override;
    void SetCommandCaption(TCommandName command, const std::string& caption) override
    {
        Captions[std::string(command.Name())] = caption;
    }
    // The caption last set for a command, empty when none.
    std::string Caption(std::string_view command) const;

    std::vector<std::string> ErrorsUtf8() const;

private:
    std::string m_status;
};

// CP1251 of a UTF-8 literal, and back, for readable test texts.
std::string W(std::string_view utf8);
std::string U(std::string_view cp1251);

// A scratch directory removed when the object goes.
class TTempDir
{
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const std::string& Path() const { return m_path; }
    // Writes bytes to a file in the directory and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;

private:
    std::string m_path;
};

} // namespace tildo::test
