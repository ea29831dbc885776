#include "app/BookmarkDatabase.h"

#include <gtest/gtest.h>

#include "platform/TextEncoding.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

std::vector<uint16_t> Positions(const BookmarkDatabase& database, size_t record) {
    std::vector<uint16_t> positions;
    for (const Bookmark& bookmark : database.At(record).bookmarks)
        positions.push_back(bookmark.position);
    return positions;
}

std::vector<std::string> Paths(const BookmarkDatabase& database) {
    std::vector<std::string> paths;
    for (const FileBookmarks& record : database.Records())
        paths.push_back(record.path);
    return paths;
}

TEST(BookmarkDatabaseTest, AddKeepsPositionsAscendingAndUnique) {
    BookmarkDatabase database;
    EXPECT_EQ(database.Add("/r/a.wav", {10, "ten"}), 0); // a new record: its index
    EXPECT_EQ(database.Add("/r/a.wav", {30, ""}), 1);
    EXPECT_EQ(database.Add("/r/a.wav", {20, "twenty"}), 1);
    EXPECT_EQ(database.Add("/r/a.wav", {20, "again"}), -1);
    EXPECT_EQ(Positions(database, 0), (std::vector<uint16_t>{10, 20, 30}));
    EXPECT_EQ(database.At(0).bookmarks[1].text, "twenty");
    EXPECT_EQ(database.Add("/r/b.wav", {5, ""}), 1);
    EXPECT_EQ(database.Add("/R/A.WAV", {0, ""}), 0); // the same recording
    EXPECT_EQ(database.Size(), 2u);
}

TEST(BookmarkDatabaseTest, ARecordHoldsNoMoreThanTheFileKeeps) {
    BookmarkDatabase database;
    for (uint16_t position = 0; position < 64; ++position)
        EXPECT_GE(database.Add("/a.wav", {position, ""}), 0);
    EXPECT_EQ(database.Add("/a.wav", {1000, ""}), -1);
    EXPECT_EQ(database.At(0).bookmarks.size(), 64u);
}

TEST(BookmarkDatabaseTest, MoveRenameCopyAndRemove) {
    BookmarkDatabase database;
    for (const char* path : {"/a.wav", "/b.wav", "/c.wav", "/d.wav"})
        database.Add(path, {1, path});
    EXPECT_TRUE(database.MoveToFront("/C.wav"));
    EXPECT_EQ(Paths(database), (std::vector<std::string>{"/c.wav", "/a.wav", "/b.wav", "/d.wav"}));
    EXPECT_FALSE(database.MoveToFront("/none.wav"));

    // Renaming the record at index 2 to a path held at index 1: that very record
    // takes the name and the other is dropped.
    ASSERT_TRUE(database.RenameFile("/b.wav", "/A.wav"));
    EXPECT_EQ(Paths(database), (std::vector<std::string>{"/c.wav", "/A.wav", "/d.wav"}));
    EXPECT_EQ(database.At(1).bookmarks[0].text, "/b.wav");
    EXPECT_FALSE(database.RenameFile("/none.wav", "/c.wav"));
    ASSERT_TRUE(database.RenameFile("/c.wav", "/C.wav")); // only the case changes
    EXPECT_EQ(Paths(database), (std::vector<std::string>{"/C.wav", "/A.wav", "/d.wav"}));

    ASSERT_TRUE(database.CopyFile("/d.wav", "/C.wav"));
    EXPECT_EQ(Paths(database), (std::vector<std::string>{"/C.wav", "/A.wav", "/d.wav"}));
    EXPECT_EQ(database.At(2).bookmarks[0].text, "/c.wav");
    ASSERT_TRUE(database.CopyFile("/e.wav", "/d.wav"));
    database.Add("/e.wav", {2, ""});
    EXPECT_EQ(database.At(2).bookmarks.size(), 1u); // copies do not share bookmarks
    EXPECT_FALSE(database.CopyFile("/f.wav", "/none.wav"));

    EXPECT_TRUE(database.RemoveBookmark(3, 0));
    EXPECT_FALSE(database.RemoveBookmark(3, 5));
    EXPECT_FALSE(database.RemoveBookmark(9, 0));
    EXPECT_TRUE(database.RemoveFile(0));
    EXPECT_TRUE(database.RemoveFile("/e.wav"));
    EXPECT_FALSE(database.RemoveFile(7));
    EXPECT_EQ(Paths(database), (std::vector<std::string>{"/A.wav", "/d.wav"}));
    database.Clear();
    EXPECT_TRUE(database.Empty());
}

TEST(BookmarkDatabaseTest, CleanUpDropsRecordsOfMissingFiles) {
    test::ScratchFolder folder;
    test::WriteWholeFile(folder / "kept.wav", "");
    BookmarkDatabase database;
    database.Add(folder / "kept.wav", {1, ""});
    database.Add(folder / "gone.wav", {1, ""});
    database.Add(folder.Path(), {1, ""}); // a folder's attributes can be read too
    EXPECT_EQ(database.CleanUp(), 1u);
    EXPECT_EQ(Paths(database), (std::vector<std::string>{folder / "kept.wav", folder.Path()}));
}

TEST(BookmarkDatabaseTest, PositionsAreShownAsTimes) {
    EXPECT_EQ(FormatPosition(0), "0:00");
    EXPECT_EQ(FormatPosition(3599), "59:59");
    EXPECT_EQ(FormatPosition(3600), "1:00:00");
    EXPECT_EQ(FormatPosition(65535), "18:12:15");
}

} // namespace
} // namespace tonilo
