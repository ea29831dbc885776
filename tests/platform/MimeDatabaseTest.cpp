// The desktop's MIME database read and the user's mimeapps.list changed, in a
// scratch set of XDG folders.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/MimeDatabase.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

namespace fs = std::filesystem;

class MimeDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        folders_.configHome = scratch_.Folder("config");
        folders_.configDirs = {scratch_.Folder("etc")};
        folders_.dataHome = scratch_.Folder("home-data");
        folders_.dataDirs = {scratch_.Folder("sys")};
        scratch_.Folder("sys/mime");
        scratch_.Folder("sys/applications");
        scratch_.Write("sys/mime/globs2", "# generated\n"
                                          "60:text/x-tonilo-test:*.wav.txt\n"
                                          "50:audio/x-wav:*.wav\n"
                                          "50:audio/ogg:*.opus\n"
                                          "50:audio/x-opus+ogg:*.opus\n"
                                          "40:audio/x-low:*.mp3\n"
                                          "55:audio/mpeg:*.mp3\n"
                                          "50:audio/x-exact:*.AIFF:cs\n"
                                          "broken line\n");
        scratch_.Write("sys/mime/subclasses", "audio/x-opus+ogg audio/ogg\n");
        scratch_.Write("sys/mime/aliases", "audio/wav audio/x-wav\naudio/vnd.wave audio/x-wav\n");
        for (const char* id : {"vlc.desktop", "mpv.desktop"})
            scratch_.Write(std::string("sys/applications/") + id, "[Desktop Entry]\n");
    }

    std::string UserList() const { return test::ReadWholeFile(folders_.UserMimeAppsList()); }

    test::ScratchFolder scratch_;
    XdgFolders folders_;
};

TEST_F(MimeDatabaseTest, ExtensionsFindTheirMostSpecificHeaviestType) {
    struct Case {
        const char* extension;
        const char* type;
    } cases[] = {
        {"wav", "audio/x-wav"},
        {"WAV", "audio/x-wav"},           // globs without :cs ignore case
        {"opus", "audio/x-opus+ogg"},     // equal weights: the subclass wins
        {"mp3", "audio/mpeg"},            // the heavier weight, wherever it stands
        {"AIFF", "audio/x-exact"},        // a case-sensitive glob
        {"aiff", ""},
        {"zaf", ""},
        {"", ""},
    };
    for (const Case& each : cases)
        EXPECT_EQ(MimeTypeForExtension(folders_, each.extension), each.type) << each.extension;
    // The user's own database is read too.
    scratch_.Folder("home-data/mime");
    scratch_.Write("home-data/mime/globs2", "50:audio/x-zaf:*.zaf\n");
    EXPECT_EQ(MimeTypeForExtension(folders_, "zaf"), "audio/x-zaf");
    EXPECT_EQ(UnaliasMimeType(folders_, "audio/wav"), "audio/x-wav");
    EXPECT_EQ(UnaliasMimeType(folders_, "audio/x-wav"), "audio/x-wav");
}

TEST_F(MimeDatabaseTest, TheSystemDatabaseKnowsCommonAudioTypes) {
    XdgFolders system = folders_;
    system.dataDirs = {"/usr/share"};
    for (const char* extension : {"wav", "mp3", "opus"})
        EXPECT_EQ(MimeTypeForExtension(system, extension).rfind("audio/", 0), 0u) << extension;
}

TEST_F(MimeDatabaseTest, TheDefaultFollowsTheChainAndSkipsWhatIsNotInstalled) {
    const std::string type = "audio/x-wav";
    EXPECT_EQ(DefaultApplication(folders_, type), "");
    scratch_.Write("sys/applications/mimeapps.list",
                   "[Default Applications]\naudio/x-wav=vlc.desktop\n");
    EXPECT_EQ(DefaultApplication(folders_, type), "vlc.desktop");
    // A system configuration folder comes before the data folders.
    scratch_.Write("etc/mimeapps.list", "[Default Applications]\naudio/wav=mpv.desktop;\n");
    EXPECT_EQ(DefaultApplication(folders_, type), "mpv.desktop"); // through the alias
    // The user's line wins; an application that is not installed is passed over.
    scratch_.Write("config/mimeapps.list",
                   "[Added Associations]\naudio/x-wav=gone.desktop\n"
                   "[Default Applications]\naudio/x-wav = gone.desktop;vlc.desktop;\n");
    EXPECT_EQ(DefaultApplication(folders_, type), "vlc.desktop");
    EXPECT_EQ(UserDefaultApplication(folders_, type), "gone.desktop");
    // The current desktop's own list comes before the plain one.
    folders_.desktops = {"xfce"};
    scratch_.Write("config/xfce-mimeapps.list", "[Default Applications]\naudio/x-wav=mpv.desktop\n");
    EXPECT_EQ(DefaultApplication(folders_, type), "mpv.desktop");
    EXPECT_EQ(DefaultApplication(folders_, ""), "");
}

