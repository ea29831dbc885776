#pragma once
// Registering the background service that keeps call recording armed while the
// program is not running. The service is tonilo-service in the program folder:
// a systemd user unit where the user has a systemd session, else started now and
// at log-in through an XDG autostart entry.
#include <string>

namespace tonilo {

constexpr const char* kServicesKey = "Services";
constexpr const char* kServiceSubKey = "ToniloServ";
constexpr const char* kServiceUnit = "tonilo-service.service";
constexpr const char* kServiceAutostartFile = "tonilo-service.desktop";

struct CallServicePlaces {
    std::string programFolder;   // holds tonilo-service
    std::string unitFolder;      // empty: $XDG_CONFIG_HOME/systemd/user
    std::string autostartFolder; // empty: $XDG_CONFIG_HOME/autostart
    std::string systemctl;       // empty: $TONILO_SYSTEMCTL, else "systemctl"
    bool useSystemd = false;
};

// Where things go for this user: systemd when a user session exists
// ($TONILO_NOTIFICATIONS=store or systemd decides for tests).
CallServicePlaces DefaultCallServicePlaces(const std::string& programFolder);

// Writes the service key, starts the service, and on success installs the
// autostart entry (without systemd) anew.
bool EnableCallService(const CallServicePlaces& places);
// Stops the service and removes its unit or autostart entry; the service key is
// removed in any case.
bool DisableCallService(const CallServicePlaces& places);
// PhoneAutoRec 1 enables, anything else disables; the result is not reported.
void ApplyCallServiceSetting(uint32_t phoneAutoRec, const CallServicePlaces& places);

// The running service's process id from its lock file, 0 when none runs.
int RunningServicePid();
std::string ServiceLockPath();

} // namespace tonilo
