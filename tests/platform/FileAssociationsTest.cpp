// Associating audio types and giving them back: the class registry in a scratch
// registry database and the desktop's defaults in scratch XDG folders.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/FileAssociations.h"
#include "platform/RegistryKey.h"
#include "platform/RegistryStore.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> Value(const std::string& key, const char* name = nullptr) {
    std::string text;
    if (!ReadStringAt(HKEY_CLASSES_ROOT, key.c_str(), name, &text))
        return std::nullopt;
    return text;
}

bool KeyExists(const std::string& key) {
    return RegistryStore::Instance().KeyExists(HKEY_CLASSES_ROOT, key);
}

class FileAssociationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegistryStore::UseDatabase(scratch_.Path("registry.db"));
        folders_.configHome = scratch_.Folder("config");
        folders_.dataHome = scratch_.Path("data");
        folders_.dataDirs = {scratch_.Folder("sys")};
        scratch_.Folder("sys/mime");
        scratch_.Folder("sys/applications");
        scratch_.Write("sys/mime/globs2", "50:audio/x-wav:*.wav\n50:audio/x-wav:*.wave\n"
                                          "50:audio/mpeg:*.mp3\n");
        for (const char* id : {"vlc.desktop", "mpv.desktop"})
            scratch_.Write(std::string("sys/applications/") + id, "[Desktop Entry]\n");
        executable_ = MakeProgram("bin/tonilo");
    }

    std::string MakeProgram(const std::string& name) {
        scratch_.Folder(fs::path(name).parent_path().string());
        std::string path = scratch_.Write(name, "#!/bin/sh\n");
        ::chmod(path.c_str(), 0755);
        return path;
    }

    void SystemDefault(const std::string& line) {
        scratch_.Write("sys/applications/mimeapps.list", "[Default Applications]\n" + line + "\n");
    }

    std::string UserList() const { return test::ReadWholeFile(folders_.UserMimeAppsList()); }

    test::ScratchFolder scratch_;
    XdgFolders folders_;
    std::string executable_;
};

TEST_F(FileAssociationsTest, ATypeWithoutOwnerIsCreatedAndRemovedWhole) {
    FileAssociations associations(executable_, folders_);
    ASSERT_TRUE(associations.Associate("WAV", 7, ""));
    EXPECT_EQ(Value(".wav"), "Zelto_wavfile");
    EXPECT_EQ(Value(".wav", "ZeltoPVBackup"), "");
    EXPECT_EQ(Value("Zelto_wavfile"), "WAV File");
    EXPECT_EQ(Value("Zelto_wavfile\\DefaultIcon"), executable_ + ",-7");
    EXPECT_TRUE(KeyExists("Zelto_wavfile\\Shell\\Open"));
    EXPECT_EQ(UserList(), "[Default Applications]\naudio/x-wav=tonilo.desktop;\n");
    EXPECT_EQ(associations.Owner("wav"), AssociationOwner::Ours);

    ASSERT_TRUE(associations.Restore("wav"));
    EXPECT_FALSE(KeyExists(".wav"));
    EXPECT_FALSE(KeyExists("Zelto_wavfile"));
    EXPECT_EQ(UserList(), "[Default Applications]\n");
    EXPECT_EQ(associations.Owner("wav"), AssociationOwner::None);
}

TEST_F(FileAssociationsTest, AssociatingTwiceKeepsThePreviousOwner) {
    SystemDefault("audio/x-wav=vlc.desktop");
    ASSERT_TRUE(WriteStringAt(HKEY_CLASSES_ROOT, ".wav", "Content Type", "audio/wav"));
    FileAssociations associations(executable_, folders_);
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(associations.Associate("wav", 0, ""));
        EXPECT_EQ(Value(".wav", "ZeltoPVBackup"), "vlc.desktop") << round;
        EXPECT_EQ(Value(".wav", "ZeltoTypeBackup"), "audio/wav") << round;
        EXPECT_EQ(Value(".wav", "Content Type"), std::nullopt) << round;
    }
    ASSERT_TRUE(associations.Restore("wav"));
    EXPECT_EQ(Value(".wav"), "vlc.desktop");
    EXPECT_EQ(Value(".wav", "Content Type"), "audio/wav");
    EXPECT_EQ(Value(".wav", "ZeltoPVBackup"), std::nullopt);
    EXPECT_EQ(Value(".wav", "ZeltoTypeBackup"), std::nullopt);
    EXPECT_FALSE(KeyExists("Zelto_wavfile"));
    EXPECT_EQ(UserList(), "[Default Applications]\naudio/x-wav=vlc.desktop;\n");
    EXPECT_EQ(associations.Owner("wav"), AssociationOwner::Other);
}

