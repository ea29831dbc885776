#pragma once
// Timed notifications that start a program with arguments at a local date and
// time, also when no Tonilo process runs. Two back ends: systemd user timers
// where a user session exists, else rows in the registry store that the
// background service fires on time.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tonilo {

// A local date and time to the second ("YYYY-MM-DD HH:MM:SS").
struct CalendarTime {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;

    bool operator<(const CalendarTime& other) const;
    bool operator==(const CalendarTime& other) const;
};

std::string FormatCalendarTime(const CalendarTime& time);
bool ParseCalendarTime(const std::string& text, CalendarTime* time);
// The local clock, and seconds since the epoch of a local time (-1 when the
// fields are not a date).
CalendarTime CurrentCalendarTime();
int64_t CalendarTimeToEpoch(const CalendarTime& time);

// A notification found later than this after its time (the machine slept
// through it, or the clock was set forward) is dropped, not run late.
constexpr int64_t kLateGraceSeconds = 120;
// Whether a notification for `when` should still run at `nowEpoch`.
bool StillDue(const CalendarTime& when, int64_t nowEpoch);

struct TimedNotification {
    std::string handle; // the back end's own name for it
    CalendarTime when;
    std::string application;
    std::string arguments;
};

class TimedNotifications {
public:
    virtual ~TimedNotifications() = default;
    // False when the back end cannot list what is armed.
    virtual bool Enumerate(std::vector<TimedNotification>* notifications) = 0;
    virtual bool Clear(const std::string& handle) = 0;
    // Arms a new notification; `handle` of the argument is ignored.
    virtual bool Set(const TimedNotification& notification) = 0;
    virtual const char* Name() const = 0;
};

// A name for a new notification, unique across processes.
std::string NewNotificationHandle();

// systemd when the user has a systemd session, the store otherwise.
// $TONILO_NOTIFICATIONS = "store" or "systemd" decides for tests.
std::unique_ptr<TimedNotifications> MakeTimedNotifications();
bool HaveSystemdUserSession();

} // namespace tonilo
