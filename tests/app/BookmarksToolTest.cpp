// "tonilo-tool bookmarks" run as a user runs it, on the data folder given by --data.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/BookmarkDatabase.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ToolRunner.h"

namespace tonilo {
namespace {

using test::Quoted;
using test::ToolRun;

class BookmarksToolTest : public ::testing::Test {
protected:
    BookmarksToolTest() {
        std::filesystem::create_directories(folder_ / "home");
        std::filesystem::create_directories(folder_ / "data");
        test::WriteWholeFile(folder_ / "a.wav", "");
    }
    ToolRun Run(const std::string& arguments) {
        return test::RunToolIn(folder_.Path(),
                               "--data " + Quoted(folder_ / "data") + " bookmarks " + arguments);
    }

    test::ScratchFolder folder_;
    std::string a_ = folder_ / "a.wav";
};

TEST_F(BookmarksToolTest, AddListRemoveRenameCleanUp) {
    ASSERT_EQ(Run("add " + Quoted(a_) + " 30 'thirty'").exitCode, 0);
    ASSERT_EQ(Run("add " + Quoted(a_) + " 3700").exitCode, 0);
    ToolRun duplicate = Run("add " + Quoted(a_) + " 30 again");
    EXPECT_EQ(duplicate.exitCode, 1);
    EXPECT_NE(duplicate.errors.find("already has a bookmark at 0:30"), std::string::npos);
    ASSERT_EQ(Run("add " + Quoted(folder_ / "gone.wav") + " 1").exitCode, 0);

    // The most recently used recording comes first.
    EXPECT_EQ(Run("list").output,
              folder_ / "gone.wav\n  0:01\n" + a_ + "\n  0:30  thirty\n  1:01:40\n");
    EXPECT_EQ(Run("list " + Quoted(a_)).output, a_ + "\n  0:30  thirty\n  1:01:40\n");

    BookmarkDatabase database;
    ASSERT_TRUE(database.Load(BookmarksFilePath(folder_ / "data")));
    EXPECT_EQ(database.Size(), 2u);

    EXPECT_EQ(Run("remove " + Quoted(a_) + " 31").exitCode, 1);
    EXPECT_EQ(Run("remove " + Quoted(a_) + " 3700").exitCode, 0);
    EXPECT_EQ(Run("rename " + Quoted(a_) + " " + Quoted(folder_ / "b.wav")).exitCode, 0);
    EXPECT_EQ(Run("rename " + Quoted(a_) + " " + Quoted(folder_ / "c.wav")).exitCode, 1);
    EXPECT_EQ(Run("cleanup").output, "2 records of missing files removed\n");
    EXPECT_EQ(Run("list").output, "");
    // The last record gone, the file goes too.
    EXPECT_FALSE(std::filesystem::exists(folder_ / "data/bookmarks.bin"));
}

TEST_F(BookmarksToolTest, RemovingTheLastBookmarkDropsTheRecord) {
    ASSERT_EQ(Run("add " + Quoted(a_) + " 5").exitCode, 0);
    ASSERT_EQ(Run("remove " + Quoted(a_) + " 5").exitCode, 0);
    EXPECT_EQ(Run("list").output, "");
    EXPECT_EQ(Run("list " + Quoted(a_)).exitCode, 1);
}

TEST_F(BookmarksToolTest, WrongInvocations) {
    for (const char* wrong : {"", "add", "add x", "add x 65536", "add x -1", "add x 1.5",
                              "remove x", "rename x", "cleanup x", "frob", "list a b"}) {
        ToolRun run = Run(wrong);
        EXPECT_EQ(run.exitCode, 2) << wrong;
        EXPECT_NE(run.errors.find("usage:"), std::string::npos) << wrong;
    }
}

} // namespace
} // namespace tonilo
