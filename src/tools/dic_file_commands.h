#pragma once

#include "text/collation.h"

#include <string>
#include <string_view>
#include <vector>

namespace tildo {

// The dictionary tools on files, without a window: what the command-line tool
// runs. Each does what the dictionary editor's command does to a pane holding
// the file and reports what the editor would show. Files and texts are CP1251;
// file failures throw EFileError.

// One faulty line of a dictionary.
struct TDicLineError
{
    int Line = 0; // from 1
    std::string Message; // as the editor's status line shows it
};

// Every faulty line, as pressing "Найти следующую ошибку в словаре" again and
// again from the top would find them, each once.
std::vector<TDicLineError> CheckDictionaryFile(
    const std::string& path, bool combinations, int wordsBufferLength = 3);

struct TDicToolResult
{
    TStringList Lines; // the resulting text
    std::string Status; // the editor's status line afterwards
    std::vector<std::string> Errors; // error boxes the editor would have shown
    // The result as a dictionary file: CR LF after every line.
    std::string Text() const;
};

// "Сортировать словарь".
TDicToolResult SortDictionaryFile(const std::string& path);
// "Удалить дубли из словаря".
TDicToolResult DedupeDictionaryFile(const std::string& path);
// "Вычесть словарь": the lines of path without those of otherPath.
TDicToolResult SubtractDictionaryFile(const std::string& path, const std::string& otherPath);
// "Убрать лишние слова из окна слов": the word list without the words the
// dictionary holds.
TDicToolResult SweepWordsFile(const std::string& wordsPath, const std::string& dicPath);

struct TWordFormsParadigm
{
    std::string Title;
    TStringList Forms;
};

// Every paradigm of the rules file that fits word, in the order the word-form
// dialog offers them, with its forms. A trailing '?' (variant mark) is taken
// off the word and put on every form, as the editor's command does.
std::vector<TWordFormsParadigm> WordFormsFor(const std::string& rulesPath, std::string_view word);

} // namespace tildo
