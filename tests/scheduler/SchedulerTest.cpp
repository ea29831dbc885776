#include "scheduler/Scheduler.h"

#include <gtest/gtest.h>

#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

LocalTime At(const char* text) {
    LocalTime time;
    EXPECT_TRUE(ParseLocalTime(text, &time)) << text;
    return time;
}

ScheduleEvent Event(const std::string& name, uint32_t action, const char* start,
                    uint32_t length = 1800, uint8_t repeat = 0) {
    ScheduleEvent event = ScheduleEvent::New(At(start));
    event.name = name;
    event.action = action;
    event.length = length;
    event.repeat = repeat;
    event.enabled = 1;
    return event;
}

class SchedulerTest : public ::testing::Test {
protected:
    void SetUp() override {
        scheduler_.Initialise("/opt/Tonilo/tonilo", folder_ / "tonilo.sch");
        scheduler_.SetClock([this] { return now_; });
        ASSERT_TRUE(scheduler_.RegisterAction(MakeRecordAction()));
        ASSERT_TRUE(scheduler_.RegisterAction(MakePlayAction()));
    }

    // Checked as a new event (or as an edit of `old`), names and collisions included.
    bool Fits(const ScheduleEvent& event, const char* old = "") {
        return scheduler_.Validate(event, old, false, true);
    }

    test::ScratchFolder folder_;
    LocalTime now_ = At("2009-03-01 08:00"); // a Sunday
    Scheduler scheduler_;
};

TEST_F(SchedulerTest, ActionsRegisterOnceWithNonZeroIds) {
    EXPECT_FALSE(scheduler_.RegisterAction(MakeRecordAction()));
    ScheduleAction none;
    EXPECT_FALSE(scheduler_.RegisterAction(none));
    // Nothing works before initialisation.
    Scheduler fresh;
    EXPECT_FALSE(fresh.RegisterAction(MakeRecordAction()));
    EXPECT_FALSE(fresh.Add(Event("a", kRecordActionId, "2009-03-02 10:00"), false));
    EXPECT_FALSE(fresh.Save());
}

TEST_F(SchedulerTest, DefaultScheduleFileIsBesideTheProgram) {
    EXPECT_EQ(ScheduleFilePathFor("/opt/Tonilo/tonilo"), "/opt/Tonilo/tonilo.sch");
    EXPECT_EQ(ScheduleFilePathFor("\\Program Files\\Tonilo.exe"), "\\Program Files\\Tonilo.sch");
    Scheduler fresh;
    fresh.Initialise("/opt/Tonilo/tonilo", "");
    EXPECT_EQ(fresh.ScheduleFilePath(), "/opt/Tonilo/tonilo.sch");
}

TEST_F(SchedulerTest, ValidationRefusesInItsOrder) {
    ASSERT_TRUE(scheduler_.Add(Event("Morning", kRecordActionId, "2009-03-02 10:00"), false));
    EXPECT_EQ(scheduler_.LastError(), 0u);

    // Same name in another case: refused before anything else is looked at.
    EXPECT_FALSE(scheduler_.Add(Event("MORNING", kRecordActionId, "2000-01-01 00:00", 0), false));
    EXPECT_EQ(scheduler_.LastError(), kEventNameTaken);
    EXPECT_EQ(scheduler_.LastError(), 0u); // cleared when read

    EXPECT_FALSE(scheduler_.Add(Event("", kRecordActionId, "2000-01-01 00:00", 0), false));
    EXPECT_EQ(scheduler_.LastError(), kEventNameEmpty);

    EXPECT_FALSE(scheduler_.Add(Event("x", 999, "2009-03-02 10:00"), false)); // unknown action
    EXPECT_EQ(scheduler_.LastError(), 0u);

    EXPECT_FALSE(scheduler_.Add(Event("x", kRecordActionId, "2009-03-01 07:00", 0), false));
    EXPECT_EQ(scheduler_.LastError(), kEventTimeInPast);

    EXPECT_FALSE(scheduler_.Add(Event("x", kRecordActionId, "2009-03-03 10:00", 0), false));
    EXPECT_EQ(scheduler_.LastError(), kEventLengthNotPositive);
    EXPECT_TRUE(scheduler_.Add(Event("p", kPlayActionId, "2009-03-03 10:00", 0), false));

    EXPECT_FALSE(scheduler_.Add(Event("x", kRecordActionId, "2009-03-02 10:10"), false));
    EXPECT_EQ(scheduler_.LastError(), kEventCollides);
    EXPECT_EQ(scheduler_.Count(), 2u);
}

