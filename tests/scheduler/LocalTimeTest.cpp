#include "scheduler/LocalTime.h"

#include <gtest/gtest.h>

#include <ctime>

namespace tonilo {
namespace {

constexpr int64_t kUnixEpochInFileTimeSeconds = 11644473600LL;

TEST(LocalTimeTest, FileTimesAgreeWithTheCalendarOfTheCLibrary) {
    // Every 7 days and 13 hours and a bit from 1970 to 2100.
    for (int64_t unix = 0; unix < 4102444800LL; unix += 7 * 86400 + 13 * 3600 + 61) {
        std::time_t seconds = static_cast<std::time_t>(unix);
        std::tm utc{};
        gmtime_r(&seconds, &utc);
        LocalTime time;
        time.year = static_cast<uint16_t>(utc.tm_year + 1900);
        time.month = static_cast<uint16_t>(utc.tm_mon + 1);
        time.day = static_cast<uint16_t>(utc.tm_mday);
        time.hour = static_cast<uint16_t>(utc.tm_hour);
        time.minute = static_cast<uint16_t>(utc.tm_min);
        time.second = static_cast<uint16_t>(utc.tm_sec);
        time.milliseconds = 250;
        int64_t fileTime = 0;
        ASSERT_TRUE(LocalTimeToFileTime(time, &fileTime));
        ASSERT_EQ(fileTime,
                  (unix + kUnixEpochInFileTimeSeconds) * kFileTimeUnitsPerSecond + 2500000);
        LocalTime back;
        ASSERT_TRUE(FileTimeToLocalTime(fileTime, &back));
        ASSERT_EQ(back.year, time.year);
        ASSERT_EQ(back.month, time.month);
        ASSERT_EQ(back.day, time.day);
        ASSERT_EQ(back.hour, time.hour);
        ASSERT_EQ(back.minute, time.minute);
        ASSERT_EQ(back.second, time.second);
        ASSERT_EQ(back.milliseconds, 250);
        ASSERT_EQ(back.dayOfWeek, utc.tm_wday);
        ASSERT_EQ(WeekdayOf(time), utc.tm_wday);
    }
}

TEST(LocalTimeTest, RefusesTimesOutsideTheCalendar) {
    LocalTime time;
    int64_t fileTime = 0;
    ASSERT_TRUE(LocalTimeToFileTime(time, &fileTime));
    EXPECT_EQ(fileTime, 0);
    time.year = 2009, time.month = 2, time.day = 29;
    EXPECT_FALSE(LocalTimeToFileTime(time, &fileTime));
    time.year = 2008;
    EXPECT_TRUE(LocalTimeToFileTime(time, &fileTime));
    time.hour = 24;
    EXPECT_FALSE(LocalTimeToFileTime(time, &fileTime));
    time = LocalTime{};
    time.year = 1600;
    EXPECT_FALSE(LocalTimeToFileTime(time, &fileTime));
    time.year = 2000, time.month = 13;
    EXPECT_FALSE(LocalTimeToFileTime(time, &fileTime));

    LocalTime back;
    EXPECT_FALSE(FileTimeToLocalTime(-1, &back));
    EXPECT_FALSE(FileTimeToLocalTime(INT64_MAX, &back));
    time = LocalTime{};
    time.year = 30827, time.month = 12, time.day = 31, time.hour = 23;
    ASSERT_TRUE(LocalTimeToFileTime(time, &fileTime));
    EXPECT_TRUE(FileTimeToLocalTime(fileTime, &back));
    EXPECT_FALSE(FileTimeToLocalTime(fileTime + 24 * 3600 * kFileTimeUnitsPerSecond, &back));
}

TEST(LocalTimeTest, WeekdayBitsAndText) {
    LocalTime time;
    ASSERT_TRUE(ParseLocalTime("2009-03-02 10:00", &time)); // a Monday
    EXPECT_EQ(WeekdayBit(time), 1);
    EXPECT_EQ(time.dayOfWeek, 1);
    ASSERT_TRUE(ParseLocalTime("2009-03-08 23:59", &time)); // a Sunday
    EXPECT_EQ(WeekdayBit(time), 64);
    ASSERT_TRUE(ParseLocalTime("2009-03-07 00:00", &time)); // a Saturday
    EXPECT_EQ(FormatLocalTime(time), "2009-03-07 00:00");
    for (const char* wrong : {"2009-3-7 00:00", "2009-03-07", "2009-03-07 24:00",
                              "2009-02-30 10:00", "2009-03-07 10:00x", "", "yyyy-mm-dd hh:mm"})
        EXPECT_FALSE(ParseLocalTime(wrong, &time)) << wrong;
}

} // namespace
} // namespace tonilo
