// The main window's loop on SDL's offscreen driver: it sleeps until an event or a
// thread message comes (and draws nothing for a message that changes nothing) and
// delivers its timers until they are killed. (The soft keys are tapped in the
// program's end-to-end tests, on a real X server.)
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <thread>

#include "platform/ThreadMessages.h"
#include "platform/window/SdlMainHost.h"

namespace tonilo {
namespace {

class Client : public WindowClient {
public:
    void OnCommand(uint32_t id) override { commands.push_back(id); }
    void OnTimer(uint32_t id) override { timers.push_back(id); }
    void OnMenuOpening(Menu*) override {}
    void OnScreenChanged(int32_t, int32_t) override {}
    void OnActivate(bool) override {}
    void OnCloseRequest() override {}
    std::vector<uint32_t> commands, timers;
};

class SdlMainHostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::setenv("SDL_VIDEODRIVER", "offscreen", 0); }
    SdlMainHostTest() : host_(SdlMainHost::Options{"Test", "", OverlayTexts{}}) {}
    SdlMainHost host_;
    Client client_;
};

TEST_F(SdlMainHostTest, MessagesWakeTheLoopWhichDrawsOnlyWhatChanged) {
    ASSERT_TRUE(host_.Open()) << SDL_GetError();
    host_.SetClient(&client_);
    ThreadId self = GetCurrentThreadId();
    std::vector<uint32_t> seen;
    uint64_t framesAtFirst = 0;
    std::thread poster([self] {
        PostThreadMessage(self, 1024, 1, 0);
        PostThreadMessage(self, 1024, 2, 0);
    });
    host_.Run([&](const ThreadMessage& message) {
        seen.push_back(static_cast<uint32_t>(message.wParam));
        if (seen.size() == 1) {
            framesAtFirst = host_.FramesDrawn();
        } else if (seen.size() == 2) {
            // Nothing changed between the two: no frame was drawn for them.
            EXPECT_EQ(host_.FramesDrawn(), framesAtFirst);
            host_.Quit();
        }
    });
    poster.join();
    EXPECT_EQ(seen, (std::vector<uint32_t>{1, 2}));
}

TEST_F(SdlMainHostTest, TimersTickUntilKilledAndARestartedOneStartsAfresh) {
    ASSERT_TRUE(host_.Open());
    host_.SetClient(&client_);
    host_.SetTimer(7, 1);
    host_.SetTimer(8, 100000); // never due here
    ThreadId self = GetCurrentThreadId();
    // A message after three ticks ends the loop (the timers come as events).
    struct Watch : WindowClient {
        SdlMainHost* host;
        ThreadId thread;
        int ticks = 0;
        void OnCommand(uint32_t) override {}
        void OnTimer(uint32_t id) override {
            EXPECT_EQ(id, 7u);
            if (++ticks == 3) {
                host->KillTimer(7);
                PostThreadMessage(thread, 1024, 0, 0);
            }
        }
        void OnMenuOpening(Menu*) override {}
        void OnScreenChanged(int32_t, int32_t) override {}
        void OnActivate(bool) override {}
        void OnCloseRequest() override {}
    } watch;
    watch.host = &host_;
    watch.thread = self;
    host_.SetClient(&watch);
    host_.Run([&](const ThreadMessage&) { host_.Quit(); });
    EXPECT_EQ(watch.ticks, 3);
}

} // namespace
} // namespace tonilo