TEST_F(SchedulerTest, AOneTimeEventMustStartAfterNow) {
    now_.second = 0;
    now_.milliseconds = 0;
    EXPECT_FALSE(scheduler_.Add(Event("now", kRecordActionId, "2009-03-01 08:00"), false));
    EXPECT_EQ(scheduler_.LastError(), kEventTimeInPast);
    EXPECT_TRUE(scheduler_.Add(Event("later", kRecordActionId, "2009-03-01 08:01"), false));
    // A repeating event only needs its time of day.
    EXPECT_TRUE(
        scheduler_.Add(Event("daily", kRecordActionId, "2000-01-01 07:00", 60, 0x7F), false));
    // Events from the file skip the time checks.
    EXPECT_TRUE(scheduler_.Add(Event("old", kRecordActionId, "2001-01-01 05:00"), true));
}

TEST_F(SchedulerTest, AStartOutsideTheCalendarIsNeverStored) {
    // The file keeps the start as a file time: such a date would come back as
    // 1 January 1601.
    ASSERT_TRUE(scheduler_.Add(Event("good", kRecordActionId, "2009-03-02 10:00"), false));
    const struct {
        const char* name;
        uint16_t month, day, hour;
    } wrong[] = {{"30 February", 2, 30, 10},
                 {"month 13", 13, 1, 10},
                 {"hour 24", 3, 2, 24},
                 {"day 0", 3, 0, 10}};
    for (const auto& each : wrong) {
        SCOPED_TRACE(each.name);
        ScheduleEvent event = Event("bad", kRecordActionId, "2009-03-05 10:00", 60, 0x7F);
        event.start.month = each.month;
        event.start.day = each.day;
        event.start.hour = each.hour;
        for (bool fromFile : {false, true}) {
            EXPECT_FALSE(scheduler_.Add(event, fromFile));
            EXPECT_EQ(scheduler_.LastError(), kEventTimeInPast);
        }
        event.name = "good";
        EXPECT_FALSE(scheduler_.Update("good", event));
        EXPECT_EQ(scheduler_.LastError(), kEventTimeInPast);
    }
    ASSERT_EQ(scheduler_.Count(), 1u);
    ASSERT_TRUE(scheduler_.Save());
    Scheduler reloaded;
    reloaded.Initialise("/opt/Tonilo/tonilo", folder_ / "tonilo.sch");
    reloaded.SetClock([this] { return now_; });
    ASSERT_TRUE(reloaded.RegisterAction(MakeRecordAction()));
    ASSERT_NE(reloaded.Find("good"), nullptr);
    EXPECT_EQ(FormatLocalTime(reloaded.Find("good")->start), "2009-03-02 10:00");
}

