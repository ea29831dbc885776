#include "platform/EnglishStrings.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/LanguageResources.h"
#include "platform/TextEncoding.h"

namespace tonilo {
namespace {

TEST(EnglishStrings, IdsAreSortedAndUnique) {
    ASSERT_GT(kEnglishStringCount, 100u);
    for (size_t i = 1; i < kEnglishStringCount; ++i)
        EXPECT_LT(kEnglishStrings[i - 1].id, kEnglishStrings[i].id)
            << "entry " << i << " (id " << kEnglishStrings[i].id << ") is out of order";
}

TEST(EnglishStrings, EveryTextIsValidAndFitsTheLoadLimit) {
    for (size_t i = 0; i < kEnglishStringCount; ++i) {
        const ResourceString& entry = kEnglishStrings[i];
        ASSERT_NE(entry.text, nullptr);
        EXPECT_FALSE(std::string(entry.text).empty()) << entry.id;
        EXPECT_TRUE(IsValidUtf8(entry.text)) << entry.id;
        EXPECT_LE(Utf8ToUtf16(entry.text).size(), kMaxResourceStringLength) << entry.id;
    }
}

TEST(EnglishStrings, LookupMissesBetweenAndAroundTheIds) {
    EXPECT_EQ(FindEnglishString(0), nullptr);
    EXPECT_EQ(FindEnglishString(13001), nullptr);
    EXPECT_EQ(FindEnglishString(36007), nullptr);
    EXPECT_EQ(FindEnglishString(0xFFFFFFFFu), nullptr);
    EXPECT_STREQ(FindEnglishString(kEnglishStrings[0].id), kEnglishStrings[0].text);
    const ResourceString& last = kEnglishStrings[kEnglishStringCount - 1];
    EXPECT_STREQ(FindEnglishString(last.id), last.text);
}

} // namespace
} // namespace tonilo
