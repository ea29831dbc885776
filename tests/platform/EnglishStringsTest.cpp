#include "platform/EnglishStrings.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/LanguageResources.h"
#include "platform/StringTable.h"
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

TEST(EnglishStrings, TextsKeepTheirEscapedCharactersAndPlaceholders) {
    const struct {
        uint32_t id;
        const char* text;
    } expected[] = {
        {36000, "Audio player library error!"},
        {13052, "A file name cannot contain any of the following characters:\n"
                "\\ / : * ? \" < > |"},
        {30190, "A file name cannot contain any of the following characters:\n"
                "/ : * ? \" < > |"},
        {13063, "The file \"%s\" already exists. Do you wish to overwrite it?"},
        {30168, "Tap\nhere"},
        {1205, "Start/pause rec."},
    };
    for (const auto& entry : expected) {
        const char* text = FindEnglishString(entry.id);
        ASSERT_NE(text, nullptr) << entry.id;
        EXPECT_STREQ(text, entry.text) << entry.id;
    }
    std::string variables = FindEnglishString(30139);
    EXPECT_EQ(variables.rfind("You can use these variables:\n", 0), 0u);
    for (const char* variable : {"%Y", "%M", "%D", "%h", "%m", "%F", "%I", "%L"})
        EXPECT_NE(variables.find(variable), std::string::npos) << variable;
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

TEST(EnglishStrings, BuiltInTableHoldsEveryEntry) {
    const StringTable& table = BuiltInStrings();
    ASSERT_EQ(table.Size(), kEnglishStringCount);
    for (size_t i = 0; i < kEnglishStringCount; ++i) {
        const std::string* text = table.Find(kEnglishStrings[i].id);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(*text, kEnglishStrings[i].text);
    }
}

} // namespace
} // namespace tonilo
