#pragma once
// A private session bus for one test: dbus-daemon started by the test, its
// address in $DBUS_SESSION_BUS_ADDRESS while it lives, and a client on it
// that calls the player, reads its properties and hears its signals.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/support/WaitUntil.h"

extern char** environ;

namespace tonilo::test {

constexpr const char* kPlayerName = "org.mpris.MediaPlayer2.tonilo";
constexpr const char* kPlayerPath = "/org/mpris/MediaPlayer2";
constexpr const char* kRoot = "org.mpris.MediaPlayer2";
constexpr const char* kPlayer = "org.mpris.MediaPlayer2.Player";

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_.c_str(), old_->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

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
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, const_cast<char**>(argv), environ) !=
            0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        output_ = out[0];
        // The address line, or end of file when the daemon could not start.
        std::string line;
        while (pid_ > 0) {
            struct pollfd ready = {output_, POLLIN, 0};
            if (::poll(&ready, 1, 20000) <= 0)
                break;
            char c;
            if (::read(output_, &c, 1) != 1 || c == '\n')
                break;
            line += c;
        }
        address_ = line;
        if (!address_.empty())
            env_.emplace("DBUS_SESSION_BUS_ADDRESS", address_.c_str());
    }
    ~SessionBus() {
        End();
        if (output_ >= 0)
            ::close(output_);
    }
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    bool Ready() const { return !address_.empty(); }
    const std::string& Address() const { return address_; }

    // The daemon goes away, as when the desktop session ends under the program.
    void End() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string address_;
    std::optional<ScopedEnv> env_;
};

// A client of the player. Not thread-safe: one thread uses it.
class BusClient {
public:
    explicit BusClient(const std::string& address) {
        if (sd_bus_new(&bus_) < 0 || sd_bus_set_address(bus_, address.c_str()) < 0 ||
            sd_bus_set_bus_client(bus_, 1) < 0 || sd_bus_start(bus_) < 0)
            bus_ = sd_bus_unref(bus_);
    }
    ~BusClient() {
        sd_bus_slot_unref(match_);
        sd_bus_flush_close_unref(bus_);
    }
    BusClient(const BusClient&) = delete;
    BusClient& operator=(const BusClient&) = delete;

    bool Connected() const { return bus_ != nullptr; }

    // The error's name, "" when the call succeeded.
    std::string Call(const char* interface, const char* member) {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        int result = sd_bus_call_method(bus_, kPlayerName, kPlayerPath, interface, member, &error,
                                        nullptr, "");
        return Outcome(result, &error);
    }

    std::string String(const char* interface, const char* property) {
        char* value = nullptr;
        sd_bus_error error = SD_BUS_ERROR_NULL;
        std::string text = "<error>";
        if (sd_bus_get_property_string(bus_, kPlayerName, kPlayerPath, interface, property,
                                       &error, &value) >= 0 &&
            value)
            text = value;
        std::free(value);
        sd_bus_error_free(&error);
        return text;
    }

    // 1/0 for true/false, -1 on error.
    int Bool(const char* interface, const char* property) {
        int value = -1;
        return Trivial(interface, property, 'b', &value) ? (value ? 1 : 0) : -1;
    }
    std::optional<double> Double(const char* property) {
        double value = 0;
        if (!Trivial(kPlayer, property, 'd', &value))
            return std::nullopt;
        return value;
    }
    std::optional<int64_t> Int64(const char* property) {
        int64_t value = 0;
        if (!Trivial(kPlayer, property, 'x', &value))
            return std::nullopt;
        return value;
    }

    std::vector<std::string> Strings(const char* interface, const char* property) {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        char** values = nullptr;
        std::vector<std::string> list;
        if (sd_bus_get_property_strv(bus_, kPlayerName, kPlayerPath, interface, property, &error,
                                     &values) >= 0 &&
            values) {
            for (char** value = values; *value; ++value) {
                list.push_back(*value);
                std::free(*value);
            }
        }
        std::free(values);
        sd_bus_error_free(&error);
        return list;
    }

