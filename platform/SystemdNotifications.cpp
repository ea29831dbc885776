// Timed notifications as systemd user units: a .timer at the local date and time
// and a .service that runs the program with its arguments. Only units named
// tonilo-notify-* are ever read or removed; other programs' units stay untouched.
#include "platform/SystemdNotifications.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/AtomicFile.h"
#include "platform/ProcessLauncher.h"
#include "platform/ProgramPaths.h"

namespace tonilo {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUnitPrefix = "tonilo-notify-";

// One word of an ExecStart= line: quoted, with the characters systemd treats
// specially escaped (% specifiers, $ variables, backslash and quote).
std::string ExecWord(const std::string& text) {
    std::string word = "\"";
    for (char c : text) {
        if (c == '%')
            word += "%%";
        else if (c == '$')
            word += "$$";
        else if (c == '\\' || c == '"')
            word += std::string("\\") + c;
        else
            word += c;
    }
    return word + "\"";
}

// Reads back the words ExecWord wrote.
std::vector<std::string> ExecWords(const std::string& line) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < line.size()) {
        if (line[at] == ' ') {
            ++at;
            continue;
        }
        if (line[at] != '"')
            return {};
        std::string word;
        for (++at; at < line.size() && line[at] != '"'; ++at) {
            char c = line[at];
            if (c == '\\' && at + 1 < line.size())
                c = line[++at];
            else if ((c == '%' || c == '$') && at + 1 < line.size() && line[at + 1] == c)
                ++at;
            word += c;
        }
        ++at;
        words.push_back(word);
    }
    return words;
}

std::string ValueOf(const std::string& path, const std::string& key) {
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (line.compare(0, key.size() + 1, key + "=") == 0)
            return line.substr(key.size() + 1);
    }
    return std::string();
}

class SystemdNotifications : public TimedNotifications {
public:
    SystemdNotifications(std::string folder, std::string systemctl)
        : folder_(std::move(folder)), systemctl_(std::move(systemctl)) {}

    bool Enumerate(std::vector<TimedNotification>* notifications) override {
        notifications->clear();
        std::error_code error;
        if (!fs::exists(folder_, error))
            return !error;
        fs::directory_iterator entries(folder_, error);
        if (error)
            return false;
        for (const fs::directory_entry& entry : entries) {
            std::string name = entry.path().filename().string();
            if (name.compare(0, std::strlen(kUnitPrefix), kUnitPrefix) != 0 ||
                entry.path().extension() != ".timer")
                continue;
            TimedNotification notification;
            notification.handle = name.substr(0, name.size() - 6);
            ParseCalendarTime(ValueOf(entry.path().string(), "OnCalendar"), &notification.when);
            std::vector<std::string> words =
                ExecWords(ValueOf(folder_ + "/" + notification.handle + ".service", "ExecStart"));
            if (!words.empty())
                notification.application = words[0];
            if (words.size() > 1)
                notification.arguments = words[1];
            notifications->push_back(notification);
        }
        return true;
    }

    bool Clear(const std::string& handle) override {
        if (handle.compare(0, std::strlen(kUnitPrefix), kUnitPrefix) != 0 ||
            handle.find('/') != std::string::npos)
            return false;
        Systemctl({"disable", "--now", handle + ".timer"});
        std::error_code error;
        bool removed = fs::remove(folder_ + "/" + handle + ".timer", error);
        fs::remove(folder_ + "/" + handle + ".service", error);
        Systemctl({"daemon-reload"});
        return removed;
    }

    bool Set(const TimedNotification& notification) override {
        if (CalendarTimeToEpoch(notification.when) < 0 || notification.application.empty())
            return false;
        std::error_code error;
        fs::create_directories(folder_, error);
        std::string handle = kUnitPrefix + NewNotificationHandle();
        // A timer that elapsed while the machine slept fires on waking; the
        // condition lets the program run only while the event is still due.
        std::string tool =
            fs::path(notification.application).parent_path().string() + "/tonilo-tool";
        std::string service = "[Unit]\nDescription=Tonilo: " + notification.arguments +
                              "\n\n[Service]\nType=exec\nExecCondition=" + ExecWord(tool) +
                              " \"notifications\" \"due\" " +
                              ExecWord(FormatCalendarTime(notification.when)) + "\n" +
                              "ExecStart=" + ExecWord(notification.application) + " " +
                              ExecWord(notification.arguments) + "\n";
        std::string timer = "[Unit]\nDescription=Tonilo: " + notification.arguments +
                            "\n\n[Timer]\nOnCalendar=" + FormatCalendarTime(notification.when) +
                            "\nPersistent=false\nAccuracySec=1s\nUnit=" + handle +
                            ".service\n\n[Install]\nWantedBy=timers.target\n";
        // The service first: a timer never points at a unit that is not there.
        if (!WriteFileAtomically(folder_ + "/" + handle + ".service", service) ||
            !WriteFileAtomically(folder_ + "/" + handle + ".timer", timer)) {
            fs::remove(folder_ + "/" + handle + ".service", error);
            fs::remove(folder_ + "/" + handle + ".timer", error);
            return false;
        }
        return Systemctl({"daemon-reload"}) && Systemctl({"enable", "--now", handle + ".timer"});
    }

    const char* Name() const override { return "systemd"; }

private:
    bool Systemctl(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {systemctl_, "--user", "--quiet"});
        return RunAndWait(arguments) == 0;
    }

    std::string folder_;
    std::string systemctl_;
};

std::string DefaultUnitFolder() {
    return ConfigHomeFolder() + "/systemd/user";
}

} // namespace

std::unique_ptr<TimedNotifications> MakeSystemdNotifications(const std::string& unitFolder,
                                                             const std::string& systemctl) {
    std::string command = systemctl;
    if (command.empty()) {
        const char* override = std::getenv("TONILO_SYSTEMCTL");
        command = override && *override ? override : "systemctl";
    }
    return std::make_unique<SystemdNotifications>(
        unitFolder.empty() ? DefaultUnitFolder() : unitFolder, command);
}

} // namespace tonilo
