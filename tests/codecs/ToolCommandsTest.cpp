// tonilo-tool info and convert as a user runs them, with the shipped plug-ins
// found in the program folder and a registry of the test's own.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/codecs/CodecTestSupport.h"
#include "tests/support/WaitUntil.h"

extern char** environ;

namespace tonilo::test {
namespace {

const std::string kTool = std::string(TONILO_PROGRAM_DIR) + "/tonilo-tool";

class ToolCommands : public ::testing::Test {
protected:
    void SetUp() override { setenv("TONILO_REGISTRY", folder_.Path("registry.db").c_str(), 1); }

    std::string MakeWav(const std::string& name, uint32_t rate, uint16_t channels, double seconds) {
        return WriteSweepWav(folder_.Path(name), rate, channels, seconds);
    }

    ScratchFolder folder_;
};

TEST_F(ToolCommands, InfoPrintsDecoderFormatAndDuration) {
    std::string wav = MakeWav("talk.wav", 22050, 1, 2.5);
    EXPECT_EQ(CaptureOutput(kTool + " info '" + wav + "'"),
              "decoder: WAV decoder\nrate: 22050\nbits: 16\nchannels: 1\nduration_ms: 2500\n");
    EXPECT_FALSE(RunQuietly(kTool + " info '" + folder_.Path("missing.wav") + "'"));
    EXPECT_FALSE(RunQuietly(kTool + " info"));
    WriteWholeFile(folder_.Path("wrong.mp3"), ReadWholeFile(wav));
    EXPECT_FALSE(RunQuietly(kTool + " info '" + folder_.Path("wrong.mp3") + "'"));
}

TEST_F(ToolCommands, ConvertWritesTheTargetItsNameAsks) {
    std::string wav = MakeWav("music.wav", 44100, 2, 2.0);
    std::string mp3 = folder_.Path("music.mp3");
    ASSERT_TRUE(RunQuietly(kTool + " convert '" + wav + "' '" + mp3 + "' --quality 4"));
    std::string info = CaptureOutput(kTool + " info '" + mp3 + "'");
    EXPECT_NE(info.find("decoder: MP3 decoder\nrate: 44100\nbits: 16\nchannels: 2\n"),
              std::string::npos)
        << info;
    // 256 kbit/s for 2 s; the tag frame and the frames of encoder delay and
    // padding (836 bytes each) on top.
    auto size = std::filesystem::file_size(mp3);
    EXPECT_GE(size, 64000u);
    EXPECT_LE(size, 64000u + 4 * 836);

    std::string zaf = folder_.Path("music.bin");
    ASSERT_TRUE(RunQuietly(kTool + " convert '" + mp3 + "' '" + zaf + "' --encoder 'ZAF encoder'"));
    auto zafBytes = ReadFileBytes(zaf);
    ASSERT_GT(zafBytes.size(), 4u);
    EXPECT_EQ(std::string(zafBytes.begin(), zafBytes.begin() + 4), "OggS");
    EXPECT_FALSE(RunQuietly(kTool + " convert '" + wav + "'"));
    EXPECT_FALSE(RunQuietly(kTool + " convert '" + wav + "' x.mp3 --quality high"));
}

TEST_F(ToolCommands, CtrlCStopsAndDeletesThePartialTarget) {
    std::string wav = MakeWav("long.wav", 44100, 2, 240.0);
    std::string mp3 = folder_.Path("long.mp3");
    std::string quietErrors = folder_.Path("stderr.txt");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, quietErrors.c_str(), O_WRONLY | O_CREAT, 0600);
    const char* arguments[] = {kTool.c_str(), "convert", wav.c_str(), mp3.c_str(), nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, kTool.c_str(), &actions, nullptr,
                          const_cast<char* const*>(arguments), environ),
              0);
    posix_spawn_file_actions_destroy(&actions);
    // Wait until the hidden partial file exists, then interrupt.
    EXPECT_TRUE(WaitUntil([&] {
        for (const auto& entry : std::filesystem::directory_iterator(folder_.Path("")))
            if (entry.path().filename().string().rfind(".long.mp3", 0) == 0)
                return true;
        return false;
    }));
    kill(child, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by the signal instead of stopping";
    EXPECT_EQ(WEXITSTATUS(status), 1);
    for (const auto& entry : std::filesystem::directory_iterator(folder_.Path("")))
        EXPECT_EQ(entry.path().filename().string().find("long.mp3"), std::string::npos)
            << entry.path();
    auto errorBytes = ReadWholeFile(quietErrors);
    std::string errors(errorBytes.begin(), errorBytes.end());
    EXPECT_NE(errors.find("was not written"), std::string::npos) << errors;
}

} // namespace
} // namespace tonilo::test
