// tonilo-tool associate run as a program: the types listed, taken and given
// back, in a scratch registry and scratch XDG folders (the system's own
// configuration and applications are kept out of reach).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "tests/support/ScratchFolder.h"
#include "tests/support/ToolRunner.h"

namespace tonilo::test {
namespace {

namespace fs = std::filesystem;

const char* kOwnedVariables[] = {"XDG_DATA_DIRS", "XDG_CONFIG_DIRS", "XDG_CURRENT_DESKTOP"};

class AssociateToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(scratch_ / "home");
        for (const char* name : kOwnedVariables) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        // The globs as Debian's shared-mime-info has them for these extensions.
        scratch_.Folder("sys/mime");
        scratch_.Folder("sys/applications");
        scratch_.Folder("etc");
        scratch_.Write("sys/mime/globs2", "50:audio/ogg:*.opus\n50:audio/x-opus+ogg:*.opus\n"
                                          "50:audio/mpeg:*.mp3\n50:audio/x-wav:*.wav\n");
        scratch_.Write("sys/mime/subclasses", "audio/x-opus+ogg audio/ogg\n");
        scratch_.Write("sys/applications/vlc.desktop", "[Desktop Entry]\nExec=vlc %U\n");
        scratch_.Write("sys/applications/mimeapps.list",
                       "[Default Applications]\naudio/mpeg=vlc.desktop\n");
        ::setenv("XDG_DATA_DIRS", scratch_.Path("sys").c_str(), 1);
        ::setenv("XDG_CONFIG_DIRS", scratch_.Path("etc").c_str(), 1);
        ::unsetenv("XDG_CURRENT_DESKTOP");
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }

    ToolRun Run(const std::string& arguments, const std::string& tool = TONILO_PROGRAM_DIR
                                                                        "/tonilo-tool") {
        return RunToolIn(scratch_.Path(), arguments, tool);
    }

    std::string List(const std::string& tool = TONILO_PROGRAM_DIR "/tonilo-tool") {
        ToolRun run = Run("associate list", tool);
        EXPECT_EQ(run.exitCode, 0) << run.errors;
        return run.output;
    }

    std::string UserList() { return ReadWholeFile(scratch_.Path("config/mimeapps.list")); }

    ScratchFolder scratch_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(AssociateToolTest, TypesAreTakenAndGivenBack) {
    EXPECT_EQ(List(), "mp3\taudio/mpeg\tother\nwav\taudio/x-wav\tnone\n"
                      "wave\taudio/x-wave\tnone\nzaf\taudio/x-zaf\tnone\n"
                      "opus\taudio/x-opus+ogg\tnone\n");
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
    // Again: nothing changes, the saved owner stays.
    EXPECT_EQ(Run("associate set mp3").exitCode, 0);
    EXPECT_EQ(Run("reg get 'HKCR\\.mp3' ZeltoPVBackup").output, "vlc.desktop\n");

    EXPECT_EQ(Run("associate restore wav").exitCode, 0);
    EXPECT_EQ(Run("reg list 'HKCR\\.wav'").exitCode, 1); // it had no owner: gone
    ToolRun restore = Run("associate restore");
    EXPECT_EQ(restore.exitCode, 0) << restore.errors;
    EXPECT_EQ(restore.output, "");
    EXPECT_EQ(List(), "mp3\taudio/mpeg\tother\nwav\taudio/x-wav\tnone\n"
                      "wave\taudio/x-wave\tnone\nzaf\taudio/x-zaf\tnone\n"
                      "opus\taudio/x-opus+ogg\tnone\n");
    EXPECT_EQ(UserList(), "[Default Applications]\naudio/mpeg=vlc.desktop;\n");
    EXPECT_EQ(Run("reg get 'HKCR\\.mp3'").output, "vlc.desktop\n");
}

TEST_F(AssociateToolTest, WrongInvocationsAndUnknownTypes) {
    for (const char* wrong : {"associate", "associate frob", "associate set", "associate list x",
                              "associate --all"}) {
        ToolRun run = Run(wrong);
        EXPECT_EQ(run.exitCode, 2) << wrong;
        EXPECT_NE(run.errors.find("usage: tonilo-tool associate list | set EXT..."),
                  std::string::npos)
            << wrong << ": " << run.errors;
    }
    // An extension no decoder reads is refused before anything is changed.
    for (const char* unknown : {"associate set wav flac", "associate restore aac",
                                "associate set ''"}) {
        ToolRun run = Run(unknown);
        EXPECT_EQ(run.exitCode, 2) << unknown;
        EXPECT_NE(run.errors.find("no decoder reads"), std::string::npos) << run.errors;
    }
    EXPECT_FALSE(fs::exists(scratch_.Path("config/mimeapps.list")));
    ToolRun usage = Run("");
    EXPECT_NE(usage.errors.find("  associate list|set EXT...|restore [EXT...]"), std::string::npos)
        << usage.errors;
}

// A program folder whose path holds a blank: the open command and the desktop
// entry quote it; a program folder without its program cannot be associated.
TEST_F(AssociateToolTest, AProgramFolderWithABlank) {
    const std::string folder = scratch_.Folder("My Tonilo");
    fs::copy_file(TONILO_PROGRAM_DIR "/tonilo-tool", folder + "/tonilo-tool");
    fs::create_directory_symlink(TONILO_PROGRAM_DIR "/Codecs", folder + "/Codecs");
    const std::string tool = folder + "/tonilo-tool";
    ToolRun missing = Run("associate set wav", tool);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.errors.find("wav could not be associated with " + folder + "/tonilo"),
              std::string::npos)
        << missing.errors;
    EXPECT_NE(List(tool).find("wav\taudio/x-wav\tnone\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(scratch_.Path("config/mimeapps.list")));

    const std::string program = scratch_.Write("My Tonilo/tonilo", "#!/bin/sh\n");
    ::chmod(program.c_str(), 0755);
    ASSERT_EQ(Run("associate set wav", tool).exitCode, 0);
    EXPECT_EQ(Run("reg get 'HKCR\\Zelto_wavfile\\Shell\\Open\\Command'").output,
              "\"" + program + "\" %1\n");
    EXPECT_NE(ReadWholeFile(scratch_.Path("share/applications/tonilo.desktop"))
                  .find("Exec=\"" + program + "\" %f\n"),
              std::string::npos);
    EXPECT_NE(List(tool).find("wav\taudio/x-wav\tours\n"), std::string::npos);
}

} // namespace
} // namespace tonilo::test
