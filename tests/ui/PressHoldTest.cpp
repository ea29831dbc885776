// Press and hold of the skin buttons as a sequence of presses, timer ticks and
// releases, with what each sequence makes the window do.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/PressHoldController.h"
#include "ui/RemoteControl.h"

namespace tonilo {
namespace {

class Owner : public PressHoldOwner {
public:
    void SetHoldTimer(uint32_t ms) override { log += "timer" + std::to_string(ms) + " "; }
    void KillHoldTimer() override { log += "kill "; }
    void StepVolume(bool up, int32_t step) override {
        log += (up ? "up" : "down") + std::to_string(step) + " ";
    }
    void LongPressStop(uint32_t button) override { log += "stop" + std::to_string(button) + " "; }
    void StartWinding(uint32_t button) override { log += "wind" + std::to_string(button) + " "; }
    void EndWinding(uint32_t button) override { log += "unwind" + std::to_string(button) + " "; }
    void ShortPress(uint32_t button) override { log += "short" + std::to_string(button) + " "; }
    std::string log;
};

// p = press, t = timer tick, r = release, c = cancel (slid off).
std::string Play(uint32_t button, const std::string& steps) {
    Owner owner;
    PressHoldController hold(owner);
    for (char step : steps) {
        if (step == 'p')
            hold.Press(button);
        else if (step == 't')
            hold.OnTimer();
        else if (step == 'r')
            hold.Release(button);
        else if (step == 'c')
            hold.Cancel(button);
    }
    return owner.log;
}

TEST(PressHold, SequencesOfEachButton) {
    struct Case {
        uint32_t button;
        const char* steps;
        const char* log;
    } cases[] = {
        // Rec under 500 ms toggles; at 500 ms it stops and the release does nothing more.
        {kHoldRec, "pr", "timer500 kill short1205 "},
        {kHoldRec, "ptr", "timer500 timer60 kill stop1205 "},
        {kHoldPlay, "ptr", "timer500 timer60 kill stop1206 "},
        {kHoldPlay, "pr", "timer500 kill short1206 "},
        // Prev and Next wind while held, and step only on a short press.
        {kHoldNext, "ptr", "timer500 timer60 kill wind1209 unwind1209 "},
        {kHoldPrev, "pr", "timer500 kill short1208 "},
        {kHoldPrev, "ptc", "timer500 timer60 kill wind1208 unwind1208 "},
        {kHoldNext, "pc", "timer500 kill "},
        // The volume: 1 % at once, 4 % on each timed step, nothing on release.
        {kHoldVolUp, "pttr", "up655 timer500 timer60 up2620 up2620 kill "},
        {kHoldVolDown, "pr", "down655 timer500 kill "},
        // Stop and SortBy act on release only and never repeat.
        {kHoldStop, "ptr", "short1207 "},
        {kHoldSortBy, "pr", "short13139 "},
        // A tick after the release (already queued) changes nothing.
        {kHoldRec, "prt", "timer500 kill short1205 "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Play(c.button, c.steps), c.log) << c.button << " " << c.steps;
}

TEST(PressHold, SecondPressOfALongPressedButtonStartsOver) {
    Owner owner;
    PressHoldController hold(owner);
    hold.Press(kHoldRec);
    hold.OnTimer(); // long press: stopped
    EXPECT_TRUE(hold.LongPressed(kHoldRec));
    hold.Press(kHoldRec);
    EXPECT_FALSE(hold.LongPressed(kHoldRec));
    owner.log.clear();
    hold.Release(kHoldRec);
    EXPECT_EQ(owner.log, "kill short1205 ");
}

class Remote : public RemoteControlOwner {
public:
    void SetRemoteTimer(uint32_t ms) override { log += "timer "; }
    void KillRemoteTimer() override { log += "kill "; }
    void RemoteTogglePlayback() override { log += "play "; }
    void RemoteToggleRecording() override { log += "rec "; }
    void RemoteStop() override { log += "stop "; }
    void RemoteStep(int32_t direction) override { log += "step" + std::to_string(direction) + " "; }
    std::string log;
};

TEST(RemoteControlCodes, DoublePressRecordsAndSinglePressPlaysWhenTheWindowCloses) {
    Remote owner;
    RemoteControl remote(owner);
    remote.OnCode(kRemotePlayPause);
    remote.OnCode(kRemotePlayPause); // within the 500 ms window
    remote.OnTimer();                // a tick queued before the kill
    EXPECT_EQ(owner.log, "timer kill rec kill ");
    owner.log.clear();
    remote.OnCode(kRemotePlayPause);
    remote.OnTimer();
    remote.OnCode(kRemotePlayPause); // a new window: not a double press
    EXPECT_EQ(owner.log, "timer kill play timer ");
    owner.log.clear();
    for (uint32_t code : {103u, 104u, 105u, 106u, 107u})
        remote.OnCode(code);
    EXPECT_EQ(owner.log, "stop step1 step-1 play ");
}

} // namespace
} // namespace tonilo
