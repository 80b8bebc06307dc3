#pragma once

#include <atomic>
#include <cstdint>

namespace tildo {

// The progress of a long run, counted by any thread.
struct TProgressCounts
{
    std::atomic<std::uint64_t> Bytes { 0 };
    std::atomic<int> FilesDone { 0 };
    std::uint64_t TotalBytes = 0; // 0: unknown
    int TotalFiles = 0; // 0: a single text
};

} // namespace tildo
