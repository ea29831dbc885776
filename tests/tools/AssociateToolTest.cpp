// tonilo-tool associate run as a program: the types listed, taken and given
// back, in a scratch registry and scratch XDG folders (the system's own
// configuration and applications are kept out of reach).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/ScratchFolder.h"
#include "tests/support/ToolRunner.h"

namespace tonilo::test {
namespace {

namespace fs = std::filesystem;

class AssociateToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(scratch_ / "home");
        // The globs as Debian's shared-mime-info has them for these extensions.
        scratch_.Folder("sys/mime");
        scratch_.Folder("sys/applications");
        scratch_.Write("sys/mime/globs2", "50:audio/ogg:*.opus\n50:audio/x-opus+ogg:*.opus\n"
                                          "50:audio/mpeg:*.mp3\n50:audio/x-wav:*.wav\n");
        scratch_.Write("sys/mime/subclasses", "audio/x-opus+ogg audio/ogg\n");
        scratch_.Write("sys/applications/vlc.desktop", "[Desktop Entry]\nExec=vlc %U\n");
        scratch_.Write("sys/applications/mimeapps.list",
                       "[Default Applications]\naudio/mpeg=vlc.desktop\n");
    }

    ToolRun Run(const std::string& arguments,
                const std::string& tool = TONILO_PROGRAM_DIR "/tonilo-tool") {
        // The system's own configuration and applications stay out of reach.
        return RunToolIn(scratch_.Path(), arguments, tool,
                         "XDG_DATA_DIRS=" + Quoted(scratch_ / "sys") + " XDG_CONFIG_DIRS=" +
                             Quoted(scratch_ / "etc") + " XDG_CURRENT_DESKTOP=");
    }

    std::string List(const std::string& tool = TONILO_PROGRAM_DIR "/tonilo-tool") {
        ToolRun run = Run("associate list", tool);
        EXPECT_EQ(run.exitCode, 0) << run.errors;
        return run.output;
    }

    std::string UserList() { return ReadWholeFile(scratch_.Path("config/mimeapps.list")); }

    ScratchFolder scratch_;
};

TEST_F(AssociateToolTest, TypesAreTakenAndGivenBack) {
    const std::string untouched = "mp3\taudio/mpeg\tother\nwav\taudio/x-wav\tnone\n"
                                  "wave\taudio/x-wave\tnone\nzaf\taudio/x-zaf\tnone\n"
                                  "opus\taudio/x-opus+ogg\tnone\n";
    EXPECT_EQ(List(), untouched);
    ToolRun set = Run("associate set wav .ZAF mp3");
    EXPECT_EQ(set.exitCode, 0) << set.errors;
    EXPECT_EQ(set.output, "");
    EXPECT_EQ(List(), "mp3\taudio/mpeg\tours\nwav\taudio/x-wav\tours\n"
                      "wave\taudio/x-wave\tnone\nzaf\taudio/x-zaf\tours\n"
                      "opus\taudio/x-opus+ogg\tnone\n");
    EXPECT_EQ(UserList(), "[Default Applications]\naudio/x-wav=tonilo.desktop;\n"
                          "audio/x-zaf=tonilo.desktop;\naudio/mpeg=tonilo.desktop;\n");
    EXPECT_EQ(Run("reg get 'HKCR\\.mp3' ZeltoPVBackup").output, "vlc.desktop\n");
    EXPECT_EQ(Run("reg list 'HKCR\\Zelto_wavfile\\Shell\\Open\\Command'").output,
              "(default) REG_SZ " TONILO_PROGRAM_DIR "/tonilo %1\n");
    EXPECT_EQ(Run("associate set mp3").exitCode, 0); // already ours: nothing changes

    EXPECT_EQ(Run("associate restore wav").exitCode, 0);
    EXPECT_EQ(Run("reg list 'HKCR\\.wav'").exitCode, 1); // it had no owner: gone
    ToolRun restore = Run("associate restore");
    EXPECT_EQ(restore.exitCode, 0) << restore.errors;
    EXPECT_EQ(restore.output, "");
    EXPECT_EQ(List(), untouched);
    EXPECT_EQ(UserList(), "[Default Applications]\naudio/mpeg=vlc.desktop;\n");
}

TEST_F(AssociateToolTest, WrongInvocationsAndUnknownTypes) {
    for (const char* wrong :
         {"associate", "associate frob", "associate set", "associate list x", "associate --all"}) {
        ToolRun run = Run(wrong);
        EXPECT_EQ(run.exitCode, 2) << wrong;
        EXPECT_NE(run.errors.find("usage: tonilo-tool associate list | set EXT..."),
                  std::string::npos)
            << wrong << ": " << run.errors;
    }
    // An extension no decoder reads is refused before anything is changed.
    for (const char* unknown :
         {"associate set wav flac", "associate restore aac", "associate set ''"}) {
        ToolRun run = Run(unknown);
        EXPECT_EQ(run.exitCode, 2) << unknown;
        EXPECT_NE(run.errors.find("no decoder reads"), std::string::npos) << run.errors;
    }
    EXPECT_FALSE(fs::exists(scratch_.Path("config/mimeapps.list")));
    ToolRun usage = Run("");
    EXPECT_NE(usage.errors.find("  associate list|set EXT...|restore [EXT...]"), std::string::npos)
        << usage.errors;
}

// A program folder without its program: nothing can be associated with it.
TEST_F(AssociateToolTest, AMissingProgramFails) {
    const std::string folder = scratch_.Folder("Copy");
    fs::copy_file(TONILO_PROGRAM_DIR "/tonilo-tool", folder + "/tonilo-tool");
    fs::create_directory_symlink(TONILO_PROGRAM_DIR "/Codecs", folder + "/Codecs");
    ToolRun run = Run("associate set wav", folder + "/tonilo-tool");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("wav could not be associated with " + folder + "/tonilo"),
              std::string::npos)
        << run.errors;
    EXPECT_FALSE(fs::exists(scratch_.Path("config/mimeapps.list")));
}

} // namespace
} // namespace tonilo::test
