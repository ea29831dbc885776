#include "platform/power/PowerManager.h"

#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstring>
#include <fcntl.h>

namespace tonilo {
namespace {

constexpr const char* kLogin = "org.freedesktop.login1";
constexpr const char* kManagerPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";
// A logind that does not answer at once must not hold up a recording.
constexpr uint64_t kCallTimeoutUs = 1000000;

sd_bus* OpenSystemBus() {
    sd_bus* bus = nullptr;
    if (sd_bus_open_system(&bus) < 0)
        return nullptr;
    sd_bus_set_method_call_timeout(bus, kCallTimeoutUs);
    return bus;
}

} // namespace

PowerManager::~PowerManager() {
    KeepAwake(false);
}

bool PowerManager::KeepAwake(bool on) {
    if (!on) {
        if (inhibitor_ >= 0)
            ::close(inhibitor_);
        inhibitor_ = -1;
        return false;
    }
    if (inhibitor_ >= 0)
        return true;
    sd_bus* bus = OpenSystemBus();
    if (!bus)
        return false;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    if (sd_bus_call_method(bus, kLogin, kManagerPath, kManager, "Inhibit", &error, &reply, "ssss",
                           "idle:sleep", "Tonilo", "Recording or playing", "block") >= 0) {
        int fd = -1;
        // The descriptor belongs to the reply; keep a copy of our own.
        if (sd_bus_message_read(reply, "h", &fd) >= 0 && fd >= 0)
            inhibitor_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    }
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_unref(bus);
    return inhibitor_ >= 0;
}

bool PowerManager::Suspend() {
    sd_bus* bus = OpenSystemBus();
    if (!bus)
        return false;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    bool suspended = false;
    const char* answer = nullptr;
    if (sd_bus_call_method(bus, kLogin, kManagerPath, kManager, "CanSuspend", &error, &reply, "") >=
            0 &&
        sd_bus_message_read(reply, "s", &answer) >= 0 && answer &&
        std::strcmp(answer, "yes") == 0) {
        sd_bus_error_free(&error);
        suspended = sd_bus_call_method(bus, kLogin, kManagerPath, kManager, "Suspend", &error,
                                       nullptr, "b", false) >= 0;
    }
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_unref(bus);
    return suspended;
}

} // namespace tonilo
