#include <gtest/gtest.h>

#include "ui/RecordingEntries.h"

namespace tonilo {
namespace {

TEST(RecordingEntries, NamesSortNaturallyAndTotally) {
    const struct {
        std::string less;
        std::string more;
    } pairs[] = {
        {"Recording 9.wav", "Recording 10.wav"},
        {"recording 9.wav", "Recording 10.wav"}, // case aside
        {"a.wav", "B.wav"},
        {"take 007.wav", "take 8.wav"}, // leading zeros aside
        {"Take 1.wav", "take 1.wav"},   // equal but for case: bytes decide
        {"take 01.wav", "take 1.wav"},  // equal value: bytes decide
        {"x", "x1"},
        {"x9", "xa"},
        {"Zebra", "Ärger"}, // beyond ASCII: by bytes
        {"12345678901234567890", "123456789012345678901"},
    };
    for (const auto& pair : pairs) {
        EXPECT_TRUE(NameLess(pair.less, pair.more)) << pair.less << " < " << pair.more;
        EXPECT_FALSE(NameLess(pair.more, pair.less)) << pair.more << " !< " << pair.less;
    }
    EXPECT_FALSE(NameLess("same", "same"));
}

TEST(RecordingEntries, ColumnTextsAtTheirEdges) {
    const struct {
        int64_t value;
        std::string size;
        std::string duration;
    } cases[] = {
        {-1, "-1 B", ""},
        {0, "0 B", "0:00"},
        {999, "999 B", "0:00"},
        {1023, "1023 B", "0:01"},
        {1024, "1 KB", "0:01"},
        {1025, "2 KB", "0:01"},
        {59999, "59 KB", "0:59"},
        {60000, "59 KB", "1:00"},
        {3599999, "3.4 MB", "59:59"},
        {3600000, "3.4 MB", "1:00:00"},
        {1073741824, "1.0 GB", "298:15:41"},
    };
    for (const auto& item : cases) {
        if (item.value >= 0) {
            EXPECT_EQ(FormatSize(item.value), item.size) << item.value;
        }
        EXPECT_EQ(FormatDuration(item.value), item.duration) << item.value;
    }
}

TEST(RecordingEntries, SearchTextsEditByWholeCharacters) {
    EXPECT_TRUE(MatchesSearch("Meeting.wav", "ETI"));
    EXPECT_TRUE(MatchesSearch("anything", ""));
    EXPECT_FALSE(MatchesSearch("Zürich", "ZÜ")); // only ASCII folds
    EXPECT_EQ(WithoutLastCharacter("aü"), "a");
    EXPECT_EQ(WithoutLastCharacter("a☎"), "a");
    EXPECT_EQ(WithoutLastCharacter("a😀"), "a");
    EXPECT_EQ(WithoutLastCharacter(""), "");
    EXPECT_EQ(CharacterText('a'), "a");
    EXPECT_EQ(CharacterText(0xFC), "ü");
    EXPECT_EQ(CharacterText(0x260E), "☎");
    EXPECT_EQ(CharacterText(0x1F600), "😀");
    EXPECT_EQ(CharacterText(0x110000), "");
}

} // namespace
} // namespace tonilo
