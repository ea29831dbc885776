// tonilo-tool play steered by keys on a terminal: the tool runs on a pseudo
// terminal, as under a shell, and plays in real time on SDL's disk driver.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/support/EngineTestSupport.h"

namespace tonilo::test {
namespace {

class PlayKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        // One folder a case: ctest runs the cases side by side.
        folder_ = ScratchFolder(std::string("play-keys-") +
                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        path_ = folder_ + "/long.wav";
        // Twenty seconds: far longer than any case here runs.
        ASSERT_TRUE(WriteWav16(path_, SinePcm16(16000, 16000 * 20, 440), 16000, 1));
    }

    void TearDown() override {
        if (child_ > 0) {
            kill(child_, SIGKILL);
            waitpid(child_, nullptr, 0);
        }
        if (terminal_ >= 0)
            close(terminal_);
    }

    void StartPlaying() {
        child_ = forkpty(&terminal_, nullptr, nullptr, nullptr);
        ASSERT_GE(child_, 0);
        if (child_ == 0) {
            setenv("SDL_AUDIODRIVER", "disk", 1);
            setenv("SDL_DISKAUDIOFILE", (folder_ + "/output.raw").c_str(), 1);
            unsetenv("SDL_DISKAUDIODELAY"); // real time
            setenv("TONILO_REGISTRY", (folder_ + "/registry.db").c_str(), 1);
            std::string tool = std::string(TONILO_PROGRAM_DIR) + "/tonilo-tool";
            execl(tool.c_str(), tool.c_str(), "play", path_.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }

    // Takes in what the tool shows, waiting up to milliseconds for it.
    void ReadShown(int milliseconds) {
        pollfd input{terminal_, POLLIN, 0};
        if (poll(&input, 1, milliseconds) != 1)
            return;
        char bytes[512];
        ssize_t count = read(terminal_, bytes, sizeof bytes);
        if (count > 0)
            shown_.append(bytes, static_cast<size_t>(count));
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

    // Whether text is shown after the mark within the time-out.
    bool WaitForShown(const std::string& text, int milliseconds = 20000) {
        auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (shown_.find(text, mark_) == std::string::npos) {
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            ReadShown(50);
        }
        return true;
    }

    // Presses a key; only what is shown after it counts for the next wait.
    void Press(char key) {
        mark_ = shown_.size();
        ASSERT_EQ(write(terminal_, &key, 1), 1);
    }

    int WaitForExit(int seconds) {
        for (int i = 0; i < seconds * 20; ++i) {
            int status = 0;
            if (waitpid(child_, &status, WNOHANG) == child_) {
                child_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            ReadShown(50); // a full terminal would hold the tool up
        }
        return -1;
    }

    std::string folder_, path_, shown_;
    size_t mark_ = 0;
    pid_t child_ = -1;
    int terminal_ = -1;
};

TEST_F(PlayKeysTest, SpacePausesAndResumesAndSStops) {
    StartPlaying();
    ASSERT_TRUE(WaitForShown("keys: space pause/resume")) << shown_;
    ASSERT_TRUE(WaitForShown("playing")) << shown_;
    Press(' ');
    ASSERT_TRUE(WaitForShown("paused")) << shown_;
    Press(' ');
    ASSERT_TRUE(WaitForShown("playing")) << shown_;
    Press('s');
    EXPECT_EQ(WaitForExit(10), 0) << shown_;
    EXPECT_LT(FileSize(folder_ + "/output.raw"), 16000 * 2 * 10)
        << "stopped long before the end";
}

TEST_F(PlayKeysTest, FastForwardMovesAheadOfTheClockAndRewindGoesBack) {
    StartPlaying();
    ASSERT_TRUE(WaitForShown("playing")) << shown_;
    Press('f');
    ASSERT_TRUE(WaitForShown("fast forward")) << shown_;
    // Fast forward plays one part in four: in real time it reaches the
    // eighth second in about two.
    ASSERT_TRUE(WaitForShown("0:08 / 0:20", 6000)) << shown_;
    Press('f');
    ASSERT_TRUE(WaitForShown("playing")) << shown_;
    Press('r');
    ASSERT_TRUE(WaitForShown("rewinding")) << shown_;
    ASSERT_TRUE(WaitForShown("0:04 / 0:20", 8000)) << "it went back: " << shown_;
    Press('q');
    EXPECT_EQ(WaitForExit(10), 0) << shown_;
}

} // namespace
} // namespace tonilo::test
