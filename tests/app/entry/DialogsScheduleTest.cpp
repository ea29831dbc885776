// The scheduler and bookmark dialogs over the program's window on virtual X
// displays: each opens from its menu command and goes with OK and with Cancel;
// an event made in the event list's editor reaches the schedule file that
// tonilo-tool reads only when the list is closed with OK, and a bookmark's
// text asked for after adding it reaches the bookmark file. Screenshots of
// each dialog land in the build folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "tests/app/entry/DialogWindowFixture.h"
#include "ui/MainCommands.h"

namespace tonilo {
namespace {

using test::DialogWindowFixture;
using test::Screen;
using test::SizeName;

// Where controls land at 480x640 (a 21-pixel font), read off the screenshots:
// the end-to-end cases tap them there.
struct Point {
    int32_t x, y;
};
constexpr Point kNewButton{82, 507};
constexpr Point kNameField{240, 156};
constexpr Point kEventTab{48, 73};
constexpr Point kTimeTab{128, 73};
constexpr Point kYearPlus{421, 255};
constexpr Point kAskForTextBox{30, 124};
constexpr Point kIntroRow{240, 100};
constexpr Point kDeleteBookmarkButton{120, 507};
constexpr Point kDeleteYes{132, 372};
constexpr Point kSaveYes{97, 361};

// The program with a recording that has two bookmarks, and the schedule
// armed into the store rather than the user's timers.
class DialogsSchedule : public ::testing::TestWithParam<Screen> {
protected:
    void SetUp() override {
        if (!DialogWindowFixture::Available())
            GTEST_SKIP() << "Xvfb, xdotool or ImageMagick is not installed";
        ::setenv("TONILO_NOTIFICATIONS", "store", 1);
        window_ = std::make_unique<DialogWindowFixture>(GetParam().width, GetParam().height, true);
        recording_ = window_->Program().Scratch() / "Interview.wav";
        ASSERT_EQ(std::system(("sox -n -r 8000 -c 1 " + test::Quoted(recording_) +
                               " synth 90 sine 440 2>/dev/null")
                                  .c_str()),
                  0);
        for (const char* mark : {"45 'Intro'", "65 'Second question'"})
            ASSERT_EQ(Tool("bookmarks add " + test::Quoted(recording_) + " " + mark).exitCode, 0);
        ASSERT_EQ(window_->Start(), "");
    }

    test::ToolRun Tool(const std::string& arguments) { return window_->Program().Tool(arguments); }
    std::string Shot(const std::string& name) {
        std::string file = "dialog-" + name + "-" + SizeName(GetParam()) + ".png";
        window_->Shot(file);
        return file;
    }
    void Tap(Point point) { window_->Tap(point.x, point.y); }

    // The scheduler is the last entry of the Settings submenu, whose last row
    // overlaps the soft-key bar: the keyboard reaches it from the submenu's end.
    bool Open(uint32_t command) {
        if (command != kCmdScheduler)
            return window_->OpenMenuCommand(command) && window_->WaitForDialog(true);
        if (!window_->Settled([&] { window_->TapRightKey(); }))
            return false;
        for (const char* key : {"Up", "Up", "Up", "Right", "End", "Down", "space"})
            if (!window_->Settled([&] { window_->Key(key); }))
                return false;
        return window_->WaitForDialog(true);
    }

