#include "platform/null_user_interface.h"

#include <gtest/gtest.h>

namespace tildo {
namespace {

// Esc is down for a given number of queries, then released.
class TEscHeldUi : public TNullUserInterface
{
public:
    int PressesLeft = 0;
    int Queries = 0;
    bool IsEscPressed() override
    {
        ++Queries;
        if (PressesLeft == 0)
            return false;
        --PressesLeft;
        return true;
    }
};

TEST(UserInterface, WaitEscReleasedDrainsThePresses)
{
    TEscHeldUi ui;
    ui.PressesLeft = 3;
    WaitEscReleased(ui);
    EXPECT_EQ(ui.Queries, 4);
    EXPECT_FALSE(ui.IsEscPressed());

    ui.Queries = 0;
    WaitEscReleased(ui); // released already: one query only
    EXPECT_EQ(ui.Queries, 1);
}

} // namespace
} // namespace tildo
