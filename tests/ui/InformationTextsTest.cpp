// The number texts of the properties and export dialogs at their edges: the
// group and unit boundaries, zero, and sizes past 32 bits.
#include <gtest/gtest.h>

#include "ui/InformationTexts.h"

namespace tonilo::test {
namespace {

TEST(InformationTexts, SizesInBytesWithThousandsGroups) {
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "0 bytes"},
        {999, "999 bytes"},
        {1000, "1,000 bytes"},
        {1000000, "1,000,000 bytes"},
        {1234567, "1,234,567 bytes"},
        {1000000007, "1,000,000,007 bytes"},
        {4294967295u, "4,294,967,295 bytes"},
        {12345678901234u, "12345,678,901,234 bytes"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(SizeWithGroupsText(bytes), text) << bytes;
}

TEST(InformationTexts, ShortSizesTruncateInDecimalUnits) {
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "0 B"},           {999, "999 B"},        {1000, "1 kB"},    {240000, "240 kB"},
        {999999, "999 kB"},   {1000000, "1 MB"},     {1500000, "1 MB"}, {999999999, "999 MB"},
        {1000000000, "1 GB"}, {5400000000u, "5 GB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(ShortSizeText(bytes), text) << bytes;
}

TEST(InformationTexts, LengthsLeaveOutLeadingZeroParts) {
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "0 seconds"},
        {5000, "5 seconds"},
        {60000, "1 minutes 00 seconds"},
        {61000, "1 minutes 01 seconds"},
        {3599000, "59 minutes 59 seconds"},
        {3600000, "1 hours 00 minutes 00 seconds"},
        {3723000, "1 hours 02 minutes 03 seconds"},
        {4294967295u, "1193 hours 02 minutes 47 seconds"},
    };
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(LengthText(ms), text) << ms;
}

TEST(InformationTexts, FormatLines) {
    EXPECT_EQ(ShortFormatDescription("Mp3", 8000, 1, 8, 999), "MP3, 8000 Hz, mono, 8 bits, 999 B");
    // Only two channels are stereo; anything else reads mono.
    EXPECT_EQ(FormatLineText("zaf", 16000, 6, 16), "ZAF, 16000 Hz, mono, 16 bits, ");
    EXPECT_EQ(FormatLineText("", 16000, 1, 16), ", 16000 Hz, mono, 16 bits, ");
}

} // namespace
} // namespace tonilo::test
