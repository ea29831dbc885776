#pragma once
#include <mutex>

namespace tonilo {

// A critical section may be entered again by the thread that holds it, as the
// engine's chain calls rely on.
class CriticalSection {
public:
    void Enter() { mutex_.lock(); }
    void Leave() { mutex_.unlock(); }
    bool TryEnter() { return mutex_.try_lock(); }

    // BasicLockable, so std::lock_guard and std::unique_lock work on it.
    void lock() { Enter(); }
    void unlock() { Leave(); }

private:
    std::recursive_mutex mutex_;
};

using CriticalSectionLock = std::lock_guard<CriticalSection>;

} // namespace tonilo
