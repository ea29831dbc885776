// tonilo-tool record, play and recover on SDL's disk audio driver: input from a
// raw PCM file, output to one, no sound hardware.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/support/EngineTestSupport.h"
#include "tests/support/SimulatedDeviceTest.h"
#include "tests/support/TestHttpServer.h"
#include "tests/support/WaitUntil.h"

namespace tonilo::test {
namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

// Where the audio starts: the device plays silence until the first buffer.
size_t FirstSound(const std::vector<uint8_t>& pcm) {
    size_t i = 0;
    while (i + 1 < pcm.size() && pcm[i] == 0 && pcm[i + 1] == 0)
        i += 2;
    return i;
}

// Whether `expected` plays in `rendered`, once the leading silence of both is
// set aside.
bool Renders(const std::vector<uint8_t>& rendered, const std::vector<uint8_t>& expected) {
    size_t start = FirstSound(rendered);
    size_t skip = FirstSound(expected);
    if (rendered.size() - start < expected.size() - skip)
        return false;
    return std::equal(expected.begin() + skip, expected.end(), rendered.begin() + start);
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

class ToolEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = scratch_.Path();
        registry_ = folder_ + "/registry.db";
        input_ = folder_ + "/input.raw";
        output_ = folder_ + "/output.raw";
        host_ = CreateLinkedFormatRegistry();
    }
    void TearDown() override { host_->Release(); }

    // Starts tonilo-tool with the disk driver, whose buffers take delayMs each
    // (-1: real time); standard error goes to a file.
    pid_t Start(const std::vector<std::string>& arguments, int delayMs = 10) {
        // Emptied before the child runs, so nobody reads the last run's lines.
        WriteBytes(folder_ + "/stderr.txt", {});
        pid_t child = fork();
        if (child == 0) {
            setenv("SDL_AUDIODRIVER", "disk", 1);
            setenv("SDL_DISKAUDIOFILEIN", input_.c_str(), 1);
            setenv("SDL_DISKAUDIOFILE", output_.c_str(), 1);
            if (delayMs >= 0)
                setenv("SDL_DISKAUDIODELAY", std::to_string(delayMs).c_str(), 1);
            else
                unsetenv("SDL_DISKAUDIODELAY"); // real time
            setenv("TONILO_REGISTRY", registry_.c_str(), 1);
            int devNull = open("/dev/null", O_RDWR);
            dup2(devNull, 0);
            dup2(devNull, 1);
            int errors =
                open((folder_ + "/stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(errors, 2);
            std::vector<char*> argv;
            std::string tool = std::string(TONILO_PROGRAM_DIR) + "/tonilo-tool";
            argv.push_back(const_cast<char*>(tool.c_str()));
            for (const std::string& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            execv(tool.c_str(), argv.data());
            _exit(127);
        }
        return child;
    }

    // Exit code, or 128 + signal; -1 when it did not end in time.
    int Wait(pid_t child, int seconds = 60) {
        int status = 0;
        if (WaitUntil([&] { return waitpid(child, &status, WNOHANG) == child; },
                      std::chrono::seconds(seconds)))
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        return -1;
    }

    int Run(const std::vector<std::string>& arguments, int delayMs = 10) {
        return Wait(Start(arguments, delayMs));
    }

    // Waits until the tool's progress on standard error shows text; false
    // after seconds without it.
    bool WaitForProgress(const std::string& text, int seconds = 60) {
        return WaitUntil([&] { return Errors().find(text) != std::string::npos; },
                         std::chrono::seconds(seconds));
    }

    // Records in real time until the progress shows `progress`, then sends
    // `signal` and expects the tool to end with `exitCode`.
    void RecordUntilSignal(const std::string& path, const char* progress, int signal,
                           int exitCode) {
        pid_t child = Start({"record", path, "--rate", "16000"}, -1);
        bool seen = WaitForProgress(progress);
        kill(child, signal);
        ASSERT_EQ(Wait(child), exitCode) << Errors();
        ASSERT_TRUE(seen) << Errors();
    }

    void ExpectNoHiddenFiles() {
        for (const std::string& name : FolderEntries(folder_))
            EXPECT_NE(name[0], '.') << name;
    }

    std::string Errors() {
        std::vector<uint8_t> bytes = ReadBytes(folder_ + "/stderr.txt");
        return std::string(bytes.begin(), bytes.end());
    }

    ScratchFolder scratch_;
    std::string folder_, registry_, input_, output_;
    FormatRegistry* host_ = nullptr;
};

TEST_F(ToolEndToEndTest, TenSecondsIntoWavMp3AndZafHoldTheInput) {
    std::vector<uint8_t> input = SinePcm16(16000, 16000 * 12, 440);
    WriteBytes(input_, input);
    for (const char* extension : {"wav", "mp3", "zaf"}) {
        SCOPED_TRACE(extension);
        std::string path = folder_ + "/ten." + extension;
        ASSERT_EQ(Run({"record", path, "--seconds", "10", "--rate", "16000"}), 0) << Errors();
        EXPECT_NE(Errors().find("recorded 0:10"), std::string::npos) << Errors();
        std::vector<uint8_t> decoded;
        MediaInfo info{};
        ASSERT_TRUE(DecodeFile(host_, path, &decoded, &info));
        double seconds = double(decoded.size()) / info.format.nAvgBytesPerSec;
        EXPECT_NEAR(seconds, 10.0, 0.25);
        if (std::string(extension) == "wav") {
            ASSERT_LE(decoded.size(), input.size());
            EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), input.begin()))
                << "sample by sample";
        } else {
            EXPECT_NEAR(Rms16(decoded) / Rms16(input), 1.0, 0.25);
        }
    }
}

