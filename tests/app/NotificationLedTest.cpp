// The notification LED over a folder laid out as /sys/class/leds/<name>.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/NotificationLed.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

TEST(NotificationLed, BlinksThroughTheTimerTriggerAndSwitchesOff) {
    test::ScratchFolder leds;
    std::filesystem::create_directories(leds / "green:status");
    test::WriteWholeFile(leds / "green:status/trigger", "none");
    test::WriteWholeFile(leds / "green:status/brightness", "0");
    NotificationLed led("green:status", leds.Path());
    ASSERT_TRUE(led.Present());
    EXPECT_TRUE(led.Blink());
    EXPECT_EQ(test::ReadWholeFile(leds / "green:status/trigger"), "timer");
    EXPECT_TRUE(led.Off());
    EXPECT_EQ(test::ReadWholeFile(leds / "green:status/trigger"), "none");
    EXPECT_EQ(test::ReadWholeFile(leds / "green:status/brightness"), "0");
}

TEST(NotificationLed, MissingOrUnsafeNamesDoNothing) {
    test::ScratchFolder leds;
    std::filesystem::create_directories(leds / "sub");
    test::WriteWholeFile(leds / "brightness", "1");
    for (const char* name : {"", "absent", "..", ".", "sub/../"}) {
        NotificationLed led(name, (leds / "sub"));
        EXPECT_FALSE(led.Present()) << name;
        EXPECT_FALSE(led.Blink()) << name;
        EXPECT_FALSE(led.Off()) << name;
    }
    EXPECT_EQ(test::ReadWholeFile(leds / "brightness"), "1");
}

} // namespace
} // namespace tonilo
