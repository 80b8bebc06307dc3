#include "platform/file_io.h"
#include "platform/signal_cleanup.h"
#include "support/recording_ui.h"

#include <atomic>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace tildo {
namespace {

namespace fs = std::filesystem;

TEST(SignalCleanup, RemovesOnlyTheTemporaryFilesStillPending)
{
    test::TTempDir dir;
    const std::string kept = dir.Write("kept.txt", "old");
    {
        TTemporaryFile pending(dir.Path() + "/pending.txt", false);
        TTemporaryFile done(kept, false);
        done.Write("new");
        done.ReplaceTarget();
        const std::string stranger = dir.Write("stranger.txt", "x");
        const int ticket = RememberTemporaryFile(stranger);
        ForgetTemporaryFile(ticket);
        ASSERT_TRUE(fs::exists(pending.Path()));
        // What a signal handler does: the file not yet put in place goes.
        RemoveTemporaryFilesNow();
        EXPECT_FALSE(fs::exists(pending.Path()));
        EXPECT_TRUE(fs::exists(stranger));
    }
    EXPECT_EQ(ReadWholeFile(kept), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator {}), 2);
}

std::atomic<int> g_delivered { 0 };

extern "C" void CountUnlessPostponed(int signal)
{
    if (!PostponeSignal(signal))
        ++g_delivered;
}

TEST(SignalCleanup, ASignalWaitsForTheLastUninterruptibleStepOnAnyThread)
{
    struct sigaction action
    {
    };
    struct sigaction previous
    {
    };
    action.sa_handler = CountUnlessPostponed;
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &previous), 0);

    EnterUninterruptible();
    // Another thread's step holds it too, and ends first.
    std::thread other([] {
        EnterUninterruptible();
        ::raise(SIGUSR1);
        LeaveUninterruptible();
    });
    other.join();
    ::raise(SIGUSR1);
    EXPECT_EQ(g_delivered.load(), 0);
    LeaveUninterruptible(); // the kept signal comes now, once
    EXPECT_EQ(g_delivered.load(), 1);
    ::raise(SIGUSR1);
    EXPECT_EQ(g_delivered.load(), 2);

    // The deferral of a writer holds the signal the same way.
    {
        const TSignalsDeferred deferred;
        ::raise(SIGUSR1);
    }
    EXPECT_EQ(g_delivered.load(), 3);
    ::sigaction(SIGUSR1, &previous, nullptr);
}

} // namespace
} // namespace tildo
