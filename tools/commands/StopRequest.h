#pragma once
// Ctrl-C and SIGTERM set a flag the command polls; the previous handlers come
// back when the catcher goes.
#include <atomic>
#include <csignal>

namespace tonilo::tool {

class StopRequest {
public:
    StopRequest() {
        requested_.store(false);
        struct sigaction action {};
        action.sa_handler = &StopRequest::OnSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previousInterrupt_);
        sigaction(SIGTERM, &action, &previousTerminate_);
    }
    ~StopRequest() {
        sigaction(SIGINT, &previousInterrupt_, nullptr);
        sigaction(SIGTERM, &previousTerminate_, nullptr);
    }
    StopRequest(const StopRequest&) = delete;
    StopRequest& operator=(const StopRequest&) = delete;

    static bool Requested() { return requested_.load(); }
    // For work that polls a flag of its own, such as a transcode's cancel flag.
    static const std::atomic<bool>* Flag() { return &requested_; }

private:
    static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
    static void OnSignal(int) { requested_.store(true); }

    static inline std::atomic<bool> requested_{false};
    struct sigaction previousInterrupt_ {};
    struct sigaction previousTerminate_ {};
};

} // namespace tonilo::tool