TEST_F(SchedulerTest, CollisionRules) {
    ASSERT_TRUE(scheduler_.Add(Event("rec", kRecordActionId, "2009-03-02 10:00"), false));
    // A play event at the very end of a recording collides; a minute later it does not.
    EXPECT_FALSE(Fits(Event("play", kPlayActionId, "2009-03-02 10:30")));
    EXPECT_EQ(scheduler_.LastError(), kEventCollides);
    EXPECT_TRUE(Fits(Event("play", kPlayActionId, "2009-03-02 10:31")));
    // A recording that starts inside an existing one, or covers it, collides.
    EXPECT_FALSE(Fits(Event("in", kRecordActionId, "2009-03-02 10:15", 1800)));
    EXPECT_FALSE(Fits(Event("over", kRecordActionId, "2009-03-02 09:00", 7200)));
    EXPECT_FALSE(Fits(Event("touch", kRecordActionId, "2009-03-02 09:30", 1800)));
    EXPECT_TRUE(Fits(Event("before", kRecordActionId, "2009-03-02 09:00", 3540)));
    EXPECT_TRUE(Fits(Event("next day", kRecordActionId, "2009-03-03 10:00")));
    // Editing the event itself does not collide with its old self.
    EXPECT_TRUE(Fits(Event("rec", kRecordActionId, "2009-03-02 10:05"), "rec"));
    EXPECT_TRUE(Fits(Event("renamed", kRecordActionId, "2009-03-02 10:05"), "REC"));
    // Name checks off means no collision test either.
    EXPECT_TRUE(
        scheduler_.Validate(Event("in", kRecordActionId, "2009-03-02 10:15"), "", true, true));
}

TEST_F(SchedulerTest, RepeatingEventsCollideOnSharedWeekdaysOnly) {
    // Mondays 10:00 to 11:00.
    ASSERT_TRUE(
        scheduler_.Add(Event("weekly", kRecordActionId, "2009-03-02 10:00", 3600, 0x01), false));
    // A one-time event on a Tuesday at 10:30: no common weekday.
    EXPECT_TRUE(Fits(Event("tue", kRecordActionId, "2009-03-03 10:30")));
    // On a later Monday it collides.
    EXPECT_FALSE(Fits(Event("mon", kRecordActionId, "2009-03-16 10:30")));
    EXPECT_EQ(scheduler_.LastError(), kEventCollides);
    // A repeating event on Monday and Friday at 10:59 collides; on Friday alone not.
    EXPECT_FALSE(Fits(Event("mf", kPlayActionId, "2009-03-06 10:59", 0, 0x11)));
    EXPECT_TRUE(Fits(Event("f", kPlayActionId, "2009-03-06 10:59", 0, 0x10)));
    // Events of unknown actions are ignored by the test.
    ASSERT_TRUE(scheduler_.Add(Event("ghost", 4242, "2009-03-10 12:00"), true));
    EXPECT_TRUE(Fits(Event("noon", kRecordActionId, "2009-03-10 12:00")));
}

TEST_F(SchedulerTest, UpdateRemoveAndCapacity) {
    ASSERT_TRUE(scheduler_.Add(Event("a", kRecordActionId, "2009-03-02 10:00"), false));
    ScheduleEvent changed = Event("b", kRecordActionId, "2009-03-02 12:00");
    EXPECT_TRUE(scheduler_.Update("A", changed));
    EXPECT_EQ(scheduler_.EventAt(0), "b");
    EXPECT_EQ(scheduler_.Find("a"), nullptr);
    EXPECT_FALSE(scheduler_.Update("a", changed));
    EXPECT_TRUE(scheduler_.Remove("B"));
    EXPECT_FALSE(scheduler_.Remove("b"));
    EXPECT_EQ(scheduler_.EventAt(0), "");
    // Names longer than the file keeps are refused.
    EXPECT_FALSE(
        scheduler_.Add(Event(std::string(260, 'n'), kPlayActionId, "2009-03-05 11:00"), true));
    EXPECT_TRUE(
        scheduler_.Add(Event(std::string(259, 'n'), kPlayActionId, "2009-03-05 11:00"), true));
    ASSERT_TRUE(scheduler_.Remove(std::string(259, 'N')));

    for (int i = 0; i < 32; ++i)
        ASSERT_TRUE(scheduler_.Add(Event("e" + std::to_string(i), kPlayActionId, "2009-03-05 10:00",
                                         0, static_cast<uint8_t>(i == 0 ? 0 : 0x40)),
                                   false))
            << i;
    EXPECT_FALSE(scheduler_.Add(Event("full", kPlayActionId, "2009-03-05 11:00", 0), false));
    EXPECT_EQ(scheduler_.Count(), 32u);
}

