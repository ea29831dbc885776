// Path splitting at its edges: the root, bare names, hidden files, dotted
// folders, addresses.
#include <gtest/gtest.h>

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

} // namespace
} // namespace tonilo
