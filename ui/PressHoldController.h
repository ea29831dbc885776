#pragma once
// Press and hold of the skin's buttons: a press runs the button's step at once
// and starts the repeat timer (500 ms, then every 60 ms). Volume buttons step on
// every tick; Rec, Play, Prev and Next wait for the first timed tick and then
// turn into their long-press action (stop, rewind, fast forward), after which
// their release does something else than a short press's.
#include <cstdint>

namespace tonilo {

// Button ids: the hardware-button actions of the skin buttons.
enum HoldButton : uint32_t {
    kHoldRec = 1205,
    kHoldPlay = 1206,
    kHoldStop = 1207,
    kHoldPrev = 1208,
    kHoldNext = 1209,
    kHoldVolUp = 1210,
    kHoldVolDown = 1211,
    kHoldSortBy = 13139,
};

constexpr uint32_t kHoldTimer = 1215;
constexpr uint32_t kHoldFirstMs = 500;
constexpr uint32_t kHoldRepeatMs = 60;
constexpr int32_t kVolumeFirstStep = 655;   // 1 % of 65535
constexpr int32_t kVolumeRepeatStep = 2620; // 4 %

// The volume after one step up or down, held within 0..65535.
uint16_t SteppedVolume(uint16_t volume, int32_t step, bool up);

class PressHoldOwner {
public:
    virtual ~PressHoldOwner() = default;
    virtual void SetHoldTimer(uint32_t milliseconds) = 0;
    virtual void KillHoldTimer() = 0;
    virtual void StepVolume(bool up, int32_t step) = 0;
    // The long press of Rec or Play: their look released, Stop issued.
    virtual void LongPressStop(uint32_t button) = 0;
    // Prev or Next held: the button stays shown held, winding starts / ends.
    virtual void StartWinding(uint32_t button) = 0;
    virtual void EndWinding(uint32_t button) = 0;
    // A release that was not a long press.
    virtual void ShortPress(uint32_t button) = 0;
};

class PressHoldController {
public:
    explicit PressHoldController(PressHoldOwner& owner) : owner_(owner) {}

    void Press(uint32_t button);
    void Release(uint32_t button);
    void Cancel(uint32_t button);
    void OnTimer();

    uint32_t Held() const { return held_; }
    bool LongPressed(uint32_t button) const;

private:
    void RepeatStep();
    bool* LongPressFlag(uint32_t button);

    PressHoldOwner& owner_;
    uint32_t held_ = 0; // the button the timer belongs to
    bool timerRuns_ = false;
    bool firstTick_ = false;
    bool longRec_ = false, longPlay_ = false, longPrev_ = false, longNext_ = false;
};

} // namespace tonilo
