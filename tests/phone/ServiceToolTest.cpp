// "tonilo-tool service" as a user runs it, without systemd.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/FakeProgram.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ToolRunner.h"

namespace tonilo {
namespace {

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
