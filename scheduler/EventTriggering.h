#pragma once
// Turning enabled events into timed notifications that start the program with
// the event's name, and re-arming them all when the event list is confirmed.
#include <cstddef>

#include "platform/TimedNotifications.h"
#include "scheduler/LocalTime.h"
#include "scheduler/Scheduler.h"

namespace tonilo {

// The next time the event runs after `now`: a one-time event's start when it is
// later than now; for a repeating event the first day of its mask, today and the
// seven days after, whose date at the start's time of day is later than now.
// False when there is none.
bool NextRunTime(const ScheduleEvent& event, const LocalTime& now, LocalTime* next);

struct RearmResult {
    bool enumerated = false; // false: nothing was cleared nor armed
    size_t cleared = 0;
    size_t armed = 0;
};

// Clears every notification whose application is the scheduler's application
// path (compared without regard to case), then arms each enabled event with a
// next run time. Failures to arm one event are ignored.
RearmResult RearmAll(Scheduler& scheduler, TimedNotifications& notifications, const LocalTime& now);

CalendarTime ToCalendarTime(const LocalTime& time);

} // namespace tonilo
