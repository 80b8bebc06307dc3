#include "recording_ui.h"

#include "text/cp1251.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace tildo::test {

bool TRecordingUi::QuestionYesNo(const std::string& text)
{
    Questions.push_back(text);
    if (YesNoAnswers.empty())
        return false;
    const bool answer = YesNoAnswers.front();
    YesNoAnswers.pop_front();
    return answer;
}

TDialogAnswer TRecordingUi::QuestionYesNoCancel(const std::string& text)
{
    Questions.push_back(text);
    if (YesNoCancelAnswers.empty())
        return TDialogAnswer::Cancel;
    const TDialogAnswer answer = YesNoCancelAnswers.front();
    YesNoCancelAnswers.pop_front();
    return answer;
}

bool TRecordingUi::QuestionOkCancel(const std::string& text)
{
    Questions.push_back(text);
    if (OkCancelAnswers.empty())
        return false;
    const bool answer = OkCancelAnswers.front();
    OkCancelAnswers.pop_front();
    return answer;
}

bool TRecordingUi::IsEscPressed()
{
    ++EscQueries;
    if (EscPressesLeft > 0) {
        --EscPressesLeft;
        return true;
    }
    return false;
}

namespace {

std::string NextAnswer(std::deque<std::string>& answers)
{
    if (answers.empty())
        return {};
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
}

} // namespace

std::string TRecordingUi::ChooseOpenFile(const TFileChoice& choice)
{
    FileChoices.push_back(choice);
    return NextAnswer(OpenFileAnswers);
}

std::string TRecordingUi::ChooseSaveFile(const TFileChoice& choice)
{
    FileChoices.push_back(choice);
    return NextAnswer(SaveFileAnswers);
}

bool TRecordingUi::IsCommandEnabled(TCommandName command) const
{
    const auto it = Enabled.find(command.Name());
    return it != Enabled.end() && it->second;
}

bool TRecordingUi::IsCommandChecked(TCommandName command) const
{
    const auto it = Checked.find(command.Name());
    return it != Checked.end() && it->second;
}

std::string TRecordingUi::Caption(std::string_view command) const
{
    const auto it = Captions.find(command);
    return it == Captions.end() ? std::string() : it->second;
}

std::vector<std::string> TRecordingUi::ErrorsUtf8() const
{
    std::vector<std::string> r;
    for (const auto& e : Errors)
        r.push_back(U(e));
    return r;
}

std::string W(std::string_view utf8)
{
    return Utf8ToCp1251(utf8);
}

std::string U(std::string_view cp1251)
{
    return Cp1251ToUtf8(cp1251);
}

TTempDir::TTempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tildo-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary directory");
    m_path = pattern;
}

TTempDir::~TTempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string TTempDir::Write(const std::string& name, const std::string& bytes) const
{
    const std::string path = m_path + "/" + name;
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

} // namespace tildo::test