TEST_F(MimeDatabaseTest, DesktopFileIdsMayNameSubFolders) {
    scratch_.Folder("home-data/applications/kde4");
    scratch_.Write("home-data/applications/kde4/player-x.desktop", "[Desktop Entry]\n");
    EXPECT_EQ(FindDesktopFile(folders_, "kde4-player-x.desktop"),
              folders_.dataHome + "/applications/kde4/player-x.desktop");
    EXPECT_EQ(FindDesktopFile(folders_, "vlc.desktop"), folders_.dataDirs[0] +
                                                            "/applications/vlc.desktop");
    for (const char* missing : {"kde4-player.desktop", "", "kde4/player-x.desktop"})
        EXPECT_EQ(FindDesktopFile(folders_, missing), "") << missing;
}

TEST_F(MimeDatabaseTest, EditingTheUserListKeepsEverythingElse) {
    const std::string before = "# mine\n[Added Associations]\naudio/x-wav=vlc.desktop;\n\n"
                               "[Default Applications]\ntext/plain=vim.desktop\n"
                               "audio/x-wav=vlc.desktop;mpv.desktop;\n\n"
                               "[Removed Associations]\naudio/mpeg=vlc.desktop\n";
    scratch_.Write("config/mimeapps.list", before);
    // Taking out one entry keeps the others on the line.
    ASSERT_TRUE(RemoveUserDefaultApplication(folders_, "audio/x-wav", "vlc.desktop"));
    EXPECT_EQ(UserDefaultApplication(folders_, "audio/x-wav"), "mpv.desktop");
    ASSERT_TRUE(SetUserDefaultApplication(folders_, "audio/x-wav", "tonilo.desktop"));
    EXPECT_EQ(UserList(), "# mine\n[Added Associations]\naudio/x-wav=vlc.desktop;\n\n"
                          "[Default Applications]\ntext/plain=vim.desktop\n"
                          "audio/x-wav=tonilo.desktop;\n\n"
                          "[Removed Associations]\naudio/mpeg=vlc.desktop\n");
    // A new type joins the group, not the end of the file.
    ASSERT_TRUE(SetUserDefaultApplication(folders_, "audio/mpeg", "tonilo.desktop"));
    EXPECT_NE(UserList().find("audio/x-wav=tonilo.desktop;\naudio/mpeg=tonilo.desktop;\n\n["),
              std::string::npos)
        << UserList();
    ASSERT_TRUE(RemoveUserDefaultApplication(folders_, "audio/mpeg", "tonilo.desktop"));
    ASSERT_TRUE(RemoveUserDefaultApplication(folders_, "audio/x-wav", "tonilo.desktop"));
    ASSERT_TRUE(RemoveUserDefaultApplication(folders_, "audio/x-wav", "tonilo.desktop"));
    EXPECT_EQ(UserList(), "# mine\n[Added Associations]\naudio/x-wav=vlc.desktop;\n\n"
                          "[Default Applications]\ntext/plain=vim.desktop\n\n"
                          "[Removed Associations]\naudio/mpeg=vlc.desktop\n");
    EXPECT_EQ(test::FolderEntries(folders_.configHome), std::vector<std::string>{"mimeapps.list"});
}

TEST_F(MimeDatabaseTest, AMissingListIsCreatedAndAnUnwritableOneRefused) {
    folders_.configHome = scratch_.Path("new/config");
    ASSERT_TRUE(SetUserDefaultApplication(folders_, "audio/x-wav", "tonilo.desktop"));
    EXPECT_EQ(UserList(), "[Default Applications]\naudio/x-wav=tonilo.desktop;\n");
    EXPECT_FALSE(SetUserDefaultApplication(folders_, "", "tonilo.desktop"));
    // A configuration "folder" that is a file cannot hold the list.
    folders_.configHome = scratch_.Write("plain-file", "x");
    EXPECT_FALSE(SetUserDefaultApplication(folders_, "audio/x-wav", "tonilo.desktop"));
    EXPECT_EQ(test::ReadWholeFile(scratch_.Path("plain-file")), "x");
}

} // namespace
} // namespace tonilo
