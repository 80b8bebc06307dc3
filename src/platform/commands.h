#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace tildo {

// Every menu command of the program's windows: its name (the name of its
// menu item, which also keys the settings file's option marks), its caption
// in the main window or the window it belongs to, and its caption in the
// dictionary editor when that window has a command of the same name.
// UTF-8 texts.
#define TILDO_COMMANDS(X)                                                                                    \
    X(Testing1, "Тестирование", "")                                                                          \
    X(Open1, "Загрузить текст", "Загрузить словарь")                                                         \
    X(Saveas1, "Сохранить текст как", "")                                                                    \
    X(Close1, "Очистить текстовое окно", "")                                                                 \
    X(OpenDic1, "Загрузить основной словарь", "")                                                            \
    X(OpenCombiDic1, "Загрузить словарь словосочетаний", "")                                                 \
    X(EditDic1, "Редактор словарей", "")                                                                     \
    X(ClearFileList1, "Очистить список последних файлов", "")                                                \
    X(Exit1, "Выход", "Выход")                                                                               \
    X(Cut1, "Вырезать", "Вырезать")                                                                          \
    X(Copy1, "Копировать", "Копировать")                                                                     \
    X(Paste1, "Вставить", "Вставить")                                                                        \
    X(Selectall1, "Выделить всё", "Выделить всё")                                                            \
    X(CopyToDicEdit1, "Копировать в редактор словарей", "")                                                  \
    X(Undo1, "Откат", "")                                                                                    \
    X(Find1, "Найти", "Найти подстроку")                                                                     \
    X(FindReg1, "Найти регулярное выражение", "")                                                            \
    X(YoPos1, "Ёфицировать с текущей позиции", "")                                                           \
    X(YoBegin1, "Ёфицировать с начала текста", "")                                                           \
    X(Review1, "Обзор спорных слов", "")                                                                     \
    X(Stat1, "Детальная статистика", "")                                                                     \
    X(ClearStat1, "Обнулить статистику", "")                                                                 \
    X(ClearUserSel1, "Сбросить \"Всегда Е/Ё\"", "")                                                          \
    X(YoCollect1, "Сбор новых Ё", "")                                                                        \
    X(AlwaysAsk1, "Всегда подтверждать замену", "")                                                          \
    X(Mark1, "Помечать исправленное", "")                                                                    \
    X(FastScroll1, "Быстрая промотка", "")                                                                   \
    X(CheckYo1, "Проверять расстановку \"ё\"", "")                                                           \
    X(NoVarOnly1, "Только бесспорные замены", "")                                                            \
    X(VarOnly1, "Только обязательные замены", "")                                                            \
    X(RTF1, "Сохранять в формате RTF", "")                                                                   \
    X(WordWrap1, "Заворачивать текст (\"Word wrap\")", "")                                                   \
    X(ProposeLast1, "Предлагать последний вариант", "")                                                      \
    X(ToConfirm1, "Подтверждать операции", "")                                                               \
    X(FBFormat1, "Формат \"FictionBook\"", "")                                                               \
    X(CombiWords1, "Анализ словосочетаний", "")                                                              \
    X(Context1, "Решать по контексту", "")                                                                   \
    X(CombiWordRegExp1, "Регулярные выражения в СС", "")                                                     \
    X(LastFile1, "Запоминать последний файл", "")                                                            \
    X(ToDockAskForm1, "Встроенная форма запроса", "")                                                        \
    X(ContextAddLetters1, "Ширина контекста", "")                                                            \
    X(LinesBelow1, "Количество строк промотки", "")                                                          \
    X(Font1, "Задать шрифт главного окна", "")                                                               \
    X(About1, "О программе", "")                                                                             \
    X(Help2, "Ещё о программе", "")                                                                          \
    X(OpenCurrDic1, "Загрузить текущий словарь", "Загрузить текущий словарь")                                \
    X(OpenCurrCombiDic1, "Загрузить текущий СС", "Загрузить текущий СС")                                     \
    X(Save1, "Сохранить словарь", "Сохранить словарь")                                                       \
    X(Subtract1, "Вычесть словарь", "Вычесть словарь")                                                       \
    X(Sort1, "Сортировать словарь", "Сортировать словарь")                                                   \
    X(DelDoubles1, "Удалить дубли из словаря", "Удалить дубли из словаря")                                   \
    X(CheckDic1, "Найти следующую ошибку в словаре", "Найти следующую ошибку в словаре")                     \
    X(AddToDic1, "Добавить в словарь", "Добавить в словарь")                                                 \
    X(DelFromDic1, "Удалить слово", "Удалить слово")                                                         \
    X(Lower1, "В нижний регистр", "В нижний регистр")                                                        \
    X(Upper1, "С заглавной буквы", "С заглавной буквы")                                                      \
    X(FindInDic1, "Найти место в словаре", "Найти место в словаре")                                          \
    X(Morph1, "Создать формы слова", "Создать формы слова")                                                  \
    X(SweepWordEditor1, "Убрать лишние слова из окна слов", "Убрать лишние слова из окна слов")              \
    X(IsCombiWords1, "Режим \"Словарь словосочетаний\"", "Режим \"Словарь словосочетаний\"")                 \
    X(InsertLog1, "Вести лог новых слов", "Вести лог новых слов")                                            \
    X(SplitVert1, "Вертикальный разделитель", "Вертикальный разделитель")

enum class TCommand : unsigned char {
#define TILDO_COMMAND_ENUM(name, caption, editorCaption) name,
    TILDO_COMMANDS(TILDO_COMMAND_ENUM)
#undef TILDO_COMMAND_ENUM
};

struct TCommandInfo
{
    TCommand Command;
    std::string_view Name;
    std::string_view Caption;
    std::string_view EditorCaption; // empty when the dictionary editor has no such command
};

inline constexpr std::array CommandTable {
#define TILDO_COMMAND_INFO(name, caption, editorCaption)                                                     \
    TCommandInfo { TCommand::name, #name, caption, editorCaption },
    TILDO_COMMANDS(TILDO_COMMAND_INFO)
#undef TILDO_COMMAND_INFO
};

inline constexpr std::size_t CommandCount = CommandTable.size();

constexpr const TCommandInfo& CommandInfo(TCommand command)
{
    return CommandTable[static_cast<std::size_t>(command)];
}

constexpr std::string_view CommandName(TCommand command)
{
    return CommandInfo(command).Name;
}

// The command of that name; none for a name no window has.
constexpr std::optional<TCommand> CommandByName(std::string_view name)
{
    for (const TCommandInfo& info : CommandTable) {
        if (info.Name == name)
            return info.Command;
    }
    return std::nullopt;
}

// A command as the user interface takes it: a TCommand, or a string literal
// naming one, checked while compiling ("Mark1" compiles, "Mrak1" does not).
// Names known only at run time go through CommandByName.
class TCommandName
{
public:
    constexpr TCommandName(TCommand command)
        : m_command(command)
    {
    }
    consteval TCommandName(const char* name)
        : m_command(Known(name))
    {
    }

    constexpr TCommand Command() const { return m_command; }
    constexpr std::string_view Name() const { return CommandName(m_command); }
    constexpr std::size_t Index() const { return static_cast<std::size_t>(m_command); }
    constexpr bool operator==(const TCommandName&) const = default;

private:
    static consteval TCommand Known(const char* name)
    {
        const std::optional<TCommand> command = CommandByName(name);
        if (!command)
            throw std::logic_error("no command has this name");
        return *command;
    }

    TCommand m_command;
};

} // namespace tildo
