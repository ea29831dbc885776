// The export dialog in the running program, end to end on virtual X displays:
// a ten-minute recording made by sox is chosen, "Export" in the Files menu
// opens the dialog on it with the recording format (MP3 here), OK converts it
// while the progress bar runs, and the dialog closes on a whole MP3 of the
// same length; Cancel half-way (on a small screen) stops, leaves nothing behind
// and goes back to editing.
// Screenshots land in the build folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/LanguageResources.h"
#include "tests/app/entry/DialogWindowFixture.h"
#include "ui/ActionMenu.h"
#include "ui/MainCommands.h"

namespace tonilo {
namespace {

using test::DialogWindowFixture;
using test::Status;

constexpr std::chrono::seconds kExportTime(180);

// Waits for the condition for up to `limit`.
template <typename Condition> bool WaitFor(Condition condition, std::chrono::seconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// The container's duration as ffprobe reads it; negative when it cannot.
double ProbeSeconds(const std::string& path) {
    std::FILE* pipe =
        ::popen(("ffprobe -v error -show_entries format=duration -of csv=p=0 " + test::Quoted(path))
                    .c_str(),
                "r");
    if (pipe == nullptr)
        return -1;
    char line[128] = {};
    const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    return ::pclose(pipe) == 0 && read ? std::strtod(line, nullptr) : -1;
}

// The hidden file an export writes before the target takes its name; "" when
// there is none.
std::string PartialOf(const std::string& folder, const std::string& target) {
    const std::string prefix = "." + target + ".partial";
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        if (entry.path().filename().string().rfind(prefix, 0) == 0)
            return entry.path().string();
    return "";
}

uintmax_t SizeOf(const std::string& path) {
    std::error_code ignored;
    const uintmax_t size = std::filesystem::file_size(path, ignored);
    return ignored ? 0 : size;
}

class ExportWindow {
public:
    ExportWindow(int32_t width, int32_t height, std::string skin)
        : window_(width, height), skin_(std::move(skin)) {}

    // A ten-minute recording in the recordings folder, the recording format
    // MP3, the program up with the recording opened, played and stopped (the
    // menu is driven by keys, which a changing screen could lose).
    std::string Start() {
        folder_ = window_.Program().Scratch() / "Recordings";
        std::filesystem::create_directories(folder_);
        source_ = folder_ + "/lecture.wav";
        if (std::system(("sox -n -r 44100 -c 2 -b 16 " + test::Quoted(source_) +
                         " synth 600 sine 440 vol 0.3")
                            .c_str()) != 0)
            return "sox failed";
        for (const std::string& setting :
             {"RecDir " + test::Quoted(folder_),
              std::string("SpeechMid 'encoder=MP3 encoder rate=22050 bits=16 channels=1 "
                          "quality=2'"),
              std::string("RecID 1")})
            if (window_.Program().Tool("settings set " + setting).exitCode != 0)
                return "cannot set " + setting;
        std::string failed = window_.Start();
        if (!failed.empty())
            return failed;
        if (window_.Program().Tool("send " + test::Quoted(source_)).exitCode != 0 ||
            !window_.Program().WaitForMode("playing", source_))
            return "the recording does not play";
        const test::Box stop = test::ElementBox(skin_, "Stop");
        window_.Tap(stop.CentreX(), stop.CentreY());
        if (!window_.Program().WaitForStatus(
                [](const Status& status) { return status.at("mode") != "playing"; }))
            return "the recording does not stop";
        return WaitForSteady() ? "" : "the window never settled";
    }

    // "Export", the first entry of the Action menu's Files submenu while one
    // file is chosen.
    bool OpenExport() {
        const Menu menu = BuildActionMenu();
        size_t below = 0;
        bool found = false;
        for (const MenuItem& item : menu) {
            found = found || item.text == LoadResourceString(kTextFiles);
            below += found && !item.separator ? 1 : 0;
        }
        if (!found)
            return false;
        // Keys sent before the menu shows may be lost.
        if (!WaitForChange([&] { window_.TapRightKey(); }))
            return false;
        for (size_t i = 0; i < below; ++i)
            window_.Key("Up");
        // The submenu is filled as it opens: it must show before it is chosen from.
        if (!WaitForChange([&] { window_.Key("Right"); }))
            return false;
        window_.Key("space");
        return window_.WaitForDialog(true);
    }

    // Runs the action and waits until the screen differs from what it showed
    // before: a menu or a message has come up.
    bool WaitForChange(const std::function<void()>& action) {
        const std::string before = window_.Program().Scratch() / "before.png";
        const std::string now = window_.Program().Scratch() / "after.png";
        window_.Display().Run("import -window root " + test::Quoted(before));
        action();
        return WaitFor(
            [&] {
                window_.Display().Run("import -window root " + test::Quoted(now));
                return !Same(before, now);
            },
            std::chrono::seconds(30));
    }

    bool WaitForSteady() {
        const std::string before = window_.Program().Scratch() / "before.png";
        const std::string now = window_.Program().Scratch() / "after.png";
        window_.Display().Run("import -window root " + test::Quoted(before));
        return WaitFor(
            [&] {
                window_.Display().Run("import -window root " + test::Quoted(now));
                const bool same = Same(before, now);
                std::filesystem::rename(now, before);
                return same;
            },
            std::chrono::seconds(30));
    }

    DialogWindowFixture& Window() { return window_; }
    const std::string& Folder() const { return folder_; }
    std::string Target() const { return folder_ + "/lectureExp.mp3"; }

private:
    static bool Same(const std::string& a, const std::string& b) {
        return std::system(("compare -metric AE " + test::Quoted(a) + " " + test::Quoted(b) +
                            " null: 2>/dev/null")
                               .c_str()) == 0;
    }

    DialogWindowFixture window_;
    std::string skin_;
    std::string folder_;
    std::string source_;
};

TEST(DialogsExport, TenMinutesBecomeAWholeMp3WhileTheBarRuns) {
    if (!DialogWindowFixture::Available())
        GTEST_SKIP() << "Xvfb, xdotool or ImageMagick is not installed";
    ExportWindow program(480, 640, "default_vga");
    ASSERT_EQ(program.Start(), "");
    DialogWindowFixture& window = program.Window();

    ASSERT_TRUE(program.OpenExport()) << "the export dialog did not open";
    window.Shot("dialog-export-480x640.png");
    window.TapOk();

    // Part of the file written: the bar has moved.
    ASSERT_TRUE(
        WaitFor([&] { return SizeOf(PartialOf(program.Folder(), "lectureExp.mp3")) > 200000; },
                std::chrono::seconds(60)))
        << "no export under way";
    EXPECT_FALSE(std::filesystem::exists(program.Target()))
        << "the target has its name before it is complete";
    window.Shot("dialog-export-progress-480x640.png");

    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(program.Target()); }, kExportTime))
        << "the export did not finish";
    EXPECT_TRUE(window.WaitForDialog(false)) << "the dialog stayed open after the export";
    EXPECT_NEAR(ProbeSeconds(program.Target()), 600.0, 0.1);
    EXPECT_EQ(PartialOf(program.Folder(), "lectureExp.mp3"), "");

