// Path splitting at its edges: the root, bare names, hidden files, dotted
// folders, addresses; and little-endian fields with their high bits set.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/ByteOrder.h"
#include "platform/PathParts.h"

namespace tonilo {
namespace {

TEST(PathParts, SplitsAtTheLastSeparator) {
    const struct {
        const char* path;
        const char* folder;
        const char* prefix;
        const char* name;
        const char* extension;
    } cases[] = {
        {"/home/ann/talk.wav", "/home/ann", "/home/ann/", "talk.wav", "wav"},
        {"/talk.wav", "/", "/", "talk.wav", "wav"},
        {"talk.wav", ".", "", "talk.wav", "wav"},
        {"/home/ann/", "/home/ann", "/home/ann/", "", ""},
        {"/home/.local/talk", "/home/.local", "/home/.local/", "talk", ""},
        {"/home/ann/.hidden", "/home/ann", "/home/ann/", ".hidden", "hidden"},
        {"archive.tar.wav", ".", "", "archive.tar.wav", "wav"},
        {"name.", ".", "", "name.", ""},
        {"dir.x\\file", ".", "", "dir.x\\file", "x\\file"}, // '\\' is a name's character here
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(FolderPrefixOf(c.path), c.prefix) << c.path;
        EXPECT_EQ(FileNameOf(c.path), c.name) << c.path;
        EXPECT_EQ(ExtensionOf(c.path), c.extension) << c.path;
    }
}

TEST(PathParts, NamesAndAddressesForTheFormatRegistry) {
    const struct {
        const char* name;
        const char* extension;
    } cases[] = {
        {"/a/b/c.Mp3", "Mp3"},
        {"/a.dir/file", ""},
        {"C:\\a.dir\\file", ""},
        {"C:\\music\\song.zaf", "zaf"},
        {"http://host/talk.zaf?session=1.2#t", "zaf"},
        {"https://host/talk.mp3#t.wav", "mp3"},
        {"http://host.example/", ""},
        {"http://host/a.wav/stream?x.mp3", ""},
        {"take?1.wav", "wav"}, // a file's name may hold a question mark
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtensionOfName(c.name), c.extension) << c.name;
}

TEST(ByteOrder, FieldsWithTheirHighBitsSet) {
    const uint8_t bytes[] = {0xFE, 0xFF, 0x80, 0x81};
    EXPECT_EQ(ReadLe16(bytes), 0xFFFEu);
    EXPECT_EQ(ReadLe32(bytes), 0x8180FFFEu);
    uint8_t written[4] = {};
    WriteLe32(written, 0x8180FFFEu);
    EXPECT_EQ(0, std::memcmp(written, bytes, 4));
    std::string appended;
    AppendLe16(&appended, 0xFFFE);
    AppendLe32(&appended, 0x8180FFFEu);
    EXPECT_EQ(appended, std::string("\xFE\xFF\xFE\xFF\x80\x81", 6));
}

} // namespace
} // namespace tonilo
