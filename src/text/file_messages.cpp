#include "file_messages.h"

#include "cp1251.h"

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

} // namespace tildo
