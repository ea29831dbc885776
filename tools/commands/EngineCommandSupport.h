#pragma once
// What the record and play commands share: waiting for engine events, Ctrl-C
// and SIGTERM as a polite stop request, time texts, and the error log's
// message on standard error.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>

#include "platform/ErrorLog.h"
#include "tools/commands/StopRequest.h"
#include "tools/commands/TimeText.h"

namespace tonilo::tool {

// Engine events as they arrive on the engine's worker thread.
class EngineEvents {
public:
    struct Entry {
        uint32_t event;
        uint32_t result;
        uint32_t argument;
    };

    static void Callback(void*, uint32_t event, uint32_t result, uint32_t argument,
                         uintptr_t context) {
        auto* self = reinterpret_cast<EngineEvents*>(context);
        std::lock_guard<std::mutex> guard(self->mutex_);
        self->queue_.push_back(Entry{event, result, argument});
        self->arrived_.notify_all();
    }

    // The next event, waiting up to the time; false on time-out.
    bool Next(Entry* entry, uint32_t milliseconds) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!arrived_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                               [this] { return !queue_.empty(); }))
            return false;
        *entry = queue_.front();
        queue_.pop_front();
        return true;
    }

    // Waits for the event, dropping others; false on time-out.
    bool WaitFor(uint32_t event, Entry* entry, uint32_t milliseconds = 30000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < deadline) {
            if (Next(entry, 100) && entry->event == event)
                return true;
        }
        return false;
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Entry> queue_;
};

// The newest coded entry's message and the entry's text, as the user sees it.
inline void ReportEngineError(const char* command) {
    ErrorLog& log = GetErrorLog();
    uint32_t count = log.Count();
    for (uint32_t number = count; number >= 1; --number) {
        ErrorLogEntry entry = log.Entry(number);
        if (entry.code == kNoErrorCode && number > 1)
            continue;
        std::string message =
            entry.code == kNoErrorCode ? "Internal error!" : ErrorLog::MessageForCode(entry.code);
        std::fprintf(stderr, "tonilo-tool %s: %s%s%s\n", command, message.c_str(),
                     entry.text.empty() ? "" : " ", entry.text.c_str());
        return;
    }
    std::fprintf(stderr, "tonilo-tool %s: failed\n", command);
}

} // namespace tonilo::tool
