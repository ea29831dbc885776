#include <gtest/gtest.h>
#include <unistd.h>

#include "app/BookmarkDatabase.h"
#include "platform/AtomicFile.h"
#include "platform/TextEncoding.h"
#include "tests/support/CrashDuringWrite.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

using test::ReadWholeFile;
using test::ScratchFolder;
using test::WriteWholeFile;

// Builds file bytes by hand, as another program would have written them.
struct FileBuilder {
    std::string bytes;
    FileBuilder& U16(uint16_t value) {
        bytes.push_back(static_cast<char>(value & 0xFF));
        bytes.push_back(static_cast<char>(value >> 8));
        return *this;
    }
    FileBuilder& S32(int32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF));
        return *this;
    }
    FileBuilder& Text(const std::string& text, bool terminate = true) {
        AppendUtf16Le(&bytes, Utf8ToUtf16(text), terminate);
        return *this;
    }
};

BookmarkDatabase Parsed(const std::string& bytes) {
    BookmarkDatabase database;
    database.Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return database;
}

TEST(BookmarkFileTest, WritesTheFormatByteForByte) {
    BookmarkDatabase database;
    database.Add("/a.wav", {70, "Hi"});
    database.Add("/a.wav", {3, ""});
    database.Add("/b", {65535, "é"});
    std::string expected = FileBuilder()
                               .U16(100)
                               .Text("/a.wav")
                               .S32(2)
                               .U16(3)
                               .Text("")
                               .U16(70)
                               .Text("Hi")
                               .Text("/b")
                               .S32(1)
                               .U16(65535)
                               .Text("é")
                               .bytes;
    EXPECT_EQ(database.Serialise(), expected);
    EXPECT_EQ(Parsed(expected).Serialise(), expected);
}

TEST(BookmarkFileTest, ReadsWhatItCanAndStopsAtDamage) {
    FileBuilder good;
    good.U16(100).Text("/one.wav").S32(1).U16(5).Text("five");
    // Version 101 loads as empty.
    EXPECT_TRUE(Parsed(FileBuilder().U16(101).Text("/x").S32(0).bytes).Empty());
    EXPECT_TRUE(Parsed("").Empty());
    EXPECT_TRUE(Parsed("d").Empty());

    // A count of 65 ends loading; the records before stay.
    BookmarkDatabase database = Parsed(FileBuilder(good).Text("/two.wav").S32(65).bytes);
    ASSERT_EQ(database.Size(), 1u);
    EXPECT_EQ(database.At(0).bookmarks[0].text, "five");

    // Counts of 0 or less give a record without bookmarks.
    database = Parsed(FileBuilder(good).Text("/z").S32(0).Text("/n").S32(-5).bytes);
    ASSERT_EQ(database.Size(), 3u);
    EXPECT_TRUE(database.At(2).bookmarks.empty());

    // A record cut short is dropped, wherever the cut falls.
    std::string two =
        FileBuilder(good).Text("/two.wav").S32(2).U16(1).Text("a").U16(2).Text("b").bytes;
    for (size_t cut = good.bytes.size() + 1; cut < two.size(); ++cut)
        EXPECT_EQ(Parsed(two.substr(0, cut)).Size(), 1u) << cut;
    EXPECT_EQ(Parsed(two).Size(), 2u);
}

TEST(BookmarkFileTest, RepeatedPositionsKeepTheFirst) {
    BookmarkDatabase database = Parsed(FileBuilder()
                                           .U16(100)
                                           .Text("/a")
                                           .S32(3)
                                           .U16(9)
                                           .Text("first")
                                           .U16(9)
                                           .Text("second")
                                           .U16(4)
                                           .Text("")
                                           .bytes);
    ASSERT_EQ(database.Size(), 1u);
    ASSERT_EQ(database.At(0).bookmarks.size(), 2u);
    EXPECT_EQ(database.At(0).bookmarks[0].text, "first");
    EXPECT_EQ(database.At(0).bookmarks[1].position, 4); // the file's order is kept
}

TEST(BookmarkFileTest, StringLimits) {
    const std::string longest(259, 'p');
    BookmarkDatabase database =
        Parsed(FileBuilder().U16(100).Text(longest).S32(1).U16(1).Text(longest).bytes);
    ASSERT_EQ(database.Size(), 1u);
    EXPECT_EQ(database.At(0).path, longest);
    EXPECT_EQ(database.At(0).bookmarks[0].text, longest);

    // 260 units without a terminator fail, in a path and in a text.
    EXPECT_TRUE(Parsed(FileBuilder().U16(100).Text(longest + "p").S32(0).bytes).Empty());
    EXPECT_TRUE(
        Parsed(FileBuilder().U16(100).Text("/a").S32(1).U16(1).Text(longest + "t").bytes).Empty());

    // Saving cuts long texts and leaves out paths the reader would refuse.
    BookmarkDatabase saved;
    saved.Add(longest + "xx", {1, ""});
    saved.Add("/ok", {1, std::string(300, 't')});
    BookmarkDatabase reloaded = Parsed(saved.Serialise());
    ASSERT_EQ(reloaded.Size(), 1u);
    EXPECT_EQ(reloaded.At(0).path, "/ok");
    EXPECT_EQ(reloaded.At(0).bookmarks[0].text, std::string(259, 't'));
}

TEST(BookmarkFileTest, SaveAndLoadThroughTheFile) {
    ScratchFolder folder;
    const std::string path = BookmarksFilePath(folder.Path());
    EXPECT_EQ(path, folder / "bookmarks.bin");
    BookmarkDatabase database;
    EXPECT_FALSE(database.Load(path)); // missing: empty, nothing reported
    database.Add("/a.wav", {1, "x"});
    ASSERT_TRUE(database.Save(path));
    BookmarkDatabase loaded;
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_EQ(loaded.Serialise(), database.Serialise());

    // Loading replaces what the database held.
    loaded.Add("/other.wav", {2, ""});
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_EQ(loaded.Size(), 1u);

    // An empty database deletes the file.
    database.Clear();
    ASSERT_TRUE(database.Save(path));
    EXPECT_TRUE(test::FolderEntries(folder.Path()).empty());
    EXPECT_TRUE(database.Save(path));
}

TEST(BookmarkFileTest, ASaveDyingAtAnyStepLeavesALoadableFile) {
    ScratchFolder folder;
    const std::string path = BookmarksFilePath(folder.Path());
    BookmarkDatabase before;
    before.Add("/old.wav", {1, "old"});
    ASSERT_TRUE(before.Save(path));
    BookmarkDatabase after;
    for (uint16_t position = 0; position < 64; ++position)
        after.Add("/new" + std::to_string(position % 7) + ".wav", {position, "new"});

    for (int step = 0; step <= static_cast<int>(AtomicWriteStep::FlushFolder); ++step) {
        ASSERT_TRUE(
            test::WriteDiesAt(static_cast<AtomicWriteStep>(step), [&] { after.Save(path); }));
        BookmarkDatabase loaded;
        ASSERT_TRUE(loaded.Load(path));
        const BookmarkDatabase& expected =
            step == static_cast<int>(AtomicWriteStep::FlushFolder) ? after : before;
        EXPECT_EQ(loaded.Serialise(), expected.Serialise()) << step;
        ASSERT_TRUE(before.Save(path));
    }
}

} // namespace
} // namespace tonilo
