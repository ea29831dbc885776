#include "platform/files/FileTransfer.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

using test::FolderEntries;
using test::ReadWholeFile;
using test::ScratchFolder;

class FileTransferTest : public ::testing::Test {
protected:
    ScratchFolder scratch_;
    std::string from_ = scratch_.Folder("from");
    std::string to_ = scratch_.Folder("to");
};

TEST_F(FileTransferTest, CopyKeepsContentModeAndTimeAndLeavesNoTemporary) {
    std::string source = scratch_.Write("from/Zürich\ncall.wav", std::string("RIFF\0data", 9));
    ASSERT_EQ(::chmod(source.c_str(), 0640), 0);
    struct timespec old[2] = {{1600000000, 0}, {1600000000, 500}};
    ASSERT_EQ(::utimensat(AT_FDCWD, source.c_str(), old, 0), 0);
    std::string target = to_ + "/Zürich\ncall.wav";
    ASSERT_EQ(CopyItem(source, target, false).status, TransferStatus::Done);
    EXPECT_EQ(ReadWholeFile(target), std::string("RIFF\0data", 9));
    struct stat info;
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(info.st_mtim.tv_sec, 1600000000);
    EXPECT_EQ(FolderEntries(to_), std::vector<std::string>{"Zürich\ncall.wav"});
    EXPECT_EQ(ReadWholeFile(source), std::string("RIFF\0data", 9));
}

TEST_F(FileTransferTest, ExistingTargetsAreReplacedOnlyWhenAsked) {
    for (bool move : {false, true}) {
        SCOPED_TRACE(move ? "move" : "copy");
        std::string source = scratch_.Write("from/a.wav", "new");
        std::string target = scratch_.Write("to/a.wav", "old");
        auto transfer = move ? MoveItem : CopyItem;
        EXPECT_EQ(transfer(source, target, false).status, TransferStatus::Exists);
        EXPECT_EQ(ReadWholeFile(target), "old");
        EXPECT_EQ(ReadWholeFile(source), "new");
        EXPECT_EQ(transfer(source, target, true).status, TransferStatus::Done);
        EXPECT_EQ(ReadWholeFile(target), "new");
        EXPECT_EQ(std::filesystem::exists(source), !move);
        EXPECT_EQ(FolderEntries(to_).size(), 1u);
        // A folder where the file would go is never replaced by the file.
        std::filesystem::create_directories(to_ + "/b.wav/inner");
        source = scratch_.Write("from/b.wav", "b");
        EXPECT_NE(transfer(source, to_ + "/b.wav", true).status, TransferStatus::Done);
        EXPECT_TRUE(std::filesystem::is_directory(to_ + "/b.wav/inner"));
        std::filesystem::remove_all(to_ + "/b.wav");
    }
}

TEST_F(FileTransferTest, SelfAndInsideItselfAreRefusedWithoutHarm) {
    std::string file = scratch_.Write("from/take.wav", "pcm");
    EXPECT_EQ(CopyItem(file, file, true).status, TransferStatus::SameItem);
    EXPECT_EQ(MoveItem(file, from_ + "/../from/take.wav", true).status, TransferStatus::SameItem);
    EXPECT_EQ(ReadWholeFile(file), "pcm");
    std::string inner = scratch_.Folder("from/inner");
    EXPECT_EQ(CopyItem(from_, inner + "/from", false).status, TransferStatus::Failed);
    EXPECT_EQ(MoveItem(from_, inner + "/from", false).status, TransferStatus::Failed);
    EXPECT_FALSE(std::filesystem::exists(inner + "/from"));
    TransferResult missing = CopyItem(from_ + "/none.wav", to_ + "/none.wav", false);
    EXPECT_EQ(missing.status, TransferStatus::Failed);
    EXPECT_FALSE(missing.error.empty());
    TransferResult noFolder = CopyItem(file, scratch_ / "gone/take.wav", false);
    EXPECT_EQ(noFolder.status, TransferStatus::Failed);
    EXPECT_EQ(ReadWholeFile(file), "pcm");
}

TEST_F(FileTransferTest, FoldersCopyAndMoveWholeAlsoAcrossFileSystems) {
    scratch_.Folder("from/Calls/deep");
    scratch_.Write("from/Calls/one.wav", "1");
    scratch_.Write("from/Calls/deep/two.mp3", "2");
    ASSERT_EQ(::symlink("one.wav", (from_ + "/Calls/link.wav").c_str()), 0);
    ASSERT_EQ(CopyItem(from_ + "/Calls", to_ + "/Calls", false).status, TransferStatus::Done);
    EXPECT_EQ(ReadWholeFile(to_ + "/Calls/deep/two.mp3"), "2");
    EXPECT_EQ(std::filesystem::read_symlink(to_ + "/Calls/link.wav"), "one.wav");
    EXPECT_EQ(CopyItem(from_ + "/Calls", to_ + "/Calls", false).status, TransferStatus::Exists);

    struct stat shm, tmp;
    if (::stat("/dev/shm", &shm) != 0 || ::stat(to_.c_str(), &tmp) != 0 ||
        shm.st_dev == tmp.st_dev || ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no writable second file system at /dev/shm";
    std::string other = "/dev/shm/tonilo-transfer-test-" + std::to_string(::getpid());
    TransferResult moved = MoveItem(from_ + "/Calls", other, false);
    bool copiedWhole = ReadWholeFile(other + "/deep/two.mp3") == "2";
    std::filesystem::remove_all(other);
    EXPECT_EQ(moved.status, TransferStatus::Done) << moved.error;
    EXPECT_TRUE(copiedWhole);
    EXPECT_FALSE(std::filesystem::exists(from_ + "/Calls"));
}

TEST_F(FileTransferTest, NewNamesAreNumberedBeforeTheExtension) {
    scratch_.Write("to/a.wav", "");
    scratch_.Write("to/a (2).wav", "");
    scratch_.Write("to/noext", "");
    scratch_.Write("to/.hidden", "");
    EXPECT_EQ(UniqueNameIn(to_, "free.wav"), "free.wav");
    EXPECT_EQ(UniqueNameIn(to_, "a.wav"), "a (3).wav");
    EXPECT_EQ(UniqueNameIn(to_ + "/", "noext"), "noext (2)");
    EXPECT_EQ(UniqueNameIn(to_, ".hidden"), ".hidden (2)");
    std::string error;
    EXPECT_EQ(CreateNewFolder(to_, "New Folder", &error), to_ + "/New Folder");
    EXPECT_EQ(CreateNewFolder(to_, "New Folder", &error), to_ + "/New Folder (2)");
    EXPECT_EQ(CreateNewFolder(scratch_ / "gone", "New Folder", &error), "");
    EXPECT_FALSE(error.empty());
}

TEST_F(FileTransferTest, WithinComparesWholeFolderNames) {
    EXPECT_TRUE(IsWithin("/a/b", "/a"));
    EXPECT_TRUE(IsWithin("/a/b/c", "/a/"));
    EXPECT_TRUE(IsWithin("/a", "/a"));
    EXPECT_FALSE(IsWithin("/ab", "/a"));
    EXPECT_FALSE(IsWithin("/a", "/a/b"));
    EXPECT_FALSE(IsWithin("/a", ""));
}

} // namespace
} // namespace tonilo
