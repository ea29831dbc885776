#pragma once
// The controllers' owner while there is no main window: engine events and their
// notifications as the window would take them (EngineEventOwner), timers kept in
// the message loop, errors on standard error, the recording list being the
// current file's folder.
#include <chrono>
#include <cstdint>
#include <map>

#include "app/EngineEventOwner.h"

namespace tonilo {

class HeadlessOwner : public EngineEventOwner {
public:
    using Clock = std::chrono::steady_clock;
    using EngineEventOwner::EngineEventOwner;

    void SetTimer(uint32_t id, uint32_t milliseconds) override;
    void KillTimer(uint32_t id) override;
    // Milliseconds to the next timer, -1 when none runs.
    int64_t MillisecondsToNextTimer() const;
    // Runs the timers that are due.
    void RunDueTimers();

private:
    std::map<uint32_t, Clock::time_point> timers_;
};

} // namespace tonilo