// Sent without a length, as a dynamic page or a radio stream is.
TEST_F(ToolEndToEndTest, AServedWavPlaysWholeAndAMissingOneFails) {
    std::vector<uint8_t> pcm = CountingPcm16(16000 * 2);
    ASSERT_TRUE(WriteWav16(folder_ + "/served.wav", pcm, 16000, 1));
    tonilo::testing::TestHttpServer server({});
    ASSERT_TRUE(server.IsRunning());
    server.ServeFilesFrom(folder_);
    ASSERT_EQ(Run({"play", server.Url("/served.wav")}), 0) << Errors();
    EXPECT_TRUE(Renders(ReadBytes(output_), pcm)) << "sample by sample";
    EXPECT_EQ(Run({"play", server.Url("/missing.wav")}), 1);
    EXPECT_NE(Errors().find("play:"), std::string::npos) << Errors();
}

TEST_F(ToolEndToEndTest, PlayFromAPositionSkipsTheStart) {
    std::string path = folder_ + "/from.wav";
    std::vector<uint8_t> pcm = CountingPcm16(16000 * 3);
    ASSERT_TRUE(WriteWav16(path, pcm, 16000, 1));
    ASSERT_EQ(Run({"play", path, "--from", "2000"}), 0) << Errors();
    std::vector<uint8_t> tail(pcm.begin() + 16000 * 2 * 2, pcm.end());
    EXPECT_TRUE(Renders(ReadBytes(output_), tail));
    // The progress never runs past the length, whatever the last buffers count.
    std::string errors = Errors();
    EXPECT_EQ(errors.find("0:04 /"), std::string::npos) << errors;
    EXPECT_NE(errors.find("0:03 / 0:03"), std::string::npos) << errors;
}

TEST_F(ToolEndToEndTest, MissingDevicesAndFilesGiveTheirMessages) {
    input_ = folder_ + "/no-such-input.raw";
    EXPECT_EQ(Run({"record", folder_ + "/x.wav", "--seconds", "1"}), 1);
    EXPECT_NE(Errors().find("Cannot open input sound device!"), std::string::npos) << Errors();
    EXPECT_TRUE(FolderEntries(folder_).size() <= 2) << "no recording left behind";
    EXPECT_FALSE(FileExists(folder_ + "/x.wav"));
    EXPECT_EQ(Run({"play", folder_ + "/missing.wav"}), 1);
    EXPECT_NE(Errors().find("File doesn't exist!"), std::string::npos) << Errors();
    EXPECT_EQ(Run({"record"}), 2);
}

