#include "platform/ErrorLog.h"

#include <cstdio>
#include <mutex>

#include "platform/LanguageResources.h"
#include "platform/PathParts.h"

namespace tonilo {
namespace {

std::mutex& HookMutex() {
    static std::mutex mutex;
    return mutex;
}

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

// Keeps at most the log's text limit of characters, never splitting a UTF-8 sequence.
std::string Limit(std::string text) {
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;
        if (++characters > ErrorLog::kTextLimit - 1) {
            text.resize(i);
            break;
        }
    }
    return text;
}

} // namespace

void ErrorLog::SetTitle(const char* name, uint32_t version) {
    char versionText[32];
    std::snprintf(versionText, sizeof versionText, "v%u.%u%u", version / 100, (version % 100) / 10,
                  version % 10);
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    title_ = Limit(name ? std::string(name) + " " + versionText : std::string(versionText));
}

void ErrorLog::Append(const char* sourceFile, uint32_t line, int32_t code, const char* format,
                      va_list arguments) {
    std::string text;
    if (format && *format) {
        char buffer[kTextLimit * 4];
        std::vsnprintf(buffer, sizeof buffer, format, arguments);
        text = Limit(buffer);
    }
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    // A full log keeps its first seven entries and overwrites the eighth.
    if (count_ < kCapacity)
        ++count_;
    ErrorLogEntry& entry = entries_[count_ - 1];
    entry.sourceFile = sourceFile ? Limit(sourceFile) : std::string();
    entry.line = line;
    entry.code = code;
    entry.text = text;
}

void ErrorLog::Add(const char* sourceFile, uint32_t line, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    Append(sourceFile, line, kNoErrorCode, format, arguments);
    va_end(arguments);
}

void ErrorLog::Add(const char* sourceFile, uint32_t line) {
    va_list none{};
    Append(sourceFile, line, kNoErrorCode, nullptr, none);
}

void ErrorLog::AddCode(const char* sourceFile, uint32_t line, int32_t code, const char* format,
                       ...) {
    va_list arguments;
    va_start(arguments, format);
    Append(sourceFile, line, code, format, arguments);
    va_end(arguments);
}

void ErrorLog::AddCode(const char* sourceFile, uint32_t line, int32_t code) {
    va_list none{};
    Append(sourceFile, line, code, nullptr, none);
}

int32_t ErrorLog::GetLastCode() {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    return count_ == 0 ? 0 : entries_[count_ - 1].code;
}

void ErrorLog::Clear() {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    count_ = 0;
}

std::string ErrorLog::MessageForCode(int32_t code) {
    if (code == kNoErrorCode)
        return "Internal error!";
    std::string text = code > 0 ? LoadResourceString(static_cast<uint32_t>(code)) : std::string();
    return text.empty() ? std::string("Unknown error!") : text;
}

std::string ErrorLog::FormatLog() {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    std::string log = "* * * " + title_ + " * * *\r\n\r\n";
    for (uint32_t number = count_; number >= 1; --number) {
        const ErrorLogEntry& entry = entries_[number - 1];
        log += std::to_string(number) + " : " + MessageForCode(entry.code) + "\r\n";
        if (!entry.text.empty())
            log += "\t" + entry.text + "\r\n";
        log += "\t" + FileNameOf(entry.sourceFile, kAnyPathSeparators) + " (" +
               std::to_string(entry.line) + ")\r\n\r\n";
    }
    return log;
}

void ErrorLog::ShowMessage(void* parent) {
    std::string message;
    std::string log;
    std::string title;
    {
        std::lock_guard<std::recursive_mutex> guard(mutex_);
        if (count_ == 0)
            return;
        message = "Internal error!";
        for (uint32_t number = count_; number >= 1; --number) {
            if (entries_[number - 1].code != kNoErrorCode) {
                message = MessageForCode(entries_[number - 1].code);
                break;
            }
        }
        log = FormatLog();
        title = title_;
        count_ = 0;
    }
    MessageBoxHook hook;
    {
        std::lock_guard<std::mutex> guard(HookMutex());
        hook = Hook();
    }
    if (hook) {
        hook(parent, message, title, log);
    } else {
        std::fprintf(stderr, "%s\n%s", message.c_str(), log.c_str());
    }
}

std::string ErrorLog::Title() {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    return title_;
}

uint32_t ErrorLog::Count() {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    return count_;
}

ErrorLogEntry ErrorLog::Entry(uint32_t number) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    return number >= 1 && number <= count_ ? entries_[number - 1] : ErrorLogEntry{};
}

void ErrorLog::SetMessageBoxHook(MessageBoxHook hook) {
    std::lock_guard<std::mutex> guard(HookMutex());
    Hook() = std::move(hook);
}

ErrorLog& GetErrorLog() {
    // Never destroyed: engine threads may still add entries during exit.
    static ErrorLog* log = new ErrorLog;
    return *log;
}

} // namespace tonilo
