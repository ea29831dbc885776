// tonilo-tool play with a web address: a recording served by a local HTTP
// server plays to SDL's disk driver as a local file would.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/EngineTestSupport.h"
#include "tests/support/SimulatedDeviceTest.h"
#include "tests/support/TestHttpServer.h"

namespace tonilo::test {
namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

std::string ReadText(const std::string& path) {
    std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// Runs tonilo-tool play on address; its exit code, or -1.
int PlayAddress(const std::string& folder, const std::string& address) {
    pid_t child = fork();
    if (child == 0) {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", (folder + "/output.raw").c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "5", 1);
        setenv("TONILO_REGISTRY", (folder + "/registry.db").c_str(), 1);
        int errors = open((folder + "/stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(errors, 2);
        std::string tool = std::string(TONILO_PROGRAM_DIR) + "/tonilo-tool";
        execl(tool.c_str(), tool.c_str(), "play", address.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TEST(PlayUrlTest, AServedWavPlaysWholeAndAMissingOneFails) {
    std::string folder = ScratchFolder("play-url");
    std::vector<uint8_t> pcm = CountingPcm16(16000 * 2);
    std::string wav = folder + "/served.wav";
    ASSERT_TRUE(WriteWav16(wav, pcm, 16000, 1));
    tonilo::testing::TestHttpServer server({});
    ASSERT_TRUE(server.IsRunning());
    // Sent without a length, as a dynamic page or a radio stream is.
    server.ServeFilesFrom(folder);

    ASSERT_EQ(PlayAddress(folder, server.Url("/served.wav")), 0) << ReadText(folder + "/stderr.txt");
    std::vector<uint8_t> rendered = ReadBytes(folder + "/output.raw");
    // The device plays silence until the first buffer arrives.
    auto start = std::search(rendered.begin(), rendered.end(), pcm.begin(), pcm.begin() + 64);
    ASSERT_NE(start, rendered.end()) << "the served audio reached the device";
    ASSERT_GE(rendered.end() - start, static_cast<std::ptrdiff_t>(pcm.size()));
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), start)) << "sample by sample";

    EXPECT_EQ(PlayAddress(folder, server.Url("/missing.wav")), 1);
    EXPECT_NE(ReadText(folder + "/stderr.txt").find("play:"), std::string::npos)
        << ReadText(folder + "/stderr.txt");
}

} // namespace
} // namespace tonilo::test
