// The settings database is kept like a private key: created 0600 in a 0700
// folder whatever the umask, narrowed when found wider, refused when another
// user owns it or may write it or a folder leading to it.
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/RegistryStore.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

uid_t NobodyUser() {
    struct passwd* entry = ::getpwnam("nobody");
    return entry ? entry->pw_uid : 65534;
}

gid_t SharedGroup() {
    struct group* entry = ::getgrnam("nogroup");
    return entry ? entry->gr_gid : 65534;
}

// The user's primary group counts as private when it carries the user's name
// and nobody else belongs to it.
bool PrimaryGroupIsPrivate() {
    struct passwd* user = ::getpwuid(::geteuid());
    struct group* entry = user ? ::getgrgid(user->pw_gid) : nullptr;
    if (!entry || std::strcmp(entry->gr_name, user->pw_name) != 0)
        return false;
    for (char** member = entry->gr_mem; *member; ++member) {
        if (std::strcmp(*member, user->pw_name) != 0)
            return false;
    }
    return true;
}

class PrivateStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldMask_ = ::umask(0); // the widest modes a careless umask could give
        if (const char* home = std::getenv("HOME"))
            oldHome_ = home;
        home_ = folder_ / "home";
        ASSERT_EQ(::mkdir(home_.c_str(), 0755), 0);
        ::setenv("HOME", home_.c_str(), 1);
    }
    void TearDown() override {
        ::umask(oldMask_);
        if (oldHome_.empty())
            ::unsetenv("HOME");
        else
            ::setenv("HOME", oldHome_.c_str(), 1);
    }

    // A store with one value in it, closed again.
    void MakeStore(const std::string& path) {
        RegistryStore store(path);
        ASSERT_TRUE(store.IsOpen());
        ASSERT_TRUE(store.SetValues(HKEY_LOCAL_MACHINE, "Software\\Zelto\\Tonilo",
                                    {{"Marker", REG_SZ, std::string("x\0\0\0", 4)}}));
    }

    test::ScratchFolder folder_;
    std::string home_;
    std::string oldHome_;
    mode_t oldMask_ = 022;
};

TEST_F(PrivateStoreTest, ANewStoreIsTheOwnersAloneWhateverTheUmask) {
    const std::string config = home_ + "/.config";
    const std::string path = config + "/tonilo/registry.db";
    {
        RegistryStore store(path);
        ASSERT_TRUE(store.IsOpen());
        ASSERT_TRUE(store.CreateKey(HKEY_LOCAL_MACHINE, "Software\\Zelto\\Tonilo"));
        // The log files exist while the store is open.
        EXPECT_EQ(ModeOf(path + "-wal"), 0600u);
        EXPECT_EQ(ModeOf(path + "-shm"), 0600u);
    }
    EXPECT_EQ(ModeOf(config), 0700u);
    EXPECT_EQ(ModeOf(config + "/tonilo"), 0700u);
    EXPECT_EQ(ModeOf(path), 0600u);
}

