// "tonilo-tool schedule" run as a user runs it, on the data folder given by --data.
#include <gtest/gtest.h>

#include <filesystem>

#include "scheduler/Scheduler.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ToolRunner.h"

namespace tonilo {
namespace {

using test::Quoted;
using test::ToolRun;

class ScheduleToolTest : public ::testing::Test {
protected:
    ScheduleToolTest() {
        std::filesystem::create_directories(folder_ / "home");
        std::filesystem::create_directories(folder_ / "data");
    }
    ToolRun Run(const std::string& arguments) {
        return test::RunToolIn(folder_.Path(),
                               "--data " + Quoted(folder_ / "data") + " schedule " + arguments);
    }

    test::ScratchFolder folder_;
};

TEST_F(ScheduleToolTest, AddListRemove) {
    ASSERT_EQ(Run("add Morning --action record --start '2099-03-02 10:00'").exitCode, 0);
    ToolRun collides = Run("add Song --action play --start '2099-03-02 10:30' --file /m/s.mp3");
    EXPECT_EQ(collides.exitCode, 1);
    EXPECT_EQ(collides.errors, "tonilo-tool: Event's time collides with another event!\n");
    ASSERT_EQ(Run("add Song --action play --start '2099-03-02 10:31' --file /m/s.mp3 --disabled")
                  .exitCode,
              0);
    ASSERT_EQ(
        Run("add Weekdays --action record --start '2000-01-01 07:00' --length 600 --repeat mtwtf--")
            .exitCode,
        0);
    EXPECT_EQ(Run("list").output, "Morning\tRecord\t2099-03-02 10:00\t1800\tonce\tenabled\n"
                                  "Song\tPlay\t2099-03-02 10:31\t-\tonce\tdisabled\t/m/s.mp3\n"
                                  "Weekdays\tRecord\t2000-01-01 07:00\t600\tMTWTF--\tenabled\n");

    // The file is the one the program reads.
    Scheduler scheduler;
    scheduler.Initialise("/opt/Tonilo/tonilo", ScheduleFileIn(folder_ / "data"));
    EXPECT_EQ(scheduler.Count(), 3u);

    EXPECT_EQ(Run("remove MORNING").exitCode, 0);
    EXPECT_EQ(Run("remove Morning").exitCode, 1);
    EXPECT_EQ(Run("remove Song").exitCode, 0);
    EXPECT_EQ(Run("remove Weekdays").exitCode, 0);
    EXPECT_EQ(Run("list").output, "");
    EXPECT_TRUE(std::filesystem::is_empty(folder_ / "data"));
}

TEST_F(ScheduleToolTest, RefusalsCarryTheValidationMessage) {
    ASSERT_EQ(Run("add Once --action record --start '2099-03-02 10:00'").exitCode, 0);
    struct Case {
        const char* arguments;
        const char* message;
    } cases[] = {
        {"add ONCE --action record --start '2099-04-02 10:00'",
         "Event with the same name already exists!"},
        {"add '' --action record --start '2099-04-02 10:00'", "Name cannot be empty!"},
        {"add Past --action record --start '2001-04-02 10:00'", "Incorrect time or date!"},
        {"add Zero --action record --start '2099-04-02 10:00' --length 0",
         "Length must be greater than zero!"},
    };
    for (const Case& refused : cases) {
        ToolRun run = Run(refused.arguments);
        EXPECT_EQ(run.exitCode, 1) << refused.arguments;
        EXPECT_EQ(run.errors, std::string("tonilo-tool: ") + refused.message + "\n");
    }
    EXPECT_EQ(Run("list").output.find("ONCE"), std::string::npos);
}

TEST_F(ScheduleToolTest, WrongInvocations) {
    for (const char* wrong :
         {"", "add", "add X --action film --start '2099-01-01 10:00'", "add X --action record",
          "add X --action record --start 2099", "add X --action play --start '2099-01-01 10:00'",
          "add X --action record --start '2099-01-01 10:00' --repeat MTWTFS",
          "add X --action record --start '2099-01-01 10:00' --repeat MTWXF--",
          "add X --action record --start '2099-01-01 10:00' --length -5", "remove", "list x"}) {
        ToolRun run = Run(wrong);
        EXPECT_EQ(run.exitCode, 2) << wrong;
        EXPECT_NE(run.errors.find("usage:"), std::string::npos) << wrong;
    }
}

} // namespace
} // namespace tonilo
