#pragma once
// The scheduler dialogs' texts that follow the user's locale: the time column of
// the event list, the weekday boxes of the event editor and its time format.
#include <cstdint>
#include <string>
#include <vector>

#include "scheduler/ScheduleEvent.h"

namespace tonilo {

struct WeekdayBox {
    std::string label; // the full day name, first letter in upper case
    uint8_t bit = 0;   // Monday 1 .. Sunday 64
};

// The locale's week, starting at its first day of the week.
std::vector<WeekdayBox> LocaleWeekdayBoxes();
// A strftime format: the locale's time format without the seconds and the
// separator before them.
std::string TimeFormatWithoutSeconds();
// The start time without seconds, then ", " and the abbreviated name of each
// weekday of the mask in the locale's week order, or ", " and the start date in
// the locale's short date format for a one-time event.
std::string EventTimeText(const ScheduleEvent& event);

} // namespace tonilo
