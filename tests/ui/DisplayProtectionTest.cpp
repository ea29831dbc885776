// Display off: which button presses and taps wake the display under each Lock
// setting, the protection window's two circles, countdown and ending, its
// picture, and the backlight on a sysfs tree in a scratch folder.
#include <gtest/gtest.h>

#include <vector>

#include "app/HardwareButtons.h"
#include "app/SettingsStore.h"
#include "platform/power/Backlight.h"
#include "tests/skin/SkinTestSkin.h"
#include "tests/support/ScratchFolder.h"
#include "tests/ui/FakeWindowHost.h"
#include "ui/DisplayProtection.h"
#include "ui/ProtectionPainter.h"

namespace tonilo {
namespace {

constexpr uint32_t kPress = kButtonPressedMessage;
constexpr uint32_t kRelease = kButtonReleasedMessage;
constexpr uint32_t kTap = kPenTapMessage;
constexpr uint32_t kLeftArrow = 37;
constexpr uint32_t kDownArrow = 40;
constexpr uint32_t kRecordButton = 193;

class Display : public ::testing::Test {
protected:
    Display() : protection_(host_, settings_, Hooks()) { protection_.SetScreen(240, 320, 1); }

    DisplayProtection::Hooks Hooks() {
        DisplayProtection::Hooks hooks;
        hooks.turnedOff = [this] { events_ += "off "; };
        hooks.turnedOn = [this] { events_ += "on "; };
        hooks.protectionEnded = [this](bool unlocked) {
            events_ += unlocked ? "1036:1 " : "1036:0 ";
            protection_.OnProtectionEnded(unlocked);
        };
        return hooks;
    }
    void OffWithLock(uint32_t lock) {
        settings_.SetNumber("Lock", lock);
        protection_.TurnOff();
        events_.clear();
    }
    // A press and release of the record button: the release wakes.
    void WakeWithRecordButton() {
        ASSERT_FALSE(protection_.Filter(kPress, kRecordButton));
        ASSERT_FALSE(protection_.Filter(kRelease, kRecordButton));
    }