// What the user chose after us is left alone, and is what a later association saves.
TEST_F(FileAssociationsTest, TheLiveDefaultIsThePreviousOwner) {
    SystemDefault("audio/x-wav=vlc.desktop");
    FileAssociations associations(executable_, folders_);
    ASSERT_TRUE(associations.Associate("wav", 0, ""));
    const std::string chosen = "[Default Applications]\naudio/x-wav=mpv.desktop;\n";
    scratch_.Write("config/mimeapps.list", chosen);
    EXPECT_EQ(associations.Owner("wav"), AssociationOwner::Other);
    ASSERT_TRUE(associations.Restore("wav"));
    EXPECT_EQ(UserList(), chosen);
    ASSERT_TRUE(associations.Associate("wav", 0, ""));
    ASSERT_TRUE(associations.Restore("wav"));
    EXPECT_EQ(UserList(), chosen);
}

TEST_F(FileAssociationsTest, OnlyAPathWithBlanksIsQuotedAndNeverTheFile) {
    const std::pair<std::string, std::string> cases[] = {
        {"bin/tonilo", "{p} %1|Exec={p} %f"},
        {"My Programs/tonilo", "\"{p}\" %1|Exec=\"{p}\" %f"},
        {"odd$dir/tonilo", "{p} %1|Exec=\"{d}/odd\\$dir/tonilo\" %f"}, // the desktop's rules
    };
    for (const auto& [name, expected] : cases) {
        const std::string path = MakeProgram(name);
        std::string text = expected;
        for (size_t at; (at = text.find("{p}")) != std::string::npos;)
            text.replace(at, 3, path);
        for (size_t at; (at = text.find("{d}")) != std::string::npos;)
            text.replace(at, 3, scratch_.Path());
        const size_t bar = text.find('|');
        FileAssociations associations(path, folders_);
        ASSERT_TRUE(associations.Associate("mp3", 0, "")) << name;
        EXPECT_EQ(Value("Zelto_mp3file\\Shell\\Open\\Command"), text.substr(0, bar));
        EXPECT_NE(test::ReadWholeFile(folders_.dataHome + "/applications/tonilo.desktop")
                      .find(text.substr(bar + 1) + "\n"),
                  std::string::npos)
            << name;
        std::string program;
        ASSERT_TRUE(FindOwnerProgram("/music/Song.MP3", &program));
        EXPECT_EQ(program, path);
    }
}

TEST_F(FileAssociationsTest, OwnerProgramsAreReadFromTheOpenCommand) {
    const std::string bin = scratch_.Folder("path-bin");
    MakeProgram("path-bin/sh");
    const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", ("/nonexistent:" + bin).c_str(), 1);
    const std::tuple<const char*, std::string, bool> cases[] = {
        {"\"/opt/A B/player\" \"%1\"", "/opt/A B/player", true},
        {"/usr/bin/player -q %1", "/usr/bin/player", false},
        {"sh %1", bin + "/sh", false}, // a bare name is looked for along $PATH
    };
    ASSERT_TRUE(WriteStringAt(HKEY_CLASSES_ROOT, ".aif", nullptr, "aiffile"));
    for (const auto& [command, expected, endsWithQuote] : cases) {
        ASSERT_TRUE(
            WriteStringAt(HKEY_CLASSES_ROOT, "aiffile\\Shell\\Open\\Command", nullptr, command));
        std::string program;
        bool quoteAtEnd = !endsWithQuote;
        ASSERT_TRUE(FindOwnerProgram("*.aif", &program, &quoteAtEnd)) << command;
        EXPECT_EQ(program, expected);
        EXPECT_EQ(quoteAtEnd, endsWithQuote) << command;
    }
    ::setenv("PATH", savedPath.c_str(), 1);
    EXPECT_EQ(FileAssociations(executable_, folders_).Owner("aif"), AssociationOwner::Other);
    ASSERT_TRUE(WriteStringAt(HKEY_CLASSES_ROOT, "aiffile\\Shell\\Open\\Command", nullptr, ""));
    EXPECT_FALSE(FindOwnerProgram("x.aif", nullptr)); // an empty command: no owner
}

