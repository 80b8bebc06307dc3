#include "support/recording_ui.h"
#include "text/file_messages.h"

#include <gtest/gtest.h>

namespace tildo {
namespace {

TEST(FileMessages, ConfirmOverwriteAsksAndDefaultsToNo)
{
    test::TRecordingUi ui;
    EXPECT_FALSE(ConfirmOverwrite(ui, "a.txt")); // no answer given: the default button, No
    ui.YesNoAnswers = { false, true };
    EXPECT_FALSE(ConfirmOverwrite(ui, "a.txt"));
    EXPECT_TRUE(ConfirmOverwrite(ui, "a.txt"));
    ASSERT_EQ(ui.Questions.size(), 3u);
    EXPECT_EQ(test::U(ui.Questions[0]), "Файл a.txt существует. Переписать?");
}

} // namespace
} // namespace tildo
