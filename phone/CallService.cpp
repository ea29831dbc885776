#include "phone/CallService.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "platform/AtomicFile.h"
#include "platform/ProcessLauncher.h"
#include "platform/ProgramPaths.h"
#include "platform/RegistryKey.h"
#include "platform/TimedNotifications.h"

namespace tonilo {
namespace {

namespace fs = std::filesystem;

std::string ServicePath(const CallServicePlaces& places) {
    return places.programFolder + "/tonilo-service";
}

bool Systemctl(const CallServicePlaces& places, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {places.systemctl, "--user", "--quiet"});
    return RunAndWait(arguments) == 0;
}

bool WriteServiceKey() {
    RegistryKey key(kServicesKey, HKEY_LOCAL_MACHINE);
    if (!key.Open(kServiceSubKey, true))
        return false;
    return key.WriteString("Dll", "ToniloServ.dll") && key.WriteString("Prefix", "TNS") &&
           key.WriteNumber("Order", 0) && key.WriteNumber("Keep", 1) &&
           key.WriteNumber("Index", 0) && key.WriteNumber("Context", 0) &&
           key.WriteString("DisplayName", "Zelto Tonilo Services") &&
           key.WriteString("Description", "");
}

bool StartWithSystemd(const CallServicePlaces& places) {
    std::error_code error;
    fs::create_directories(places.unitFolder, error);
    std::string unit = "[Unit]\nDescription=Zelto Tonilo Services\n\n[Service]\nType=exec\n"
                       "ExecStart=\"" +
                       ServicePath(places) +
                       "\"\nRestart=on-failure\n\n"
                       "[Install]\nWantedBy=default.target\n";
    if (!WriteFileAtomically(places.unitFolder + "/" + kServiceUnit, unit))
        return false;
    return Systemctl(places, {"daemon-reload"}) &&
           Systemctl(places, {"enable", "--now", kServiceUnit});
}

bool StartDirectly(const CallServicePlaces& places) {
    if (RunningServicePid() > 0)
        return true;
    return ::access(ServicePath(places).c_str(), X_OK) == 0 && SpawnDetached({ServicePath(places)});
}

} // namespace

std::string ServiceLockPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return std::string(runtime && *runtime ? runtime : "/tmp") + "/tonilo-service.lock";
}

int RunningServicePid() {
    int fd = ::open(ServiceLockPath().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    // The service holds the lock as long as it runs; a stale file is free.
    int pid = 0;
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        char text[32] = {};
        ssize_t count = ::pread(fd, text, sizeof text - 1, 0);
        if (count > 0)
            pid = std::atoi(text);
    }
    ::close(fd);
    return pid;
}

CallServicePlaces DefaultCallServicePlaces(const std::string& programFolder) {
    CallServicePlaces places;
    places.programFolder = programFolder;
    places.unitFolder = ConfigHomeFolder() + "/systemd/user";
    places.autostartFolder = ConfigHomeFolder() + "/autostart";
    const char* systemctl = std::getenv("TONILO_SYSTEMCTL");
    places.systemctl = systemctl && *systemctl ? systemctl : "systemctl";
    const char* choice = std::getenv("TONILO_NOTIFICATIONS");
    std::string wanted = choice ? choice : "";
    places.useSystemd = wanted == "systemd" || (wanted != "store" && HaveSystemdUserSession());
    return places;
}

bool EnableCallService(const CallServicePlaces& places) {
    if (!WriteServiceKey())
        return false;
    std::string autostart = places.autostartFolder + "/" + kServiceAutostartFile;
    std::error_code error;
    if (places.useSystemd) {
        // The enabled unit starts at log-in; an autostart entry would start a second.
        fs::remove(autostart, error);
        return StartWithSystemd(places);
    }
    if (!StartDirectly(places))
        return false;
    fs::remove(autostart, error);
    fs::create_directories(places.autostartFolder, error);
    return WriteFileAtomically(autostart, "[Desktop Entry]\nType=Application\n"
                                          "Name=Zelto Tonilo Services\nExec=\"" +
                                              ServicePath(places) +
                                              "\"\nNoDisplay=true\nTerminal=false\n");
}

bool DisableCallService(const CallServicePlaces& places) {
    bool stopped;
    std::error_code error;
    if (places.useSystemd) {
        stopped = Systemctl(places, {"disable", "--now", kServiceUnit});
        fs::remove(places.unitFolder + "/" + kServiceUnit, error);
        Systemctl(places, {"daemon-reload"});
    } else {
        int pid = RunningServicePid();
        stopped = pid > 0 && ::kill(pid, SIGTERM) == 0;
    }
    RegistryKey services(kServicesKey, HKEY_LOCAL_MACHINE);
    services.DeleteSubKey(kServiceSubKey);
    if (stopped)
        fs::remove(places.autostartFolder + "/" + kServiceAutostartFile, error);
    return stopped;
}

void ApplyCallServiceSetting(uint32_t phoneAutoRec, const CallServicePlaces& places) {
    if (phoneAutoRec == 1)
        EnableCallService(places);
    else
        DisableCallService(places);
}

} // namespace tonilo