    // Metadata with every value as text (numbers in decimal); nullopt on error.
    std::optional<std::map<std::string, std::string>> Metadata() {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        int result = sd_bus_get_property(bus_, kPlayerName, kPlayerPath, kPlayer, "Metadata",
                                         &error, &reply, "a{sv}");
        sd_bus_error_free(&error);
        if (result < 0)
            return std::nullopt;
        std::map<std::string, std::string> entries;
        bool good = sd_bus_message_enter_container(reply, 'a', "{sv}") > 0;
        while (good && sd_bus_message_enter_container(reply, 'e', "sv") > 0) {
            const char* key = nullptr;
            const char* contents = nullptr;
            good = sd_bus_message_read(reply, "s", &key) > 0 &&
                   sd_bus_message_peek_type(reply, nullptr, &contents) > 0 &&
                   sd_bus_message_enter_container(reply, 'v', contents) > 0;
            if (!good)
                break;
            std::string text = "<" + std::string(contents) + ">";
            if (contents[0] == 's' || contents[0] == 'o') {
                const char* value = nullptr;
                if (sd_bus_message_read_basic(reply, contents[0], &value) > 0)
                    text = value;
            } else if (contents[0] == 'x') {
                int64_t value = 0;
                if (sd_bus_message_read_basic(reply, 'x', &value) > 0)
                    text = std::to_string(value);
            } else {
                sd_bus_message_skip(reply, contents);
            }
            entries[key] = text;
            sd_bus_message_exit_container(reply);
            sd_bus_message_exit_container(reply);
        }
        sd_bus_message_unref(reply);
        if (!good)
            return std::nullopt;
        return entries;
    }

    std::string SetVolume(double volume) {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        int result = sd_bus_set_property(bus_, kPlayerName, kPlayerPath, kPlayer, "Volume",
                                         &error, "d", volume);
        return Outcome(result, &error);
    }

    // From now on every PropertiesChanged of the player object is kept, as the
    // set of changed property names, in order.
    bool Listen() {
        return sd_bus_match_signal(bus_, &match_, nullptr, kPlayerPath,
                                   "org.freedesktop.DBus.Properties", "PropertiesChanged",
                                   &BusClient::OnChanged, this) >= 0;
    }
    // Waits until `count` signals have come; all that came.
    const std::vector<std::set<std::string>>& WaitForSignals(size_t count) {
        WaitUntil([&] {
            while (sd_bus_process(bus_, nullptr) > 0) {
            }
            return changes_.size() >= count;
        });
        return changes_;
    }

private:
    static std::string Outcome(int result, sd_bus_error* error) {
        std::string name;
        if (result < 0)
            name = error->name ? error->name : "errno " + std::to_string(-result);
        sd_bus_error_free(error);
        return name;
    }

    bool Trivial(const char* interface, const char* property, char type, void* value) {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        int result = sd_bus_get_property_trivial(bus_, kPlayerName, kPlayerPath, interface,
                                                 property, &error, type, value);
        sd_bus_error_free(&error);
        return result >= 0;
    }

    static int OnChanged(sd_bus_message* signal, void* self, sd_bus_error*) {
        const char* interface = nullptr;
        std::set<std::string> names;
        if (sd_bus_message_read(signal, "s", &interface) < 0 ||
            std::string(interface) != kPlayer ||
            sd_bus_message_enter_container(signal, 'a', "{sv}") <= 0)
            return 0;
        while (sd_bus_message_enter_container(signal, 'e', "sv") > 0) {
            const char* name = nullptr;
            sd_bus_message_read(signal, "s", &name);
            names.insert(name);
            sd_bus_message_skip(signal, "v");
            sd_bus_message_exit_container(signal);
        }
        static_cast<BusClient*>(self)->changes_.push_back(names);
        return 0;
    }

    sd_bus* bus_ = nullptr;
    sd_bus_slot* match_ = nullptr;
    std::vector<std::set<std::string>> changes_;
};

} // namespace tonilo::test
