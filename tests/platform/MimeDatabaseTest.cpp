// The desktop's MIME database read and the user's mimeapps.list changed, in a
// scratch set of XDG folders.
#include <gtest/gtest.h>

#include "platform/MimeDatabase.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

class MimeDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        folders_.configHome = scratch_.Folder("config");
        folders_.configDirs = {scratch_.Folder("etc")};
        folders_.dataHome = scratch_.Folder("home-data");
        folders_.dataDirs = {scratch_.Folder("sys")};
        scratch_.Folder("sys/mime");
        scratch_.Folder("sys/applications/kde4");
        scratch_.Write("sys/mime/globs2", "60:text/x-test:*.wav.txt\n50:audio/x-wav:*.wav\n"
                                          "50:audio/ogg:*.opus\n50:audio/x-opus+ogg:*.opus\n"
                                          "40:audio/x-low:*.mp3\n55:audio/mpeg:*.mp3\n"
                                          "50:audio/x-exact:*.AIFF:cs\nbroken line\n");
        scratch_.Write("sys/mime/subclasses", "audio/x-opus+ogg audio/ogg\n");
        scratch_.Write("sys/mime/aliases", "audio/wav audio/x-wav\n");
        for (const char* id : {"vlc.desktop", "mpv.desktop", "kde4/player-x.desktop"})
            scratch_.Write(std::string("sys/applications/") + id, "[Desktop Entry]\n");
    }

    std::string UserList() const { return test::ReadWholeFile(folders_.UserMimeAppsList()); }

    test::ScratchFolder scratch_;
    XdgFolders folders_;
};

TEST_F(MimeDatabaseTest, ExtensionsFindTheirMostSpecificHeaviestType) {
    const std::pair<const char*, const char*> cases[] = {
        {"wav", "audio/x-wav"},       {"WAV", "audio/x-wav"}, // globs without :cs ignore case
        {"opus", "audio/x-opus+ogg"},                         // equal weights: the subclass wins
        {"mp3", "audio/mpeg"},                                // the heavier, wherever it stands
        {"AIFF", "audio/x-exact"},    {"aiff", ""},           {"zaf", ""}, {"", ""},
    };
    for (const auto& [extension, type] : cases)
        EXPECT_EQ(MimeTypeForExtension(folders_, extension), type) << extension;
    scratch_.Folder("home-data/mime");
    scratch_.Write("home-data/mime/globs2", "50:audio/x-zaf:*.zaf\n");
    EXPECT_EQ(MimeTypeForExtension(folders_, "zaf"), "audio/x-zaf");
    // The real database parses as well.
    folders_.dataDirs = {"/usr/share"};
    for (const char* extension : {"wav", "mp3", "opus"})
        EXPECT_EQ(MimeTypeForExtension(folders_, extension).rfind("audio/", 0), 0u) << extension;
}

TEST_F(MimeDatabaseTest, TheDefaultFollowsTheChainAndSkipsWhatIsNotInstalled) {
    const std::string type = "audio/x-wav";
    EXPECT_EQ(DefaultApplication(folders_, type), "");
    scratch_.Write("sys/applications/mimeapps.list",
                   "[Default Applications]\naudio/x-wav=kde4-player-x.desktop\n");
    EXPECT_EQ(DefaultApplication(folders_, type), "kde4-player-x.desktop"); // in kde4/
    // A system configuration folder comes before the data folders; aliases count.
    scratch_.Write("etc/mimeapps.list", "[Default Applications]\naudio/wav=mpv.desktop;\n");
    EXPECT_EQ(DefaultApplication(folders_, type), "mpv.desktop");
    // The user's line wins; an application that is not installed is passed over.
    scratch_.Write("config/mimeapps.list",
                   "[Added Associations]\naudio/x-wav=gone.desktop\n"
                   "[Default Applications]\naudio/x-wav = gone.desktop;vlc.desktop;\n");
    EXPECT_EQ(DefaultApplication(folders_, type), "vlc.desktop");
    EXPECT_EQ(UserDefaultApplication(folders_, type), "gone.desktop");
    // The current desktop's own list comes before the plain one.
    folders_.desktops = {"xfce"};
    scratch_.Write("config/xfce-mimeapps.list",
                   "[Default Applications]\naudio/x-wav=mpv.desktop\n");
    EXPECT_EQ(DefaultApplication(folders_, type), "mpv.desktop");
}

TEST_F(MimeDatabaseTest, EditingTheUserListKeepsEverythingElse) {
    const std::string head = "# mine\n[Added Associations]\naudio/x-wav=vlc.desktop;\n\n"
                             "[Default Applications]\ntext/plain=vim.desktop\n";
    const std::string tail = "\n[Removed Associations]\naudio/mpeg=vlc.desktop\n";
    scratch_.Write("config/mimeapps.list", head + "audio/x-wav=vlc.desktop;mpv.desktop;\n" + tail);
    ASSERT_TRUE(RemoveUserDefaultApplication(folders_, "audio/x-wav", "vlc.desktop"));
    EXPECT_EQ(UserDefaultApplication(folders_, "audio/x-wav"), "mpv.desktop");
    ASSERT_TRUE(SetUserDefaultApplication(folders_, "audio/x-wav", "tonilo.desktop"));
    ASSERT_TRUE(SetUserDefaultApplication(folders_, "audio/mpeg", "tonilo.desktop"));
    EXPECT_EQ(UserList(),
              head + "audio/x-wav=tonilo.desktop;\naudio/mpeg=tonilo.desktop;\n" + tail);
    for (const char* type : {"audio/mpeg", "audio/x-wav", "audio/x-wav"})
        ASSERT_TRUE(RemoveUserDefaultApplication(folders_, type, "tonilo.desktop"));
    EXPECT_EQ(UserList(), head + tail);
    EXPECT_EQ(test::FolderEntries(folders_.configHome), std::vector<std::string>{"mimeapps.list"});

    folders_.configHome = scratch_.Path("new/config"); // made when missing
    ASSERT_TRUE(SetUserDefaultApplication(folders_, "audio/x-wav", "tonilo.desktop"));
    EXPECT_EQ(UserList(), "[Default Applications]\naudio/x-wav=tonilo.desktop;\n");
    folders_.configHome = scratch_.Write("plain-file", "x"); // cannot hold a list
    EXPECT_FALSE(SetUserDefaultApplication(folders_, "audio/x-wav", "tonilo.desktop"));
    EXPECT_EQ(test::ReadWholeFile(scratch_.Path("plain-file")), "x");
}

} // namespace
} // namespace tonilo
