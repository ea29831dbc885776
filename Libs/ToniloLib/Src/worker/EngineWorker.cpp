#include "Libs/ToniloLib/Src/worker/EngineWorker.h"

#include <cstdio>

namespace tonilo {

EngineWorker::~EngineWorker() { Shutdown(); }

bool EngineWorker::Start(Handler handler, Handler discard) {
    if (running_)
        return false;
    auto ready = std::make_shared<Event>(true, false);
    finished_ = std::make_shared<Event>(true, false);
    threadId_ = 0;
    thread_ = std::thread(Loop, std::move(handler), std::move(discard), ready, finished_,
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

void EngineWorker::Shutdown(uint32_t waitMilliseconds) {
    if (!running_)
        return;
    running_ = false;
    PostThreadMessage(threadId_, WM_QUIT, 0, 0);
    if (finished_->Wait(waitMilliseconds)) {
        thread_.join();
    } else {
        std::fprintf(stderr, "Tonilo: an engine worker did not end within %u ms; abandoned.\n",
                     waitMilliseconds);
        thread_.detach();
    }
    finished_.reset();
}

void EngineWorker::Loop(Handler handler, Handler discard, std::shared_ptr<Event> ready,
                        std::shared_ptr<Event> finished, ThreadId* id) {
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
    finished->Set();
}

void EngineWorker::Finish(uint32_t lastCommand, const std::function<void()>& runHere) {
    if (!running_) {
        runHere();
        return;
    }
    Post(lastCommand);
    Shutdown();
}

} // namespace tonilo
