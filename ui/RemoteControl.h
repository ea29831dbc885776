#pragma once
// Codes of the desktop's media controls (and headset buttons): 102 play/pause,
// where a second press within 500 ms (timer 2001) toggles recording instead;
// 103 stop, 104 next, 105 previous, 106 play/pause at once.
#include <cstdint>

#include "platform/mpris/RemoteCodes.h"

namespace tonilo {

constexpr uint32_t kRemoteTimer = 2001;
constexpr uint32_t kRemoteWindowMs = 500;

class RemoteControlOwner {
public:
    virtual ~RemoteControlOwner() = default;
    virtual void SetRemoteTimer(uint32_t milliseconds) = 0;
    virtual void KillRemoteTimer() = 0;
    virtual void RemoteTogglePlayback() = 0;
    virtual void RemoteToggleRecording() = 0;
    virtual void RemoteStop() = 0;
    virtual void RemoteStep(int32_t direction) = 0;
};

class RemoteControl {
public:
    explicit RemoteControl(RemoteControlOwner& owner) : owner_(owner) {}
    void OnCode(uint32_t code);
    void OnTimer();

private:
    RemoteControlOwner& owner_;
    bool windowOpen_ = false;
};

} // namespace tonilo