    // Opens the dialog of `command`, photographs it, and closes it with Cancel
    // and then again with OK.
    void OpenAndClose(uint32_t command, const std::string& name) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(Open(command)) << "did not open";
        Shot(name);
        window_->TapCancel();
        ASSERT_TRUE(window_->WaitForDialog(false)) << "Cancel did not close it";
        ASSERT_TRUE(Open(command)) << "did not open again";
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
                         ::testing::Values(Screen{480, 640, "default_vga"},
                                           Screen{240, 320, "default"}),
                         [](const ::testing::TestParamInfo<Screen>& param) {
                             return SizeName(param.param);
                         });

class DialogsScheduleEndToEnd : public DialogsSchedule {};

TEST_P(DialogsScheduleEndToEnd, AnEventMadeInTheEditorIsSavedByTheListsOkOnly) {
    ASSERT_TRUE(Open(kCmdScheduler));
    // Each step waits for its frame: a key sent before the field is active
    // would go elsewhere.
    ASSERT_TRUE(window_->Settled([&] { Tap(kNewButton); }));
    Shot("event");
    ASSERT_TRUE(window_->Settled([&] { Tap(kTimeTab); }));
    // It starts now, which has passed by the time OK is pressed: refused, and
    // the editor stays.
    ASSERT_TRUE(window_->Settled([&] { window_->TapOk(); }));
    Shot("event-refused");
    ASSERT_TRUE(window_->Settled([&] { window_->Key("Return"); }));
    Shot("event-time");
    ASSERT_TRUE(window_->Settled([&] { Tap(kYearPlus); }));
    // Back on the first page the name is typed over the proposed one.
    ASSERT_TRUE(window_->Settled([&] { Tap(kEventTab); }));
    ASSERT_TRUE(window_->Settled([&] { Tap(kNameField); }));
    ASSERT_TRUE(window_->Settled([&] { window_->Key("ctrl+a"); }));
    window_->Type("Morning news");
    ASSERT_TRUE(window_->Settled([&] { window_->TapOk(); }));
    Shot("scheduler-with-event");
    // Cancel keeps the file as it was ...
    window_->TapCancel();
    ASSERT_TRUE(window_->WaitForDialog(false));
    EXPECT_EQ(Tool("schedule list").output, "");
    // ... while the program still has the event, which the next OK saves.
    ASSERT_TRUE(Open(kCmdScheduler));
    window_->TapOk();
    ASSERT_TRUE(window_->WaitForDialog(false));

    std::time_t now = std::time(nullptr);
    std::tm local = *std::localtime(&now);
    std::string year = std::to_string(local.tm_year + 1900 + 1) + "-";
    std::string listed = Tool("schedule list").output;
    EXPECT_EQ(listed.rfind("Morning news\tRecord\t" + year, 0), 0u) << listed;
    EXPECT_NE(listed.find("\t1800\tonce\tenabled\n"), std::string::npos) << listed;
}

TEST_P(DialogsScheduleEndToEnd, ABookmarksTextAskedForAfterAddingIsSaved) {
    ASSERT_EQ(Tool("send " + test::Quoted(recording_)).exitCode, 0);
    ASSERT_TRUE(window_->Program().WaitForMode("playing"));
    // Asking is on from the start; switched off and cancelled, it stays on.
    ASSERT_TRUE(Open(kCmdBookmarkOptions));
    ASSERT_TRUE(window_->Settled([&] { Tap(kAskForTextBox); }));
    Shot("bookmark-options-unticked");
    window_->TapCancel();
    ASSERT_TRUE(window_->WaitForDialog(false));

    ASSERT_TRUE(window_->OpenMenuCommand(kCmdAddBookmark));
    ASSERT_TRUE(window_->WaitForDialog(true)) << "no text was asked for";
    window_->Type("Applause");
    Shot("bookmark-text");
    window_->TapOk();
    ASSERT_TRUE(window_->WaitForDialog(false));
    EXPECT_TRUE(window_->Program().WaitForStatus([&](const test::Status&) {
        return Tool("bookmarks list").output.find("  Applause\n") != std::string::npos;
    })) << Tool("bookmarks list").output;
}

TEST_P(DialogsScheduleEndToEnd, TheManagersDeletionIsSavedOnlyWhenKept) {
    const std::string before = Tool("bookmarks list").output;
    ASSERT_NE(before.find("  0:45  Intro\n"), std::string::npos) << before;
    // Deleted and cancelled: the file stays as it was.
    ASSERT_TRUE(Open(kCmdBookmarkManager));
    ASSERT_TRUE(window_->Settled([&] { Tap(kIntroRow); }));
    ASSERT_TRUE(window_->Settled([&] { Tap(kDeleteBookmarkButton); }));
    Shot("bookmark-manager-delete");
    ASSERT_TRUE(window_->Settled([&] { Tap(kDeleteYes); }));
    window_->TapCancel();
    ASSERT_TRUE(window_->WaitForDialog(false));
    EXPECT_EQ(Tool("bookmarks list").output, before);

    // Deleted, done and kept.
    ASSERT_TRUE(Open(kCmdBookmarkManager));
    ASSERT_TRUE(window_->Settled([&] { Tap(kIntroRow); }));
    ASSERT_TRUE(window_->Settled([&] { Tap(kDeleteBookmarkButton); }));
    ASSERT_TRUE(window_->Settled([&] { Tap(kDeleteYes); }));
    ASSERT_TRUE(window_->Settled([&] { window_->TapOk(); }));
    Shot("bookmark-manager-save");
    Tap(kSaveYes);
    ASSERT_TRUE(window_->WaitForDialog(false));
    std::string after = Tool("bookmarks list").output;
    EXPECT_EQ(after.find("Intro"), std::string::npos) << after;
    EXPECT_NE(after.find("  1:05  Second question\n"), std::string::npos) << after;
}

INSTANTIATE_TEST_SUITE_P(Screens, DialogsScheduleEndToEnd,
                         ::testing::Values(Screen{480, 640, "default_vga"}),
                         [](const ::testing::TestParamInfo<Screen>& param) {
                             return SizeName(param.param);
                         });

} // namespace
} // namespace tonilo
