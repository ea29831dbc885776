// The dialogs over the program's window, end to end on virtual X displays: the
// about box opens from its menu entry, covers the window, keeps taps from the
// skin beneath, and goes with OK, Escape and Enter. Screenshots of each size
// land in the build folder.
#include <gtest/gtest.h>

#include "tests/app/entry/DialogWindowFixture.h"
#include "ui/MainCommands.h"

namespace tonilo {
namespace {

using test::DialogWindowFixture;
using test::Screen;
using test::SizeName;
using test::Status;

class DialogsHost : public ::testing::TestWithParam<Screen> {};

TEST_P(DialogsHost, AboutBoxOpensFromTheMenuHoldsTheWindowAndClosesWithOkEscapeAndEnter) {
    const Screen screen = GetParam();
    if (!DialogWindowFixture::Available())
        GTEST_SKIP() << "Xvfb, xdotool or ImageMagick is not installed";
    DialogWindowFixture window(screen.width, screen.height);
    ASSERT_EQ(window.Start(), "");

    ASSERT_TRUE(window.OpenMenuCommand(kCmdAbout));
    ASSERT_TRUE(window.WaitForDialog(true)) << "the about box did not open";
    window.Shot("dialog-about-" + SizeName(screen) + ".png");
    // A tap where Rec is on the skin lands on the dialog: nothing records.
    const test::Box rec = test::ElementBox(screen.skin, "Rec");
    ASSERT_GT(rec.width, 0);
    window.Tap(rec.CentreX(), rec.CentreY());
    window.TapOk();
    ASSERT_TRUE(window.WaitForDialog(false)) << "OK did not close the about box";
    Status status = window.Program().AskStatus();
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status.at("mode"), "ready") << test::StatusText(status);

    for (const char* key : {"Escape", "Return"}) {
        ASSERT_TRUE(window.OpenMenuCommand(kCmdAbout));
        ASSERT_TRUE(window.WaitForDialog(true)) << "the about box did not open again";
        window.Key(key);
        EXPECT_TRUE(window.WaitForDialog(false)) << key << " did not close the about box";
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, DialogsHost,
                         ::testing::Values(Screen{480, 640, "default_vga"},
                                           Screen{240, 320, "default"},
                                           Screen{800, 480, "default_wvga_land"}),
                         [](const ::testing::TestParamInfo<Screen>& param) {
                             return SizeName(param.param);
                         });

} // namespace
} // namespace tonilo
