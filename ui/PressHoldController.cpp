#include "ui/PressHoldController.h"

namespace tonilo {

uint16_t SteppedVolume(uint16_t volume, int32_t step, bool up) {
    int32_t value = up ? volume + step : volume - step;
    if (value > 65535)
        value = 65535;
    if (value < 0)
        value = 0;
    return static_cast<uint16_t>(value);
}

bool* PressHoldController::LongPressFlag(uint32_t button) {
    switch (button) {
    case kHoldRec:
        return &longRec_;
    case kHoldPlay:
        return &longPlay_;
    case kHoldPrev:
        return &longPrev_;
    case kHoldNext:
        return &longNext_;
    default:
        return nullptr;
    }
}

bool PressHoldController::LongPressed(uint32_t button) const {
    switch (button) {
    case kHoldRec:
        return longRec_;
    case kHoldPlay:
        return longPlay_;
    case kHoldPrev:
        return longPrev_;
    case kHoldNext:
        return longNext_;
    default:
        return false;
    }
}

void PressHoldController::Press(uint32_t button) {
    bool repeats = LongPressFlag(button) || button == kHoldVolUp || button == kHoldVolDown;
    if (!repeats)
        return;
    if (bool* flag = LongPressFlag(button))
        *flag = false;
    held_ = button;
    firstTick_ = true;
    RepeatStep();
    owner_.SetHoldTimer(kHoldFirstMs);
    timerRuns_ = true;
}

void PressHoldController::OnTimer() {
    if (!timerRuns_)
        return;
    if (firstTick_) {
        firstTick_ = false;
        owner_.SetHoldTimer(kHoldRepeatMs);
    }
    RepeatStep();
}

void PressHoldController::RepeatStep() {
    switch (held_) {
    case kHoldVolUp:
    case kHoldVolDown:
        owner_.StepVolume(held_ == kHoldVolUp, firstTick_ ? kVolumeFirstStep : kVolumeRepeatStep);
        break;
    case kHoldRec:
    case kHoldPlay:
    case kHoldPrev:
    case kHoldNext: {
        if (firstTick_)
            break; // the immediate step of these buttons does nothing
        uint32_t button = held_;
        owner_.KillHoldTimer();
        timerRuns_ = false;
        held_ = 0;
        *LongPressFlag(button) = true;
        if (button == kHoldRec || button == kHoldPlay)
            owner_.LongPressStop(button);
        else
            owner_.StartWinding(button);
        break;
    }
    default:
        break;
    }
}

void PressHoldController::Release(uint32_t button) {
    if (held_ == button && timerRuns_) {
        owner_.KillHoldTimer();
        timerRuns_ = false;
        held_ = 0;
    }
    bool* flag = LongPressFlag(button);
    bool longPressed = flag && *flag;
    if (flag)
        *flag = false;
    if (button == kHoldVolUp || button == kHoldVolDown)
        return;
    if (longPressed) {
        if (button == kHoldPrev || button == kHoldNext)
            owner_.EndWinding(button);
        return; // Rec and Play stopped already
    }
    owner_.ShortPress(button);
}

void PressHoldController::Cancel(uint32_t button) {
    if (held_ == button && timerRuns_) {
        owner_.KillHoldTimer();
        timerRuns_ = false;
        held_ = 0;
    }
    if ((button == kHoldPrev || button == kHoldNext) && LongPressed(button)) {
        *LongPressFlag(button) = false;
        owner_.EndWinding(button);
    }
}

} // namespace tonilo
