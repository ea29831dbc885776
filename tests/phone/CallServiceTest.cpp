// The background service: its registration with and without systemd, firing of
// stored timed notifications, and the ModemManager bridge driving the call
// verbs through a mocked ModemManager on a private bus; and "tonilo-tool service"
// as a user runs it, without systemd.
#include "phone/CallService.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>

#include "phone/CallNotifications.h"
#include "phone/ModemBridge.h"
#include "phone/NotificationFiring.h"
#include "platform/RegistryKey.h"
#include "platform/RegistryNotifications.h"
#include "platform/StoredNotifications.h"
#include "tests/support/FakeProgram.h"
#include "tests/support/ModemMock.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ToolRunner.h"

namespace tonilo {
namespace {

namespace fs = std::filesystem;

bool ServiceKeyExists() {
    return RegistryStore::Instance().KeyExists(HKEY_LOCAL_MACHINE,
                                               std::string(kServicesKey) + "\\" + kServiceSubKey);
}

bool CallNotificationsRegistered() {
    return RegistryStore::Instance().KeyExists(
        HKEY_CURRENT_USER, std::string(kRegistryNotificationsKey) + "\\Tonilo-callprepare");
}

class CallServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder_ / "runtime");
        fs::create_directories(program_);
        ::setenv("TONILO_REGISTRY", (folder_ / "registry.db").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (folder_ / "runtime").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
        ::unsetenv("TONILO_MODEM_BUS");
        RegistryStore::UseDatabase(folder_ / "registry.db");
        // The service starts "tonilo" from its own folder: a copy beside a stand-in.
        fs::copy_file(TONILO_SERVICE_PATH, program_ + "/tonilo-service");
        test::WriteLoggingProgram(program_ + "/tonilo", log_);
        places_ = DefaultCallServicePlaces(program_);
        places_.useSystemd = false;
    }
    void TearDown() override {
        if (RunningServicePid() > 0) {
            DisableCallService(places_);
            test::WaitUntil([] { return RunningServicePid() == 0; });
        }
    }

    test::ScratchFolder folder_;
    std::string program_ = folder_ / "Tonilo";
    std::string log_ = folder_ / "started.log";
    CallServicePlaces places_;
};