TEST_F(FileAssociationsTest, RestoringAnotherProgramsTypeChangesNothing) {
    ASSERT_TRUE(WriteStringAt(HKEY_CLASSES_ROOT, ".mp3", nullptr, "mpgfile"));
    ASSERT_TRUE(WriteStringAt(HKEY_CLASSES_ROOT, "mpgfile\\Shell\\Open\\Command", nullptr,
                              "/usr/bin/player %1"));
    const std::string list =
        "[Default Applications]\naudio/mpeg=mpv.desktop;\naudio/x-wav=tonilo.desktop;\n";
    scratch_.Write("config/mimeapps.list", list);
    // The current desktop's own list gives .wav to vlc, whatever the user's says.
    folders_.desktops = {"xfce"};
    scratch_.Write("config/xfce-mimeapps.list",
                   "[Default Applications]\naudio/x-wav=vlc.desktop\n");
    FileAssociations associations(executable_, folders_);
    for (const char* extension : {"mp3", "wav", "flac"}) {
        EXPECT_TRUE(associations.Restore(extension));
        EXPECT_EQ(UserList(), list) << extension;
    }
    EXPECT_EQ(Value(".mp3"), "mpgfile");
    EXPECT_EQ(Value("mpgfile\\Shell\\Open\\Command"), "/usr/bin/player %1");
}

TEST_F(FileAssociationsTest, RefusedProgramsAndIconsWriteNothing) {
    const std::pair<std::string, std::string> cases[] = {
        {scratch_.Folder("bin/folder"), ""},
        {scratch_.Path("bin/missing"), ""},
        {scratch_.Write("bin/data.txt", "x"), ""}, // not executable
        {executable_, scratch_.Path("missing-icons.so")},
        {"", ""},
    };
    for (const auto& [program, icon] : cases) {
        EXPECT_FALSE(FileAssociations(program, folders_).Associate("wav", 3, icon)) << program;
        EXPECT_FALSE(KeyExists(".wav"));
        EXPECT_FALSE(KeyExists("Zelto_wavfile"));
        EXPECT_FALSE(fs::exists(folders_.UserMimeAppsList()));
    }
}

// Two extensions of one type: the type stays ours while either is.
TEST_F(FileAssociationsTest, ASharedTypeStaysWhileAnExtensionNeedsIt) {
    SystemDefault("audio/x-wav=vlc.desktop");
    FileAssociations associations(executable_, folders_);
    ASSERT_TRUE(associations.Associate("wav", 0, ""));
    ASSERT_TRUE(associations.Associate("wave", 0, ""));
    ASSERT_TRUE(associations.Restore("wave"));
    EXPECT_EQ(associations.Owner("wav"), AssociationOwner::Ours);
    ASSERT_TRUE(associations.Restore("wav"));
    EXPECT_EQ(UserList(), "[Default Applications]\naudio/x-wav=vlc.desktop;\n");
}

// An extension shared-mime-info does not know gets a type of ours, declared to
// the desktop through the user's MIME database.
TEST_F(FileAssociationsTest, AnUnknownExtensionGetsATypeOfOurOwn) {
    FileAssociations associations(executable_, folders_);
    EXPECT_FALSE(associations.Associate("a b", 0, "")); // cannot name a type
    ASSERT_TRUE(associations.Associate("zaf", 0, ""));
    EXPECT_EQ(MimeTypeForExtension(folders_, "zaf"), "audio/x-zaf");
    EXPECT_EQ(associations.Owner("zaf"), AssociationOwner::Ours);
    ASSERT_TRUE(associations.Restore("zaf"));
    EXPECT_EQ(associations.Owner("zaf"), AssociationOwner::None);
}

} // namespace
} // namespace tonilo
