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
        folders_.configHome = scratch_.Path("config");
        folders_.configDirs = {scratch_.Folder("etc")};
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

    // The system's default for a type, as a desktop's installation sets it.
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
    EXPECT_EQ(associations.Owner("wav"), AssociationOwner::None);
    ASSERT_TRUE(associations.Associate("WAV", 7, ""));
    EXPECT_EQ(Value(".wav"), "Zelto_wavfile");
    EXPECT_EQ(Value(".wav", "ZeltoPVBackup"), "");
    EXPECT_EQ(Value("Zelto_wavfile"), "WAV File");
    EXPECT_EQ(Value("Zelto_wavfile\\DefaultIcon"), executable_ + ",-7");
    EXPECT_TRUE(KeyExists("Zelto_wavfile\\Shell\\Open"));
    EXPECT_EQ(Value("Zelto_wavfile\\Shell\\Open\\Command"), executable_ + " %1");
    EXPECT_EQ(UserList(), "[Default Applications]\naudio/x-wav=tonilo.desktop;\n");
    EXPECT_NE(test::ReadWholeFile(folders_.dataHome + "/applications/tonilo.desktop")
                  .find("Exec=" + executable_ + " %f"),
              std::string::npos);
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
    EXPECT_EQ(associations.Owner("wav"), AssociationOwner::Other);
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(associations.Associate("wav", 0, ""));
        EXPECT_EQ(Value(".wav", "ZeltoPVBackup"), "vlc.desktop") << round;
        EXPECT_EQ(Value(".wav", "ZeltoTypeBackup"), "audio/wav") << round;
        EXPECT_EQ(Value(".wav", "Content Type"), std::nullopt) << round;
        EXPECT_EQ(associations.Owner("wav"), AssociationOwner::Ours) << round;
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

// What the user chose after us is what a later association saves.
TEST_F(FileAssociationsTest, TheLiveDefaultIsThePreviousOwner) {
    SystemDefault("audio/x-wav=vlc.desktop");
    FileAssociations associations(executable_, folders_);
    ASSERT_TRUE(associations.Associate("wav", 0, ""));
    scratch_.Write("config/mimeapps.list", "[Default Applications]\naudio/x-wav=mpv.desktop;\n");
    EXPECT_EQ(associations.Owner("wav"), AssociationOwner::Other);
    // Restoring now would take the type from mpv: it is not ours any more.
    ASSERT_TRUE(associations.Restore("wav"));
    EXPECT_EQ(UserList(), "[Default Applications]\naudio/x-wav=mpv.desktop;\n");

    ASSERT_TRUE(associations.Associate("wav", 0, ""));
    ASSERT_TRUE(associations.Associate("wav", 0, ""));
    ASSERT_TRUE(associations.Restore("wav"));
    EXPECT_EQ(UserList(), "[Default Applications]\naudio/x-wav=mpv.desktop;\n");
}

TEST_F(FileAssociationsTest, OnlyAPathWithBlanksIsQuoted) {
    struct Case {
        std::string program;
        std::string command;
        std::string exec;
    } cases[] = {
        {"bin/tonilo", "{p} %1", "Exec={p} %f"},
        {"My Programs/tonilo", "\"{p}\" %1", "Exec=\"{p}\" %f"},
        {"odd$dir/tonilo", "{p} %1", "Exec=\"{d}/odd\\$dir/tonilo\" %f"},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.program);
        const std::string path = MakeProgram(each.program);
        auto expand = [&](std::string text) {
            for (size_t at; (at = text.find("{p}")) != std::string::npos;)
                text.replace(at, 3, path);
            for (size_t at; (at = text.find("{d}")) != std::string::npos;)
                text.replace(at, 3, scratch_.Path());
            return text;
        };
        FileAssociations associations(path, folders_);
        ASSERT_TRUE(associations.Associate("mp3", 0, ""));
        EXPECT_EQ(Value("Zelto_mp3file\\Shell\\Open\\Command"), expand(each.command));
        const std::string entry =
            test::ReadWholeFile(folders_.dataHome + "/applications/tonilo.desktop");
        EXPECT_NE(entry.find(expand(each.exec) + "\n"), std::string::npos) << entry;
        std::string program;
        bool endsWithQuote = true;
        ASSERT_TRUE(FindOwnerProgram("/music/Song.MP3", &program, &endsWithQuote));
        EXPECT_EQ(program, path);
        EXPECT_FALSE(endsWithQuote);
        EXPECT_EQ(associations.Owner("mp3"), AssociationOwner::Ours);
    }
}

