// tonilo-tool reg and formats, run as a user or a script would run them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/ScratchFolder.h"
#include "tests/support/ToolRunner.h"

namespace tonilo {
namespace {

using test::Quoted;
using test::ToolRun;

class RegistryToolTest : public ::testing::Test {
protected:
    ToolRun Run(const std::string& arguments) { return test::RunToolIn(folder_.Path(), arguments); }

    test::ScratchFolder folder_;
};

const std::string kKey = Quoted("HKLM\\Software\\Zelto\\Tonilo");

TEST_F(RegistryToolTest, ValuesOfEachTypeRoundTrip) {
    EXPECT_EQ(Run("reg set " + kKey + " RecDir --sz " + Quoted("/home/ann/My Recordings")).exitCode, 0);
    EXPECT_EQ(Run("reg set " + kKey + " Beep --dword 0x10").exitCode, 0);
    EXPECT_EQ(Run("reg set " + kKey + " Big --dword 4294967295").exitCode, 0);
    EXPECT_EQ(Run("reg set " + kKey + " Raw --binary 00FF10a0").exitCode, 0);
    EXPECT_EQ(Run("reg get " + kKey + " RecDir").output, "/home/ann/My Recordings\n");
    EXPECT_EQ(Run("reg get " + kKey + " beep").output, "16\n"); // names ignore case
    EXPECT_EQ(Run("reg get " + kKey + " Big").output, "4294967295\n");
    EXPECT_EQ(Run("reg get " + kKey + " Raw").output, "00ff10a0\n");
    EXPECT_TRUE(std::filesystem::exists(folder_ / "registry.db")); // TONILO_REGISTRY honoured
}

TEST_F(RegistryToolTest, ListShowsSubKeysThenValues) {
    Run("reg set " + Quoted("HKLM\\Software\\Zelto\\Tonilo\\Eq") + " Preset --dword 3");
    Run("reg set " + kKey + " Name --sz Tonilo");
    Run("reg set " + kKey + " Level --dword 7");
    ToolRun list = Run("reg list " + kKey);
    ASSERT_EQ(list.exitCode, 0) << list.errors;
    EXPECT_EQ(list.output, "Eq\\\nName REG_SZ Tonilo\nLevel REG_DWORD 7\n");
    // Keys of other roots are other trees.
    EXPECT_EQ(Run("reg list " + Quoted("HKCU\\Software\\Zelto\\Tonilo")).exitCode, 1);
}

TEST_F(RegistryToolTest, MissingThingsExitOneWithAMessage) {
    ToolRun run = Run("reg get " + kKey + " Nothing");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.output.empty());
    EXPECT_NE(run.errors.find("no such key"), std::string::npos) << run.errors;
    Run("reg set " + kKey + " Here --dword 1");
    run = Run("reg get " + kKey + " Nothing");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("Nothing"), std::string::npos) << run.errors;
    EXPECT_EQ(Run("reg delete " + kKey + " Nothing").exitCode, 1);
}

TEST_F(RegistryToolTest, DeleteTakesValuesAndWholeKeys) {
    Run("reg set " + Quoted("HKCU\\A\\B\\C") + " V --sz x");
    Run("reg set " + Quoted("HKCU\\A") + " W --sz y");
    EXPECT_EQ(Run("reg delete " + Quoted("HKCU\\A") + " W").exitCode, 0);
    EXPECT_EQ(Run("reg get " + Quoted("HKCU\\A") + " W").exitCode, 1);
    EXPECT_EQ(Run("reg delete " + Quoted("HKCU\\A\\B")).exitCode, 0);
    EXPECT_EQ(Run("reg get " + Quoted("HKCU\\A\\B\\C") + " V").exitCode, 1);
    EXPECT_EQ(Run("reg list " + Quoted("HKCU\\A")).output, "");
}

TEST_F(RegistryToolTest, WrongInvocationsPrintUsageAndExitTwo) {
    for (const std::string& wrong :
         {std::string(""), std::string("reg"), std::string("reg get"),
          "reg get " + Quoted("HKXX\\Software"), "reg get " + Quoted("Software\\Zelto"),
          "reg set " + kKey + " V --dword abc", "reg set " + kKey + " V --dword -1",
          "reg set " + kKey + " V --dword 4294967296", "reg set " + kKey + " V --binary abc",
          "reg set " + kKey + " V --binary zz", "reg set " + kKey + " V --sz",
          "reg set " + kKey + " V --text x", "reg move " + kKey, std::string("--data"),
          std::string("no-such-command")}) {
        ToolRun run = Run(wrong);
        EXPECT_EQ(run.exitCode, 2) << wrong;
        EXPECT_NE(run.errors.find("usage:"), std::string::npos) << wrong;
    }
}

TEST_F(RegistryToolTest, DamagedDatabaseIsSetAsideAndWorkGoesOn) {
    {
        std::ofstream garbage(folder_ / "registry.db", std::ios::binary);
        garbage << std::string(8192, '\x7f');
    }
    ToolRun run = Run("reg set " + kKey + " After --dword 5");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.errors.find("was damaged"), std::string::npos) << run.errors;
    EXPECT_TRUE(std::filesystem::exists(folder_ / "registry.db.corrupt"));
    EXPECT_EQ(Run("reg get " + kKey + " After").output, "5\n");
}

TEST_F(RegistryToolTest, FormatsListsShippedCodecsUnloadedAndFiltersBuiltIn) {
    ToolRun run = Run("formats");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_NE(run.output.find("Eq Audio Filter\tfilter\t-\tbuilt-in\tloaded\n"), std::string::npos)
        << run.output;
    if (std::filesystem::exists(TONILO_PROGRAM_DIR "/Codecs/wav.so")) {
        EXPECT_NE(run.output.find("WAV decoder\tdecoder\twav;wave\twav.so\tnot loaded\n"),
                  std::string::npos)
            << run.output;
        // The install step described them in the registry.
        EXPECT_EQ(Run("reg get " + Quoted("HKLM\\Software\\Zelto\\Formats\\WAV encoder") + " Dll")
                      .output,
                  "wav.so\n");
    }
    EXPECT_EQ(Run("formats extra").exitCode, 2);
}

} // namespace
} // namespace tonilo
