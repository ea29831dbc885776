#include "scheduler/EventTriggering.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/RegistryStore.h"
#include "platform/StoredNotifications.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

LocalTime At(const char* text) {
    LocalTime time;
    EXPECT_TRUE(ParseLocalTime(text, &time)) << text;
    return time;
}

LocalTime AtSecond(const char* text, uint16_t second) {
    LocalTime time = At(text);
    time.second = second;
    return time;
}

struct NextRunCase {
    const char* what;
    const char* start;
    uint8_t repeat;
    LocalTime now;
    const char* expected; // nullptr: not armed
};

TEST(NextRunTimeTest, OneTimeAndWeekdayWalks) {
    const uint8_t monday = 1, sunday = 64, everyDay = 127;
    // 2009-03-02 was a Monday.
    const NextRunCase cases[] = {
        {"Monday event armed Monday after its time waits a week", "2009-01-05 08:00", monday,
         At("2009-03-02 09:00"), "2009-03-09 08:00"},
        {"Monday event armed Monday before its time runs today", "2009-01-05 08:00", monday,
         At("2009-03-02 07:00"), "2009-03-02 08:00"},
        {"Monday event armed at its very minute waits a week", "2009-01-05 08:00", monday,
         At("2009-03-02 08:00"), "2009-03-09 08:00"},
        {"Sunday event armed on Monday", "2009-01-05 23:59", sunday, At("2009-03-02 12:00"),
         "2009-03-08 23:59"},
        {"every day, just past its time, runs tomorrow", "2009-01-05 10:00", everyDay,
         AtSecond("2009-03-02 10:00", 30), "2009-03-03 10:00"},
        {"every day across a month end", "2009-01-05 06:00", everyDay, At("2009-02-28 07:00"),
         "2009-03-01 06:00"},
        {"one time in the future", "2009-03-02 10:15", 0, At("2009-03-02 10:14"),
         "2009-03-02 10:15"},
        {"one time in the past", "2009-03-02 10:15", 0, At("2009-03-02 10:16"), nullptr},
        {"one time at now", "2009-03-02 10:15", 0, At("2009-03-02 10:15"), nullptr},
    };
    for (const NextRunCase& c : cases) {
        ScheduleEvent event = ScheduleEvent::New(At(c.start));
        event.repeat = c.repeat;
        LocalTime next;
        bool armed = NextRunTime(event, c.now, &next);
        ASSERT_EQ(armed, c.expected != nullptr) << c.what;
        if (armed) {
            EXPECT_EQ(FormatLocalTime(next), c.expected) << c.what;
            EXPECT_EQ(next.dayOfWeek, WeekdayOf(next)) << c.what;
        }
    }
}

// A back end that cannot list what is armed.
class BlindNotifications : public TimedNotifications {
public:
    bool Enumerate(std::vector<TimedNotification>*) override { return false; }
    bool Clear(const std::string&) override { return false; }
    bool Set(const TimedNotification&) override {
        ++sets;
        return true;
    }
    const char* Name() const override { return "blind"; }
    int sets = 0;
};

class RearmTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegistryStore::UseDatabase(folder_ / "registry.db");
        scheduler_.Initialise("/opt/Tonilo/tonilo", folder_ / "tonilo.sch");
        scheduler_.SetClock([this] { return now_; });
        ASSERT_TRUE(scheduler_.RegisterAction(MakeRecordAction()));
        stored_ = MakeStoredNotifications();
    }

    void AddEvent(const char* name, const char* start, uint8_t repeat, uint32_t enabled) {
        ScheduleEvent event = ScheduleEvent::New(At(start));
        event.name = name;
        event.action = kRecordActionId;
        event.length = 60;
        event.repeat = repeat;
        event.enabled = enabled;
        ASSERT_TRUE(scheduler_.Add(event, false)) << name;
    }

    std::vector<TimedNotification> Armed() {
        std::vector<TimedNotification> armed;
        EXPECT_TRUE(stored_->Enumerate(&armed));
        return armed;
    }

    test::ScratchFolder folder_;
    LocalTime now_ = At("2009-03-02 09:00"); // a Monday
    Scheduler scheduler_;
    std::unique_ptr<TimedNotifications> stored_;
};

TEST_F(RearmTest, ReplacesOwnNotificationsAndLeavesOthers) {
    TimedNotification foreign{"", CalendarTime{2009, 3, 5, 7, 0, 0}, "/usr/bin/alarm", "wake"};
    TimedNotification stale{"", CalendarTime{2009, 3, 4, 7, 0, 0}, "/OPT/tonilo/TONILO",
                            "Deleted event"};
    ASSERT_TRUE(stored_->Set(foreign));
    ASSERT_TRUE(stored_->Set(stale));
    AddEvent("News", "2009-03-02 12:00", 0, 1);
    AddEvent("Weekly", "2009-01-05 08:00", 1, 1);
    AddEvent("Off", "2009-03-03 12:00", 0, 0);

    RearmResult result = RearmAll(scheduler_, *stored_, now_);
    EXPECT_TRUE(result.enumerated);
    EXPECT_EQ(result.cleared, 1u); // the path compares without regard to case
    EXPECT_EQ(result.armed, 2u);

    std::map<std::string, std::string> byArguments;
    for (const TimedNotification& notification : Armed())
        byArguments[notification.arguments] =
            FormatCalendarTime(notification.when) + " " + notification.application;
    EXPECT_EQ(byArguments, (std::map<std::string, std::string>{
                               {"wake", "2009-03-05 07:00:00 /usr/bin/alarm"},
                               {"News", "2009-03-02 12:00:00 /opt/Tonilo/tonilo"},
                               {"Weekly", "2009-03-09 08:00:00 /opt/Tonilo/tonilo"},
                           }));

    // Arming again replaces, never adds.
    EXPECT_EQ(RearmAll(scheduler_, *stored_, now_).cleared, 2u);
    EXPECT_EQ(Armed().size(), 3u);
}

TEST_F(RearmTest, NothingIsArmedWhenTheEnumerationFails) {
    AddEvent("News", "2009-03-02 12:00", 0, 1);
    BlindNotifications blind;
    RearmResult result = RearmAll(scheduler_, blind, now_);
    EXPECT_FALSE(result.enumerated);
    EXPECT_EQ(blind.sets, 0);
}

} // namespace
} // namespace tonilo