TEST_F(FileAssociationsTest, OwnerProgramsAreReadFromTheOpenCommand) {
    struct Case {
        const char* command;
        std::string program;
        bool endsWithQuote;
    } cases[] = {
        {"\"/opt/A B/player\" \"%1\"", "/opt/A B/player", true},
        {"/usr/bin/player -q %1", "/usr/bin/player", false},
        {"\"/opt/unclosed", "/opt/unclosed", false},
        {"sh %1", "", false}, // a bare name is looked for along $PATH
    };
    const char* oldPath = std::getenv("PATH");
    const std::string savedPath = oldPath ? oldPath : "";
    const std::string bin = scratch_.Folder("path-bin");
    MakeProgram("path-bin/sh");
    ::setenv("PATH", ("/nonexistent:" + bin).c_str(), 1);
    for (const Case& each : cases) {
        SCOPED_TRACE(each.command);
        ASSERT_TRUE(WriteStringAt(HKEY_CLASSES_ROOT, ".aif", nullptr, "aiffile"));
        ASSERT_TRUE(WriteStringAt(HKEY_CLASSES_ROOT, "aiffile\\Shell\\Open\\Command", nullptr,
                                  each.command));
        std::string program;
        bool endsWithQuote = false;
        ASSERT_TRUE(FindOwnerProgram("*.aif", &program, &endsWithQuote));
        EXPECT_EQ(program, each.program.empty() ? bin + "/sh" : each.program);
        EXPECT_EQ(endsWithQuote, each.endsWithQuote);
    }
    ::setenv("PATH", savedPath.c_str(), 1);
    ASSERT_TRUE(WriteStringAt(HKEY_CLASSES_ROOT, "aiffile\\Shell\\Open\\Command", nullptr, ""));
    EXPECT_FALSE(FindOwnerProgram("x.aif", nullptr)); // an empty command: no owner
    EXPECT_FALSE(FindOwnerProgram("x.flac", nullptr));
    // Another program in the class registry makes the type another's.
    FileAssociations associations(executable_, folders_);
    ASSERT_TRUE(WriteStringAt(HKEY_CLASSES_ROOT, "aiffile\\Shell\\Open\\Command", nullptr,
                              "/usr/bin/player %1"));
    EXPECT_EQ(associations.Owner("aif"), AssociationOwner::Other);
}

TEST_F(FileAssociationsTest, RestoringAnotherProgramsTypeChangesNothing) {
    ASSERT_TRUE(WriteStringAt(HKEY_CLASSES_ROOT, ".mp3", nullptr, "mpgfile"));
    ASSERT_TRUE(WriteStringAt(HKEY_CLASSES_ROOT, ".mp3", "Content Type", "audio/mpeg"));
    ASSERT_TRUE(WriteStringAt(HKEY_CLASSES_ROOT, "mpgfile\\Shell\\Open\\Command", nullptr,
                              "/usr/bin/player %1"));
    const std::string list = "[Default Applications]\naudio/mpeg=mpv.desktop;\n"
                             "audio/x-wav=tonilo.desktop;\n";
    scratch_.Folder("config");
    scratch_.Write("config/mimeapps.list", list);
    folders_.desktops = {"xfce"};
    // The current desktop's own list gives .wav to vlc, whatever the user's says.
    scratch_.Write("config/xfce-mimeapps.list", "[Default Applications]\naudio/x-wav=vlc.desktop\n");
    FileAssociations associations(executable_, folders_);
    for (const char* extension : {"mp3", "wav", "flac"}) {
        SCOPED_TRACE(extension);
        EXPECT_NE(associations.Owner(extension), AssociationOwner::Ours);
        EXPECT_TRUE(associations.Restore(extension));
        EXPECT_EQ(UserList(), list);
    }
    EXPECT_EQ(Value(".mp3"), "mpgfile");
    EXPECT_EQ(Value(".mp3", "Content Type"), "audio/mpeg");
    EXPECT_EQ(Value("mpgfile\\Shell\\Open\\Command"), "/usr/bin/player %1");
    EXPECT_FALSE(KeyExists(".wav"));
}

TEST_F(FileAssociationsTest, RefusedProgramsAndIconsWriteNothing) {
    const std::string notExecutable = scratch_.Write("bin/data.txt", "x");
    const std::string folder = scratch_.Folder("bin/folder");
    struct Case {
        std::string executable;
        std::string icon;
    } cases[] = {
        {folder, ""},
        {scratch_.Path("bin/missing"), ""},
        {notExecutable, ""},
        {executable_, scratch_.Path("missing-icons.so")},
        {"", ""},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.executable + " " + each.icon);
        FileAssociations associations(each.executable, folders_);
        EXPECT_FALSE(associations.Associate("wav", 3, each.icon));
        EXPECT_FALSE(KeyExists(".wav"));
        EXPECT_FALSE(KeyExists("Zelto_wavfile"));
        EXPECT_FALSE(fs::exists(folders_.UserMimeAppsList()));
    }
    // An icon file that exists is named in DefaultIcon.
    const std::string icons = scratch_.Write("icons.so", "");
    FileAssociations associations(executable_, folders_);
    ASSERT_TRUE(associations.Associate("wav", 12, icons));
    EXPECT_EQ(Value("Zelto_wavfile\\DefaultIcon"), icons + ",-12");
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
    EXPECT_EQ(associations.Owner("wav"), AssociationOwner::Other);
    EXPECT_EQ(UserList(), "[Default Applications]\naudio/x-wav=vlc.desktop;\n");
}

// An extension shared-mime-info does not know gets a type of ours, declared to
// the desktop through the user's MIME database.
TEST_F(FileAssociationsTest, AnUnknownExtensionGetsATypeOfOurOwn) {
    FileAssociations associations(executable_, folders_);
    EXPECT_EQ(associations.MimeType("zaf"), "audio/x-zaf");
    EXPECT_EQ(associations.MimeType("a b"), "");
    EXPECT_FALSE(associations.Associate("a b", 0, ""));
    ASSERT_TRUE(associations.Associate("zaf", 0, ""));
    EXPECT_NE(test::ReadWholeFile(folders_.dataHome + "/mime/packages/tonilo-zaf.xml")
                  .find("<glob pattern=\"*.zaf\"/>"),
              std::string::npos);
    EXPECT_EQ(MimeTypeForExtension(folders_, "zaf"), "audio/x-zaf");
    EXPECT_EQ(associations.Owner("zaf"), AssociationOwner::Ours);
    ASSERT_TRUE(associations.Restore("zaf"));
    EXPECT_EQ(associations.Owner("zaf"), AssociationOwner::None);
}

} // namespace
} // namespace tonilo
