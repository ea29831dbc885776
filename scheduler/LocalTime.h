#pragma once
// A local date and time as the schedule keeps it (the platform's SYSTEMTIME: eight
// 16-bit fields) and its 64-bit file time, counted in 100-nanosecond units from
// 1 January 1601 without any time-zone shift.
#include <cstdint>
#include <string>

namespace tonilo {

struct LocalTime {
    uint16_t year = 1601;
    uint16_t month = 1;     // 1..12
    uint16_t dayOfWeek = 1; // 0 Sunday .. 6 Saturday; filled in by conversions
    uint16_t day = 1;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
};

constexpr int64_t kFileTimeUnitsPerSecond = 10000000;

// False for a date or time outside the calendar (day 31 of April, hour 24, ...).
bool LocalTimeToFileTime(const LocalTime& time, int64_t* fileTime);
// False for negative times and years past 30827, which the fields cannot hold.
bool FileTimeToLocalTime(int64_t fileTime, LocalTime* time);

// The local clock, to the millisecond.
LocalTime CurrentLocalTime();

// Weekday of the date: 0 Sunday .. 6 Saturday; the stored field is not trusted.
int WeekdayOf(const LocalTime& time);
// The repeat-mask bit of the date's weekday: Monday 1, Tuesday 2, ... Sunday 64.
uint8_t WeekdayBit(const LocalTime& time);

// "YYYY-MM-DD hh:mm", and back (seconds and milliseconds 0). Parsing fails for
// anything else, dates outside the calendar included.
std::string FormatLocalTime(const LocalTime& time);
bool ParseLocalTime(const std::string& text, LocalTime* time);

} // namespace tonilo
