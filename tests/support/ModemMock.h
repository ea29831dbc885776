#pragma once
// ModemManager mocked by python-dbusmock on a private session bus: the bus
// address goes to $TONILO_MODEM_BUS, so the bridge and every service started
// from the test talk to the mock. ModemMock.py drives it one step at a time.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/WaitUntil.h"

extern char** environ;

namespace tonilo::test {

// A child process the test started and ends.
class Child {
public:
    explicit Child(const std::vector<std::string>& arguments) {
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() { End(); }
    void End() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    bool Started() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
};

class ModemMock {
public:
    static bool Available() {
        return std::filesystem::exists("/usr/bin/dbus-daemon") &&
               std::system("/usr/bin/python3 -c 'import dbusmock' 2>/dev/null") == 0;
    }

    // Starts the bus and the mock with one voice modem; Ready() tells whether all came up.
    ModemMock() {
        if (const char* session = std::getenv("DBUS_SESSION_BUS_ADDRESS"))
            earlierSession_ = session;
        std::FILE* daemon =
            ::popen("/usr/bin/dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
        if (!daemon)
            return;
        char line[512];
        if (std::fgets(line, sizeof line, daemon))
            address_ = std::string(line, std::strcspn(line, "\n"));
        if (std::fgets(line, sizeof line, daemon))
            busPid_ = std::atoi(line);
        ::pclose(daemon);
        if (address_.empty())
            return;
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
        ::setenv("TONILO_MODEM_BUS", address_.c_str(), 1);
        mock_.emplace(std::vector<std::string>{"/usr/bin/python3", "-m", "dbusmock", "--session",
                                               "-m", "org.freedesktop.ModemManager1",
                                               "/org/freedesktop/ModemManager1",
                                               "org.freedesktop.ModemManager1"});
        ready_ = mock_->Started() && WaitUntil([this] { return Step("modem"); });
    }
    ModemMock(const ModemMock&) = delete;
    ModemMock& operator=(const ModemMock&) = delete;
    ~ModemMock() {
        mock_.reset();
        if (busPid_ > 0)
            ::kill(busPid_, SIGTERM);
        ::unsetenv("TONILO_MODEM_BUS");
        if (earlierSession_)
            ::setenv("DBUS_SESSION_BUS_ADDRESS", earlierSession_->c_str(), 1);
        else
            ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }

    bool Ready() const { return ready_; }

    // One step of ModemMock.py: "ring NUMBER", "answer", "hangup".
    bool Step(const std::string& step) {
        return std::system(("/usr/bin/python3 " TONILO_SOURCE_DIR "/tests/support/ModemMock.py '" +
                            address_ + "' " + step + " 2>/dev/null")
                               .c_str()) == 0;
    }

    // ModemManager going away, as when it crashes or is restarted.
    void EndModemManager() { mock_.reset(); }
    // The bus itself going away, as when the system bus restarts.
    void EndBus() {
        mock_.reset();
        if (busPid_ > 0)
            ::kill(busPid_, SIGTERM);
        busPid_ = 0;
    }

private:
    std::string address_;
    std::optional<std::string> earlierSession_;
    int busPid_ = 0;
    std::optional<Child> mock_;
    bool ready_ = false;
};

} // namespace tonilo::test
