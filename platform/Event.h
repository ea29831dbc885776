#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace tonilo {

constexpr uint32_t kInfinite = 0xFFFFFFFFu;

// A platform event: auto-reset events release one waiter and clear themselves,
// manual-reset events stay set until Reset.
class Event {
public:
    explicit Event(bool manualReset = false, bool initiallySet = false)
        : manualReset_(manualReset), set_(initiallySet) {}

    void Set();
    void Reset();
    // Returns true when the event was set within the time (kInfinite waits forever).
    bool Wait(uint32_t milliseconds = kInfinite);
    bool IsSet();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    const bool manualReset_;
    bool set_;
};

} // namespace tonilo
