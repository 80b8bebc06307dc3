#pragma once
// Set-up shared by the benchmarks: the corpus as one text, repeated to a size,
// a temporary directory that is removed afterwards, and the shipped
// dictionaries with what a pass without a window needs beside them.
#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "dict/my_lists.h"
#include "platform/asker.h"
#include "platform/file_io.h"
#include "platform/null_user_interface.h"
#include "text/cp1251.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace tildo {

// The corpus texts in name order, in CP1251, each ending in a line break.
inline std::string CorpusCp1251()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(TILDO_CORPUS_DIR)) {
        if (entry.path().extension() == ".txt")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::string one;
    for (const auto& file : files) {
        one += Utf8ToCp1251(ReadWholeFile(file.string()));
        if (!one.empty() && one.back() != '\n')
            one += '\n';
    }
    return one;
}

// The text repeated and cut to exactly bytes (empty when the text is).
inline std::string RepeatedTo(const std::string& one, std::size_t bytes)
{
    std::string all;
    if (one.empty())
        return all;
    all.reserve(bytes + one.size());
    while (all.size() < bytes)
        all += one;
    all.resize(std::min(all.size(), bytes));
    return all;
}

// A fresh directory under the system's temporary one, removed with its content.
struct TBenchDir
{
    std::string Path;
    TBenchDir()
    {
        Path = (std::filesystem::temp_directory_path() / "tildo-bench-XXXXXX").string();
        if (::mkdtemp(Path.data()) == nullptr)
            std::abort();
    }
    ~TBenchDir() { std::filesystem::remove_all(Path); }
    TBenchDir(const TBenchDir&) = delete;
    TBenchDir& operator=(const TBenchDir&) = delete;
};

// Answers every question at once with е, counting them.
class TPlainAsker : public Asker
{
public:
    TAnswer Ask(const TQuestion&) override
    {
        ++Questions;
        return TAnswer::Plain;
    }
    long long Questions = 0;
};

// The shipped main dictionary, a combination dictionary (empty until
// ReadCombinations), the word window and a silent desktop whose option marks
// the benchmark sets.
struct TShippedDictionaries
{
    TNullUserInterface Ui;
    TBufferLimits Limits;
    TDic Dic;
    TCombiWordsDic Combi { Limits };
    TWordBuffer Window { Limits };

    TShippedDictionaries()
    {
        Dic.FileName = TILDO_DATA_DIR "/tildo.dat";
        Dic.ReadDic(Ui);
    }
    TShippedDictionaries(const TShippedDictionaries&) = delete;
    TShippedDictionaries& operator=(const TShippedDictionaries&) = delete;
    void ReadCombinations()
    {
        Combi.FileName = TILDO_DATA_DIR "/combi.dat";
        Combi.ReadCombiDic(Ui);
    }
};

} // namespace tildo
