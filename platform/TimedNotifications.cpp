#include "platform/TimedNotifications.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <tuple>

#include "platform/StoredNotifications.h"
#include "platform/SystemdNotifications.h"

namespace tonilo {

// The clock, the process and a counter.
std::string NewNotificationHandle() {
    static std::atomic<unsigned> counter{0};
    auto now = std::chrono::system_clock::now().time_since_epoch();
    char text[64];
    std::snprintf(text, sizeof text, "%llx-%x-%x",
                  static_cast<unsigned long long>(
                      std::chrono::duration_cast<std::chrono::microseconds>(now).count()),
                  static_cast<unsigned>(::getpid()), counter.fetch_add(1));
    return text;
}

bool CalendarTime::operator<(const CalendarTime& other) const {
    return std::tie(year, month, day, hour, minute, second) <
           std::tie(other.year, other.month, other.day, other.hour, other.minute, other.second);
}

bool CalendarTime::operator==(const CalendarTime& other) const {
    return std::tie(year, month, day, hour, minute, second) ==
           std::tie(other.year, other.month, other.day, other.hour, other.minute, other.second);
}

std::string FormatCalendarTime(const CalendarTime& time) {
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", time.year, time.month,
                  time.day, time.hour, time.minute, time.second);
    return text;
}

bool ParseCalendarTime(const std::string& text, CalendarTime* time) {
    unsigned year, month, day, hour, minute, second;
    char tail;
    if (text.size() != 19 || std::sscanf(text.c_str(), "%4u-%2u-%2u %2u:%2u:%2u%c", &year, &month,
                                         &day, &hour, &minute, &second, &tail) != 6)
        return false;
    CalendarTime parsed{static_cast<uint16_t>(year),   static_cast<uint16_t>(month),
                        static_cast<uint16_t>(day),    static_cast<uint16_t>(hour),
                        static_cast<uint16_t>(minute), static_cast<uint16_t>(second)};
    if (CalendarTimeToEpoch(parsed) < 0)
        return false;
    *time = parsed;
    return true;
}

CalendarTime CurrentCalendarTime() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return CalendarTime{
        static_cast<uint16_t>(local.tm_year + 1900), static_cast<uint16_t>(local.tm_mon + 1),
        static_cast<uint16_t>(local.tm_mday),        static_cast<uint16_t>(local.tm_hour),
        static_cast<uint16_t>(local.tm_min),         static_cast<uint16_t>(local.tm_sec)};
}

int64_t CalendarTimeToEpoch(const CalendarTime& time) {
    if (time.year < 1970 || time.month < 1 || time.month > 12 || time.day < 1 || time.day > 31 ||
        time.hour > 23 || time.minute > 59 || time.second > 59)
        return -1;
    std::tm local{};
    local.tm_year = time.year - 1900;
    local.tm_mon = time.month - 1;
    local.tm_mday = time.day;
    local.tm_hour = time.hour;
    local.tm_min = time.minute;
    local.tm_sec = time.second;
    local.tm_isdst = -1;
    std::tm check = local;
    std::time_t epoch = std::mktime(&local);
    // mktime rolls 31 April into May; such a date is not a date.
    if (epoch == static_cast<std::time_t>(-1) || local.tm_mday != check.tm_mday ||
        local.tm_mon != check.tm_mon)
        return -1;
    return static_cast<int64_t>(epoch);
}

bool StillDue(const CalendarTime& when, int64_t nowEpoch) {
    int64_t epoch = CalendarTimeToEpoch(when);
    return epoch >= 0 && nowEpoch - epoch <= kLateGraceSeconds;
}

bool HaveSystemdUserSession() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime || ::access("/run/systemd/system", F_OK) != 0)
        return false;
    return ::access((std::string(runtime) + "/systemd/private").c_str(), F_OK) == 0;
}

std::unique_ptr<TimedNotifications> MakeTimedNotifications() {
    const char* choice = std::getenv("TONILO_NOTIFICATIONS");
    std::string wanted = choice ? choice : "";
    if (wanted == "systemd" || (wanted != "store" && HaveSystemdUserSession()))
        return MakeSystemdNotifications();
    return MakeStoredNotifications();
}

} // namespace tonilo