    // A name the namer refuses: its message, and the dialog stays for another.
    ASSERT_TRUE(program.OpenExport()) << "the export dialog did not open again";
    window.Key("Tab");
    window.Type(program.Folder() + "/what?.mp3");
    EXPECT_TRUE(program.WaitForChange([&] { window.TapOk(); })) << "no message came";
    window.Shot("dialog-export-refused-480x640.png");
    EXPECT_TRUE(program.WaitForChange([&] { window.Key("Return"); })) << "the message stayed";
    window.Key("Escape");
    EXPECT_TRUE(window.WaitForDialog(false)) << "Escape did not close the dialog";
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(program.Folder()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"lecture.wav", "lectureExp.mp3"}));
}

TEST(DialogsExport, OnASmallScreenCancelHalfWayLeavesNoFile) {
    if (!DialogWindowFixture::Available())
        GTEST_SKIP() << "Xvfb, xdotool or ImageMagick is not installed";
    ExportWindow program(240, 320, "default");
    ASSERT_EQ(program.Start(), "");
    DialogWindowFixture& window = program.Window();
    ASSERT_TRUE(program.OpenExport()) << "the export dialog did not open";
    window.Shot("dialog-export-240x320.png");
    window.TapOk();
    ASSERT_TRUE(WaitFor([&] { return SizeOf(PartialOf(program.Folder(), "lectureExp.mp3")) > 0; },
                        std::chrono::seconds(60)))
        << "no export under way";
    window.Shot("dialog-export-progress-240x320.png");
    // Cancel stops the export and goes back to editing; a second one closes.
    window.TapCancel();
    EXPECT_TRUE(WaitFor([&] { return PartialOf(program.Folder(), "lectureExp.mp3").empty(); },
                        std::chrono::seconds(30)))
        << "the cancelled export left its hidden file";
    EXPECT_FALSE(std::filesystem::exists(program.Target()));
    EXPECT_TRUE(window.WaitForDialog(true)) << "Cancel closed the dialog instead of stopping";
    window.Shot("dialog-export-stopped-240x320.png");
    window.TapCancel();
    EXPECT_TRUE(window.WaitForDialog(false)) << "Cancel did not close the dialog";
    EXPECT_FALSE(window.Program().AskStatus().empty()) << "the program did not survive the cancel";
}

} // namespace
} // namespace tonilo
