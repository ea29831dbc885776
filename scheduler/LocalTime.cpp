#include "scheduler/LocalTime.h"

#include <sys/time.h>

#include <cstdio>
#include <ctime>

namespace tonilo {
namespace {

constexpr int64_t kUnitsPerDay = 24LL * 3600 * kFileTimeUnitsPerSecond;
constexpr int kLastYear = 30827;
// 1 January 1601 counted in days from 1 March of the year 0.
constexpr int64_t kEpochFromYear0 = 4 * 146097 + 306;

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1 January 1601 (a Monday) to the date, in the proleptic Gregorian
// calendar.
int64_t DaysFromEpoch(int year, int month, int day) {
    // Shift the year to start in March so the leap day comes last.
    int64_t y = year - (month <= 2 ? 1 : 0);
    int64_t era = y / 400;
    int64_t yearOfEra = y - era * 400;
    int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - kEpochFromYear0;
}

void DateFromDays(int64_t days, LocalTime* time) {
    int64_t z = days + kEpochFromYear0;
    int64_t era = z / 146097;
    int64_t dayOfEra = z - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    time->year = static_cast<uint16_t>(year);
    time->month = static_cast<uint16_t>(month);
    time->day = static_cast<uint16_t>(day);
    time->dayOfWeek = static_cast<uint16_t>((days + 1) % 7); // 1601-01-01 was a Monday
}

} // namespace

bool LocalTimeToFileTime(const LocalTime& time, int64_t* fileTime) {
    if (time.year < 1601 || time.year > kLastYear || time.month < 1 || time.month > 12 ||
        time.day < 1 || time.day > DaysInMonth(time.year, time.month) || time.hour > 23 ||
        time.minute > 59 || time.second > 59 || time.milliseconds > 999)
        return false;
    int64_t days = DaysFromEpoch(time.year, time.month, time.day);
    int64_t seconds = time.hour * 3600LL + time.minute * 60LL + time.second;
    *fileTime =
        days * kUnitsPerDay + seconds * kFileTimeUnitsPerSecond + time.milliseconds * 10000LL;
    return true;
}

bool FileTimeToLocalTime(int64_t fileTime, LocalTime* time) {
    if (fileTime < 0)
        return false;
    int64_t days = fileTime / kUnitsPerDay;
    int64_t rest = fileTime % kUnitsPerDay;
    if (days > DaysFromEpoch(kLastYear, 12, 31))
        return false;
    LocalTime result;
    DateFromDays(days, &result);
    int64_t milliseconds = rest / 10000;
    result.hour = static_cast<uint16_t>(milliseconds / 3600000);
    result.minute = static_cast<uint16_t>(milliseconds / 60000 % 60);
    result.second = static_cast<uint16_t>(milliseconds / 1000 % 60);
    result.milliseconds = static_cast<uint16_t>(milliseconds % 1000);
    *time = result;
    return true;
}

LocalTime CurrentLocalTime() {
    struct timeval now {};
    ::gettimeofday(&now, nullptr);
    std::tm local{};
    time_t seconds = now.tv_sec;
    ::localtime_r(&seconds, &local);
    LocalTime time;
    time.year = static_cast<uint16_t>(local.tm_year + 1900);
    time.month = static_cast<uint16_t>(local.tm_mon + 1);
    time.dayOfWeek = static_cast<uint16_t>(local.tm_wday);
    time.day = static_cast<uint16_t>(local.tm_mday);
    time.hour = static_cast<uint16_t>(local.tm_hour);
    time.minute = static_cast<uint16_t>(local.tm_min);
    time.second = static_cast<uint16_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
    time.milliseconds = static_cast<uint16_t>(now.tv_usec / 1000);
    return time;
}

int WeekdayOf(const LocalTime& time) {
    if (time.year < 1601 || time.month < 1 || time.month > 12)
        return time.dayOfWeek % 7;
    return static_cast<int>((DaysFromEpoch(time.year, time.month, time.day) + 1) % 7);
}

uint8_t WeekdayBit(const LocalTime& time) {
    int weekday = WeekdayOf(time);
    return static_cast<uint8_t>(weekday == 0 ? 64 : 1 << (weekday - 1));
}

std::string FormatLocalTime(const LocalTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", time.year, time.month, time.day,
                  time.hour, time.minute);
    return text;
}

bool ParseLocalTime(const std::string& text, LocalTime* time) {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0;
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%4u-%2u-%2u %2u:%2u%n", &year, &month, &day, &hour, &minute,
                    &consumed) != 5 ||
        static_cast<size_t>(consumed) != text.size() || text.size() != 16)
        return false;
    LocalTime parsed;
    parsed.year = static_cast<uint16_t>(year);
    parsed.month = static_cast<uint16_t>(month);
    parsed.day = static_cast<uint16_t>(day);
    parsed.hour = static_cast<uint16_t>(hour);
    parsed.minute = static_cast<uint16_t>(minute);
    int64_t check = 0;
    if (!LocalTimeToFileTime(parsed, &check))
        return false;
    parsed.dayOfWeek = static_cast<uint16_t>(WeekdayOf(parsed));
    *time = parsed;
    return true;
}

} // namespace tonilo
