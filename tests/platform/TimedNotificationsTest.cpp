// Both back ends of the timed notifications: the registry store, and systemd
// user units driven through a stand-in systemctl that logs what it is asked.
#include "platform/TimedNotifications.h"
#include "platform/StoredNotifications.h"
#include "platform/SystemdNotifications.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/RegistryStore.h"
#include "tests/support/FakeProgram.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

TEST(CalendarTimeTest, ParsesOnlyRealDatesAndTimes) {
    struct Case {
        const char* text;
        bool valid;
    } cases[] = {
        {"2026-12-06 05:30:00", true},   {"2024-02-29 23:59:59", true},
        {"2025-02-29 10:00:00", false},  {"2026-04-31 10:00:00", false},
        {"2026-12-06 24:00:00", false},  {"2026-12-06 05:30", false},
        {"2026-12-06 05:30:00x", false}, {"", false},
    };
    for (const Case& c : cases) {
        CalendarTime time;
        EXPECT_EQ(ParseCalendarTime(c.text, &time), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(FormatCalendarTime(time), c.text);
        }
    }
}

TEST(StoredNotificationsTest, SetListClearAndDamagedEntries) {
    test::ScratchFolder folder;
    RegistryStore::UseDatabase(folder / "registry.db");
    std::unique_ptr<TimedNotifications> stored = MakeStoredNotifications();
    EXPECT_FALSE(stored->Set({"", CalendarTime{2026, 2, 30, 10, 0, 0}, "/p/tonilo", "x"}));
    EXPECT_FALSE(stored->Set({"", CalendarTime{2026, 3, 1, 10, 0, 0}, "", "x"}));
    ASSERT_TRUE(stored->Set({"", CalendarTime{2026, 3, 1, 10, 0, 0}, "/p/tonilo", "Dawn chorus"}));
    ASSERT_TRUE(stored->Set({"", CalendarTime{2026, 3, 1, 10, 0, 0}, "/p/tonilo", "Dawn chorus"}));
    // A half-written entry from elsewhere is listed, so it can be cleared.
    ASSERT_TRUE(RegistryStore::Instance().CreateKey(
        HKEY_CURRENT_USER, std::string(kStoredNotificationsKey) + "\\broken"));

    std::vector<TimedNotification> armed;
    ASSERT_TRUE(stored->Enumerate(&armed));
    ASSERT_EQ(armed.size(), 3u);
    EXPECT_NE(armed[0].handle, armed[1].handle);
    for (const TimedNotification& notification : armed) {
        if (notification.handle == "broken") {
            EXPECT_EQ(notification.application, "");
            continue;
        }
        EXPECT_EQ(notification.arguments, "Dawn chorus");
        EXPECT_EQ(FormatCalendarTime(notification.when), "2026-03-01 10:00:00");
    }
    for (const TimedNotification& notification : armed)
        EXPECT_TRUE(stored->Clear(notification.handle));
    EXPECT_FALSE(stored->Clear("broken"));
    EXPECT_FALSE(stored->Clear("..\\..\\Zelto"));
    ASSERT_TRUE(stored->Enumerate(&armed));
    EXPECT_TRUE(armed.empty());
}

class SystemdNotificationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::WriteLoggingProgram(folder_ / "systemctl", folder_ / "systemctl.log");
        std::filesystem::create_directories(units_);
        systemd_ = MakeSystemdNotifications(units_, folder_ / "systemctl");
    }

    test::ScratchFolder folder_;
    std::string units_ = folder_ / "units";
    std::unique_ptr<TimedNotifications> systemd_;
};

TEST_F(SystemdNotificationsTest, UnitsCarryTheTimeProgramAndArgumentsBack) {
    // Characters systemd reads specially must come back as they went in.
    const char* arguments[] = {"Morning news", "100% \"loud\" $HOME \\ end", ""};
    for (const char* argument : arguments)
        ASSERT_TRUE(systemd_->Set(
            {"", CalendarTime{2026, 12, 24, 18, 5, 0}, "/opt/My Tonilo/tonilo", argument}));

    std::vector<TimedNotification> armed;
    ASSERT_TRUE(systemd_->Enumerate(&armed));
    ASSERT_EQ(armed.size(), 3u);
    std::vector<std::string> seen;
    for (const TimedNotification& notification : armed) {
        EXPECT_EQ(notification.application, "/opt/My Tonilo/tonilo");
        EXPECT_EQ(FormatCalendarTime(notification.when), "2026-12-24 18:05:00");
        seen.push_back(notification.arguments);
        std::string timer = test::ReadWholeFile(units_ + "/" + notification.handle + ".timer");
        EXPECT_NE(timer.find("OnCalendar=2026-12-24 18:05:00\n"), std::string::npos);
        EXPECT_NE(timer.find("Persistent=false\n"), std::string::npos);
        std::string service = test::ReadWholeFile(units_ + "/" + notification.handle + ".service");
        EXPECT_NE(service.find("ExecCondition=\"/opt/My Tonilo/tonilo-tool\" \"notifications\" "
                               "\"due\" \"2026-12-24 18:05:00\"\n"),
                  std::string::npos);
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"", "100% \"loud\" $HOME \\ end", "Morning news"}));

    std::vector<std::string> calls = test::LogLines(folder_ / "systemctl.log");
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0], "--user --quiet daemon-reload");
    for (const TimedNotification& notification : armed)
        EXPECT_NE(std::find(calls.begin(), calls.end(),
                            "--user --quiet enable --now " + notification.handle + ".timer"),
                  calls.end());
}

TEST_F(SystemdNotificationsTest, ClearingTouchesOnlyOurOwnUnits) {
    test::WriteWholeFile(units_ + "/backup.timer", "[Timer]\nOnCalendar=daily\n");
    test::WriteWholeFile(units_ + "/backup.service", "[Service]\nExecStart=/usr/bin/backup\n");
    ASSERT_TRUE(systemd_->Set({"", CalendarTime{2026, 12, 24, 18, 5, 0}, "/opt/tonilo", "a"}));

    std::vector<TimedNotification> armed;
    ASSERT_TRUE(systemd_->Enumerate(&armed));
    ASSERT_EQ(armed.size(), 1u); // the backup timer is not ours to list
    EXPECT_FALSE(systemd_->Clear("backup"));
    EXPECT_TRUE(systemd_->Clear(armed[0].handle));
    ASSERT_TRUE(systemd_->Enumerate(&armed));
    EXPECT_TRUE(armed.empty());
    EXPECT_EQ(test::FolderEntries(units_).size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(units_ + "/backup.timer"));
}

TEST_F(SystemdNotificationsTest, FailingSystemctlFailsTheArming) {
    test::WriteWholeFile(folder_ / "systemctl", "#!/bin/sh\nexit 1\n");
    EXPECT_FALSE(systemd_->Set({"", CalendarTime{2026, 12, 24, 18, 5, 0}, "/opt/tonilo", "a"}));
}

} // namespace
} // namespace tonilo
