#include "platform/scope_guard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace tildo {
namespace {

TEST(ScopeGuard, LeavesOnEveryExitPathInReverseOrder)
{
    std::string log;
    {
        TScopeGuard outer([&] { log += "a"; }, [&] { log += "A"; });
        TScopeGuard inner([&] { log += "b"; }, [&] { log += "B"; });
        TScopeGuard leaveOnly([&] { log += "C"; });
        EXPECT_EQ(log, "ab");
    }
    EXPECT_EQ(log, "abCBA");

    bool flag = false;
    try {
        TScopeGuard set([&] { flag = true; }, [&] { flag = false; });
        EXPECT_TRUE(flag);
        throw std::runtime_error("failed");
    } catch (const std::runtime_error&) {
        EXPECT_FALSE(flag);
    }

    // An entry that throws has entered nothing, so nothing is left.
    bool left = false;
    EXPECT_THROW(TScopeGuard failing([] { throw std::runtime_error("no"); }, [&] { left = true; }),
        std::runtime_error);
    EXPECT_FALSE(left);
}

} // namespace
} // namespace tildo
