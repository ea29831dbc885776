#include "platform/files/Trash.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

using test::ReadWholeFile;
using test::ScratchFolder;

constexpr std::time_t kDeleted = 1700000000; // 2023-11-14 22:13:20 UTC

class TrashTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_DATA_HOME", data_.c_str(), 1);
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    void TearDown() override {
        ::unsetenv("TZ");
        ::tzset();
    }
    static std::string InfoText(const std::string& escapedPath) {
        return "[Trash Info]\nPath=" + escapedPath + "\nDeletionDate=2023-11-14T22:13:20\n";
    }

    ScratchFolder scratch_;
    std::string data_ = scratch_.Folder("data");
    std::string home_ = data_ + "/Trash";
};

TEST_F(TrashTest, EscapesEveryByteAFileNameMayHold) {
    const struct {
        std::string path;
        std::string escaped;
    } cases[] = {
        {"/a/Plain-name_1.0~.wav", "/a/Plain-name_1.0~.wav"},
        {"/a/two words.mp3", "/a/two%20words.mp3"},
        {"/a/100%.wav", "/a/100%25.wav"},
        {"/a/line\nbreak.wav", "/a/line%0Abreak.wav"},
        {"/a/Zürich ☎.zaf", "/a/Z%C3%BCrich%20%E2%98%8E.zaf"},
        {"/a/x?y#z&=+;,[]", "/a/x%3Fy%23z%26%3D%2B%3B%2C%5B%5D"},
        {std::string("/a/\x7f\x01", 5), "/a/%7F%01"},
    };
    for (const auto& item : cases)
        EXPECT_EQ(EscapeTrashPath(item.path), item.escaped) << item.path;
}

TEST_F(TrashTest, FilesAndFoldersGoToTheHomeTrashWithUniqueNamesAndInfo) {
    const struct {
        std::string name;
        std::string second; // the name the second item of that name gets
    } cases[] = {
        {"Zürich ☎ talk.wav", "Zürich ☎ talk.2.wav"},
        {"line\nbreak.mp3", "line\nbreak.2.mp3"},
        {"noext", "noext.2"},
        {".hidden", ".hidden.2"},
        {"a.b.wav", "a.b.2.wav"}, // numbered before the last extension only
    };
    for (const auto& item : cases) {
        std::string first = scratch_.Write(item.name, "first " + item.name);
        TrashResult one = MoveToTrash(first, kDeleted);
        ASSERT_TRUE(one.ok) << one.error;
        // The same name again, as after recording anew under the old name.
        std::string second = scratch_.Write(item.name, "second " + item.name);
        TrashResult two = MoveToTrash(second, kDeleted);
        ASSERT_TRUE(two.ok) << two.error;

        EXPECT_FALSE(std::filesystem::exists(first));
        EXPECT_EQ(one.trashFolder, home_);
        EXPECT_EQ(one.trashedPath, home_ + "/files/" + item.name);
        EXPECT_EQ(one.infoPath, home_ + "/info/" + item.name + ".trashinfo");
        EXPECT_EQ(two.trashedPath, home_ + "/files/" + item.second);
        EXPECT_EQ(two.infoPath, home_ + "/info/" + item.second + ".trashinfo");
        EXPECT_EQ(ReadWholeFile(one.trashedPath), "first " + item.name);
        EXPECT_EQ(ReadWholeFile(two.trashedPath), "second " + item.name);
        EXPECT_EQ(ReadWholeFile(one.infoPath), InfoText(EscapeTrashPath(first)));
        EXPECT_EQ(ReadWholeFile(two.infoPath), InfoText(EscapeTrashPath(second)));
    }

    std::string folder = scratch_.Folder("Calls");
    scratch_.Write("Calls/in.wav", "call");
    TrashResult tree = MoveToTrash(folder, kDeleted);
    ASSERT_TRUE(tree.ok) << tree.error;
    EXPECT_EQ(ReadWholeFile(tree.trashedPath + "/in.wav"), "call");
    struct stat info;
    ASSERT_EQ(::stat((home_ + "/files").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(TrashTest, ALeftoverInTheTrashWithoutItsInfoIsNeverOverwritten) {
    std::filesystem::create_directories(home_ + "/files");
    test::WriteWholeFile(home_ + "/files/take.wav", "older, restored by hand");
    TrashResult result = MoveToTrash(scratch_.Write("take.wav", "new"), kDeleted);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.trashedPath, home_ + "/files/take.2.wav");
    EXPECT_EQ(ReadWholeFile(home_ + "/files/take.wav"), "older, restored by hand");
    EXPECT_FALSE(std::filesystem::exists(home_ + "/info/take.wav.trashinfo"));
}

TEST_F(TrashTest, RefusalsLeaveTheItemWhereItWas) {
    EXPECT_FALSE(MoveToTrash(scratch_ / "missing.wav").ok);
    EXPECT_FALSE(MoveToTrash("relative.wav").ok);
    EXPECT_FALSE(MoveToTrash("").ok);
    // A trash that cannot be created (its parent is a file): even root cannot.
    std::string blocker = scratch_.Write("blocker", "");
    ::setenv("XDG_DATA_HOME", (blocker + "/data").c_str(), 1);
    std::string kept = scratch_.Write("kept.wav", "recording");
    TrashResult result = MoveToTrash(kept, kDeleted);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(ReadWholeFile(kept), "recording");
}

TEST_F(TrashTest, AnotherFileSystemUsesItsOwnTrashWithARelativePath) {
    struct stat shm, tmp;
    if (::stat("/dev/shm", &shm) != 0 || ::stat(scratch_.Path().c_str(), &tmp) != 0 ||
        shm.st_dev == tmp.st_dev || ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no writable second file system at /dev/shm";
    std::string folder = "/dev/shm/tonilo-trash-test-" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    std::string file = folder + "/on tmpfs.wav";
    test::WriteWholeFile(file, "pcm");
    TrashResult result = MoveToTrash(file, kDeleted);
    std::string trash = "/dev/shm/.Trash-" + std::to_string(::getuid());
    bool ok = result.ok;
    std::string info = ReadWholeFile(result.infoPath);
    std::string content = ReadWholeFile(result.trashedPath);
    std::filesystem::remove_all(folder);
    std::filesystem::remove(result.trashedPath);
    std::filesystem::remove(result.infoPath);
    ASSERT_TRUE(ok) << result.error;
    EXPECT_EQ(result.trashFolder, trash);
    EXPECT_EQ(content, "pcm");
    EXPECT_EQ(info, InfoText(EscapeTrashPath(file.substr(std::string("/dev/shm/").size()))));
}

} // namespace
} // namespace tonilo