TEST_F(CallServiceTest, WithSystemdTheUnitIsEnabledAndRemoved) {
    test::WriteLoggingProgram(folder_ / "systemctl", folder_ / "systemctl.log");
    places_.useSystemd = true;
    places_.systemctl = folder_ / "systemctl";
    ASSERT_TRUE(EnableCallService(places_));
    ASSERT_TRUE(EnableCallService(places_));
    EXPECT_TRUE(ServiceKeyExists());
    std::string unit = test::ReadWholeFile(places_.unitFolder + "/" + kServiceUnit);
    EXPECT_NE(unit.find("ExecStart=\"" + program_ + "/tonilo-service\"\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(places_.autostartFolder + "/" + kServiceAutostartFile));
    std::string value;
    EXPECT_TRUE(ReadStringAt(HKEY_LOCAL_MACHINE, "Services\\ToniloServ", "DisplayName", &value));
    EXPECT_EQ(value, "Zelto Tonilo Services");

    ASSERT_TRUE(DisableCallService(places_));
    EXPECT_FALSE(ServiceKeyExists());
    EXPECT_FALSE(fs::exists(places_.unitFolder + "/" + kServiceUnit));
    std::vector<std::string> calls = test::LogLines(folder_ / "systemctl.log");
    EXPECT_EQ(std::count(calls.begin(), calls.end(),
                         "--user --quiet enable --now tonilo-service.service"),
              2);
    EXPECT_EQ(calls.back(), "--user --quiet daemon-reload");
    EXPECT_NE(std::find(calls.begin(), calls.end(),
                        "--user --quiet disable --now tonilo-service.service"),
              calls.end());
}

TEST_F(CallServiceTest, DisablingWhatDoesNotRunStillRemovesTheKey) {
    RegistryKey services(kServicesKey, HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(services.Open(kServiceSubKey, true));
    ASSERT_TRUE(services.WriteString("Dll", "ToniloServ.dll"));
    EXPECT_FALSE(DisableCallService(places_));
    EXPECT_FALSE(ServiceKeyExists());
}

TEST_F(CallServiceTest, ServiceArmsCallsFiresTimedNotificationsOnTimeAndStops) {
    ASSERT_TRUE(EnableCallService(places_));
    ASSERT_TRUE(test::WaitUntil([] { return RunningServicePid() > 0; }));
    int pid = RunningServicePid();
    ASSERT_TRUE(EnableCallService(places_)); // a second enable starts no second service
    EXPECT_EQ(RunningServicePid(), pid);
    EXPECT_EQ(test::ReadWholeFile(places_.autostartFolder + "/" + kServiceAutostartFile)
                      .find("Exec=\"" + program_ + "/tonilo-service\"\n") != std::string::npos,
              true);
    ASSERT_TRUE(test::WaitUntil(CallNotificationsRegistered));

    // The service is asleep; arming wakes it and it fires at the time, not before.
    std::unique_ptr<TimedNotifications> stored = MakeStoredNotifications();
    std::time_t now = std::time(nullptr);
    auto at = [](std::time_t when) {
        std::tm local{};
        localtime_r(&when, &local);
        return CalendarTime{
            static_cast<uint16_t>(local.tm_year + 1900), static_cast<uint16_t>(local.tm_mon + 1),
            static_cast<uint16_t>(local.tm_mday),        static_cast<uint16_t>(local.tm_hour),
            static_cast<uint16_t>(local.tm_min),         static_cast<uint16_t>(local.tm_sec)};
    };
    ASSERT_TRUE(stored->Set({"", at(now - 3 * 3600), program_ + "/tonilo", "Slept through"}));
    ASSERT_TRUE(stored->Set({"", at(now + 2), program_ + "/tonilo", "Evening news"}));
    std::vector<std::string> started = test::WaitForLines(log_, 1);
    EXPECT_GE(std::time(nullptr), now + 2);
    EXPECT_EQ(started, std::vector<std::string>{"Evening news"});
    std::vector<TimedNotification> left;
    ASSERT_TRUE(test::WaitUntil([&] { return stored->Enumerate(&left) && left.empty(); }));

    EXPECT_TRUE(DisableCallService(places_));
    ASSERT_TRUE(test::WaitUntil([] { return RunningServicePid() == 0; }));
    EXPECT_FALSE(ServiceKeyExists());
    EXPECT_FALSE(CallNotificationsRegistered());
    EXPECT_FALSE(fs::exists(places_.autostartFolder + "/" + kServiceAutostartFile));
}

// ModemManager mocked by python-dbusmock on a bus of the test's own.
class ModemServiceTest : public CallServiceTest {
protected:
    void SetUp() override {
        CallServiceTest::SetUp();
        if (!test::ModemMock::Available())
            GTEST_SKIP() << "dbus-daemon or python3-dbusmock is missing";
        modem_ = std::make_unique<test::ModemMock>();
        ASSERT_TRUE(modem_->Ready());
    }
    void TearDown() override {
        CallServiceTest::TearDown();
        modem_.reset();
    }
    bool Step(const std::string& step) { return modem_->Step(step); }

    std::unique_ptr<test::ModemMock> modem_;
};

TEST_F(ModemServiceTest, ModemManagerGoingAwayMidCallEndsTheRecording) {
    ASSERT_TRUE(EnableCallService(places_));
    ASSERT_TRUE(test::WaitUntil(CallNotificationsRegistered));
    ASSERT_TRUE(Step("ring 5550123"));
    ASSERT_TRUE(Step("answer"));
    ASSERT_EQ(test::WaitForLines(log_, 2).size(), 2u);
    modem_->EndModemManager();
    EXPECT_EQ(test::WaitForLines(log_, 3).back(), "-callstop");
    uint32_t count = 7;
    RegistryKey phone(kPhoneStateKey, HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(phone.Open());
    EXPECT_TRUE(test::WaitUntil(
        [&] { return phone.ReadNumber(kActiveCallCountValue, &count) && count == 0; }));
}

TEST_F(ModemServiceTest, TheBusHangingUpMidCallEndsTheCallAndLetsGoOfTheBus) {
    ModemBridge bridge;
    ASSERT_TRUE(bridge.Connected());
    auto callCountIs = [&](uint32_t wanted) {
        bridge.Process();
        RegistryKey phone(kPhoneStateKey, HKEY_LOCAL_MACHINE);
        uint32_t count = 0;
        return phone.Open() && phone.ReadNumber(kActiveCallCountValue, &count) && count == wanted;
    };
    ASSERT_TRUE(Step("ring 5550123"));
    ASSERT_TRUE(Step("answer"));
    ASSERT_TRUE(test::WaitUntil([&] { return callCountIs(1); }));
    modem_->EndBus();
    // A hung-up descriptor left in the poll set would wake the service for ever.
    EXPECT_TRUE(test::WaitUntil([&] { return callCountIs(0) && bridge.Descriptor() < 0; }));
    EXPECT_FALSE(bridge.Connected());
    EXPECT_GT(bridge.TimeoutMs(), 0); // the next attempt to connect lies ahead
}

TEST(PhoneStateTest, ValuesAreWrittenInTheOrderACallProducesThem) {
    test::ScratchFolder folder;
    RegistryStore::UseDatabase(folder / "registry.db");
    // A phone that never had a call writes nothing, so nothing starts.
    WritePhoneState({});
    EXPECT_TRUE(RegistryStore::Instance().Values(HKEY_LOCAL_MACHINE, kPhoneStateKey).empty());
    WritePhoneState({{3, 2, "5550100"}});
    WritePhoneState({{4, 2, "5550100"}});
    WritePhoneState({{7, 2, "5550100"}});
    std::vector<std::string> order;
    for (const RegistryValue& value :
         RegistryStore::Instance().Values(HKEY_LOCAL_MACHINE, kPhoneStateKey))
        order.push_back(value.name);
    // First written first: the number before the count, the count before the status.
    EXPECT_EQ(order, (std::vector<std::string>{"Caller Number", "Active Call Count", "Status"}));
    uint32_t status = 1, count = 1;
    RegistryKey phone(kPhoneStateKey, HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(phone.Open());
    EXPECT_TRUE(phone.ReadNumber(kPhoneStatusValue, &status) && status == 0);
    EXPECT_TRUE(phone.ReadNumber(kActiveCallCountValue, &count) && count == 0);
}

TEST(ServiceToolTest, EnableStatusDisable) {
    test::ScratchFolder folder;
    std::filesystem::create_directories(folder / "runtime");
    ::setenv("TONILO_NOTIFICATIONS", "store", 1);
    ::setenv("XDG_RUNTIME_DIR", (folder / "runtime").c_str(), 1);
    auto run = [&](const char* arguments) { return test::RunToolIn(folder.Path(), arguments); };

    EXPECT_EQ(run("service").exitCode, 2);
    EXPECT_EQ(run("service restart").exitCode, 2);
    EXPECT_EQ(run("service status").output, "stopped\n");
    ASSERT_EQ(run("service enable").exitCode, 0);
    ASSERT_TRUE(
        test::WaitUntil([&] { return run("service status").output.rfind("running\t", 0) == 0; }));
    EXPECT_EQ(run("reg list 'HKLM\\Services\\ToniloServ'").exitCode, 0);
    EXPECT_EQ(run("service disable").exitCode, 0);
    ASSERT_TRUE(test::WaitUntil([&] { return run("service status").output == "stopped\n"; }));
    test::ToolRun again = run("service disable");
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.errors, "tonilo-tool: the service was not running; it stays off.\n");
    EXPECT_EQ(run("reg list 'HKLM\\Services\\ToniloServ'").exitCode, 1);
}

} // namespace
} // namespace tonilo
