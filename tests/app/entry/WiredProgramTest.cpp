// The program driven the way the device drives it: the background service fires
// a scheduled event's notification, phone-state changes written to the registry
// start the call verbs, and so does a call on a mocked ModemManager through the
// service. Nothing here runs tonilo directly.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "scheduler/LocalTime.h"
#include "scheduler/ScheduleAction.h"
#include "scheduler/Scheduler.h"
#include "tests/app/entry/ProgramHarness.h"
#include "tests/support/ModemMock.h"
#include "tests/support/WaitUntil.h"

namespace tonilo {
namespace {

using test::ProgramHarness;
using test::Status;

constexpr const char* kPhone = "'HKLM\\System\\State\\Phone'";
constexpr const char* kTalkingSleep = "'HKLM\\System\\State\\RIL\\TalkingSleep'";

// The service of the test's own program folder, kept in the registry store
// rather than systemd, and stopped again whatever the test's outcome.
class ServiceRun {
public:
    explicit ServiceRun(ProgramHarness& program) : program_(program) {
        ::setenv("TONILO_NOTIFICATIONS", "store", 1);
    }
    bool Enable() {
        return program_.Tool("service enable").exitCode == 0 && test::WaitUntil([&] {
                   return program_.Tool("service status").output.rfind("running\t", 0) == 0;
               });
    }
    // The program the notifications started is no child of the test: a failed
    // step would leave it running.
    ~ServiceRun() {
        program_.Tool("service disable");
        if (program_.Tool("status").exitCode == 0)
            program_.RunToEnd({"-exit"});
    }

private:
    ProgramHarness& program_;
};

std::vector<std::filesystem::path> RecordingsBelow(const std::string& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    return files;
}

std::string TalkingSleep(ProgramHarness& program) {
    return program.Tool(std::string("reg get ") + kTalkingSleep + " TimeOut1").output;
}

TEST(ProgramWired, ArmedEventStartsTheProgramWhichRecordsAndEnds) {
    ProgramHarness program(true);
    std::string folder = program.Scratch() / "recs";
    std::filesystem::create_directories(folder);
    ASSERT_EQ(program.Tool("settings set RecDir " + test::Quoted(folder)).exitCode, 0);

    Scheduler scheduler;
    scheduler.Initialise(program.ProgramFolder() + "/tonilo",
                         ScheduleFileIn(program.ProgramFolder()));
    scheduler.RegisterAction(MakeRecordAction());
    LocalTime now = CurrentLocalTime();
    int64_t fileTime = 0;
    ASSERT_TRUE(LocalTimeToFileTime(now, &fileTime));
    ScheduleEvent event = ScheduleEvent::New(now);
    event.name = "Night talk";
    event.enabled = 1;
    ASSERT_TRUE(FileTimeToLocalTime(fileTime + 3 * kFileTimeUnitsPerSecond, &event.start));
    event.start.milliseconds = 0;
    event.length = 2;
    event.action = kRecordActionId;
    RecordProperties properties;
    properties.exitAfter = 1;
    event.properties = SerialiseProperties(properties);
    ASSERT_TRUE(scheduler.Add(event, false)) << scheduler.LastError();
    ASSERT_TRUE(scheduler.Save());
    ASSERT_EQ(program.Tool("schedule arm").exitCode, 0);
    ASSERT_NE(program.Tool("notifications list").output.find("Night talk"), std::string::npos);

    ServiceRun service(program);
    ASSERT_TRUE(service.Enable());
    Status recording;
    ASSERT_TRUE(program.WaitForStatus([](const Status& s) { return s.at("mode") == "recording"; },
                                      &recording));
    EXPECT_EQ(recording.at("file").rfind(folder, 0), 0u) << recording.at("file");
    // The event asked the program to end once its recording closed.
    ASSERT_TRUE(
        test::WaitUntil([&] { return program.Tool("status").exitCode != 0; }, test::kGenerous));
    std::vector<std::filesystem::path> files = RecordingsBelow(folder);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].string(), recording.at("file"));
    long duration = program.DurationOf(files[0].string());
    EXPECT_GE(duration, 2000);
    EXPECT_LT(duration, 2600);
    // A fired notification is gone; nothing starts the program again.
    EXPECT_EQ(program.Tool("notifications list").output.find("Night talk"), std::string::npos);
}

