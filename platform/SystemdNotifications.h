#pragma once
// The timed notifications as systemd user units: a .timer at the local date and
// time beside a .service that starts the program.
#include <memory>
#include <string>

#include "platform/TimedNotifications.h"

namespace tonilo {

// Units in `unitFolder` (empty: $XDG_CONFIG_HOME/systemd/user), driven through
// `systemctl` (empty: $TONILO_SYSTEMCTL, else "systemctl").
std::unique_ptr<TimedNotifications> MakeSystemdNotifications(const std::string& unitFolder = "",
                                                             const std::string& systemctl = "");

} // namespace tonilo
