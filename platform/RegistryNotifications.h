#pragma once
// Named registry notifications: a watched value, a condition on it and a command
// line. They live in the registry store itself, and every process that writes a
// watched value through the store evaluates them: when the write makes the
// condition true, the command line's program is started, detached. A phone-state
// bridge, `tonilo-tool reg set` or a test can so drive the program.
#include <cstdint>
#include <string>

#include "platform/RegistryStore.h"

namespace tonilo {

// Comparisons of the masked 32-bit value with the target.
enum RegistryComparison : uint32_t {
    REG_CT_ANYCHANGE = 0,
    REG_CT_IGNORE = 1,
    REG_CT_EQUAL = 2,
    REG_CT_NOT_EQUAL = 3,
    REG_CT_GREATER = 4,
    REG_CT_GREATER_OR_EQUAL = 5,
    REG_CT_LESS = 6,
    REG_CT_LESS_OR_EQUAL = 7,
};

struct NotificationCondition {
    uint32_t comparison = REG_CT_ANYCHANGE;
    uint32_t mask = 0xFFFFFFFFu;
    uint32_t target = 0;
};

// Without this flag the notification's name is appended to the command line.
constexpr uint32_t RNAF_NONAMEONCMDLINE = 0x1;

constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr uint32_t ERROR_ALREADY_REGISTERED = 1242;
constexpr uint32_t ERROR_WRITE_FAULT = 29;
// Results in the platform's form: 0 for success, else 0x8007 and the error.
constexpr uint32_t HResultFromError(uint32_t error) {
    return error == 0 ? 0 : 0x80070000u | (error & 0xFFFFu);
}

// Registers `name` (unique without regard to case). `commandLine` is the program
// in double quotes, a blank and its arguments. 0, or the error of 1242 when the
// name is taken.
uint32_t RegistryNotifyApp(RegistryRoot root, const std::string& key, const std::string& valueName,
                           const std::string& name, const std::string& commandLine, uint32_t flags,
                           const NotificationCondition& condition);
// 0, or the error of 2 when no notification has that name.
uint32_t RegistryStopNotification(const std::string& name);

// Whether the condition holds for a value (none: the value does not exist).
bool ConditionHolds(const NotificationCondition& condition, const RegistryValue* value);

// Called by the store after it wrote or deleted a value; `before` and `after` are
// the value before and after (none when missing).
void RegistryValueChanged(RegistryStore& store, RegistryRoot root,
                          const std::string& normalizedPath, const std::string& name,
                          const RegistryValue* before, const RegistryValue* after);

extern const char* const kRegistryNotificationsKey;

} // namespace tonilo
