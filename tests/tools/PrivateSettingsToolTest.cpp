// The settings database as tonilo-tool and the program meet it: private when
// they create it, refused when someone else could have written it.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/ScratchFolder.h"
#include "tests/support/ToolRunner.h"

namespace tonilo {
namespace {

using test::Quoted;
using test::ToolRun;

const std::string kKey = Quoted("HKLM\\Software\\Zelto\\Tonilo");

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

class PrivateSettingsToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldMask_ = ::umask(0); // inherited by every program the test starts
        ASSERT_EQ(::mkdir((folder_ / "home").c_str(), 0755), 0);
    }
    void TearDown() override { ::umask(oldMask_); }

    ToolRun Run(const std::string& arguments,
                const std::string& program = TONILO_PROGRAM_DIR "/tonilo-tool") {
        return test::RunToolIn(folder_.Path(), arguments, program);
    }
    std::string Store() { return folder_ / "registry.db"; }

    test::ScratchFolder folder_;
    mode_t oldMask_ = 022;
};

// Which spoiled stores are refused is the store's own tests' business; here
// every command stops on one before it reads anything, and says how to fix it.
TEST_F(PrivateSettingsToolTest, AnUntrustedStoreStopsTheToolBeforeItReadsAnything) {
    ToolRun set = Run("reg set " + kKey + " Caller --sz Ann");
    ASSERT_EQ(set.exitCode, 0) << set.errors;
    EXPECT_EQ(ModeOf(Store()), 0600u) << "created for its owner alone";
    ASSERT_EQ(::chown(Store().c_str(), -1, 65534) | ::chmod(Store().c_str(), 0660), 0);
    for (const std::string& arguments :
         {"reg get " + kKey + " Caller", std::string("settings list"), std::string("formats")}) {
        ToolRun run = Run(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments;
        EXPECT_EQ(run.output, "") << arguments;
        EXPECT_NE(run.errors.find(Store()), std::string::npos) << run.errors;
        EXPECT_NE(run.errors.find("chmod go-w "), std::string::npos) << run.errors;
    }
    EXPECT_EQ(ModeOf(Store()), 0660u); // left as found, for the user to judge
}

TEST_F(PrivateSettingsToolTest, TheProgramStartsOnDefaultsWithoutTouchingAnUntrustedStore) {
    ASSERT_EQ(Run("reg set " + kKey + " LangID --dword 1031").exitCode, 0);
    ASSERT_EQ(::chmod(Store().c_str(), 0646), 0);
    const std::string before = test::ReadWholeFile(Store());
    ToolRun run = Run("-exit", TONILO_PROGRAM_DIR "/tonilo");
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_NE(run.errors.find("Other users can change the settings file " + Store()),
              std::string::npos)
        << run.errors;
    EXPECT_NE(run.errors.find("chmod go-w " + Store()), std::string::npos) << run.errors;
    EXPECT_EQ(test::ReadWholeFile(Store()), before);
    EXPECT_EQ(ModeOf(Store()), 0646u);
    EXPECT_FALSE(std::filesystem::exists(Store() + "-wal"));
}

TEST_F(PrivateSettingsToolTest, AFolderOthersMayWriteBelowHomeIsRefusedToo) {
    // TONILO_REGISTRY is honoured but judged like the default place.
    const std::string config = folder_ / "home/.config";
    ASSERT_EQ(::mkdir(config.c_str(), 0777), 0);
    const std::string store = config + "/registry.db";
    const std::string command =
        "env TONILO_REGISTRY=" + Quoted(store) + " HOME=" + Quoted(folder_ / "home") + " " +
        Quoted(TONILO_PROGRAM_DIR "/tonilo-tool") + " reg get " + kKey + " Caller 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string said;
    char buffer[512];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        said.append(buffer, count);
    int status = ::pclose(pipe);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(said.find("the folder " + config), std::string::npos) << said;
    EXPECT_NE(said.find("chmod go-w " + config), std::string::npos) << said;
    EXPECT_FALSE(std::filesystem::exists(store));
}

} // namespace
} // namespace tonilo
