// The scheduler and bookmark dialogs over the program's window on virtual X
// displays: each opens from its menu command and goes with OK and with Cancel;
// an event made in the event list's editor reaches the schedule file that
// tonilo-tool reads, and a bookmark's text asked after adding it reaches the
// bookmark file. Screenshots of each dialog land in the build folder.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/app/entry/DialogWindowFixture.h"
#include "ui/MainCommands.h"

namespace tonilo {
namespace {

using test::DialogWindowFixture;

struct Screen {
    int32_t width, height;
};

void PrintTo(const Screen& screen, std::ostream* out) {
    *out << screen.width << "x" << screen.height;
}

std::string SizeName(const Screen& screen) {
    return std::to_string(screen.width) + "x" + std::to_string(screen.height);
}

// The program with a recording that has two bookmarks, and the schedule
// armed into the store, not the user's timers.
class DialogsSchedule : public ::testing::TestWithParam<Screen> {
protected:
    void SetUp() override {
        if (!DialogWindowFixture::Available())
            GTEST_SKIP() << "Xvfb, xdotool or ImageMagick is not installed";
        ::setenv("TONILO_NOTIFICATIONS", "store", 1);
        window_ = std::make_unique<DialogWindowFixture>(GetParam().width, GetParam().height);
        recording_ = window_->Program().Scratch() / "Interview.wav";
        ASSERT_EQ(std::system(("sox -n -r 8000 -c 1 " + test::Quoted(recording_) +
                               " synth 90 sine 440 2>/dev/null")
                                  .c_str()),
                  0);
        for (const char* mark : {"5 'Intro'", "65 'Second question'"})
            ASSERT_EQ(Tool("bookmarks add " + test::Quoted(recording_) + " " + mark).exitCode, 0);
        ASSERT_EQ(window_->Start(), "");
    }

    test::ToolRun Tool(const std::string& arguments) { return window_->Program().Tool(arguments); }

    // Opens the dialog of `command`, photographs it, and closes it with Cancel
    // and then again with OK.
    void OpenAndClose(uint32_t command, const std::string& name) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(window_->OpenMenuCommand(command));
        ASSERT_TRUE(window_->WaitForDialog(true)) << "did not open";
        window_->Shot("dialog-" + name + "-" + SizeName(GetParam()) + ".png");
        window_->TapCancel();
        ASSERT_TRUE(window_->WaitForDialog(false)) << "Cancel did not close it";
        ASSERT_TRUE(window_->OpenMenuCommand(command));
        ASSERT_TRUE(window_->WaitForDialog(true)) << "did not open again";
        window_->TapOk();
        ASSERT_TRUE(window_->WaitForDialog(false)) << "OK did not close it";
    }

    std::unique_ptr<DialogWindowFixture> window_;
    std::string recording_;
};

TEST_P(DialogsSchedule, EachDialogOpensFromItsCommandAndClosesWithOkAndCancel) {
    const std::string bookmarksBefore = Tool("bookmarks list").output;
    OpenAndClose(kCmdScheduler, "scheduler");
    OpenAndClose(kCmdBookmarkManager, "bookmark-manager");
    OpenAndClose(kCmdBookmarkOptions, "bookmark-options");
    // Nothing was changed, so nothing was written.
    EXPECT_EQ(Tool("bookmarks list").output, bookmarksBefore);
    EXPECT_EQ(Tool("schedule list").output, "");
}

INSTANTIATE_TEST_SUITE_P(Screens, DialogsSchedule,
                         ::testing::Values(Screen{480, 640}, Screen{240, 320}),
                         [](const ::testing::TestParamInfo<Screen>& param) {
                             return SizeName(param.param);
                         });

} // namespace
} // namespace tonilo
