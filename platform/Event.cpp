#include "platform/Event.h"

#include <chrono>

namespace tonilo {

void Event::Set() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        set_ = true;
    }
    if (manualReset_)
        changed_.notify_all();
    else
        changed_.notify_one();
}

void Event::Reset() {
    std::lock_guard<std::mutex> guard(mutex_);
    set_ = false;
}

bool Event::IsSet() {
    std::lock_guard<std::mutex> guard(mutex_);
    return set_;
}

bool Event::Wait(uint32_t milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto isSet = [this] { return set_; };
    if (milliseconds == kInfinite) {
        changed_.wait(lock, isSet);
    } else if (!changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), isSet)) {
        return false;
    }
    if (!manualReset_)
        set_ = false;
    return true;
}

} // namespace tonilo
