// The program with its window, end to end: the real tonilo on a virtual X
// display of each phone size (Xvfb), SDL's disk audio driver, taps and drags
// sent with xdotool, each step read back through tonilo-tool status, and a
// screenshot of each step written into the build folder.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "tests/app/entry/VirtualDisplay.h"

namespace tonilo {
namespace {

using test::Box;
using test::ElementBox;
using test::FindProgram;
using test::ProgramHarness;
using test::Screen;
using test::Status;
using test::VirtualDisplay;

long Position(const Status& status) {
    return status.count("position_ms") ? std::stol(status.at("position_ms")) : -1;
}

class WindowProgram : public ::testing::TestWithParam<Screen> {};

TEST_P(WindowProgram, TapRecordsStopStopsDragSeeksTheListPlaysAndALongPressStops) {
    const Screen screen = GetParam();
    std::string xvfb = FindProgram("Xvfb");
    if (xvfb.empty())
        GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_FALSE(FindProgram("xdotool").empty());
    VirtualDisplay display(xvfb, screen.width, screen.height);
    ASSERT_FALSE(display.Name().empty()) << "no X display could be started";

    ProgramHarness program;
    display.ShowProgramsHere();
    std::string input = program.Scratch() / "input.raw";
    ASSERT_EQ(std::system(("sox -q -n -r 44100 -c 2 -b 16 -e signed -t raw " + test::Quoted(input) +
                           " synth 120 sine 300 vol 0.4")
                              .c_str()),
              0);
    ::setenv("SDL_DISKAUDIOFILEIN", input.c_str(), 1);
    ::setenv("SDL_DISKAUDIOFILE", (program.Scratch() / "output.raw").c_str(), 1);
    const std::string prefix = std::string("window-") + std::to_string(screen.width) + "x" +
                               std::to_string(screen.height) + "-";

    pid_t tonilo = program.Start({});
    ASSERT_EQ(display.Run("timeout 30 xdotool search --sync --onlyvisible --name '^Tonilo'"), 0)
        << "no window was mapped";
    Status status;
    ASSERT_TRUE(
        program.WaitForStatus([](const Status& s) { return s.at("mode") == "ready"; }, &status))
        << test::StatusText(status);
    display.Shot(prefix + "1-ready.png");

    const Box rec = ElementBox(screen.skin, "Rec");
    const Box stop = ElementBox(screen.skin, "Stop");
    const Box track = ElementBox(screen.skin, "Track");
    ASSERT_GT(rec.width, 0);
    ASSERT_GT(track.width, 0);

    // A tap on Rec records.
    display.Tap(rec.CentreX(), rec.CentreY());
    ASSERT_TRUE(program.WaitForStatus(
        [](const Status& s) { return s.at("mode") == "recording" && Position(s) >= 3200; },
        &status))
        << test::StatusText(status);
    const std::string file = status.at("file");
    display.Shot(prefix + "2-recording.png");

    // Stop stops: the file is there and open for playback.
    display.Tap(stop.CentreX(), stop.CentreY());
    ASSERT_TRUE(program.WaitForStatus(
        [&](const Status& s) { return s.at("mode") == "stopped" && s.at("file") == file; },
        &status))
        << test::StatusText(status);
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_GE(std::stol(status.at("duration_ms")), 3000);
    EXPECT_EQ(Position(status), 0);
    display.Shot(prefix + "3-stopped.png");

    // Dragging the track bar's thumb most of the way seeks there.
    int32_t y = track.CentreY();
    display.Run("xdotool mousemove " + std::to_string(track.x + track.width / 20) + " " +
                std::to_string(y) + " mousedown 1 mousemove " +
                std::to_string(track.x + track.width / 2) + " " + std::to_string(y) +
                " mousemove " + std::to_string(track.x + track.width * 9 / 10) + " " +
                std::to_string(y) + " mouseup 1");
    ASSERT_TRUE(program.WaitForStatus(
        [&](const Status& s) { return s.at("mode") == "stopped" && Position(s) >= 2000; }, &status))
        << test::StatusText(status);
    display.Shot(prefix + "4-seeked.png");

    // The new file is in the list: a tap on its row plays it.
    const Box list = ElementBox(screen.skin, "FileList");
    ASSERT_GT(list.width, 0);
    display.Tap(list.x + list.width / 3, list.y + 8);
    ASSERT_TRUE(program.WaitForStatus(
        [&](const Status& s) { return s.at("mode") == "playing" && s.at("file") == file; },
        &status))
        << test::StatusText(status);
    display.Shot(prefix + "5-playing.png");
    display.Tap(stop.CentreX(), stop.CentreY());
    ASSERT_TRUE(
        program.WaitForStatus([](const Status& s) { return s.at("mode") == "stopped"; }, &status))
        << test::StatusText(status);

    // Recording again, from the soft key this time; then a long press on Rec stops
    // it, and its release does nothing more.
    display.Tap(screen.width / 4, screen.height - 4);
    ASSERT_TRUE(program.WaitForStatus(
        [](const Status& s) { return s.at("mode") == "recording" && Position(s) >= 500; }, &status))
        << test::StatusText(status);
    const std::string second = status.at("file");
    EXPECT_NE(second, file);
    display.Run("xdotool mousemove " + std::to_string(rec.CentreX()) + " " +
                std::to_string(rec.CentreY()) + " mousedown 1");
    ASSERT_TRUE(program.WaitForStatus(
        [&](const Status& s) { return s.at("mode") == "stopped" && s.at("file") == second; },
        &status))
        << test::StatusText(status);
    display.Shot(prefix + "6-long-press.png");
    display.Run("xdotool mouseup 1");
    ASSERT_TRUE(program.WaitForStatus([](const Status& s) { return true; }, &status));
    EXPECT_EQ(status.at("mode"), "stopped") << test::StatusText(status);
    EXPECT_TRUE(std::filesystem::exists(second));

    ::kill(tonilo, SIGTERM);
    EXPECT_EQ(ProgramHarness::WaitForExit(tonilo), 0);
}

INSTANTIATE_TEST_SUITE_P(Screens, WindowProgram,
                         ::testing::Values(Screen{240, 320, "default"},
                                           Screen{480, 640, "default_vga"},
                                           Screen{800, 480, "default_wvga_land"}),
                         [](const ::testing::TestParamInfo<Screen>& param) {
                             return std::to_string(param.param.width) + "x" +
                                    std::to_string(param.param.height);
                         });

} // namespace
} // namespace tonilo
