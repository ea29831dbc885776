#include "Libs/ToniloLib/Src/worker/EngineWorker.h"

#include <cstdio>

namespace tonilo {

EngineWorker::~EngineWorker() {
    Shutdown();
}

bool EngineWorker::Start(Handler handler, Handler discard) {
    if (running_)
        return false;
    auto ready = std::make_shared<Event>(true, false);
    finished_ = std::make_shared<Event>(true, false);
    ending_ = std::make_shared<Ending>();
    threadId_ = 0;
    thread_ = std::thread(Loop, std::move(handler), std::move(discard), ready, finished_, ending_,
                          &threadId_);
    ready->Wait();
    running_ = true;
    return true;
}

bool EngineWorker::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return running_ && PostThreadMessage(threadId_, message, wParam, lParam);
}

bool EngineWorker::IsWorkerThread() const {
    return running_ && GetCurrentThreadId() == threadId_;
}

bool EngineWorker::Shutdown(uint32_t waitMilliseconds, std::function<void()> afterAbandoned) {
    if (!running_)
        return true;
    running_ = false;
    PostThreadMessage(threadId_, WM_QUIT, 0, 0);
    bool ended = finished_->Wait(waitMilliseconds);
    if (!ended) {
        std::unique_lock<std::mutex> lock(ending_->mutex);
        // It may have ended between the wait and the lock: then it is joined
        // like any other.
        if (!ending_->ended) {
            ending_->afterAbandoned = std::move(afterAbandoned);
            lock.unlock();
            std::fprintf(stderr, "Tonilo: an engine worker did not end within %u ms; abandoned.\n",
                         waitMilliseconds);
            thread_.detach();
            finished_.reset();
            ending_.reset();
            return false;
        }
    }
    thread_.join();
    finished_.reset();
    ending_.reset();
    return true;
}

void EngineWorker::Loop(Handler handler, Handler discard, std::shared_ptr<Event> ready,
                        std::shared_ptr<Event> finished, std::shared_ptr<Ending> ending,
                        ThreadId* id) {
    *id = GetCurrentThreadId(); // creates the queue before anyone posts
    ready->Set();

    ThreadMessage message;
    while (GetMessage(&message)) {
        // A queued close overtakes whatever is ahead of it, this message included.
        if (message.message != ENGINE_COMMAND_CLOSE &&
            PeekMessageFor(ENGINE_COMMAND_CLOSE, nullptr, false)) {
            if (discard)
                discard(message);
            RemoveMessagesAhead(ENGINE_COMMAND_CLOSE, discard);
            PeekMessageFor(ENGINE_COMMAND_CLOSE, &message, true);
        }
        handler(message);
    }
    // Messages posted after the quit still own their parameter blocks.
    ThreadMessage left;
    while (GetMessageTimeout(&left, 0) || left.message == WM_QUIT) {
        if (left.message != WM_QUIT && discard)
            discard(left);
    }
    std::function<void()> afterAbandoned;
    {
        std::lock_guard<std::mutex> lock(ending->mutex);
        ending->ended = true;
        afterAbandoned = std::move(ending->afterAbandoned);
    }
    finished->Set();
    // The owner gave up waiting; what it left to do runs now. It may delete the
    // engine and with it the EngineWorker: nothing of *this is touched after.
    if (afterAbandoned)
        afterAbandoned();
}

void EngineWorker::Finish(uint32_t lastCommand, const std::function<void()>& runHere,
                          std::function<void()> destroy) {
    if (!running_) {
        runHere();
        destroy();
        return;
    }
    Post(lastCommand);
    if (Shutdown(shutdownWaitMs_, destroy))
        destroy();
}

} // namespace tonilo
