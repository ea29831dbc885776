#include "ui/HoldActions.h"

#include "app/EngineController.h"
#include "app/RecorderController.h"
#include "platform/window/WindowHost.h"
#include "ui/WindowDisplay.h"

namespace tonilo {

void HoldActions::SetHoldTimer(uint32_t milliseconds) {
    host_.SetTimer(kHoldTimer, milliseconds);
}

void HoldActions::KillHoldTimer() {
    host_.KillTimer(kHoldTimer);
}

void HoldActions::StepVolume(bool up, int32_t step) {
    display_.SetVolume(SteppedVolume(engine_.Volume(), step, up));
}

void HoldActions::LongPressStop(uint32_t button) {
    hooks_.releaseLook(button);
    if (RecorderController* controller = hooks_.controller())
        controller->Stop();
}

void HoldActions::StartWinding(uint32_t button) {
    Wind(button, true);
}

void HoldActions::EndWinding(uint32_t button) {
    hooks_.releaseLook(button);
    Wind(button, false);
}

void HoldActions::Wind(uint32_t button, bool on) {
    RecorderController* controller = hooks_.controller();
    if (!controller)
        return;
    if (button == kHoldPrev)
        controller->Rewind(on);
    else
        controller->FastForward(on);
}

} // namespace tonilo
