#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/CrashDuringWrite.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

using test::FolderEntries;
using test::ReadWholeFile;
using test::ScratchFolder;
using test::WriteWholeFile;

const AtomicWriteStep kSteps[] = {AtomicWriteStep::CreateTemporary, AtomicWriteStep::Write,
                                  AtomicWriteStep::Flush,           AtomicWriteStep::Close,
                                  AtomicWriteStep::Rename,          AtomicWriteStep::FlushFolder};

class AtomicFileTest : public ::testing::Test {
protected:
    void TearDown() override { SetAtomicWriteFaultHook(nullptr); }
    ScratchFolder folder_;
};

TEST_F(AtomicFileTest, CreatesAndReplacesWithoutLeavingTemporaries) {
    std::string path = folder_ / "data.bin";
    ASSERT_TRUE(WriteFileAtomically(path, std::string("first\0x", 7)));
    EXPECT_EQ(ReadWholeFile(path), std::string("first\0x", 7));
    ASSERT_TRUE(WriteFileAtomically(path, ""));
    EXPECT_EQ(ReadWholeFile(path), "");
    EXPECT_EQ(FolderEntries(folder_.Path()), std::vector<std::string>{"data.bin"});
}

TEST_F(AtomicFileTest, KeepsThePermissionsOfTheReplacedFile) {
    std::string path = folder_ / "data.bin";
    WriteWholeFile(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "new"));
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0604u);
}

TEST_F(AtomicFileTest, AFailureAtAnyStepBeforeTheRenameKeepsTheOldFile) {
    std::string path = folder_ / "data.bin";
    for (AtomicWriteStep failing : kSteps) {
        WriteWholeFile(path, "old contents");
        SetAtomicWriteFaultHook([failing](AtomicWriteStep step) { return step == failing; });
        bool written = WriteFileAtomically(path, "new contents");
        SetAtomicWriteFaultHook(nullptr);
        SCOPED_TRACE(static_cast<int>(failing));
        EXPECT_FALSE(written);
        // Only a failure to flush the folder comes after the new file is in place.
        EXPECT_EQ(ReadWholeFile(path),
                  failing == AtomicWriteStep::FlushFolder ? "new contents" : "old contents");
        EXPECT_EQ(FolderEntries(folder_.Path()), std::vector<std::string>{"data.bin"});
    }
}

TEST_F(AtomicFileTest, AProcessDyingAtAnyStepLeavesOldOrNewWhole) {
    std::string path = folder_ / "data.bin";
    std::string large(1 << 20, 'n');
    for (AtomicWriteStep dying : kSteps) {
        WriteWholeFile(path, "old contents");
        ASSERT_TRUE(test::WriteDiesAt(dying, [&] { WriteFileAtomically(path, large); }));
        std::string contents = ReadWholeFile(path);
        SCOPED_TRACE(static_cast<int>(dying));
        if (dying == AtomicWriteStep::FlushFolder)
            EXPECT_EQ(contents, large);
        else
            EXPECT_EQ(contents, "old contents");
    }
}

TEST_F(AtomicFileTest, TemporariesOfDeadWritersAreRemovedAfterAnHour) {
    std::string path = folder_ / "data.bin";
    std::string abandoned = folder_ / ".data.bin.Ab12Cd";
    std::string recent = folder_ / ".data.bin.Xy34Zw";
    std::string other = folder_ / ".other.bin.Ab12Cd";
    for (const std::string& name : {abandoned, recent, other})
        WriteWholeFile(name, "partial");
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(2);
    std::filesystem::last_write_time(abandoned, old);
    std::filesystem::last_write_time(other, old);
    ASSERT_TRUE(WriteFileAtomically(path, "x"));
    EXPECT_FALSE(std::filesystem::exists(abandoned));
    EXPECT_TRUE(std::filesystem::exists(recent)); // may belong to a writer at work
    EXPECT_TRUE(std::filesystem::exists(other));  // another file's
}

TEST_F(AtomicFileTest, ALinkedFileKeepsItsLink) {
    std::string target = folder_ / "target.bin";
    std::string link = folder_ / "link.bin";
    WriteWholeFile(target, "old");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WriteFileAtomically(link, "new"));
    struct stat status {};
    ASSERT_EQ(::lstat(link.c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    EXPECT_EQ(ReadWholeFile(target), "new");
}

TEST_F(AtomicFileTest, RefusesAMissingFolderAndAnEmptyPath) {
    EXPECT_FALSE(WriteFileAtomically(folder_ / "missing/data.bin", "x"));
    EXPECT_FALSE(WriteFileAtomically("", "x"));
}

TEST_F(AtomicFileTest, RemovingAMissingFileCountsAsDone) {
    std::string path = folder_ / "data.bin";
    EXPECT_TRUE(RemoveFileIfPresent(path));
    WriteWholeFile(path, "x");
    EXPECT_TRUE(RemoveFileIfPresent(path));
    EXPECT_TRUE(FolderEntries(folder_.Path()).empty());
    EXPECT_FALSE(RemoveFileIfPresent(folder_.Path())); // a folder is not a file
}

} // namespace
} // namespace tonilo
