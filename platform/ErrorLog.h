#pragma once
// The process-wide engine error log: the failures of the current engine operation
// as a short stack of entries (source location, code, text). Every Recorder and
// Player operation clears it on entry; ShowMessage presents the most meaningful
// entry to the user. Any thread may add entries; one lock serialises them.
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace tonilo {

constexpr int32_t kNoErrorCode = -1;

struct ErrorLogEntry {
    std::string sourceFile;
    uint32_t line = 0;
    int32_t code = kNoErrorCode;
    std::string text;
};

// Shows a message box with the message and title; `details` is the whole log as
// text, for a details view or a trace. The user interface installs one; until
// then messages go to standard error.
using MessageBoxHook = std::function<void(void* parent, const std::string& message,
                                          const std::string& title, const std::string& details)>;

class ErrorLog {
public:
    static constexpr uint32_t kCapacity = 8;
    static constexpr size_t kTextLimit = 260;

    ErrorLog() = default;
    virtual ~ErrorLog() = default;

    // Title: name, a blank and "v%d.%d%d" from the version (460 gives "v4.60").
    virtual void SetTitle(const char* name, uint32_t version);
    // Entries without code, with or without formatted text.
    virtual void Add(const char* sourceFile, uint32_t line, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    virtual void Add(const char* sourceFile, uint32_t line);
    // Coded entries, with or without formatted text.
    virtual void AddCode(const char* sourceFile, uint32_t line, int32_t code, const char* format,
                         ...) __attribute__((format(printf, 5, 6)));
    virtual void AddCode(const char* sourceFile, uint32_t line, int32_t code);
    // Code of the newest entry, 0 when the log is empty.
    virtual int32_t GetLastCode();
    virtual void Clear();
    // Shows the newest coded entry's message with the whole log, then clears.
    virtual void ShowMessage(void* parent);

    // The log as text, newest entry first.
    std::string FormatLog();
    // The text for a code: its string-table text, or "Unknown error!".
    static std::string MessageForCode(int32_t code);
    std::string Title();
    uint32_t Count();
    ErrorLogEntry Entry(uint32_t number); // 1-based, oldest first

    static void SetMessageBoxHook(MessageBoxHook hook);

private:
    void Append(const char* sourceFile, uint32_t line, int32_t code, const char* format,
                va_list arguments);

    std::recursive_mutex mutex_;
    std::string title_;
    ErrorLogEntry entries_[kCapacity];
    uint32_t count_ = 0;
};

// The one log of the process.
ErrorLog& GetErrorLog();

} // namespace tonilo

// Every entry goes in through this, which records where it was made:
// TONILO_LOG_ERROR(code), TONILO_LOG_ERROR(code, "text %d", n), and
// TONILO_LOG_ERROR(kNoErrorCode, "text") for an entry without code.
#define TONILO_LOG_ERROR(code, ...)                                                                \
    ::tonilo::GetErrorLog().AddCode(__FILE__, __LINE__, (code), ##__VA_ARGS__)
