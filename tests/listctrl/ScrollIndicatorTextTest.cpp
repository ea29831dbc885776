#include <gtest/gtest.h>

#include "listctrl/ScrollIndicatorText.h"

namespace tonilo {
namespace {

TEST(ScrollIndicatorSize, ChangesUnitAtEachBoundary) {
    EXPECT_EQ(ScrollIndicatorSize(1024), "1024\nB");
    EXPECT_EQ(ScrollIndicatorSize(1536), "1.5\nKB");
    EXPECT_EQ(ScrollIndicatorSize(10241), "10\nKB");
    EXPECT_EQ(ScrollIndicatorSize(1048577), "1.0\nMB");
    EXPECT_EQ(ScrollIndicatorSize(10485761), "10\nMB");
    EXPECT_EQ(ScrollIndicatorSize(1073741825), "1\nGB");
}

} // namespace
} // namespace tonilo
