#include "platform/files/FolderWatcher.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "platform/ProcessLauncher.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/WaitUntil.h"

namespace tonilo {
namespace {

using test::ScratchFolder;

class FolderWatcherTest : public ::testing::Test {
protected:
    // What is still on its way belongs to no later test.
    ~FolderWatcherTest() override {
        watcher_.Stop();
        ThreadMessage left;
        while (PeekMessageFor(kFolderChangedMessage, &left, true))
            FolderWatcher::TakeChangedPath(left);
    }

    // The next path the watcher posts to this thread; "" after the time-out.
    std::string NextChange() {
        ThreadMessage message;
        if (!GetMessageTimeout(&message, 20000) || message.message != kFolderChangedMessage)
            return "";
        return FolderWatcher::TakeChangedPath(message);
    }
    // Something another program does in the folder.
    static void Run(const std::string& script, const std::string& folder) {
        ASSERT_EQ(RunAndWait({"/bin/sh", "-c", script, "sh", folder}), 0) << script;
    }

    ScratchFolder scratch_;
    std::string shown_ = scratch_.Folder("shown");
    FolderWatcher watcher_{GetCurrentThreadId()};
};

TEST_F(FolderWatcherTest, SeesWhatAnotherProgramDoesInTheFolder) {
    ASSERT_TRUE(watcher_.Watch(shown_));
    const struct {
        const char* script;
        std::string changed;
    } steps[] = {
        {"printf x > \"$1/Zürich\ncall.wav\"", shown_ + "/Zürich\ncall.wav"},
        {"mv \"$1/Zürich\ncall.wav\" \"$1/renamed.wav\"", shown_ + "/Zürich\ncall.wav"},
        {"rm \"$1/renamed.wav\"", shown_ + "/renamed.wav"},
        {"mkdir \"$1/sub\"", shown_ + "/sub"},
        {"printf y > \"$1/../moved.wav\" && mv \"$1/../moved.wav\" \"$1/\"", shown_ + "/moved.wav"},
    };
    for (const auto& step : steps) {
        Run(step.script, shown_);
        // Whatever followed in the same burst was held back while this waited.
        EXPECT_EQ(NextChange(), step.changed) << step.script;
        // Drain the rest of the burst, so the next step starts clean.
        ThreadMessage rest;
        while (PeekMessageFor(kFolderChangedMessage, &rest, true))
            FolderWatcher::TakeChangedPath(rest);
    }
    Run("rm -r \"$1\"", shown_);
    std::string change = NextChange();
    // The entry's deletion and the folder's own may come in one read or two.
    if (change != shown_)
        change = NextChange();
    EXPECT_EQ(change, shown_);
}

TEST_F(FolderWatcherTest, OneMessageWaitsAtATimeAndAnotherFolderReplacesTheFirst) {
    ASSERT_TRUE(watcher_.Watch(shown_));
    for (int i = 0; i < 50; ++i)
        scratch_.Write("shown/burst" + std::to_string(i) + ".wav", "x");
    // A hundred events, one message while it is not taken.
    ASSERT_TRUE(test::WaitUntil([] { return QueuedMessageCount() > 0; }));
    EXPECT_EQ(QueuedMessageCount(), 1u);
    EXPECT_EQ(NextChange(), shown_ + "/burst0.wav");

    std::string other = scratch_.Folder("other");
    ASSERT_TRUE(watcher_.Watch(other));
    EXPECT_EQ(watcher_.Folder(), other);
    scratch_.Write("shown/ignored.wav", "x");
    scratch_.Write("other/seen.wav", "x");
    std::string next = NextChange();
    // The burst may still have one message in flight from before the switch.
    if (next.rfind(shown_ + "/burst", 0) == 0)
        next = NextChange();
    EXPECT_EQ(next, other + "/seen.wav");

    EXPECT_FALSE(watcher_.Watch(scratch_ / "missing"));
    EXPECT_EQ(watcher_.Folder(), "");
    EXPECT_FALSE(watcher_.Watch(scratch_.Write("file.wav", "")));
}

} // namespace
} // namespace tonilo
