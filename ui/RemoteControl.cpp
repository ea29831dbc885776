#include "ui/RemoteControl.h"

namespace tonilo {

void RemoteControl::OnCode(uint32_t code) {
    switch (code) {
    case kRemotePlayPause:
        if (!windowOpen_) {
            windowOpen_ = true;
            owner_.SetRemoteTimer(kRemoteWindowMs);
            return;
        }
        windowOpen_ = false;
        owner_.KillRemoteTimer();
        owner_.RemoteToggleRecording();
        return;
    case kRemoteStop:
        owner_.RemoteStop();
        return;
    case kRemoteNext:
        owner_.RemoteStep(1);
        return;
    case kRemotePrevious:
        owner_.RemoteStep(-1);
        return;
    case kRemoteTogglePlayback:
        owner_.RemoteTogglePlayback();
        return;
    default:
        return;
    }
}

void RemoteControl::OnTimer() {
    owner_.KillRemoteTimer();
    if (!windowOpen_)
        return;
    windowOpen_ = false;
    owner_.RemoteTogglePlayback();
}

} // namespace tonilo
