#pragma once
// The real program on a virtual X display of a given size, for the tests of
// its dialogs: a dialog opens through the soft-key bar's menu as a user opens
// it, OK and Cancel are tapped on the bar, keys typed with xdotool, and each
// step can be photographed into the build folder.
//
// Menus are driven by keyboard, which does not depend on where rows land at a
// given font size: the right soft key is tapped, Up from the first row wraps
// round to the last, so a top-level entry is reached by counting Up from the
// bottom of the menu (every entry after the wanted one is enabled); Right
// opens its submenu on its first row, Down steps to the entry, Space chooses.
//
// Whether a dialog is open is read off the screen: a dialog covers the whole
// window above the bar, so most of the picture differs from the main window
// photographed when the program came up; closed, the picture is that one again.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/app/entry/VirtualDisplay.h"
#include "ui/ActionMenu.h"

namespace tonilo::test {

class DialogWindowFixture {
public:
    // `ownProgramFolder`: the program runs from a copy of its folder, so the
    // files it keeps there (schedule, bookmarks) are the test's own.
    DialogWindowFixture(int32_t width, int32_t height, bool ownProgramFolder = false)
        : width_(width), height_(height), display_(FindProgram("Xvfb"), width, height),
          program_(ownProgramFolder) {}
    ~DialogWindowFixture() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ProgramHarness::WaitForExit(pid_);
        }
    }

    static bool Available() {
        return !FindProgram("Xvfb").empty() && !FindProgram("xdotool").empty() &&
               !FindProgram("compare").empty();
    }

    // Starts the program and waits for its main window to settle; what went
    // wrong, empty when it is up.
    std::string Start() {
        if (display_.Name().empty())
            return "no X display could be started";
        display_.ShowProgramsHere();
        std::string input = program_.Scratch() / "input.raw";
        std::ofstream(input, std::ios::binary) << std::string(44100 * 4, '\0');
        ::setenv("SDL_DISKAUDIOFILEIN", input.c_str(), 1);
        ::setenv("SDL_DISKAUDIOFILE", (program_.Scratch() / "output.raw").c_str(), 1);
        display_.Run("xdotool mousemove 1 1");
        pid_ = program_.Start({});
        if (display_.Run("timeout 30 xdotool search --sync --onlyvisible --name '^Tonilo'") != 0)
            return "no window was mapped";
        Status status;
        if (!program_.WaitForStatus([](const Status& s) { return s.at("mode") == "ready"; },
                                    &status))
            return "the program did not come up: " + StatusText(status);
        // The list and the title fill in just after: the main window is what
        // stays the same from one picture to the next.
        Photograph(mainWindow_);
        bool steady = WaitFor([&] {
            std::string now = Scratch("steady.png");
            Photograph(now);
            double change = Difference(mainWindow_, now);
            std::filesystem::rename(now, mainWindow_);
            return change < 0.005;
        });
        return steady ? "" : "the main window never settled";
    }

    ProgramHarness& Program() { return program_; }
    const VirtualDisplay& Display() const { return display_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

    // Chooses the Action menu's entry of that command; false when the menu
    // has none or did not follow the keys.
    bool OpenMenuCommand(uint32_t command) {
        Menu menu = BuildActionMenu();
        std::vector<std::string> keys;
        for (size_t i = 0; i < menu.size() && keys.empty(); ++i) {
            const MenuItem& item = menu[i];
            size_t below = 0; // rows from this one to the last
            for (size_t j = i; j < menu.size(); ++j)
                below += menu[j].separator ? 0 : 1;
            if (!item.separator && item.id == command && item.children.empty()) {
                keys.assign(below, "Up");
                continue;
            }
            for (size_t k = 0; k < item.children.size() && keys.empty(); ++k) {
                if (item.children[k].id != command)
                    continue;
                keys.assign(below, "Up");
                keys.push_back("Right");
                for (size_t step = 0; step < k; ++step)
                    if (!item.children[step].separator)
                        keys.push_back("Down");
            }
        }
        if (keys.empty())
            return false;
        // Each step shows (the menu, the next row lit, the submenu) before the
        // next key goes: a key ahead of its menu would land elsewhere.
        std::string before = Scratch("before.png");
        Photograph(before);
        TapRightKey();
        bool shown = ScreenChangesFrom(before);
        for (const std::string& key : keys) {
            Photograph(before);
            Key(key);
            shown = shown && ScreenChangesFrom(before);
        }
        Key("space");
        return shown;
    }

    // The soft keys: a dialog's OK on the left (or across the bar), Cancel
    // on the right; the main window's menu on the right.
    void TapOk() { Tap(width_ / 4, height_ - 4); }
    void TapCancel() { TapRightKey(); }
    void TapRightKey() { Tap(width_ * 3 / 4, height_ - 4); }
    // The pointer goes back to the top left corner, where it was for the
    // picture of the main window and where no menu reaches, so nothing stays
    // lit under it.
    void Tap(int32_t x, int32_t y) {
        display_.Run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) +
                     " click 1 mousemove 1 1");
    }
    void Key(const std::string& name) { display_.Run("xdotool key " + name); }
    void Type(const std::string& text) { display_.Run("xdotool type " + Quoted(text)); }
    void Shot(const std::string& name) { display_.Shot(name); }
    // Acts and waits until the picture shows it: the next key or tap must not
    // arrive before the frame that handles this one.
    template <typename Action> bool Settled(Action action) {
        std::string before = Scratch("before.png");
        Photograph(before);
        action();
        return ScreenChangesFrom(before);
    }

    // Waits until a dialog covers the window (or, `open` false, until the
    // main window shows again).
    bool WaitForDialog(bool open) {
        return WaitFor([&] {
            std::string now = Scratch("now.png");
            Photograph(now);
            double change = Difference(mainWindow_, now);
            return open ? change > 0.6 : change < 0.2;
        });
    }

private:
    bool ScreenChangesFrom(const std::string& before) {
        return WaitFor([&] {
            std::string now = Scratch("now.png");
            Photograph(now);
            return Difference(before, now) > 0;
        });
    }
    std::string Scratch(const std::string& name) const { return program_.Scratch() / name; }
    void Photograph(const std::string& path) const {
        display_.Run("import -window root " + Quoted(path));
    }
    // The share of pixels that differ.
    double Difference(const std::string& a, const std::string& b) const {
        std::string command = "compare -metric AE " + Quoted(a) + " " + Quoted(b) + " null: 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe)
            return -1;
        char text[128] = {};
        size_t length = std::fread(text, 1, sizeof text - 1, pipe);
        ::pclose(pipe);
        text[length] = '\0';
        return std::strtod(text, nullptr) / (static_cast<double>(width_) * height_);
    }
    template <typename Condition> static bool WaitFor(Condition condition) {
        auto deadline = std::chrono::steady_clock::now() + kGenerous;
        while (std::chrono::steady_clock::now() < deadline) {
            if (condition())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    int32_t width_, height_;
    VirtualDisplay display_;
    ProgramHarness program_;
    pid_t pid_ = -1;
    std::string mainWindow_ = Scratch("main-window.png");
};

} // namespace tonilo::test
