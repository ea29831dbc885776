#pragma once
// Thread message queues: every thread that asks for its id or touches its queue
// gets one, keyed by a small thread id; the queue goes away with the thread.
// Any thread may post to any live queue; only the owning thread reads its own.
#include <cstddef>
#include <cstdint>
#include <functional>

namespace tonilo {

using ThreadId = uint32_t;

constexpr uint32_t WM_QUIT = 18;
constexpr uint32_t WM_USER = 1024;

struct ThreadMessage {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

// The calling thread's id (never 0); creates its queue on first use.
ThreadId GetCurrentThreadId();

// False when no live thread has that id.
bool PostThreadMessage(ThreadId thread, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Blocks until a message is queued for the calling thread and removes it.
// Returns false when the message is WM_QUIT.
bool GetMessage(ThreadMessage* out);

// As GetMessage, but gives up after the time; false on time-out as on WM_QUIT,
// which out->message tells apart (0 on time-out).
bool GetMessageTimeout(ThreadMessage* out, uint32_t milliseconds);

// Finds the first queued message numbered `message`; copies it, removing it when asked.
bool PeekMessageFor(uint32_t message, ThreadMessage* out, bool remove);

// Removes every message queued ahead of the first one numbered `message`, handing
// each to `discard` (to free what it carries). Returns how many were removed; the
// message itself stays queued. Nothing is removed when no such message is queued.
size_t RemoveMessagesAhead(uint32_t message,
                           const std::function<void(const ThreadMessage&)>& discard);

// Called on the posting thread after every message posted to the calling thread,
// so that a loop blocked on other events (a window's) wakes to read its queue.
// It must only signal that loop. An empty function removes the hook.
void SetThreadMessageWakeHook(std::function<void()> wake);

// Number of messages waiting for the calling thread.
size_t QueuedMessageCount();

} // namespace tonilo
