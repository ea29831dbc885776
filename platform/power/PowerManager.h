#pragma once
// Keeping the machine awake and putting it to sleep, through systemd-logind on
// the system bus. Without a bus or without logind every call quietly fails.
//
// Threads: the user-interface thread.

namespace tonilo {

class PowerManager {
public:
    PowerManager() = default;
    ~PowerManager();
    PowerManager(const PowerManager&) = delete;
    PowerManager& operator=(const PowerManager&) = delete;

    // Holds an "idle:sleep" block inhibitor while recording or playing; true
    // while one is held. Asking twice keeps the one inhibitor.
    bool KeepAwake(bool on);
    bool Inhibiting() const { return inhibitor_ >= 0; }
    // Suspends when logind says this user may; false otherwise.
    bool Suspend();

private:
    int inhibitor_ = -1;
};

} // namespace tonilo
