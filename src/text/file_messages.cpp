#include "file_messages.h"

#include "cp1251.h"
#include "platform/file_io.h"

#include <string>

namespace tildo {

bool ConfirmOverwrite(UserInterface& ui, const std::string& fileName)
{
    return ui.QuestionYesNo(Cp("Файл ") + fileName + Cp(" существует. Переписать?"));
}

std::string PathForDisplay(const std::string& path)
{
    return Utf8ToCp1251(path);
}

std::string ClipForMessage(std::string_view line)
{
    constexpr std::size_t Shown = 120;
    if (line.size() <= Shown)
        return std::string(line);
    return std::string(line.substr(0, Shown)) + "...";
}

void ReportFileError(UserInterface& ui, const std::string& path, const std::string& reason)
{
    ui.ErrorBox(Cp("Ошибка ввода-вывода: ") + PathForDisplay(path) + "\n" + reason);
}

bool RefuseInputFile(UserInterface& ui, const std::string& path)
{
    const std::string quoted = Cp("Файл \"") + PathForDisplay(path) + "\"";
    switch (InputFileProblem(path)) {
    case TInputFileProblem::None:
        return false;
    case TInputFileProblem::Missing:
        ui.ErrorBox(quoted + Cp(" не найден"));
        break;
    case TInputFileProblem::NotRegular:
        ui.ErrorBox(quoted
            + Cp(" не является обычным файлом (устройство, канал или папка) и не может быть прочитан"));
        break;
    case TInputFileProblem::TooLarge:
        ui.ErrorBox(quoted + Cp(" слишком велик: можно прочитать не больше ")
            + std::to_string(MaxInputFileSize >> 20) + Cp(" МБ"));
        break;
    }
    return true;
}

} // namespace tildo
