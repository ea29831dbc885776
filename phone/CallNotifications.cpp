#include "phone/CallNotifications.h"

#include "platform/RegistryNotifications.h"

namespace tonilo {
namespace {

struct CallNotification {
    const char* verb; // appended to "-call"
    const char* value;
    NotificationCondition condition;
};

const CallNotification kCallNotifications[] = {
    {"prepare", kActiveCallCountValue, {REG_CT_EQUAL, 0xFFFFFFFFu, 1}},
    {"start",
     kPhoneStatusValue,
     {REG_CT_GREATER_OR_EQUAL, kPhoneStatusTalking, kPhoneStatusTalking}},
    {"stop", kPhoneStatusValue, {REG_CT_LESS, kPhoneStatusTalking, kPhoneStatusTalking}},
};

std::string NotificationName(const CallNotification& notification) {
    return std::string("Tonilo-call") + notification.verb;
}

} // namespace

bool RegisterCallNotifications(const std::string& programPath) {
    uint32_t combined = 0;
    for (const CallNotification& notification : kCallNotifications) {
        std::string commandLine = "\"" + programPath + "\" -call" + notification.verb;
        combined |= RegistryNotifyApp(HKEY_LOCAL_MACHINE, kPhoneStateKey, notification.value,
                                      NotificationName(notification), commandLine,
                                      RNAF_NONAMEONCMDLINE, notification.condition);
    }
    if (combined == 0 || (combined & 0xFFFFu) == ERROR_ALREADY_REGISTERED)
        return true;
    for (const CallNotification& notification : kCallNotifications)
        RegistryStopNotification(NotificationName(notification));
    return false;
}

bool UnregisterCallNotifications() {
    uint32_t combined = 0;
    for (const CallNotification& notification : kCallNotifications)
        combined |= RegistryStopNotification(NotificationName(notification));
    return combined == 0 || (combined & 0xFFFFu) == ERROR_FILE_NOT_FOUND;
}

} // namespace tonilo
