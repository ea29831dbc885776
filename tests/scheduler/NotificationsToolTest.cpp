// "tonilo-tool schedule arm" and "tonilo-tool notifications" as a user runs them,
// with the notifications kept in the registry store.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "platform/TimedNotifications.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ToolRunner.h"

namespace tonilo {
namespace {

using test::Quoted;
using test::ToolRun;

class NotificationsToolTest : public ::testing::Test {
protected:
    NotificationsToolTest() {
        ::setenv("TONILO_NOTIFICATIONS", "store", 1);
        std::filesystem::create_directories(folder_ / "home");
        std::filesystem::create_directories(folder_ / "data");
    }
    ToolRun Run(const std::string& arguments) {
        return test::RunToolIn(folder_.Path(),
                               "--data " + Quoted(folder_ / "data") + " " + arguments);
    }

    test::ScratchFolder folder_;
};

TEST_F(NotificationsToolTest, ArmListsEnabledEventsSoonestFirstAndRearmsWithoutDuplicates) {
    ASSERT_EQ(Run("schedule add Late --action record --start '2099-03-02 10:00'").exitCode, 0);
    ASSERT_EQ(
        Run("schedule add Early --action record --start '2098-01-01 06:30' --length 60").exitCode,
        0);
    ASSERT_EQ(
        Run("schedule add Off --action record --start '2097-01-01 06:30' --disabled").exitCode, 0);
    EXPECT_EQ(Run("notifications list").output, "");

    ASSERT_EQ(Run("schedule arm").exitCode, 0);
    const std::string program = TONILO_PROGRAM_DIR "/tonilo";
    const std::string expected = "2098-01-01 06:30:00\t" + program + "\tEarly\n" +
                                 "2099-03-02 10:00:00\t" + program + "\tLate\n";
    EXPECT_EQ(Run("notifications list").output, expected);
    ASSERT_EQ(Run("schedule arm").exitCode, 0);
    EXPECT_EQ(Run("notifications list").output, expected);

    // A deleted event's notification goes with the next arming.
    ASSERT_EQ(Run("schedule remove Early").exitCode, 0);
    ASSERT_EQ(Run("schedule arm").exitCode, 0);
    EXPECT_EQ(Run("notifications list").output, "2099-03-02 10:00:00\t" + program + "\tLate\n");
}

TEST_F(NotificationsToolTest, DueAcceptsOnlyTimesNotLongPast) {
    std::time_t now = std::time(nullptr);
    struct Case {
        std::time_t when;
        int exitCode;
    } cases[] = {{now + 3600, 0}, {now - 5, 0}, {now - 3 * 3600, 1}};
    for (const Case& c : cases) {
        std::tm local{};
        localtime_r(&c.when, &local);
        char text[32];
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
        EXPECT_EQ(Run(std::string("notifications due '") + text + "'").exitCode, c.exitCode)
            << text;
    }
    EXPECT_EQ(Run("notifications due '2026-02-30 10:00:00'").exitCode, 2);
    EXPECT_EQ(Run("notifications forget").exitCode, 2);
}

} // namespace
} // namespace tonilo
