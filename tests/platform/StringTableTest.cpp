#include "platform/StringTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "platform/EnglishStrings.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

std::string TextOf(const StringTable& table, uint32_t id) {
    const std::string* text = table.Find(id);
    return text ? *text : "<missing>";
}

TEST(StringTable, ReadsEntriesEscapesCommentsAndBlankLines) {
    const std::string content = "# a comment\n"
                                "\n"
                                "   \n"
                                "100\tPlain text\n"
                                "101\tTwo\\nlines\\tand a tab\n"
                                "102\tC:\\\\Path\n"
                                "103\t\n"
                                "104\tEnds in a backslash \\\n"
                                "105\tUnknown \\q escape\n"
                                "106\t\\\\n is not a line break\n"
                                "#107\tcommented out\n"
                                "65535\tHighest id\n";
    testing::internal::CaptureStderr();
    auto table = StringTable::Parse(content, "test.mui");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_TRUE(table);
    EXPECT_EQ(table->Size(), 8u);
    EXPECT_EQ(TextOf(*table, 100), "Plain text");
    EXPECT_EQ(TextOf(*table, 101), "Two\nlines\tand a tab");
    EXPECT_EQ(TextOf(*table, 102), "C:\\Path");
    EXPECT_EQ(TextOf(*table, 103), "");
    EXPECT_EQ(TextOf(*table, 104), "Ends in a backslash \\");
    EXPECT_EQ(TextOf(*table, 105), "Unknown \\q escape");
    EXPECT_EQ(TextOf(*table, 106), "\\n is not a line break");
    EXPECT_EQ(TextOf(*table, 65535), "Highest id");
    EXPECT_EQ(table->Find(107), nullptr);
}

TEST(StringTable, AcceptsWindowsLineEndsAByteOrderMarkAndNoFinalLineBreak) {
    const std::string byteOrderMark = "\xEF\xBB\xBF";
    auto table = StringTable::Parse(byteOrderMark + "1\tOne\r\n2\tZwei \xC3\xA4\r\n3\tThree", "x");
    ASSERT_TRUE(table);
    EXPECT_EQ(TextOf(*table, 1), "One");
    EXPECT_EQ(TextOf(*table, 2), "Zwei \xC3\xA4");
    EXPECT_EQ(TextOf(*table, 3), "Three");
}

TEST(StringTable, SkipsMalformedLinesAndReportsEachWithFileAndLine) {
    const std::string content = "10\tGood\n"                   // 1
                                "no id here\n"                 // 2
                                "\tno id either\n"             // 3
                                "65536\tid too big\n"          // 4
                                "99999999999999\tx\n"          // 5
                                "11 missing tab\n"             // 6
                                "12\n"                         // 7
                                "13\tbad \xC3\x28 utf8\n"      // 8
                                "14\toverlong \xC0\xAF\n"      // 9
                                "15\tsurrogate \xED\xA0\x80\n" // 10
                                "10\tduplicate\n"              // 11
                                "-1\tnegative\n"               // 12
                                "16\tGood too\n";              // 13
    testing::internal::CaptureStderr();
    auto table = StringTable::Parse(content, "Lang/Tonilo.0407.mui");
    std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(table);
    EXPECT_EQ(table->Size(), 2u);
    EXPECT_EQ(TextOf(*table, 10), "Good");
    EXPECT_EQ(TextOf(*table, 16), "Good too");
    for (int line : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}) {
        std::string mark = "Lang/Tonilo.0407.mui:" + std::to_string(line) + ":";
        size_t at = errors.find(mark);
        EXPECT_NE(at, std::string::npos) << "line " << line << " not reported in\n" << errors;
        EXPECT_EQ(errors.find(mark, at + 1), std::string::npos) << "line " << line;
    }
    EXPECT_EQ(errors.find(":1:"), std::string::npos);
    EXPECT_EQ(errors.find(":13:"), std::string::npos);
}

TEST(StringTable, GarbageIsReportedBrieflyAndNeverCrashes) {
    std::string garbage;
    for (int i = 0; i < 5000; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    testing::internal::CaptureStderr();
    auto table = StringTable::Parse(garbage, "junk.mui");
    std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(table);
    size_t lines = 0;
    for (char c : errors)
        lines += c == '\n';
    EXPECT_LE(lines, 21u);
}

TEST(StringTable, LoadFileRefusesWhatIsNoReadableFile) {
    test::ScratchFolder scratch;
    std::filesystem::path folder = scratch.Path();
    std::filesystem::create_directories(folder / "Tonilo.0407.mui");
    EXPECT_EQ(StringTable::LoadFile((folder / "absent.mui").string()), nullptr);
    EXPECT_EQ(StringTable::LoadFile((folder / "Tonilo.0407.mui").string()), nullptr);
    { std::ofstream file(folder / "empty.mui"); }
    auto empty = StringTable::LoadFile((folder / "empty.mui").string());
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->Size(), 0u);
}

TEST(StringTable, EscapingRoundTrips) {
    for (std::string text : {"", "plain", "a\nb", "tab\there", "back\\slash", "\\n literal",
                             "trailing\\", "\n\n\t\\\\"}) {
        std::string escaped = EscapeResourceText(text);
        EXPECT_EQ(escaped.find('\n'), std::string::npos);
        EXPECT_EQ(escaped.find('\t'), std::string::npos);
        EXPECT_EQ(UnescapeResourceText(escaped), text);
    }
}

TEST(StringTable, TemplateWrittenByTheBuildHoldsTheEnglishTable) {
    std::string path = std::string(TONILO_PROGRAM_DIR) + "/Lang/Tonilo.template.mui";
    testing::internal::CaptureStderr();
    auto table = StringTable::LoadFile(path);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_TRUE(table) << path;
    ASSERT_EQ(table->Size(), kEnglishStringCount);
    for (size_t i = 0; i < kEnglishStringCount; ++i)
        EXPECT_EQ(TextOf(*table, kEnglishStrings[i].id), kEnglishStrings[i].text);
}

TEST(StringTable, Utf8Validation) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("ASCII"));
    EXPECT_TRUE(IsValidUtf8("\xC3\xA4\xE2\x82\xAC\xF0\x9F\x8E\xA4")); // a-umlaut, euro, emoji
    EXPECT_FALSE(IsValidUtf8("\x80"));
    EXPECT_FALSE(IsValidUtf8("\xC3"));             // cut short
    EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));     // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xB0\x80"));     // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xFF"));
}

} // namespace
} // namespace tonilo
