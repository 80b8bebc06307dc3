#include "app/window_commands.h"

#include "app/settings.h"
#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "platform/file_io.h"
#include "platform/user_interface.h"
#include "text/cp1251.h"
#include "text/file_messages.h"
#include "text/letters.h"

#include <charconv>

namespace tildo {

namespace {

// The chosen dictionary file, or empty when the dialog was cancelled or the
// file is missing (reported).
std::string ChooseDictionary(const std::string& current, const TSettings& settings, UserInterface& ui)
{
    const std::string path = ui.ChooseOpenFile({ settings.ProgramDirectory, current, "Словарь|*.dat" });
    if (path.empty())
        return {};
    if (!FileExists(path)) {
        ui.ErrorBox(Cp("Файл \"") + PathForDisplay(path) + Cp("\" не найден"));
        return {};
    }
    return path;
}

std::string FileNameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return PathForDisplay(slash == std::string::npos ? path : path.substr(slash + 1));
}

std::string Counted(long long n, int kind, const char* stem)
{
    std::string ending;
    CountEnding(n, kind, ending);
    return std::to_string(n) + Cp(stem) + ending;
}

} // namespace

bool OpenMainDictionary(TDic& dic, TSettings& settings, UserInterface& ui)
{
    const std::string path = ChooseDictionary(dic.FileName, settings, ui);
    if (path.empty())
        return false;
    settings.DictionaryPath = path;
    dic.FileName = path;
    dic.ReadDic(ui);
    return true;
}

bool OpenCombiDictionary(TCombiWordsDic& combi, TSettings& settings, UserInterface& ui)
{
    const std::string path = ChooseDictionary(combi.FileName, settings, ui);
    if (path.empty())
        return false;
    settings.CombiDictionaryPath = path;
    combi.FileName = path;
    combi.ReadCombiDic(ui);
    ui.SetCommandChecked("CombiWords1", true);
    return true;
}

std::vector<std::string> AboutLines(const std::string& version, const TDic& dic, const TCombiWordsDic& combi)
{
    std::vector<std::string> lines;
    lines.push_back(Cp("tildo — восстановление буквы «ё», версия ") + version);
    if (dic.FileName.empty() || !dic.HasEntries()) {
        lines.push_back(Cp("Основной словарь не загружен"));
    } else {
        lines.push_back(Cp("Основной словарь ") + FileNameOf(dic.FileName) + ": "
            + Counted(dic.FormCount(), 1, " словоформ") + ", " + Counted(dic.RuleCount(), 2, " правил"));
    }
    if (combi.FileName.empty() || combi.Count() == 0) {
        lines.push_back(Cp("Словарь словосочетаний не загружен"));
    } else {
        lines.push_back(Cp("Словарь словосочетаний ") + FileNameOf(combi.FileName) + ": "
            + Counted(combi.Count(), 3, " словосочетани"));
    }
    return lines;
}

TNumberVerdict CheckNumber(const std::string& text, int low, int high)
{
    std::size_t begin = text.find_first_not_of(" \t");
    std::size_t end = text.find_last_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    const char* first = text.data() + begin;
    const char* last = text.data() + end + 1;
    if (*first == '+' && last - first > 1 && first[1] != '-')
        ++first;
    int value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last)
        return {};
    if (low > high || value < low || value > high)
        return { TNumberVerdict::OutOfBounds, value };
    return { TNumberVerdict::Accepted, value };
}

std::string BoundsTitle(int low, int high)
{
    return std::to_string(low) + " <= x <= " + std::to_string(high);
}

} // namespace tildo
