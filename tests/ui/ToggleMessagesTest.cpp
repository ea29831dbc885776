#include <gtest/gtest.h>

#include "ui/ToggleMessages.h"

namespace tonilo {
namespace {

TEST(DisplayOffTimeout, CyclesThroughTheChoicesAndOff) {
    EXPECT_EQ(NextDisplayOffTimeout(30), 0u);
    EXPECT_EQ(NextDisplayOffTimeout(0), 5u);
    EXPECT_EQ(NextDisplayOffTimeout(15), 5u); // not a choice: counts as off
    EXPECT_EQ(NextDisplayOffTimeout(7), 10u);
    EXPECT_EQ(DisplayOffTimeoutMessage(0), "Display Off Timeout: off");
    EXPECT_EQ(DisplayOffTimeoutMessage(20), "Display Off Timeout: 20");
    EXPECT_EQ(ToggleMessage(30151, true), "Noise filter: on");
}

} // namespace
} // namespace tonilo
