#pragma once
// What the tests of the program's window share: an X server of its own (Xvfb)
// to show the window on, taps, keys and screenshots through xdotool and
// ImageMagick, and where the default skins put their elements.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "tests/app/entry/ProgramHarness.h"

namespace tonilo {
namespace test {

inline std::string FindProgram(const std::string& name) {
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
            auto deadline = std::chrono::steady_clock::now() + kGenerous;
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

    // Programs started from now on show their windows here, with sound through
    // SDL's disk driver. Without a session bus, D-Bus would start one for the
    // display that outlives the test; the program runs without one.
    void ShowProgramsHere() const {
        ::unsetenv("SDL_VIDEODRIVER");
        ::setenv("DISPLAY", display_.c_str(), 1);
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tonilo-test-bus", 1);
    }

    // Runs an X client (xdotool, import) on this display.
    int Run(const std::string& command) const {
        return std::system(("DISPLAY=" + display_ + " " + command + " >/dev/null 2>&1").c_str());
    }
    void Tap(int32_t x, int32_t y) const {
        Run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
    }
    void Shot(const std::string& name) const {
        Run("import -window root " + Quoted(std::string(TONILO_TEST_BINARY_DIR) + "/" + name));
    }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// A screen size the default skins are drawn for, and the skin's folder.
struct Screen {
    int32_t width, height;
    const char* skin;
};

inline std::string SizeName(const Screen& screen) {
    return std::to_string(screen.width) + "x" + std::to_string(screen.height);
}

inline void PrintTo(const Screen& screen, std::ostream* out) {
    *out << SizeName(screen);
}

struct Box {
    int32_t x = 0, y = 0, width = 0, height = 0;
    int32_t CentreX() const { return x + width / 2; }
    int32_t CentreY() const { return y + height / 2; }
};

// Where the default skin puts an element (the window shows the skin at scale 1
// when the screen is the skin's size).
inline Box ElementBox(const std::string& skinFolder, const std::string& name) {
    std::ifstream in(std::string(TONILO_PROGRAM_DIR) + "/Skins/" + skinFolder + "/default.zs");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::regex element("<\\w+ \\[(\\d+),(\\d+),(\\d+),(\\d+)\\][^>]*name=\"" + name + "\"");
    std::smatch match;
    Box box;
    if (std::regex_search(text, match, element))
        box = {std::stoi(match[1]), std::stoi(match[2]), std::stoi(match[3]), std::stoi(match[4])};
    return box;
}

} // namespace test
} // namespace tonilo
