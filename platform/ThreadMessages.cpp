#include "platform/ThreadMessages.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace tonilo {
namespace {

struct Queue {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<ThreadMessage> messages;
    std::shared_ptr<std::function<void()>> wake; // a loop that also waits for other events
};

struct QueueDirectory {
    std::mutex mutex;
    std::unordered_map<ThreadId, std::shared_ptr<Queue>> queues;
};

QueueDirectory& Directory() {
    // Never destroyed: threads may still post while static objects are torn down.
    static QueueDirectory* directory = new QueueDirectory;
    return *directory;
}

std::atomic<ThreadId> nextThreadId{1};

// Registers the thread's queue on first use and withdraws it when the thread ends.
struct ThreadQueueHolder {
    ThreadId id;
    std::shared_ptr<Queue> queue = std::make_shared<Queue>();

    ThreadQueueHolder() : id(nextThreadId++) {
        std::lock_guard<std::mutex> guard(Directory().mutex);
        Directory().queues[id] = queue;
    }
    ~ThreadQueueHolder() {
        std::lock_guard<std::mutex> guard(Directory().mutex);
        Directory().queues.erase(id);
    }
};

ThreadQueueHolder& CurrentHolder() {
    thread_local ThreadQueueHolder holder;
    return holder;
}

Queue& CurrentQueue() {
    return *CurrentHolder().queue;
}

} // namespace

ThreadId GetCurrentThreadId() {
    return CurrentHolder().id;
}

bool PostThreadMessage(ThreadId thread, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    std::shared_ptr<Queue> queue;
    {
        std::lock_guard<std::mutex> guard(Directory().mutex);
        auto found = Directory().queues.find(thread);
        if (found == Directory().queues.end())
            return false;
        queue = found->second;
    }
    std::shared_ptr<std::function<void()>> wake;
    {
        std::lock_guard<std::mutex> guard(queue->mutex);
        queue->messages.push_back(ThreadMessage{message, wParam, lParam});
        wake = queue->wake;
    }
    queue->arrived.notify_one();
    if (wake)
        (*wake)();
    return true;
}

void SetThreadMessageWakeHook(std::function<void()> wake) {
    Queue& queue = CurrentQueue();
    std::lock_guard<std::mutex> guard(queue.mutex);
    queue.wake = wake ? std::make_shared<std::function<void()>>(std::move(wake)) : nullptr;
}

bool GetMessageTimeout(ThreadMessage* out, uint32_t milliseconds) {
    Queue& queue = CurrentQueue();
    std::unique_lock<std::mutex> lock(queue.mutex);
    auto hasMessage = [&queue] { return !queue.messages.empty(); };
    if (milliseconds == 0xFFFFFFFFu) {
        queue.arrived.wait(lock, hasMessage);
    } else if (!queue.arrived.wait_for(lock, std::chrono::milliseconds(milliseconds), hasMessage)) {
        *out = ThreadMessage{};
        return false;
    }
    *out = queue.messages.front();
    queue.messages.pop_front();
    return out->message != WM_QUIT;
}

bool GetMessage(ThreadMessage* out) {
    return GetMessageTimeout(out, 0xFFFFFFFFu);
}

bool PeekMessageFor(uint32_t message, ThreadMessage* out, bool remove) {
    Queue& queue = CurrentQueue();
    std::lock_guard<std::mutex> guard(queue.mutex);
    for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
        if (it->message != message)
            continue;
        if (out)
            *out = *it;
        if (remove)
            queue.messages.erase(it);
        return true;
    }
    return false;
}

size_t RemoveMessagesAhead(uint32_t message,
                           const std::function<void(const ThreadMessage&)>& discard) {
    std::deque<ThreadMessage> removed;
    {
        Queue& queue = CurrentQueue();
        std::lock_guard<std::mutex> guard(queue.mutex);
        auto target = queue.messages.begin();
        while (target != queue.messages.end() && target->message != message)
            ++target;
        if (target == queue.messages.end())
            return 0;
        removed.assign(queue.messages.begin(), target);
        queue.messages.erase(queue.messages.begin(), target);
    }
    // Outside the lock: a discard handler may post or free freely.
    if (discard) {
        for (const ThreadMessage& skipped : removed)
            discard(skipped);
    }
    return removed.size();
}

size_t QueuedMessageCount() {
    Queue& queue = CurrentQueue();
    std::lock_guard<std::mutex> guard(queue.mutex);
    return queue.messages.size();
}

} // namespace tonilo
