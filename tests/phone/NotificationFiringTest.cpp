// Firing the stored timed notifications: what is due runs once, what is long
// past is dropped, what is damaged is removed, and the next time is reported.
#include "phone/NotificationFiring.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "phone/ModemBridge.h"
#include "platform/RegistryKey.h"
#include "platform/RegistryStore.h"
#include "platform/StoredNotifications.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

std::vector<std::string>& Started() {
    static std::vector<std::string> started;
    return started;
}

bool NoteStart(const TimedNotification& notification) {
    Started().push_back(notification.arguments);
    return true;
}

TEST(NotificationFiringTest, DueRunsOnceLateIsDroppedDamagedIsRemoved) {
    test::ScratchFolder folder;
    RegistryStore::UseDatabase(folder / "registry.db");
    Started().clear();
    std::unique_ptr<TimedNotifications> stored = MakeStoredNotifications();
    CalendarTime noon{2026, 6, 1, 12, 0, 0};
    int64_t noonEpoch = CalendarTimeToEpoch(noon);
    // Two events at one minute both run.
    ASSERT_TRUE(stored->Set({"", noon, "/p/tonilo", "Song A"}));
    ASSERT_TRUE(stored->Set({"", noon, "/p/tonilo", "Song B"}));
    ASSERT_TRUE(stored->Set({"", CalendarTime{2026, 6, 1, 9, 0, 0}, "/p/tonilo", "Asleep"}));
    ASSERT_TRUE(stored->Set({"", CalendarTime{2026, 6, 1, 12, 30, 0}, "/p/tonilo", "Later"}));
    ASSERT_TRUE(stored->Set({"", CalendarTime{2026, 6, 1, 12, 10, 0}, "/p/tonilo", "Sooner"}));
    ASSERT_TRUE(RegistryStore::Instance().CreateKey(
        HKEY_CURRENT_USER, std::string(kStoredNotificationsKey) + "\\damaged"));

    FiringResult early = FireDueNotifications(*stored, noonEpoch - 1, NoteStart);
    EXPECT_EQ(early.started, 0);
    EXPECT_EQ(early.missed, 1);
    EXPECT_EQ(early.next, noonEpoch);

    FiringResult due = FireDueNotifications(*stored, noonEpoch + 30, NoteStart);
    EXPECT_EQ(due.started, 2);
    EXPECT_EQ(due.next, noonEpoch + 600);
    std::sort(Started().begin(), Started().end());
    EXPECT_EQ(Started(), (std::vector<std::string>{"Song A", "Song B"}));

    // Nothing runs twice; a clock set back an hour finds the rest still armed.
    FiringResult again = FireDueNotifications(*stored, noonEpoch - 3600, NoteStart);
    EXPECT_EQ(again.started, 0);
    EXPECT_EQ(again.next, noonEpoch + 600);
    std::vector<TimedNotification> left;
    ASSERT_TRUE(stored->Enumerate(&left));
    EXPECT_EQ(left.size(), 2u);
}

TEST(PhonePresentTest, TheSettingSaysSoWithoutModemManager) {
    test::ScratchFolder folder;
    RegistryStore::UseDatabase(folder / "registry.db");
    ::setenv("TONILO_MODEM_BUS", "unix:path=/nonexistent/bus", 1);
    RegistryKey settings("Software\\Zelto\\Tonilo", HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(settings.Open(nullptr, true));
    ASSERT_TRUE(settings.WriteNumber("PhonePresent", 1));
    ModemBridge bridge;
    EXPECT_FALSE(bridge.Connected());
    EXPECT_TRUE(bridge.Calls().empty());
    EXPECT_TRUE(PhonePresent("Software\\Zelto\\Tonilo"));
    ::unsetenv("TONILO_MODEM_BUS");
}

} // namespace
} // namespace tonilo
