#include "platform/RegistryNotifications.h"

#include <cstring>

#include "platform/ProcessLauncher.h"
#include "platform/TextCompare.h"
#include "platform/TextEncoding.h"

namespace tonilo {

const char* const kRegistryNotificationsKey = "Software\\Zelto\\RegistryNotifications";

namespace {

std::string StringData(const std::string& text) {
    std::string data;
    AppendUtf16Le(&data, Utf8ToUtf16(text), true);
    return data;
}

std::string NumberData(uint32_t number) {
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return data;
}

bool AsNumber(const RegistryValue* value, uint32_t* number) {
    if (!value || value->type != REG_DWORD || value->data.size() != 4)
        return false;
    const auto* bytes = reinterpret_cast<const uint8_t*>(value->data.data());
    *number = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return true;
}

std::string AsText(const RegistryValue& value) {
    return Utf16ToUtf8(
        ReadUtf16Le(reinterpret_cast<const uint8_t*>(value.data.data()), value.data.size()));
}

std::string NotificationPath(const std::string& name) {
    return std::string(kRegistryNotificationsKey) + "\\" + name;
}

struct Watch {
    uint32_t root = 0;
    std::string key;
    std::string value;
    std::string commandLine;
    uint32_t flags = 0;
    NotificationCondition condition;
};

Watch ReadWatch(const std::vector<RegistryValue>& values) {
    Watch watch;
    for (const RegistryValue& value : values) {
        if (EqualIgnoringCase(value.name, "Root"))
            AsNumber(&value, &watch.root);
        else if (EqualIgnoringCase(value.name, "Key"))
            watch.key = AsText(value);
        else if (EqualIgnoringCase(value.name, "Value"))
            watch.value = AsText(value);
        else if (EqualIgnoringCase(value.name, "CommandLine"))
            watch.commandLine = AsText(value);
        else if (EqualIgnoringCase(value.name, "Flags"))
            AsNumber(&value, &watch.flags);
        else if (EqualIgnoringCase(value.name, "Comparison"))
            AsNumber(&value, &watch.condition.comparison);
        else if (EqualIgnoringCase(value.name, "Mask"))
            AsNumber(&value, &watch.condition.mask);
        else if (EqualIgnoringCase(value.name, "Target"))
            AsNumber(&value, &watch.condition.target);
    }
    return watch;
}

bool IsNotificationKey(RegistryRoot root, const std::string& normalizedPath) {
    size_t length = std::strlen(kRegistryNotificationsKey);
    return root == HKEY_CURRENT_USER && normalizedPath.size() >= length &&
           EqualIgnoringCase(normalizedPath.substr(0, length), kRegistryNotificationsKey) &&
           (normalizedPath.size() == length || normalizedPath[length] == '\\');
}

} // namespace

bool ConditionHolds(const NotificationCondition& condition, const RegistryValue* value) {
    uint32_t number;
    if (!AsNumber(value, &number))
        return false;
    uint32_t masked = number & condition.mask;
    switch (condition.comparison) {
    case REG_CT_EQUAL:
        return masked == condition.target;
    case REG_CT_NOT_EQUAL:
        return masked != condition.target;
    case REG_CT_GREATER:
        return masked > condition.target;
    case REG_CT_GREATER_OR_EQUAL:
        return masked >= condition.target;
    case REG_CT_LESS:
        return masked < condition.target;
    case REG_CT_LESS_OR_EQUAL:
        return masked <= condition.target;
    default:
        return false;
    }
}

uint32_t RegistryNotifyApp(RegistryRoot root, const std::string& key, const std::string& valueName,
                           const std::string& name, const std::string& commandLine, uint32_t flags,
                           const NotificationCondition& condition) {
    if (name.empty() || name.find('\\') != std::string::npos || commandLine.empty() ||
        condition.comparison > REG_CT_LESS_OR_EQUAL)
        return HResultFromError(ERROR_INVALID_PARAMETER);
    RegistryStore& store = RegistryStore::Instance();
    if (store.KeyExists(HKEY_CURRENT_USER, NotificationPath(name)))
        return HResultFromError(ERROR_ALREADY_REGISTERED);
    std::vector<RegistryValue> values = {
        {"Root", REG_DWORD, NumberData(root)},
        {"Key", REG_SZ, StringData(RegistryStore::NormalizePath(key))},
        {"Value", REG_SZ, StringData(valueName)},
        {"CommandLine", REG_SZ, StringData(commandLine)},
        {"Flags", REG_DWORD, NumberData(flags)},
        {"Comparison", REG_DWORD, NumberData(condition.comparison)},
        {"Mask", REG_DWORD, NumberData(condition.mask)},
        {"Target", REG_DWORD, NumberData(condition.target)},
    };
    return store.SetValues(HKEY_CURRENT_USER, NotificationPath(name), values)
               ? 0
               : HResultFromError(ERROR_WRITE_FAULT);
}

uint32_t RegistryStopNotification(const std::string& name) {
    if (name.empty() || name.find('\\') != std::string::npos)
        return HResultFromError(ERROR_INVALID_PARAMETER);
    RegistryStore& store = RegistryStore::Instance();
    if (!store.KeyExists(HKEY_CURRENT_USER, NotificationPath(name)))
        return HResultFromError(ERROR_FILE_NOT_FOUND);
    return store.DeleteKey(HKEY_CURRENT_USER, NotificationPath(name))
               ? 0
               : HResultFromError(ERROR_WRITE_FAULT);
}

void RegistryValueChanged(RegistryStore& store, RegistryRoot root,
                          const std::string& normalizedPath, const std::string& name,
                          const RegistryValue* before, const RegistryValue* after) {
    if (IsNotificationKey(root, normalizedPath))
        return;
    for (const std::string& notification :
         store.SubKeys(HKEY_CURRENT_USER, kRegistryNotificationsKey)) {
        Watch watch = ReadWatch(store.Values(HKEY_CURRENT_USER, NotificationPath(notification)));
        if (watch.root != root || !EqualIgnoringCase(watch.key, normalizedPath) ||
            !EqualIgnoringCase(watch.value, name))
            continue;
        bool fire;
        if (watch.condition.comparison == REG_CT_ANYCHANGE)
            fire =
                (before == nullptr) != (after == nullptr) ||
                (before && after && (before->type != after->type || before->data != after->data));
        else
            // Only a change that makes the condition true starts the program, so
            // rewriting the same state (or other bits of it) starts nothing twice.
            fire =
                !ConditionHolds(watch.condition, before) && ConditionHolds(watch.condition, after);
        if (!fire)
            continue;
        std::string commandLine = watch.commandLine;
        if (!(watch.flags & RNAF_NONAMEONCMDLINE))
            commandLine += " \"" + notification + "\"";
        SpawnDetached(SplitCommandLine(commandLine));
    }
}

} // namespace tonilo
