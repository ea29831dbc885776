#include "app/HeadlessOwner.h"

#include <algorithm>
#include <vector>

#include "app/RecorderController.h"

namespace tonilo {

void HeadlessOwner::SetTimer(uint32_t id, uint32_t milliseconds) {
    timers_[id] = Clock::now() + std::chrono::milliseconds(milliseconds);
}

void HeadlessOwner::KillTimer(uint32_t id) {
    timers_.erase(id);
}

int64_t HeadlessOwner::MillisecondsToNextTimer() const {
    if (timers_.empty())
        return -1;
    Clock::time_point next = Clock::time_point::max();
    for (const auto& timer : timers_)
        next = std::min(next, timer.second);
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
    return left < 0 ? 0 : left + 1;
}

void HeadlessOwner::RunDueTimers() {
    Clock::time_point now = Clock::now();
    std::vector<uint32_t> due;
    for (const auto& timer : timers_) {
        if (timer.second <= now)
            due.push_back(timer.first);
    }
    for (uint32_t id : due) {
        // Timers repeat until killed, as thread timers do.
        if (timers_.count(id))
            timers_[id] = now + std::chrono::hours(24 * 365);
        if (Controller())
            Controller()->OnTimer(id);
    }
}

} // namespace tonilo
