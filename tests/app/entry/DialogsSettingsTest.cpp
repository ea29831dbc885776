// The "Settings" sheet over the program's window on virtual X displays: it
// opens from its menu entry, every page is photographed, Cancel keeps and OK
// stores what was changed; a format chosen in the format dialog and a key
// caught by the capture dialog make the next recording.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/app/entry/DialogWindowFixture.h"
#include "ui/MainCommands.h"

namespace tonilo {
namespace {

using test::DialogWindowFixture;
using test::Screen;
using test::SizeName;
using test::Status;

// Keys for the window, each step waiting until the picture has changed.
class SheetDriver {
public:
    explicit SheetDriver(DialogWindowFixture& window) : window_(window) {}

    // The xdotool commands, then a changed picture (more than `share` of its
    // pixels); false when it stays.
    bool Step(const std::vector<std::string>& commands, double share = 0.001,
              std::chrono::seconds limit = test::kGenerous) {
        const std::string before = Picture("before.png");
        for (const std::string& command : commands)
            window_.Display().Run("xdotool " + command);
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            if (Difference(before, Picture("after.png")) > share)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    bool TapOk() {
        return Step({"mousemove " + std::to_string(window_.Width() / 4) + " " +
                     std::to_string(window_.Height() - 4) + " click 1"});
    }
    // Ctrl+Page Down and Up. The modifier is let go only once the page has turned: a
    // release that came with the key would be read before the key.
    bool NextPage() { return TurnPage("Next"); }
    bool PreviousPage() { return TurnPage("Prior"); }
    std::string Setting(const std::string& name) {
        std::string value = window_.Program().Tool("settings get " + name).output;
        return value.substr(0, value.find('\n'));
    }

private:
    // Just after a dialog came up the first turn is at times not seen; a
    // second one is sent only after the page stayed for seconds.
    bool TurnPage(const std::string& key) {
        bool turned = false;
        for (int attempt = 0; attempt < 2 && !turned; ++attempt) {
            turned = Step({"keydown ctrl key " + key}, 0.001,
                          attempt == 0 ? std::chrono::seconds(5) : test::kGenerous);
            window_.Display().Run("xdotool keyup ctrl");
        }
        return turned;
    }
    std::string Picture(const std::string& name) {
        std::string path = window_.Program().Scratch() / name;
        window_.Display().Run("import -window root " + test::Quoted(path));
        return path;
    }
    double Difference(const std::string& a, const std::string& b) const {
        FILE* pipe = ::popen(
            ("compare -metric AE " + test::Quoted(a) + " " + test::Quoted(b) + " null: 2>&1")
                .c_str(),
            "r");
        if (!pipe)
            return 0;
        char text[128] = {};
        size_t length = std::fread(text, 1, sizeof text - 1, pipe);
        ::pclose(pipe);
        text[length] = '\0';
        return std::strtod(text, nullptr) /
               (static_cast<double>(window_.Width()) * window_.Height());
    }

    DialogWindowFixture& window_;
};

class DialogsSettings : public ::testing::TestWithParam<Screen> {};

TEST_P(DialogsSettings, EveryPageShowsCancelKeepsAndOkStoresTheSettings) {
    const Screen screen = GetParam();
    if (!DialogWindowFixture::Available())
        GTEST_SKIP() << "Xvfb, xdotool or ImageMagick is not installed";
    DialogWindowFixture window(screen.width, screen.height);
    ASSERT_EQ(window.Start(), "");
    SheetDriver sheet(window);

    ASSERT_TRUE(window.OpenMenuCommand(kCmdGeneral));
    ASSERT_TRUE(window.WaitForDialog(true)) << "the settings did not open";
    // A desktop without a modem has no "Phone" page; the buttons have theirs.
    const char* const pages[] = {"input", "recording", "files", "display", "buttons"};
    for (const char* page : pages) {
        window.Shot(std::string("dialog-settings-") + page + "-" + SizeName(screen) + ".png");
        ASSERT_TRUE(sheet.NextPage()) << "no page after " << page;
    }
    // Round to the first page again, and on to "Files", where Tab takes the
    // keys to the first text, the folder, all of it selected.
    ASSERT_TRUE(sheet.NextPage());
    ASSERT_TRUE(sheet.NextPage());
    for (const char* key : {"key Tab", "type Elsewhere"})
        ASSERT_TRUE(sheet.Step({key})) << key;
    window.TapCancel();
    ASSERT_TRUE(window.WaitForDialog(false)) << "Cancel did not close the settings";
    EXPECT_EQ(sheet.Setting("RecDir"), "\\My Documents");

    // A file name with a character no file may hold: OK shows why and keeps
    // the sheet open on the "Files" page with that field in hand.
    ASSERT_TRUE(window.OpenMenuCommand(kCmdGeneral));
    ASSERT_TRUE(window.WaitForDialog(true)) << "the settings did not open again";
    ASSERT_TRUE(sheet.NextPage());
    ASSERT_TRUE(sheet.NextPage());
    // One key a step: ImGui takes one editing key a frame. The second Tab
    // reaches the file name with its text selected.
    for (const char* key : {"key Tab", "key Tab", "type Talk:"})
        ASSERT_TRUE(sheet.Step({key})) << key;
    ASSERT_TRUE(sheet.TapOk()) << "no message came";
    window.Shot("dialog-settings-refused-" + SizeName(screen) + ".png");
    ASSERT_TRUE(sheet.Step({"key Return"})) << "the message stayed";
    // The file name has the keys again: Ctrl+A selects its text.
    ASSERT_TRUE(sheet.Step({"keydown ctrl key a"})) << "the file name lost the keys";
    window.Display().Run("xdotool keyup ctrl");
    ASSERT_TRUE(sheet.Step({"type Talk"}));
    window.TapOk();
    ASSERT_TRUE(window.WaitForDialog(false)) << "OK did not close the settings";
    EXPECT_EQ(sheet.Setting("FileName"), "Talk");
    Status status = window.Program().AskStatus();
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status.at("mode"), "ready") << test::StatusText(status);
}

// The encoder list of the format dialog is the registry's encoders in order.
std::vector<std::string> Encoders(test::ProgramHarness& program) {
    std::istringstream lines(program.Tool("formats").output);
    std::vector<std::string> encoders;
    for (std::string line; std::getline(lines, line);) {
        std::string name = line.substr(0, line.find('\t'));
        if (line.find("\tencoder\t") != std::string::npos)
            encoders.push_back(name);
    }
    return encoders;
}

// A format and a key chosen in the sheet: the key records, in that format.
TEST(DialogsSettingsRecording, AFormatAndARecordKeyChosenInTheSheetRecordInThatFormat) {
    const Screen screen{480, 640, "default_vga"};
    if (!DialogWindowFixture::Available())
        GTEST_SKIP() << "Xvfb, xdotool or ImageMagick is not installed";
    DialogWindowFixture window(screen.width, screen.height);
    ASSERT_EQ(window.Start(), "");
    SheetDriver sheet(window);
    ASSERT_EQ(sheet.Setting("RecID"), "1");
    ASSERT_EQ(sheet.Setting("SpeechMid").rfind("encoder=MP3 encoder ", 0), 0u);
    const std::vector<std::string> encoders = Encoders(window.Program());
    const auto index = [&](const std::string& name) {
        return std::find(encoders.begin(), encoders.end(), name) - encoders.begin();
    };
    const auto steps = index("WAV encoder") - index("MP3 encoder");
    ASSERT_LT(index("WAV encoder"), static_cast<long>(encoders.size()));

    ASSERT_TRUE(window.OpenMenuCommand(kCmdGeneral));
    ASSERT_TRUE(window.WaitForDialog(true));
    // "Change" is the page's last control.
    ASSERT_TRUE(sheet.Step({"key Next"}));
    ASSERT_TRUE(sheet.Step({"key space"})) << "the format dialog did not open";
    window.Shot("dialog-settings-format-480x640.png");
    // The encoder list is the first control; its popup opens on the one chosen.
    ASSERT_TRUE(sheet.Step({"key Prior", "key space"}));
    for (auto step = steps; step != 0; step += steps < 0 ? 1 : -1)
        ASSERT_TRUE(sheet.Step({steps < 0 ? "key Up" : "key Down"}));
    ASSERT_TRUE(sheet.Step({"key space"}));
    window.Shot("dialog-settings-format-wav-480x640.png");
    ASSERT_TRUE(sheet.Step({"key Return"})) << "OK did not close the format dialog";
    window.Shot("dialog-settings-input-wav-480x640.png");

    // "Start/pause rec." gets the key A: back round to the last page, Page
    // Down to the buttons under the list, up onto the list, into it on its
    // header, down to the first row, and Space opens the capture dialog.
    ASSERT_TRUE(sheet.PreviousPage());
    for (const char* key : {"key Next", "key Up", "key space", "key Down"})
        ASSERT_TRUE(sheet.Step({key})) << key;
    ASSERT_TRUE(sheet.Step({"key space"})) << "the capture dialog did not open";
    window.Shot("dialog-settings-capture-480x640.png");
    ASSERT_TRUE(sheet.Step({"key a"})) << "the capture dialog did not close on a key";
    window.Shot("dialog-settings-buttons-captured-480x640.png");
    window.TapOk();
    ASSERT_TRUE(window.WaitForDialog(false)) << "OK did not close the settings";
    EXPECT_EQ(sheet.Setting("SpeechMid"),
              "encoder=WAV encoder rate=11025 bits=16 channels=1 quality=0");

    // A records into a WAV file of that format.
    window.Key("a");
    Status status;
    ASSERT_TRUE(window.Program().WaitForStatus(
        [](const Status& s) {
            return s.at("mode") == "recording" && std::stol(s.at("position_ms")) >= 1000;
        },
        &status))
        << test::StatusText(status);
    const std::string file = status.at("file");
    EXPECT_EQ(file.substr(file.size() - 4), ".wav") << file;
    const test::Box stop = test::ElementBox(screen.skin, "Stop");
    window.Tap(stop.CentreX(), stop.CentreY());
    ASSERT_TRUE(window.Program().WaitForStatus(
        [&](const Status& s) { return s.at("mode") == "stopped" && s.at("file") == file; },
        &status))
        << test::StatusText(status);
    std::ifstream in(file, std::ios::binary);
    std::string header(44, '\0');
    ASSERT_TRUE(in.read(&header[0], 44)) << file;
    EXPECT_EQ(header.substr(0, 4) + header.substr(8, 4), "RIFFWAVE");
    const auto word = [&](size_t at, size_t bytes) {
        uint32_t value = 0;
        for (size_t i = bytes; i-- > 0;)
            value = value << 8 | static_cast<uint8_t>(header[at + i]);
        return value;
    };
    EXPECT_EQ(word(22, 2), 1u);     // channels
    EXPECT_EQ(word(24, 4), 11025u); // rate
    EXPECT_EQ(word(34, 2), 16u);    // bits
}

INSTANTIATE_TEST_SUITE_P(Screens, DialogsSettings,
                         ::testing::Values(Screen{480, 640, "default_vga"},
                                           Screen{240, 320, "default"},
                                           Screen{800, 480, "default_wvga_land"}),
                         [](const ::testing::TestParamInfo<Screen>& param) {
                             return SizeName(param.param);
                         });

} // namespace
} // namespace tonilo
