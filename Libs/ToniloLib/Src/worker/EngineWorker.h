#pragma once
// The worker thread that the Recorder and the Player share in shape: engine
// commands arrive as thread messages numbered from WM_USER (1024), parameters in
// heap blocks that travel with the message. A queued close (1027) overtakes
// everything queued ahead of it, and those skipped messages are discarded (their
// parameter blocks freed) unseen, so a close is never stuck behind slow opens.
//
// Threads: Start, Post and Shutdown are called from the owner's thread; the
// handler and the discard function run on the worker thread only.
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "platform/Event.h"
#include "platform/ThreadMessages.h"

namespace tonilo {

constexpr uint32_t ENGINE_COMMAND_CLOSE = 1027;
constexpr uint32_t ENGINE_COMMAND_RENDEZVOUS = 1035;
constexpr uint32_t kWorkerShutdownWaitMs = 30000;

class EngineWorker {
public:
    using Handler = std::function<void(const ThreadMessage&)>;

    EngineWorker() = default;
    ~EngineWorker();
    EngineWorker(const EngineWorker&) = delete;
    EngineWorker& operator=(const EngineWorker&) = delete;

    // Starts the thread and returns once its queue can take messages. `discard`
    // frees what a message carries when it is skipped or left at shutdown.
    bool Start(Handler handler, Handler discard);
    // False when the worker is not running.
    bool Post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
    // Posts WM_QUIT and waits for the thread. A thread that has not ended within
    // the wait is abandoned: there is no safe way to kill it, so it is detached
    // and the failure reported on standard error.
    void Shutdown(uint32_t waitMilliseconds = kWorkerShutdownWaitMs);
    // An engine's last release: with a running worker, lastCommand is queued
    // and the worker shut down after it; without one, runHere does the same
    // work on the caller's thread.
    void Finish(uint32_t lastCommand, const std::function<void()>& runHere);

    bool IsRunning() const { return running_; }
    bool IsWorkerThread() const;
    ThreadId Id() const { return threadId_; }

private:
    static void Loop(Handler handler, Handler discard, std::shared_ptr<Event> ready,
                     std::shared_ptr<Event> finished, ThreadId* id);

    std::thread thread_;
    std::shared_ptr<Event> finished_;
    ThreadId threadId_ = 0;
    bool running_ = false;
};

} // namespace tonilo
