// The filters and equalizer dialogs over the program's window on virtual X
// displays: each opens from its menu entry, is photographed, and closes with
// Cancel (nothing it changed is kept) and with OK (the change is kept). What
// they kept is read back with tonilo-tool: the equalizer at once, the filters
// when the program has saved its settings at exit.
#include <gtest/gtest.h>

#include "tests/app/entry/DialogWindowFixture.h"
#include "ui/MainCommands.h"

namespace tonilo {
namespace {

using test::DialogWindowFixture;
using test::ProgramHarness;
using test::Screen;
using test::SizeName;

const char kKey[] = "HKLM\\Software\\Zelto\\Tonilo";

// The tool's answer without its line end.
std::string ToolLine(ProgramHarness& program, const std::string& arguments) {
    std::string output = program.Tool(arguments).output;
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    return output;
}

template <typename Condition> bool WaitFor(Condition condition) {
    auto deadline = std::chrono::steady_clock::now() + test::kGenerous;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

class DialogsAudio : public ::testing::TestWithParam<Screen> {
protected:
    void SetUp() override {
        if (!DialogWindowFixture::Available())
            GTEST_SKIP() << "Xvfb, xdotool or ImageMagick is not installed";
        screen_ = GetParam();
        window_ = std::make_unique<DialogWindowFixture>(screen_.width, screen_.height);
        ASSERT_EQ(window_->Start(), "");
    }

    void Open(uint32_t command, const std::string& what) {
        ASSERT_TRUE(ChooseFromMenu(command)) << what << " is not in the menu";
        ASSERT_TRUE(window_->WaitForDialog(true)) << what << " did not open";
    }
    // The right soft key's menu, driven by keys as the fixture does; the
    // pointer stays on the key, since a busy window can take the click and
    // a move that follows at once in one frame, and act where it moved to.
    // Keys go to the menu only once it shows (before, the main window takes
    // them as its buttons): each step that opens one waits for the picture
    // to change.
    void OpenMenu() {
        const std::string before = Photo("before.png");
        window_->Display().Run("xdotool mousemove " + std::to_string(screen_.width * 3 / 4) + " " +
                               std::to_string(screen_.height - 4) + " click 1");
        EXPECT_TRUE(WaitForChange(before)) << "the menu did not open";
    }
    void KeyAndWait(const std::string& key) {
        const std::string before = Photo("before.png");
        window_->Key(key);
        EXPECT_TRUE(WaitForChange(before)) << key << " changed nothing";
    }
    std::string Photo(const std::string& name) {
        const std::string path = window_->Program().Scratch() / name;
        window_->Display().Run("import -window root " + test::Quoted(path));
        return path;
    }
    // The share of the screen that differs between two pictures.
    double Change(const std::string& a, const std::string& b) const {
        FILE* pipe = ::popen(
            ("compare -metric AE " + test::Quoted(a) + " " + test::Quoted(b) + " null: 2>&1")
                .c_str(),
            "r");
        if (!pipe)
            return 0;
        char text[64] = {};
        const size_t length = std::fread(text, 1, sizeof text - 1, pipe);
        ::pclose(pipe);
        text[length] = '\0';
        return std::strtod(text, nullptr) / (static_cast<double>(screen_.width) * screen_.height);
    }
    bool WaitForChange(const std::string& before) {
        return WaitFor([&] { return Change(before, Photo("now.png")) > 0.01; });
    }
    // Up from the menu's first row wraps round to its last: the entry at
    // `index` is as many Ups away as there are rows from it to the end.
    static size_t UpsTo(const Menu& menu, size_t index) {
        size_t ups = 0;
        for (size_t i = index; i < menu.size(); ++i)
            ups += menu[i].separator ? 0 : 1;
        return ups;
    }
    // Down steps through a submenu one shown row at a time.
    void ChooseInSubmenu(size_t row) {
        for (size_t step = 0; step < row; ++step)
            KeyAndWait("Down");
        window_->Key("space");
    }
    bool ChooseFromMenu(uint32_t command) {
        const Menu menu = BuildActionMenu();
        for (size_t i = 0; i < menu.size(); ++i) {
            const Menu& children = menu[i].children;
            for (size_t k = 0; k < children.size(); ++k) {
                if (children[k].id != command)
                    continue;
                OpenMenu();
                for (size_t step = UpsTo(menu, i); step > 0; --step)
                    KeyAndWait("Up");
                KeyAndWait("Right");
                ChooseInSubmenu(k);
                return true;
            }
            if (menu[i].id == command && children.empty()) {
                OpenMenu();
                for (size_t step = UpsTo(menu, i); step > 0; --step)
                    KeyAndWait("Up");
                window_->Key("space");
                return true;
            }
        }
        return false;
    }
    void Close(bool ok, const std::string& what) {
        if (ok)
            window_->TapOk();
        else
            window_->TapCancel();
        ASSERT_TRUE(window_->WaitForDialog(false))
            << what << (ok ? ": OK" : ": Cancel") << " did not close it";
    }
    // Space on the dialog's first control: the first arrow key gives the
    // keyboard to the control under the first one, Up goes back to it.
    void ToggleFirstControl() {
        window_->Key("Down");
        window_->Key("Up");
        window_->Key("space");
    }
    std::string Shot(const std::string& name) {
        std::string file = "dialog-" + name + "-" + SizeName(screen_) + ".png";
        window_->Shot(file);
        return file;
    }

    Screen screen_{};
    std::unique_ptr<DialogWindowFixture> window_;
};

TEST_P(DialogsAudio, FiltersKeepOnlyWhatOkWrote) {
    Open(kCmdFilters, "the filters dialog");
    Shot("filters");
    ToggleFirstControl(); // "Noise filter" on, then thrown away
    Close(false, "filters");
    Open(kCmdFilters, "the filters dialog");
    ToggleFirstControl(); // on again: had Cancel kept it, this would turn it off
    Close(true, "filters");
    // The settings reach the registry when the program ends.
    ASSERT_TRUE(ChooseFromMenu(kCmdExit));
    ASSERT_TRUE(WaitFor([&] { return window_->Program().AskStatus().empty(); }))
        << "the program did not end";
    EXPECT_EQ(ToolLine(window_->Program(), "settings get NoiseOn"), "1");
    EXPECT_EQ(ToolLine(window_->Program(), "settings get VASOn"), "0");
    EXPECT_EQ(ToolLine(window_->Program(), "settings get GainOn"), "0");
}

// With no file open the dialog edits the stored settings alone (the playing
// equalizer's side is the engine controller test's).
TEST_P(DialogsAudio, EqualizerStoresOnlyOnOk) {
    Open(kCmdEqualizer, "the equalizer");
    Shot("equalizer");
    ToggleFirstControl(); // "Enable equalizer"
    Close(false, "equalizer");
    const std::string stored = "reg get " + test::Quoted(kKey) + " EqEnabled";
    EXPECT_EQ(ToolLine(window_->Program(), stored), "0");

    Open(kCmdEqualizer, "the equalizer");
    ToggleFirstControl();
    Shot("equalizer-on");
    Close(true, "equalizer");
    EXPECT_EQ(ToolLine(window_->Program(), stored), "1");
}

INSTANTIATE_TEST_SUITE_P(Screens, DialogsAudio,
                         ::testing::Values(Screen{480, 640, "default_vga"},
                                           Screen{240, 320, "default"}),
                         [](const ::testing::TestParamInfo<Screen>& param) {
                             return SizeName(param.param);
                         });

} // namespace
} // namespace tonilo
