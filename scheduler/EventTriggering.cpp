#include "scheduler/EventTriggering.h"

#include "platform/TextCompare.h"

namespace tonilo {
namespace {

constexpr int64_t kUnitsPerDay = 24LL * 3600 * kFileTimeUnitsPerSecond;

bool Later(const LocalTime& candidate, const LocalTime& now) {
    int64_t a, b;
    return LocalTimeToFileTime(candidate, &a) && LocalTimeToFileTime(now, &b) && a > b;
}

} // namespace

bool NextRunTime(const ScheduleEvent& event, const LocalTime& now, LocalTime* next) {
    if (event.repeat == kRepeatOnce) {
        if (!Later(event.start, now))
            return false;
        int64_t units;
        LocalTimeToFileTime(event.start, &units);
        return FileTimeToLocalTime(units, next); // fills in the weekday
    }
    LocalTime today = now;
    today.hour = event.start.hour;
    today.minute = event.start.minute;
    today.second = event.start.second;
    today.milliseconds = 0;
    int64_t base;
    if (!LocalTimeToFileTime(today, &base))
        return false;
    for (int day = 0; day <= 7; ++day) {
        LocalTime candidate;
        if (!FileTimeToLocalTime(base + day * kUnitsPerDay, &candidate))
            return false;
        if ((event.repeat & WeekdayBit(candidate)) && Later(candidate, now)) {
            *next = candidate;
            return true;
        }
    }
    return false;
}

CalendarTime ToCalendarTime(const LocalTime& time) {
    return CalendarTime{time.year, time.month, time.day, time.hour, time.minute, time.second};
}

RearmResult RearmAll(Scheduler& scheduler, TimedNotifications& notifications,
                     const LocalTime& now) {
    RearmResult result;
    std::vector<TimedNotification> armed;
    if (!notifications.Enumerate(&armed))
        return result;
    result.enumerated = true;
    for (const TimedNotification& notification : armed) {
        if (EqualIgnoringCase(notification.application, scheduler.ApplicationPath()) &&
            notifications.Clear(notification.handle))
            ++result.cleared;
    }
    for (size_t index = 0; index < scheduler.Count(); ++index) {
        const ScheduleEvent* event = scheduler.Find(scheduler.EventAt(index));
        LocalTime next;
        if (!event || event->enabled != 1 || !NextRunTime(*event, now, &next))
            continue;
        TimedNotification notification;
        notification.when = ToCalendarTime(next);
        notification.application = scheduler.ApplicationPath();
        notification.arguments = event->name;
        if (notifications.Set(notification))
            ++result.armed;
    }
    return result;
}

} // namespace tonilo
