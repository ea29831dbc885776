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

#include "tests/app/entry/ProgramHarness.h"

namespace tonilo {
namespace {

using test::ProgramHarness;
using test::Status;

std::string FindProgram(const std::string& name) {
    for (const char* folder : {"/usr/bin", "/usr/local/bin", "/bin"}) {
        std::string path = std::string(folder) + "/" + name;
        if (::access(path.c_str(), X_OK) == 0)
            return path;
    }
    return "";
}

// An X server of its own on a display number nobody uses.
class VirtualDisplay {
public:
    VirtualDisplay(const std::string& xvfb, int32_t width, int32_t height) {
        for (int number = 150 + ::getpid() % 500, tries = 0; tries < 40; ++number, ++tries) {
            std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
            std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
            if (std::filesystem::exists(socket) || std::filesystem::exists(lock))
                continue;
            std::string display = ":" + std::to_string(number);
            std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
            pid_t child = ::fork();
            if (child == 0) {
                int null = ::open("/dev/null", O_WRONLY);
                ::dup2(null, 1);
                ::dup2(null, 2);
                ::execl(xvfb.c_str(), xvfb.c_str(), display.c_str(), "-screen", "0", screen.c_str(),
                        "-nolisten", "tcp", "-noreset", nullptr);
                _exit(127);
            }
            auto deadline = std::chrono::steady_clock::now() + test::kGenerous;
            while (std::chrono::steady_clock::now() < deadline && ProgramHarness::Running(child) &&
                   !std::filesystem::exists(socket))
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (std::filesystem::exists(socket) && ProgramHarness::Running(child)) {
                pid_ = child;
                display_ = display;
                return;
            }
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
    }
    ~VirtualDisplay() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ProgramHarness::WaitForExit(pid_);
        }
    }
    const std::string& Name() const { return display_; }

    // Runs an X client (xdotool, import) on this display.
    int Run(const std::string& command) const {
        return std::system(("DISPLAY=" + display_ + " " + command + " >/dev/null 2>&1").c_str());
    }
    void Tap(int32_t x, int32_t y) const {
        Run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
    }
    void Shot(const std::string& name) const {
        Run("import -window root " +
            test::Quoted(std::string(TONILO_TEST_BINARY_DIR) + "/" + name));
    }

private:
    pid_t pid_ = -1;
    std::string display_;
};

struct Box {
    int32_t x = 0, y = 0, width = 0, height = 0;
    int32_t CentreX() const { return x + width / 2; }
    int32_t CentreY() const { return y + height / 2; }
};

// Where the default skin puts an element (the window shows the skin at scale 1
// when the screen is the skin's size).
Box ElementBox(const std::string& skinFolder, const std::string& name) {
    std::ifstream in(std::string(TONILO_PROGRAM_DIR) + "/Skins/" + skinFolder + "/default.zs");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::regex element("<\\w+ \\[(\\d+),(\\d+),(\\d+),(\\d+)\\][^>]*name=\"" + name + "\"");
    std::smatch match;
    Box box;
    if (std::regex_search(text, match, element))
        box = {std::stoi(match[1]), std::stoi(match[2]), std::stoi(match[3]), std::stoi(match[4])};
    return box;
}

long Position(const Status& status) {
    return status.count("position_ms") ? std::stol(status.at("position_ms")) : -1;
}

struct Screen {
    int32_t width, height;
    const char* skin;
};

void PrintTo(const Screen& screen, std::ostream* out) {
    *out << screen.width << "x" << screen.height;
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
    // A real display instead of the tests' offscreen one, and sound through files.
    ::unsetenv("SDL_VIDEODRIVER");
    ::setenv("DISPLAY", display.Name().c_str(), 1);
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    // Without a session bus, D-Bus would start one for the display that outlives
    // the test; the program runs without one (no desktop media controls).
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tonilo-test-bus", 1);
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