TEST_F(SchedulerTest, PurgeRemovesPastOneTimeEvents) {
    ASSERT_TRUE(scheduler_.Add(Event("past", kRecordActionId, "2009-02-01 10:00"), true));
    ASSERT_TRUE(scheduler_.Add(Event("weekly", kRecordActionId, "2009-02-02 10:00", 60, 1), true));
    ASSERT_TRUE(scheduler_.Add(Event("future", kRecordActionId, "2009-04-01 10:00"), true));
    ASSERT_TRUE(scheduler_.Add(Event("unknown", 77, "2009-04-02 10:00"), true));
    ASSERT_TRUE(scheduler_.Add(Event("empty", kRecordActionId, "2009-04-03 10:00", 0), true));
    EXPECT_EQ(scheduler_.PurgePastEvents(), 3u);
    EXPECT_EQ(scheduler_.Count(), 2u);
    EXPECT_EQ(scheduler_.EventAt(0), "weekly");
    EXPECT_EQ(scheduler_.EventAt(1), "future");
    EXPECT_TRUE(scheduler_.Dirty());
}

TEST_F(SchedulerTest, ActionPropertiesTravelWithTheEvent) {
    PlayProperties play;
    play.path = "/music/täst.mp3";
    std::vector<uint8_t> bytes = SerialiseProperties(play);
    ASSERT_EQ(bytes.size(), 522u);
    EXPECT_EQ(bytes[0], 0x08);
    EXPECT_EQ(bytes[1], 0x02);
    ScheduleEvent event = Event("song", kPlayActionId, "2009-03-02 10:00", 0);
    event.properties = bytes;
    ASSERT_TRUE(scheduler_.Add(event, false));
    ScheduledRun run;
    ASSERT_TRUE(scheduler_.FindEventAction("SONG", &run));
    EXPECT_EQ(run.action, kPlayActionId);
    auto* properties = dynamic_cast<PlayProperties*>(run.properties.get());
    ASSERT_NE(properties, nullptr);
    EXPECT_EQ(properties->path, "/music/täst.mp3");

    RecordProperties record;
    record.switchOffAfter = 1;
    bytes = SerialiseProperties(record);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 0, 0, 1, 0, 1}));
    RecordProperties decoded;
    EXPECT_TRUE(decoded.Deserialise(bytes.data(), bytes.size()));
    EXPECT_EQ(decoded.switchOffAfter, 1);
    EXPECT_FALSE(decoded.Deserialise(bytes.data(), 5));
    bytes[3] = 2;
    EXPECT_FALSE(decoded.Deserialise(bytes.data(), bytes.size()));
    EXPECT_FALSE(play.Deserialise(bytes.data(), bytes.size()));

    // A long path keeps 259 units in the 260-unit buffer.
    play.path = std::string(300, 'p');
    bytes = SerialiseProperties(play);
    PlayProperties cut;
    ASSERT_TRUE(cut.Deserialise(bytes.data(), bytes.size()));
    EXPECT_EQ(cut.path, std::string(259, 'p'));

    ScheduleEvent broken = Event("broken", kPlayActionId, "2009-03-03 10:00", 0);
    broken.properties = {1, 2, 3};
    ASSERT_TRUE(scheduler_.Add(broken, false));
    EXPECT_FALSE(scheduler_.FindEventAction("broken", &run));
    EXPECT_FALSE(scheduler_.FindEventAction("none", &run));
}

TEST_F(SchedulerTest, LengthsNearTheCalendarsEndDoNotOverflow) {
    ScheduleEvent last = Event("last", kRecordActionId, "2009-03-02 10:00", 0xFFFFFFFFu);
    last.start.year = 30827;
    last.start.month = 12;
    last.start.day = 31;
    ASSERT_TRUE(scheduler_.Add(last, true));
    ScheduleEvent other = last;
    other.name = "other";
    other.start.hour = 23;
    EXPECT_FALSE(scheduler_.Add(other, true)); // starts inside "last", which never ends
    EXPECT_EQ(scheduler_.LastError(), kEventCollides);
}

} // namespace
} // namespace tonilo
