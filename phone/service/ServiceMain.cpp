// tonilo-service: keeps call recording armed and fires the timed notifications
// kept in the registry store while no Tonilo program runs. It sleeps in one
// blocking wait for whichever comes first: the next notification's time (a
// real-time timer that also wakes on clock changes), a change of the registry
// database, the phone-state bridge, or a request to stop.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include "phone/CallNotifications.h"
#include "phone/CallService.h"
#include "phone/ModemBridge.h"
#include "phone/NotificationFiring.h"
#include "platform/ProgramPaths.h"
#include "platform/RegistryStore.h"
#include "platform/StoredNotifications.h"
#include "platform/TimedNotifications.h"

namespace {

using namespace tonilo;

// Held for the life of the process; a second service sees it taken and leaves.
int TakeServiceLock() {
    int fd = ::open(ServiceLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void ArmTimer(int timer, int64_t epoch) {
    itimerspec when{};
    if (epoch >= 0)
        when.it_value.tv_sec = static_cast<time_t>(epoch);
    // Absolute real time: a clock set forward or back cancels the wait, and the
    // loop looks again at what is due.
    timerfd_settime(timer, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr);
}

void Drain(int fd) {
    char buffer[4096];
    while (::read(fd, buffer, sizeof buffer) > 0) {
    }
}

} // namespace

int main() {
    int lock = TakeServiceLock();
    if (lock < 0)
        return 0; // one runs already
    RegistryStore& store = RegistryStore::Instance();
    if (!store.KeyExists(HKEY_LOCAL_MACHINE, std::string(kServicesKey) + "\\" + kServiceSubKey)) {
        std::fprintf(stderr, "tonilo-service: the service is not enabled.\n");
        return 0;
    }
    const std::string program = ProgramFolder() + "/tonilo";
    if (!RegisterCallNotifications(program))
        std::fprintf(stderr, "tonilo-service: cannot register the call notifications.\n");

    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    int signals = signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK);
    int timer = timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC | TFD_NONBLOCK);
    int changes = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    std::string folder = std::filesystem::path(store.Path()).parent_path().string();
    inotify_add_watch(changes, folder.c_str(),
                      IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE);

    ModemBridge bridge;
    std::unique_ptr<TimedNotifications> stored = MakeStoredNotifications();
    bool running = signals >= 0 && timer >= 0 && changes >= 0;
    while (running) {
        FiringResult fired = FireDueNotifications(*stored, static_cast<int64_t>(std::time(nullptr)),
                                                  StartNotifiedProgram);
        ArmTimer(timer, fired.next);
        pollfd waits[4] = {{signals, POLLIN, 0},
                           {timer, POLLIN, 0},
                           {changes, POLLIN, 0},
                           {bridge.Descriptor(), static_cast<short>(bridge.Events()), 0}};
        int count = bridge.Descriptor() >= 0 ? 4 : 3;
        if (::poll(waits, count, bridge.TimeoutMs()) < 0 && errno != EINTR)
            break;
        if (waits[0].revents)
            running = false;
        if (waits[1].revents)
            Drain(timer);
        if (waits[2].revents)
            Drain(changes);
        bridge.Process();
    }
    // Call recording stays armed only while the service is.
    UnregisterCallNotifications();
    ::close(lock);
    return 0;
}
