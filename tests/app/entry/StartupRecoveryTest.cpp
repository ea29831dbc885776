// The program's start names recordings that a kill left hidden in the
// recording folder, as the next start after a crash must.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/support/ScratchFolder.h"
#include "tests/support/ToolRunner.h"

namespace tonilo {
namespace {

using test::Quoted;

TEST(StartupRecovery, ProgramStartNamesAKilledRecording) {
    test::ScratchFolder folder;
    const std::string recordings = folder / "rec";
    std::filesystem::create_directories(recordings + "/Calls");
    {
        std::ofstream input(folder / "in.raw", std::ios::binary);
        for (int i = 0; i < 44100 * 20; ++i)
            input.put(static_cast<char>(i * 37));
    }
    ASSERT_EQ(test::RunToolIn(folder.Path(), "settings set RecDir " + Quoted(recordings)).exitCode,
              0);
    // A recording killed mid-way, as a crash would leave it.
    std::string record =
        "env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILEIN=" + Quoted(folder / "in.raw") +
        " SDL_DISKAUDIOFILE=" + Quoted(folder / "out.raw") + " timeout -s KILL 2 " +
        Quoted(TONILO_PROGRAM_DIR "/tonilo-tool") + " record " +
        Quoted(recordings + "/Calls/call.wav") + " --seconds 30";
    std::string environment = "env TONILO_REGISTRY=" + Quoted(folder / "registry.db") +
                              " HOME=" + Quoted(folder / "home") + " ";
    ASSERT_NE(std::system((environment + record + " 2>/dev/null").c_str()), -1);
    ASSERT_FALSE(std::filesystem::exists(recordings + "/Calls/call.wav"));
    ASSERT_FALSE(std::filesystem::is_empty(recordings + "/Calls"));

    // A socket folder of this test's own, so that no other test's instance
    // takes the command line; "-exit" ends the program once it has started.
    std::filesystem::create_directories(folder / "runtime");
    std::filesystem::permissions(folder / "runtime", std::filesystem::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", (folder / "runtime").c_str(), 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    test::ToolRun start = test::RunToolIn(folder.Path(), "-exit", TONILO_PROGRAM_DIR "/tonilo");
    EXPECT_EQ(start.exitCode, 0) << start.errors;
    EXPECT_NE(start.errors.find("recovered"), std::string::npos) << start.errors;
    ASSERT_TRUE(std::filesystem::exists(recordings + "/Calls/call.wav"));
    EXPECT_GT(std::filesystem::file_size(recordings + "/Calls/call.wav"), 44u);
}

} // namespace
} // namespace tonilo
