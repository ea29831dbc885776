// "tonilo-tool settings" and "tonilo-tool name" run as a user runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/ScratchFolder.h"
#include "tests/support/ToolRunner.h"

namespace tonilo {
namespace {

namespace fs = std::filesystem;
using test::Quoted;
using test::ToolRun;

class SettingsToolTest : public ::testing::Test {
protected:
    SettingsToolTest() { fs::create_directory(folder_ / "home"); }
    ToolRun Run(const std::string& arguments) { return test::RunToolIn(folder_.Path(), arguments); }

    test::ScratchFolder folder_;
};

TEST_F(SettingsToolTest, ListGetSetReset) {
    ToolRun list = Run("settings list");
    ASSERT_EQ(list.exitCode, 0) << list.errors;
    EXPECT_EQ(list.output.substr(0, list.output.find('\n')),
              "RecDir           string \\My Documents");
    EXPECT_NE(list.output.find("\nSpeechHigh       preset encoder=WAV encoder rate=22050 bits=16 "
                               "channels=1 quality=0\n"),
              std::string::npos);
    EXPECT_EQ(std::count(list.output.begin(), list.output.end(), '\n'), 40);

    EXPECT_EQ(Run("settings set TurnOffAfter 20").exitCode, 0);
    EXPECT_EQ(Run("settings get turnoffafter").output, "20\n");
    EXPECT_EQ(Run("settings set MusicLow 'encoder=OGG encoder rate=48000 channels=2'").exitCode, 0);
    EXPECT_EQ(Run("settings get MusicLow").output,
              "encoder=OGG encoder rate=48000 bits=16 channels=2 quality=2\n");
    EXPECT_EQ(Run("settings reset MusicLow").exitCode, 0);
    EXPECT_EQ(Run("settings get MusicLow").output,
              "encoder=MP3 encoder rate=44100 bits=16 channels=1 quality=2\n");
    EXPECT_EQ(Run("settings set RecDir /data/rec").exitCode, 0);
    EXPECT_EQ(Run("settings get RecDir").output, "/data/rec\n");
}

TEST_F(SettingsToolTest, RefusalsAndWrongInvocations) {
    ToolRun forbidden = Run("settings set FileName 'a:b'");
    EXPECT_EQ(forbidden.exitCode, 1);
    EXPECT_NE(forbidden.errors.find("A file name cannot contain any of the following characters:"),
              std::string::npos);
    EXPECT_EQ(Run("settings get FileName").output, "Recording\n"); // nothing stored
    EXPECT_EQ(Run("settings set Volume loud").exitCode, 1);
    EXPECT_EQ(Run("settings set Volume -1").exitCode, 1);
    EXPECT_EQ(Run("settings get NoSuchSetting").exitCode, 1);
    EXPECT_EQ(Run("settings set MusicLow 'rate=0'").exitCode, 2);
    EXPECT_EQ(Run("settings set MusicLow 'quality=2 encoder=X'").exitCode, 0);
    for (const char* wrong : {"settings", "settings get", "settings set Volume", "settings list x",
                              "settings frob Volume"}) {
        ToolRun run = Run(wrong);
        EXPECT_EQ(run.exitCode, 2) << wrong;
        EXPECT_NE(run.errors.find("usage:"), std::string::npos) << wrong;
    }
}

TEST_F(SettingsToolTest, APresetChangeCarriesAverageBytesAndBlockAlignAsTheyAre) {
    // SpeechLow's default stores 88200 bytes a second and a block align of 8,
    // which no format computes: they must come back exactly.
    ASSERT_EQ(Run("settings set SpeechLow 'rate=22050 channels=2 bits=8'").exitCode, 0);
    ToolRun raw = Run("reg get " + Quoted("HKLM\\Software\\Zelto\\Tonilo") + " SpeechLow");
    ASSERT_EQ(raw.exitCode, 0) << raw.errors;
    ASSERT_EQ(raw.output.size(), 84u * 2 + 1);
    EXPECT_EQ(raw.output.substr(66 * 2, 4), "0200");     // channels
    EXPECT_EQ(raw.output.substr(68 * 2, 8), "22560000"); // 22050 Hz
    EXPECT_EQ(raw.output.substr(72 * 2, 8), "88580100"); // 88200, as it was
    EXPECT_EQ(raw.output.substr(76 * 2, 4), "0800");     // 8, as it was
    EXPECT_EQ(raw.output.substr(78 * 2, 4), "0800");     // 8 bits
    // The capture delivers 8- or 16-bit samples only.
    for (const char* bits : {"bits=24", "bits=32", "bits=0", "bits=12"})
        EXPECT_EQ(Run(std::string("settings set SpeechLow ") + bits).exitCode, 2) << bits;
    EXPECT_EQ(Run("settings get SpeechLow").output,
              "encoder=ZAF encoder rate=22050 bits=8 channels=2 quality=0\n");
}

// Two copies of the program in folders of different names keep their own settings.
TEST_F(SettingsToolTest, ProgramFoldersKeepSeparateSettings) {
    for (const char* name : {"Tonilo", "Rec"}) {
        fs::create_directory(folder_ / name);
        fs::copy_file(TONILO_PROGRAM_DIR "/tonilo-tool", folder_ / name + "/tonilo-tool");
    }
    auto runIn = [&](const char* name, const std::string& arguments) {
        return test::RunToolIn(folder_.Path(), arguments, folder_ / name + "/tonilo-tool");
    };
    ASSERT_EQ(runIn("Tonilo", "settings set Volume 100").exitCode, 0);
    ASSERT_EQ(runIn("Rec", "settings set Volume 200").exitCode, 0);
    EXPECT_EQ(runIn("Tonilo", "settings get Volume").output, "100\n");
    EXPECT_EQ(runIn("Rec", "settings get Volume").output, "200\n");
    EXPECT_EQ(runIn("Rec", "reg get 'HKLM\\Software\\Zelto\\Rec' Volume").exitCode, 0);
    EXPECT_EQ(runIn("Tonilo", "reg get 'HKLM\\Software\\Zelto\\Tonilo' Volume").exitCode, 0);
}

TEST_F(SettingsToolTest, NamePrintsTheNextRecordingPath) {
    // The default preset records MP3; without that codec in the program folder
    // the name falls back to WAV.
    const std::string extension =
        fs::exists(TONILO_PROGRAM_DIR "/Codecs/mp3.so") ? ".mp3\n" : ".wav\n";
    const std::string recordings = folder_ / "rec";
    fs::create_directory(recordings);
    ToolRun run = Run("name --dir " + Quoted(recordings) + " --template '%Y%M%D-%h%m-%F%I%L'" +
                      " --caller 'John;;Smith' --time '2009-03-03 09:05' --subfolder Calls");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.output, recordings + "/Calls/20090303-0905-JohnSmith" + extension);
    EXPECT_TRUE(fs::is_directory(recordings + "/Calls"));

    // Defaults come from the settings; "\My Documents" is the documents folder.
    ASSERT_EQ(Run("settings set DateDir 1").exitCode, 0);
    run = Run("name --time '2009-03-03 09:05'");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.output, folder_ / "home/Documents/2009-03-03/Recording" + extension);

    run = Run("name --dir relative/folder");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("Cannot create directory!"), std::string::npos);
    run = Run("name --template 'a|b' --dir " + Quoted(recordings));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("cannot contain"), std::string::npos);

    run = Run("name --path " + Quoted(folder_ / "x/y.wav") + " --overwrite");
    EXPECT_EQ(run.output, folder_ / "x/y.wav\n");
    EXPECT_EQ(Run("name --overwrite").exitCode, 2);
    EXPECT_EQ(Run("name --time 2009").exitCode, 2);
    EXPECT_EQ(Run("name --dir").exitCode, 2);
}

} // namespace
} // namespace tonilo
