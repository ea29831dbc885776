// Timed notifications kept in the registry store, for systems without a systemd
// user session. The background service fires them; each key is written in one
// transaction so the service never sees half a notification.
#include "platform/StoredNotifications.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>

#include "platform/RegistryKey.h"
#include "platform/RegistryStore.h"
#include "platform/TextEncoding.h"

namespace tonilo {

const char* const kStoredNotificationsKey = "Software\\Zelto\\TimedNotifications";

namespace {

std::string StringData(const std::string& text) {
    std::string data;
    AppendUtf16Le(&data, Utf8ToUtf16(text), true);
    return data;
}

class StoredNotifications : public TimedNotifications {
public:
    bool Enumerate(std::vector<TimedNotification>* notifications) override {
        RegistryStore& store = RegistryStore::Instance();
        if (!store.IsOpen())
            return false;
        notifications->clear();
        for (const std::string& handle :
             store.SubKeys(HKEY_CURRENT_USER, kStoredNotificationsKey)) {
            RegistryKey key((std::string(kStoredNotificationsKey) + "\\" + handle).c_str(),
                            HKEY_CURRENT_USER);
            TimedNotification notification;
            notification.handle = handle;
            std::string when;
            // A damaged entry is listed with what it has, so re-arming still clears it.
            if (key.Open()) {
                key.ReadString("Time", &when, 64);
                key.ReadString("Application", &notification.application, 4096);
                key.ReadString("Arguments", &notification.arguments, 4096);
            }
            ParseCalendarTime(when, &notification.when);
            notifications->push_back(notification);
        }
        return true;
    }

    bool Clear(const std::string& handle) override {
        if (handle.empty() || handle.find('\\') != std::string::npos)
            return false;
        return RegistryStore::Instance().DeleteKey(
            HKEY_CURRENT_USER, std::string(kStoredNotificationsKey) + "\\" + handle);
    }

    bool Set(const TimedNotification& notification) override {
        if (CalendarTimeToEpoch(notification.when) < 0 || notification.application.empty())
            return false;
        std::vector<RegistryValue> values = {
            {"Time", REG_SZ, StringData(FormatCalendarTime(notification.when))},
            {"Application", REG_SZ, StringData(notification.application)},
            {"Arguments", REG_SZ, StringData(notification.arguments)},
        };
        return RegistryStore::Instance().SetValues(
            HKEY_CURRENT_USER,
            std::string(kStoredNotificationsKey) + "\\" + NewNotificationHandle(), values);
    }

    const char* Name() const override { return "store"; }
};

} // namespace

std::unique_ptr<TimedNotifications> MakeStoredNotifications() {
    return std::make_unique<StoredNotifications>();
}

} // namespace tonilo