// A small file system of its own; where mounting is not allowed, the
// file-size-limit case of the Recorder tests stands in (and checks a WAV sample
// by sample).
TEST_F(ToolEndToEndTest, AFullDiskKeepsCompressedRecordingsPlayable) {
    std::string disk = folder_ + "/disk";
    ASSERT_EQ(system(("mkdir -p '" + disk + "'").c_str()), 0);
    if (system(("mount -t tmpfs -o size=24k tmpfs '" + disk + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    WriteBytes(input_, SinePcm16(16000, 16000 * 62, 440));
    for (const char* extension : {"mp3", "zaf"}) {
        SCOPED_TRACE(extension);
        std::string path = disk + "/full." + extension;
        int exitCode = Run({"record", path, "--seconds", "60", "--rate", "16000"});
        std::vector<uint8_t> decoded;
        MediaInfo info{};
        bool decodedOk = DecodeFile(host_, path, &decoded, &info);
        std::vector<std::string> left = FolderEntries(disk);
        unlink(path.c_str());
        EXPECT_EQ(exitCode, 1);
        EXPECT_NE(Errors().find("Cannot encode data! Check free space."), std::string::npos)
            << Errors();
        ASSERT_TRUE(decodedOk);
        ASSERT_GT(info.format.nAvgBytesPerSec, 0u);
        // 24 KB hold several seconds at these rates; all of it plays.
        EXPECT_GT(double(decoded.size()) / info.format.nAvgBytesPerSec, 2.0);
        EXPECT_EQ(left.size(), 1u) << "no hidden or side file left";
    }
    system(("umount -l '" + disk + "'").c_str());
}

TEST_F(ToolEndToEndTest, SigtermFinishesTheFile) {
    WriteBytes(input_, SinePcm16(16000, 16000 * 30, 440));
    for (const char* extension : {"wav", "mp3", "zaf"}) {
        SCOPED_TRACE(extension);
        std::string path = folder_ + "/term." + extension;
        ASSERT_NO_FATAL_FAILURE(RecordUntilSignal(path, "recording 0:02", SIGTERM, 0));
        std::vector<uint8_t> decoded;
        MediaInfo info{};
        ASSERT_TRUE(DecodeFile(host_, path, &decoded, &info));
        double seconds = double(decoded.size()) / info.format.nAvgBytesPerSec;
        EXPECT_GE(seconds, 2.0) << "everything recorded is in the file";
        EXPECT_NEAR(info.durationMs / 1000.0, seconds, 0.1) << "and its length is known";
    }
    ExpectNoHiddenFiles();
}

// Killed, a recording keeps all but its last second, once recovered.
TEST_F(ToolEndToEndTest, RecordingsKilledKeepAllButTheirLastSecond) {
    std::vector<uint8_t> input = SinePcm16(16000, 16000 * 30, 440);
    WriteBytes(input_, input);
    for (const char* extension : {"wav", "mp3", "zaf"}) {
        SCOPED_TRACE(extension);
        std::string path = folder_ + "/killed." + extension;
        ASSERT_NO_FATAL_FAILURE(RecordUntilSignal(path, "recording 0:04", SIGKILL, 128 + SIGKILL));
        EXPECT_FALSE(FileExists(path)) << "killed before it got its name";
        ASSERT_EQ(Run({"recover", folder_}), 0) << Errors();
        std::vector<uint8_t> decoded;
        MediaInfo info{};
        ASSERT_TRUE(DecodeFile(host_, path, &decoded, &info));
        ASSERT_GT(info.format.nAvgBytesPerSec, 0u);
        double seconds = double(decoded.size()) / info.format.nAvgBytesPerSec;
        EXPECT_GE(seconds, 3.0);
        if (std::string(extension) == "wav") {
            ASSERT_LE(decoded.size(), input.size());
            EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), input.begin()));
        } else {
            EXPECT_NEAR(info.durationMs / 1000.0, seconds, 0.5) << "the length it reports";
            EXPECT_NEAR(Rms16(decoded) / Rms16(SinePcm16(16000, 16000, 440)), 1.0, 0.25);
        }
    }
    ExpectNoHiddenFiles();
}

} // namespace
} // namespace tonilo::test