    test::FakeWindowHost host_;
    SettingsStore settings_;
    std::string events_;
    DisplayProtection protection_;
};

TEST_F(Display, WakeFilterUnderEachLock) {
    struct Step {
        uint32_t message, key;
        bool proceeds, offAfter;
    };
    struct Case {
        uint32_t lock;
        std::vector<Step> steps;
        const char* events;
    } cases[] = {
        // Lock 1: arrows act while the display stays dark; the record button's
        // press is swallowed and its release only wakes.
        {1,
         {{kPress, kLeftArrow, true, true},
          {kRelease, kLeftArrow, true, true},
          {kPress, kDownArrow, true, true},
          {kPress, kRecordButton, false, true},
          {kRelease, kRecordButton, false, false},
          {kPress, kRecordButton, true, false}},
         "on "},
        // Lock 0: an arrow is a button like any other.
        {0,
         {{kPress, kLeftArrow, false, true},
          {kRelease, kLeftArrow, false, false},
          {kRelease, kLeftArrow, true, false}},
         "on "},
        // A tap wakes on its own.
        {0, {{kTap, 0, false, false}, {kTap, 0, true, false}}, "on "},
        // Lock 2: the wake opens the protection window and the window stays
        // unlocked only through it.
        {2,
         {{kPress, kLeftArrow, false, true},
          {kRelease, kRecordButton, false, false},
          {kPress, kRecordButton, true, false}},
         ""},
    };
    protection_.TurnOff();
    protection_.TurnOff();
    EXPECT_EQ(events_, "off "); // once
    for (const Case& c : cases) {
        OffWithLock(c.lock);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            EXPECT_EQ(protection_.Filter(step.message, step.key), step.proceeds)
                << "lock " << c.lock << " step " << i;
            EXPECT_EQ(protection_.IsOff(), step.offAfter) << "lock " << c.lock << " step " << i;
            EXPECT_EQ(host_.blank, step.offAfter) << "lock " << c.lock << " step " << i;
        }
        EXPECT_EQ(events_, c.events) << "lock " << c.lock;
        EXPECT_EQ(protection_.ProtectionShown(), c.lock == 2);
        protection_.OnProtectionEnded(true);
    }
}

TEST_F(Display, SecondCircleOnlyAfterTheFirstAndCountdownRestarts) {
    OffWithLock(2);
    WakeWithRecordButton();
    ASSERT_TRUE(protection_.ProtectionShown());
    EXPECT_EQ(host_.timers[kProtectionTimer], 1000u);
    EXPECT_EQ(protection_.Countdown(), 5);

    // The bottom-right corner first does nothing.
    EXPECT_TRUE(protection_.OnTap(239, 319));
    EXPECT_EQ(protection_.Stage(), 0);
    ASSERT_TRUE(protection_.OnTimer(kProtectionTimer));
    ASSERT_TRUE(protection_.OnTimer(kProtectionTimer));
    EXPECT_EQ(protection_.Countdown(), 3);

    EXPECT_TRUE(protection_.OnTap(10, 10));
    EXPECT_EQ(protection_.Stage(), 1);
    EXPECT_EQ(protection_.Countdown(), 5);
    // The first corner again is now outside the circle.
    EXPECT_TRUE(protection_.OnTap(10, 10));
    EXPECT_TRUE(protection_.ProtectionShown());
    EXPECT_EQ(events_, "");

    EXPECT_TRUE(protection_.OnTap(230, 300));
    EXPECT_FALSE(protection_.ProtectionShown());
    EXPECT_EQ(host_.timers.count(kProtectionTimer), 0u);
    EXPECT_EQ(events_, "1036:1 on ");
    EXPECT_FALSE(host_.blank);
    EXPECT_FALSE(protection_.OnTap(10, 10)); // taps belong to the main window again
}

TEST_F(Display, WithoutTapsTheCountdownRunsOutAndTheDisplayGoesOffAgain) {
    OffWithLock(2);
    WakeWithRecordButton();
    for (int tick = 1; tick <= 5; ++tick) {
        ASSERT_TRUE(protection_.OnTimer(kProtectionTimer));
        EXPECT_EQ(protection_.Countdown(), 5 - tick);
        EXPECT_TRUE(protection_.ProtectionShown()) << tick;
    }
    EXPECT_EQ(events_, "");
    // The tick that finds the count at 0 ends it.
    ASSERT_TRUE(protection_.OnTimer(kProtectionTimer));
    EXPECT_EQ(events_, "1036:0 off ");
    EXPECT_TRUE(host_.blank);
    EXPECT_EQ(host_.timers.count(kProtectionTimer), 0u);
    EXPECT_FALSE(protection_.OnTimer(kDisplayOffTimer)); // not the protection's
}

TEST_F(Display, ACircleReachesExactlyItsRadius) {
    struct Case {
        int32_t width, height, scale;
        int32_t x, y;
        bool inside;
    } cases[] = {
        {240, 320, 1, 75, 0, true},   {240, 320, 1, 76, 0, false},
        {240, 320, 1, 0, 75, true},   {240, 320, 1, 0, 76, false},
        {240, 320, 1, 45, 60, true},  {240, 320, 1, 46, 60, false}, // 45² + 60² = 75²
        {480, 640, 2, 150, 0, true},  {480, 640, 2, 151, 0, false},
        {480, 640, 2, 90, 120, true}, {480, 640, 2, 91, 120, false},
        {480, 640, 2, 0, 150, true},  {480, 640, 2, 0, 151, false},
    };
    for (const Case& c : cases) {
        protection_.SetScreen(c.width, c.height, c.scale);
        OffWithLock(2);
        WakeWithRecordButton();
        ASSERT_EQ(protection_.Radius(), 75 * c.scale);
        protection_.OnTap(c.x, c.y);
        EXPECT_EQ(protection_.Stage(), c.inside ? 1 : 0) << c.x << "," << c.y << " x" << c.scale;
        if (!c.inside)
            protection_.OnTap(0, 0);
        // The same distance from the bottom-right corner.
        protection_.OnTap(c.width - 1 - c.x, c.height - 1 - c.y);
        EXPECT_EQ(protection_.ProtectionShown(), !c.inside) << c.x << "," << c.y;
        EXPECT_EQ(events_, c.inside ? "1036:1 on " : "") << c.x << "," << c.y;
        protection_.OnProtectionEnded(true);
    }
    EXPECT_EQ(ProtectionScaleFor(800, 480), 2);
    EXPECT_EQ(ProtectionScaleFor(479, 800), 1);
}

TEST_F(Display, PictureShowsTheCircleTextAndCountdown) {
    test::FixedFontRenderer font;
    ProtectionPainter painter(&font);
    constexpr int32_t kWidth = 240, kHeight = 320, kPitch = 256;
    constexpr uint16_t kUntouched = 0x1234;
    std::vector<uint16_t> pixels(static_cast<size_t>(kPitch) * kHeight, kUntouched);
    auto at = [&](int32_t x, int32_t y) { return pixels[static_cast<size_t>(y) * kPitch + x]; };
    OffWithLock(2);
    WakeWithRecordButton();

    painter.Paint(protection_, pixels.data(), kWidth, kHeight, kPitch);
    EXPECT_EQ(at(200, 20), 0xFFFF);       // white screen
    EXPECT_EQ(at(kWidth, 5), kUntouched); // the row's padding is left alone
    EXPECT_EQ(at(75, 0), 0x0000);         // the pen on the radius,
    EXPECT_EQ(at(76, 0), 0x0000);         // three pixels wide
    EXPECT_EQ(at(77, 0), 0xFFFF);
    EXPECT_EQ(at(239, 319), 0xFFFF);                // no second circle yet
    EXPECT_EQ(at(10, 10), 0x0000);                  // "Tap" from the left, inside the circle
    EXPECT_EQ(at(kWidth / 2, kHeight / 2), 0x0000); // "5" in the middle
    EXPECT_EQ(at(kWidth / 2 + 5, kHeight / 2), 0xFFFF);

    protection_.OnTap(0, 0);
    painter.Paint(protection_, pixels.data(), kWidth, kHeight, kPitch);
    EXPECT_EQ(at(75, 0), 0xFFFF);
    EXPECT_EQ(at(239, 319 - 75), 0x0000);
    EXPECT_EQ(at(229, 309), 0x0000); // "here" right-aligned against the corner
    EXPECT_EQ(at(130, 309), 0xFFFF);

    // Without a font the circle still shows.
    ProtectionPainter plain(nullptr);
    plain.Paint(protection_, pixels.data(), kWidth, kHeight, kPitch);
    EXPECT_EQ(at(229, 309), 0xFFFF);
    EXPECT_EQ(at(239 - 75, 319), 0x0000);
}

TEST(Backlight, FirstUsableDeviceGoesDarkWhileTheDisplayIsOff) {
    test::ScratchFolder folder;
    auto device = [&](const std::string& name, const char* brightness) {
        std::string file = folder.Folder(name) + "/brightness";
        if (brightness)
            test::WriteWholeFile(file, brightness);
        return file;
    };
    device("acpi_video0", nullptr);   // no brightness file
    device("backlight0", "bright\n"); // not a number
    const std::string panel = device("panel", "117\n");
    const std::string later = device("zz_other", "40\n");
    EXPECT_FALSE(Backlight(folder / "missing").SwitchOff());
    {
        Backlight light(folder.Path());
        EXPECT_EQ(light.Device(), "panel");
        test::FakeWindowHost host;
        SettingsStore settings;
        settings.SetNumber("Lock", 2);
        DisplayProtection protection(host, settings, {}, &light);
        protection.TurnOff();
        EXPECT_EQ(test::ReadWholeFile(panel), "0\n");
        // The protection window needs the light; timing out takes it away again.
        protection.Filter(kRelease, kRecordButton);
        EXPECT_EQ(test::ReadWholeFile(panel), "117\n");
        protection.OnProtectionEnded(false);
        EXPECT_TRUE(light.SwitchOff()); // again while off keeps the first brightness
        EXPECT_EQ(test::ReadWholeFile(panel), "0\n");
    }
    // Gone while dark: the light comes back.
    EXPECT_EQ(test::ReadWholeFile(panel), "117\n");
    EXPECT_EQ(test::ReadWholeFile(later), "40\n");
}

} // namespace
} // namespace tonilo
