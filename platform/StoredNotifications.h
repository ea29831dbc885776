#pragma once
// The timed notifications kept in the registry store, for systems without a
// systemd user session: one key per notification below HKEY_CURRENT_USER
// "Software\Zelto\TimedNotifications", fired by the background service.
#include <memory>

#include "platform/TimedNotifications.h"

namespace tonilo {

extern const char* const kStoredNotificationsKey;

std::unique_ptr<TimedNotifications> MakeStoredNotifications();

} // namespace tonilo
