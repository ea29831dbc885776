#pragma once
// Lets a caller read an engine's state while no command is changing it: the
// caller posts the rendezvous command and waits; the worker, on that command,
// parks until the caller has read the state and releases it.
//
// Threads: ParkWorker runs on the worker; WaitForWorker and ReleaseWorker on the
// caller's thread.
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace tonilo {

constexpr uint32_t kRendezvousWaitMs = 30000;

class StateRendezvous {
public:
    // Worker side: tells the caller the worker is parked, then waits (at most the
    // time) to be released.
    void ParkWorker(uint32_t milliseconds = kRendezvousWaitMs);
    // Caller side: waits for the worker to park; false on time-out.
    bool WaitForWorker(uint32_t milliseconds = kRendezvousWaitMs);
    // Caller side: lets a parked worker go on (harmless when none is parked).
    void ReleaseWorker();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    uint64_t parkings_ = 0;  // how often the worker parked
    uint64_t collected_ = 0; // how many parkings a caller has seen
    bool parked_ = false;
    bool released_ = false;
};

} // namespace tonilo
