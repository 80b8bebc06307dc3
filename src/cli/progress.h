#pragma once

#include "batch/progress_counts.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace tildo {

// The progress line: "12,3 МБ из 40,0 МБ · 35,1 МБ/с · осталось 0:01" (with
// the files done first in a batch). Pure, so that it can be checked.
std::string ProgressLine(
    std::uint64_t bytes, std::uint64_t totalBytes, int filesDone, int totalFiles, double seconds);

// Shows the progress line on standard error while a run goes on, redrawn in
// place a few times a second once the run has lasted a second, and removed at
// the end. Only on a terminal: a pipe or a log gets nothing.
class TProgressLine
{
public:
    explicit TProgressLine(const TProgressCounts& counts, bool enabled);
    ~TProgressLine();
    TProgressLine(const TProgressLine&) = delete;
    TProgressLine& operator=(const TProgressLine&) = delete;

    // Standard error is a terminal.
    static bool TerminalAttached();

private:
    void Run();

    const TProgressCounts& m_counts;
    std::chrono::steady_clock::time_point m_start;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_drawn = false;
    std::thread m_thread;
};

} // namespace tildo
