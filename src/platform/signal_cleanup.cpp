#include "signal_cleanup.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace tildo {

namespace {

// A fixed table, so that the handler reads it without allocating or locking.
// A slot is claimed (Busy) while its path is copied in and only then marked
// Ready, so the handler never sees half a path.
enum : int { Free = 0, Busy = 1, Ready = 2 };

struct TSlot
{
    std::atomic<int> State { Free };
    char Path[PATH_MAX] {};
};

// More than the threads a run uses, each with a file or two open at once.
constexpr int SlotCount = 256;
TSlot g_slots[SlotCount];

std::atomic<int> g_uninterruptible { 0 };
std::atomic<int> g_postponed { 0 };

static_assert(std::atomic<int>::is_always_lock_free, "the handler needs lock-free atomics");

} // namespace

int RememberTemporaryFile(const std::string& path) noexcept
{
    if (path.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < SlotCount; ++i) {
        int expected = Free;
        if (!g_slots[i].State.compare_exchange_strong(expected, Busy))
            continue;
        std::memcpy(g_slots[i].Path, path.c_str(), path.size() + 1);
        g_slots[i].State.store(Ready);
        return i;
    }
    return -1;
}

void ForgetTemporaryFile(int ticket) noexcept
{
    if (ticket >= 0 && ticket < SlotCount)
        g_slots[ticket].State.store(Free);
}

void RemoveTemporaryFilesNow() noexcept
{
    for (TSlot& slot : g_slots) {
        if (slot.State.load() == Ready)
            ::unlink(slot.Path);
    }
}

void EnterUninterruptible() noexcept
{
    ++g_uninterruptible;
}

void LeaveUninterruptible() noexcept
{
    // The signal is stored before the count is read in PostponeSignal, and
    // the count is lowered before the signal is taken here: one of the two
    // always sees the other, so no signal is lost.
    if (--g_uninterruptible == 0) {
        const int signal = g_postponed.exchange(0);
        if (signal != 0)
            ::raise(signal);
    }
}

bool PostponeSignal(int signal) noexcept
{
    g_postponed.store(signal);
    if (g_uninterruptible.load() > 0)
        return true;
    g_postponed.exchange(0);
    return false;
}

} // namespace tildo