TEST_F(PrivateStoreTest, AWiderStoreIsNarrowedOnOpenAndSaysSoOnce) {
    const std::string path = home_ + "/registry.db";
    MakeStore(path);
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    testing::internal::CaptureStderr();
    {
        RegistryStore store(path);
        EXPECT_TRUE(store.IsOpen());
        RegistryValue value;
        EXPECT_TRUE(
            store.GetValue(HKEY_LOCAL_MACHINE, "Software\\Zelto\\Tonilo", "Marker", &value));
    }
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(ModeOf(path), 0600u);
    EXPECT_NE(said.find(path + ". It is now readable by you alone"), std::string::npos) << said;
    testing::internal::CaptureStderr();
    { RegistryStore again(path); }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(PrivateStoreTest, ADamagedStoreIsMovedAsideAsPrivateAsItWas) {
    const std::string path = home_ + "/registry.db";
    test::WriteWholeFile(path, std::string(8192, 'z'));
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    testing::internal::CaptureStderr();
    RegistryStore store(path);
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(store.IsOpen());
    EXPECT_EQ(ModeOf(path + ".corrupt"), 0600u);
    EXPECT_EQ(ModeOf(path), 0600u);
}

struct UntrustedCase {
    const char* name;
    std::function<void(const std::string& store, const std::string& folder)> spoil;
    bool refused;
    bool blameFolder;
    const char* blamedSuffix; // of the store's path, when a file is blamed
    const char* fix;
};

TEST_F(PrivateStoreTest, AStoreOthersCouldWriteIsNeitherReadNorChanged) {
    const bool privateGroup = PrimaryGroupIsPrivate();
    const UntrustedCase cases[] = {
        {"group-writable, shared group",
         [](const std::string& store, const std::string&) {
             ASSERT_EQ(::chown(store.c_str(), -1, SharedGroup()), 0);
             ASSERT_EQ(::chmod(store.c_str(), 0660), 0);
         },
         true, false, "", "chmod go-w"},
        {"writable by everyone",
         [](const std::string& store, const std::string&) {
             ASSERT_EQ(::chmod(store.c_str(), 0606), 0);
         },
         true, false, "", "chmod go-w"},
        {"log file writable by everyone",
         [](const std::string& store, const std::string&) {
             test::WriteWholeFile(store + "-wal", "");
             ASSERT_EQ(::chmod((store + "-wal").c_str(), 0666), 0);
         },
         true, false, "-wal", "chmod go-w"},
        {"owned by another user",
         [](const std::string& store, const std::string&) {
             ASSERT_EQ(::chown(store.c_str(), NobodyUser(), -1), 0);
         },
         true, false, "", "chown"},
        {"in a folder everyone may write",
         [](const std::string&, const std::string& folder) {
             ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
         },
         true, true, "", "chmod go-w"},
        {"in a folder of another user",
         [](const std::string&, const std::string& folder) {
             ASSERT_EQ(::chown(folder.c_str(), NobodyUser(), -1), 0);
         },
         true, true, "", "chown"},
        {"group-writable, the user's private group",
         [privateGroup](const std::string& store, const std::string&) {
             ASSERT_EQ(::chown(store.c_str(), -1, ::getegid()), 0);
             ASSERT_EQ(::chmod(store.c_str(), privateGroup ? 0660 : 0600), 0);
         },
         false, false, "", ""},
    };
    int round = 0;
    for (const UntrustedCase& each : cases) {
        SCOPED_TRACE(each.name);
        const std::string folder = home_ + "/settings" + std::to_string(++round);
        const std::string path = folder + "/registry.db";
        MakeStore(path);
        each.spoil(path, folder);
        const std::string before = test::ReadWholeFile(path);
        const mode_t modeBefore = ModeOf(path);

        testing::internal::CaptureStderr();
        RegistryStore store(path);
        const std::string said = testing::internal::GetCapturedStderr();
        RegistryValue value;
        const bool read =
            store.GetValue(HKEY_LOCAL_MACHINE, "Software\\Zelto\\Tonilo", "Marker", &value);
        EXPECT_EQ(read, !each.refused);
        EXPECT_EQ(store.IsOpen(), !each.refused);
        EXPECT_EQ(store.Refusal().Trusted(), !each.refused);
        if (!each.refused)
            continue;
        const std::string blamed = each.blameFolder ? folder : path + each.blamedSuffix;
        EXPECT_EQ(store.Refusal().path, blamed);
        EXPECT_NE(said.find(blamed), std::string::npos) << said;
        EXPECT_NE(said.find(std::string(each.fix) + " "), std::string::npos) << said;
        EXPECT_NE(said.find("default settings"), std::string::npos) << said;
        // Not narrowed, not written to: the user sees what was found.
        EXPECT_EQ(ModeOf(path), modeBefore);
        EXPECT_EQ(test::ReadWholeFile(path), before);
        EXPECT_FALSE(store.SetValue(HKEY_LOCAL_MACHINE, "", "Other", REG_DWORD, "1234"));
    }
}

TEST_F(PrivateStoreTest, FoldersAboveTheHomeFolderAreNotJudged) {
    // An explicit path outside the home folder: only the files themselves count,
    // as /tmp-like folders are everyone's by design.
    const std::string outside = folder_ / "shared";
    ASSERT_EQ(::mkdir(outside.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(outside.c_str(), 01777), 0);
    RegistryStore store(outside + "/registry.db");
    EXPECT_TRUE(store.IsOpen());
    EXPECT_EQ(ModeOf(outside + "/registry.db"), 0600u);
}

} // namespace
} // namespace tonilo
