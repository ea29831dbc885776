#pragma once
// A private session bus for one test: dbus-daemon started by the test, its
// address in $DBUS_SESSION_BUS_ADDRESS while it lives; busctl calls the player
// and reads its properties, a client of our own hears its signals.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/support/WaitUntil.h"

extern char** environ;

namespace tonilo::test {

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_.c_str(), old_->c_str(), 1) : ::unsetenv(name_.c_str()); }

private:
    std::string name_;
    std::optional<std::string> old_;
};

class SessionBus {
public:
    SessionBus() {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        // Its complaints (no right to raise the descriptor limit) are no news.
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const char* argv[] = {"/usr/bin/dbus-daemon", "--session", "--print-address", "--nofork",
                              nullptr};
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, const_cast<char**>(argv), environ))
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        output_ = out[0];
        char c;
        struct pollfd ready = {output_, POLLIN, 0};
        while (pid_ > 0 && ::poll(&ready, 1, 20000) > 0 && ::read(output_, &c, 1) == 1 && c != '\n')
            address_ += c;
        if (!address_.empty())
            env_.emplace("DBUS_SESSION_BUS_ADDRESS", address_.c_str());
    }
    ~SessionBus() {
        End();
        ::close(output_);
    }

    bool Ready() const { return !address_.empty(); }
    const std::string& Address() const { return address_; }

    // The daemon goes away, as when the desktop session ends under the program.
    void End() {
        if (pid_ > 0 && ::kill(pid_, SIGTERM) == 0)
            ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

    // busctl's output (and complaint) for "ARGUMENTS", without the last newline.
    std::string Busctl(const std::string& arguments) const {
        std::string command = "busctl --address='" + address_ + "' " + arguments + " 2>&1";
        std::string output;
        if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
            char buffer[512];
            while (size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
                output.append(buffer, got);
            ::pclose(pipe);
        }
        if (!output.empty() && output.back() == '\n')
            output.pop_back();
        return output;
    }
    // "" when the player's method ran; `interface` is "" or ".Player".
    std::string Call(const std::string& interface, const std::string& method) const {
        return Busctl("call " + Target(interface) + method);
    }
    std::string Get(const std::string& interface, const std::string& properties) const {
        return Busctl("get-property " + Target(interface) + properties);
    }
    std::string SetVolume(const std::string& volume) const {
        return Busctl("set-property " + Target(".Player") + "Volume d " + volume);
    }

private:
    static std::string Target(const std::string& interface) {
        return "org.mpris.MediaPlayer2.tonilo /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2" +
               interface + " ";
    }

    pid_t pid_ = -1;
    int output_ = -1;
    std::string address_;
    std::optional<ScopedEnv> env_;
};

// Hears the player's PropertiesChanged: the set of changed names of each, in order.
class ChangeListener {
public:
    explicit ChangeListener(const std::string& address) {
        if (sd_bus_new(&bus_) < 0 || sd_bus_set_address(bus_, address.c_str()) < 0 ||
            sd_bus_set_bus_client(bus_, 1) < 0 || sd_bus_start(bus_) < 0 ||
            sd_bus_match_signal(bus_, nullptr, nullptr, "/org/mpris/MediaPlayer2",
                                "org.freedesktop.DBus.Properties", "PropertiesChanged",
                                &ChangeListener::OnChanged, this) < 0)
            bus_ = sd_bus_flush_close_unref(bus_);
    }
    ~ChangeListener() { sd_bus_flush_close_unref(bus_); }

    bool Listening() const { return bus_ != nullptr; }
    // Waits until `count` signals came; all that came.
    const std::vector<std::set<std::string>>& WaitFor(size_t count) {
        WaitUntil([&] {
            while (sd_bus_process(bus_, nullptr) > 0) {
            }
            return changes_.size() >= count;
        });
        return changes_;
    }

private:
    static int OnChanged(sd_bus_message* signal, void* self, sd_bus_error*) {
        const char* interface = nullptr;
        const char* name = nullptr;
        std::set<std::string> names;
        if (sd_bus_message_read(signal, "s", &interface) < 0 ||
            std::string(interface) != "org.mpris.MediaPlayer2.Player" ||
            sd_bus_message_enter_container(signal, 'a', "{sv}") <= 0)
            return 0;
        while (sd_bus_message_enter_container(signal, 'e', "sv") > 0 &&
               sd_bus_message_read(signal, "s", &name) > 0 &&
               sd_bus_message_skip(signal, "v") >= 0 && sd_bus_message_exit_container(signal) >= 0)
            names.insert(name);
        static_cast<ChangeListener*>(self)->changes_.push_back(names);
        return 0;
    }

    sd_bus* bus_ = nullptr;
    std::vector<std::set<std::string>> changes_;
};

} // namespace tonilo::test
