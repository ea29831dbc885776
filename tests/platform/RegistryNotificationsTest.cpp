// Registry notifications: registration results, the conditions, and programs
// started by writes (those of another process: the wired program cases).
#include "platform/RegistryNotifications.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/RegistryKey.h"
#include "tests/support/FakeProgram.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

RegistryValue Number(uint32_t value) {
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[i] = static_cast<char>(value >> (8 * i));
    return RegistryValue{"v", REG_DWORD, data};
}

TEST(RegistryConditionTest, MaskedComparisons) {
    struct Case {
        NotificationCondition condition;
        uint32_t value;
        bool holds;
    } cases[] = {
        {{REG_CT_EQUAL, 0xFFFFFFFFu, 1}, 1, true},
        {{REG_CT_EQUAL, 0xFFFFFFFFu, 1}, 2, false},
        {{REG_CT_GREATER_OR_EQUAL, 0x20000000u, 0x20000000u}, 0x20000000u, true},
        {{REG_CT_GREATER_OR_EQUAL, 0x20000000u, 0x20000000u}, 0x7FFFFFFFu, true},
        {{REG_CT_GREATER_OR_EQUAL, 0x20000000u, 0x20000000u}, 0x1FFFFFFFu, false},
        {{REG_CT_LESS, 0x20000000u, 0x20000000u}, 0xDFFFFFFFu, true},
        {{REG_CT_LESS, 0x20000000u, 0x20000000u}, 0x20000000u, false},
        {{REG_CT_NOT_EQUAL, 0xFu, 3}, 0x13u, false},
        {{REG_CT_GREATER, 0xFFFFFFFFu, 5}, 6, true},
        {{REG_CT_LESS_OR_EQUAL, 0xFFFFFFFFu, 5}, 5, true},
    };
    for (const Case& c : cases) {
        RegistryValue value = Number(c.value);
        EXPECT_EQ(ConditionHolds(c.condition, &value), c.holds)
            << c.condition.comparison << " " << std::hex << c.value;
    }
    NotificationCondition equalOne{REG_CT_EQUAL, 0xFFFFFFFFu, 1};
    RegistryValue shortValue{"v", REG_BINARY, std::string("\x01\x00", 2)};
    EXPECT_FALSE(ConditionHolds(equalOne, nullptr));
    EXPECT_FALSE(ConditionHolds(equalOne, &shortValue));
}

class RegistryNotificationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegistryStore::UseDatabase(folder_ / "registry.db");
        test::WriteLoggingProgram(program_, log_);
    }

    uint32_t Register(const char* name, const char* value, NotificationCondition condition,
                      const std::string& arguments, uint32_t flags = RNAF_NONAMEONCMDLINE) {
        return RegistryNotifyApp(HKEY_LOCAL_MACHINE, "System\\State\\Phone", value, name,
                                 "\"" + program_ + "\" " + arguments, flags, condition);
    }

    void Write(const char* value, uint32_t number) {
        RegistryKey key("System\\State\\Phone", HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(key.Open(nullptr, true));
        ASSERT_TRUE(key.WriteNumber(value, number));
    }

    test::ScratchFolder folder_;
    std::string program_ = folder_ / "fake program";
    std::string log_ = folder_ / "started.log";
};

TEST_F(RegistryNotificationsTest, NamesAreUniqueAndStoppingTwiceSaysNotFound) {
    NotificationCondition any;
    EXPECT_EQ(Register("Watch", "Status", any, "-a"), 0u);
    EXPECT_EQ(Register("WATCH", "Status", any, "-b"), 0x80070000u | ERROR_ALREADY_REGISTERED);
    EXPECT_EQ(RegistryNotifyApp(HKEY_LOCAL_MACHINE, "K", "V", "a\\b", "\"x\"", 0, any),
              0x80070000u | ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegistryStopNotification("watch"), 0u);
    EXPECT_EQ(RegistryStopNotification("watch"), 0x80070000u | ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryNotificationsTest, OnlyWritesThatMakeTheConditionTrueStartTheProgram) {
    ASSERT_EQ(Register("prepare", "Active Call Count", {REG_CT_EQUAL, 0xFFFFFFFFu, 1}, "-prepare"),
              0u);
    ASSERT_EQ(
        Register("start", "Status", {REG_CT_GREATER_OR_EQUAL, 0x20000000u, 0x20000000u}, "-start"),
        0u);
    ASSERT_EQ(Register("stop", "Status", {REG_CT_LESS, 0x20000000u, 0x20000000u}, "-stop", 0), 0u);

    Write("Active Call Count", 1);
    Write("Active Call Count", 1); // already true: nothing
    Write("status", 0x20000000u);  // names compare without case
    Write("Status", 0x20000004u);  // other bits while talking: nothing
    Write("Other", 1);             // not watched
    Write("Status", 4);            // talking ends
    Write("Active Call Count", 0);
    // Without RNAF_NONAMEONCMDLINE the notification's name follows the command line.
    std::vector<std::string> started = test::WaitForLines(log_, 3);
    std::sort(started.begin(), started.end());
    EXPECT_EQ(started, (std::vector<std::string>{"-prepare", "-start", "-stop stop"}));
}

TEST_F(RegistryNotificationsTest, DeletingAValueCanMakeAConditionTrue) {
    ASSERT_EQ(Register("gone", "Status", {REG_CT_ANYCHANGE, 0, 0}, "-changed"), 0u);
    Write("Status", 3);
    RegistryKey key("System\\State\\Phone", HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(key.Open(nullptr, true));
    ASSERT_TRUE(key.DeleteValue("Status"));
    EXPECT_EQ(test::WaitForLines(log_, 2), (std::vector<std::string>{"-changed", "-changed"}));
}

} // namespace
} // namespace tonilo