TEST(ProgramWired, PhoneStateChangesRecordTheCallAndRestoreTalkingSleep) {
    ProgramHarness program(true);
    std::string folder = program.Scratch() / "recs";
    std::filesystem::create_directories(folder);
    ASSERT_EQ(program.Tool("settings set RecDir " + test::Quoted(folder)).exitCode, 0);
    ASSERT_EQ(program.Tool("settings set PhoneFileName call-%F-%I").exitCode, 0);
    auto phone = [&](const std::string& value, const std::string& setting) {
        return program
            .Tool(std::string("reg set ") + kPhone + " " + test::Quoted(value) + " " + setting)
            .exitCode;
    };
    // The idle phone, before anything watches it.
    ASSERT_EQ(phone("Active Call Count", "--dword 0"), 0);
    ASSERT_EQ(phone("Status", "--dword 0"), 0);
    ASSERT_EQ(
        program.Tool(std::string("reg set ") + kTalkingSleep + " TimeOut1 --dword 30").exitCode, 0);
    ServiceRun service(program);
    ASSERT_TRUE(service.Enable());

    // An incoming call: only the number is known.
    ASSERT_EQ(phone("Incoming Caller Number", "--sz 5550123"), 0);
    ASSERT_EQ(phone("Active Call Count", "--dword 1"), 0);
    Status prepared;
    ASSERT_TRUE(program.WaitForStatus(
        [](const Status& s) { return s.at("mode") == "ready" && s.at("pending") == "0"; },
        &prepared));
    EXPECT_EQ(prepared.at("file"), folder + "/Calls/call-5550123-.mp3");
    EXPECT_EQ(TalkingSleep(program), "4294967295\n");

    ASSERT_EQ(phone("Status", "--dword 0x20000000"), 0);
    ASSERT_TRUE(program.WaitForStatus([](const Status& s) {
        return s.at("mode") == "recording" && std::stol(s.at("position_ms")) >= 300;
    }));
    ASSERT_EQ(phone("Status", "--dword 0"), 0);
    ASSERT_TRUE(program.WaitForMode("stopped", prepared.at("file")));
    EXPECT_EQ(TalkingSleep(program), "30\n");
    EXPECT_GE(program.DurationOf(prepared.at("file")), 300);
    struct stat info {};
    ASSERT_EQ(::stat(prepared.at("file").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "call recordings are the owner's alone";

    // A second call, and the program ends in the middle of it: the timeout is
    // given back all the same.
    ASSERT_EQ(phone("Active Call Count", "--dword 0"), 0);
    ASSERT_EQ(phone("Incoming Caller Number", "--sz 5550199"), 0);
    ASSERT_EQ(phone("Active Call Count", "--dword 1"), 0);
    ASSERT_TRUE(program.WaitForStatus([](const Status& s) {
        return s.at("mode") == "ready" && s.at("file").find("5550199") != std::string::npos;
    }));
    EXPECT_EQ(TalkingSleep(program), "4294967295\n");
    EXPECT_EQ(program.RunToEnd({"-exit"}), 0);
    ASSERT_TRUE(
        test::WaitUntil([&] { return program.Tool("status").exitCode != 0; }, test::kGenerous));
    EXPECT_EQ(TalkingSleep(program), "30\n");
}

TEST(ProgramWired, AModemCallThroughTheServiceIsRecordedUnderTheCallersNumber) {
    if (!test::ModemMock::Available())
        GTEST_SKIP() << "dbus-daemon or python3-dbusmock is missing";
    ProgramHarness program(true);
    std::string folder = program.Scratch() / "recs";
    std::filesystem::create_directories(folder);
    ASSERT_EQ(program.Tool("settings set RecDir " + test::Quoted(folder)).exitCode, 0);
    ASSERT_EQ(program.Tool("settings set PhoneFileName call-%F").exitCode, 0);
    ASSERT_EQ(
        program.Tool(std::string("reg set ") + kTalkingSleep + " TimeOut1 --dword 45").exitCode, 0);
    // Declared after the program so the service and the program end before the bus does.
    test::ModemMock modem;
    ASSERT_TRUE(modem.Ready());
    ServiceRun service(program);
    ASSERT_TRUE(service.Enable());

    ASSERT_TRUE(modem.Step("ring 5550177"));
    Status prepared;
    ASSERT_TRUE(program.WaitForStatus(
        [](const Status& s) { return s.at("mode") == "ready" && s.at("pending") == "0"; },
        &prepared))
        << test::StatusText(prepared);
    std::string file = folder + "/Calls/call-5550177.mp3";
    EXPECT_EQ(prepared.at("file"), file);
    EXPECT_EQ(TalkingSleep(program), "4294967295\n");

    ASSERT_TRUE(modem.Step("answer"));
    Status recording;
    ASSERT_TRUE(program.WaitForStatus(
        [](const Status& s) {
            return s.at("mode") == "recording" && std::stol(s.at("position_ms")) >= 300;
        },
        &recording))
        << test::StatusText(recording);
    ASSERT_TRUE(modem.Step("hangup"));
    ASSERT_TRUE(program.WaitForMode("stopped", file));
    EXPECT_EQ(TalkingSleep(program), "45\n");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "call recordings are the owner's alone";
    EXPECT_GT(info.st_size, 0);
    EXPECT_GE(program.DurationOf(file), 300);
}

} // namespace
} // namespace tonilo
