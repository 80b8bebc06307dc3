#pragma once
// Set-up shared by the benchmarks: the corpus as one text, repeated to a size,
// and a temporary directory that is removed afterwards.
#include "platform/file_io.h"
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

} // namespace tildo
