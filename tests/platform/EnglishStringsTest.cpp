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

TEST(EnglishStrings, HoldsTheTextsOfEveryArea) {
    struct Expected {
        uint32_t id;
        const char* text;
    };
    const Expected expected[] = {
        // Engine error log.
        {36000, "Audio player library error!"},
        {36005, "Cannot open sound device!"},
        {36006, "Filtering error!"},
        {37003, "Cannot prepare file size! Check free memory."},
        {37006, "Filtering error!"},
        // Skin loading.
        {21000, "Cannot open skin file!"},
        {21001, "Skin file syntax error!"},
        // Scheduler.
        {24018, "Event with the same name already exists!"},
        {24020, "Scheduler"},
        {24026, "Incorrect time or date!"},
        {24033, "The number of scheduled events was reached! Please delete some before adding "
                "a new one."},
        // File naming, with the characters spelled out.
        {13000, "Cannot create directory!"},
        {13052, "A file name cannot contain any of the following characters:\n"
                "\\ / : * ? \" < > |"},
        {30190, "A file name cannot contain any of the following characters:\n"
                "/ : * ? \" < > |"},
        // Main window, menus, recording list, export, properties, bookmarks.
        {13010, "Record"},
        {13049, "Stop"},
        {13057, "Volume"},
        {13063, "The file \"%s\" already exists. Do you wish to overwrite it?"},
        {13136, "Export"},
        {13088, "Bookmark #9"},
        {13077, "120 minutes"},
        {30152, "on"},
        {30153, "off"},
        {30168, "Tap\nhere"},
        {30182, "This action will delete all nonexisting files from bookmarks database. Do you "
                "want to continue?"},
        {30191, "Not enough free space for target file! Change location or choose target "
                "format with lower bitrate."},
        {30212, "Mode"},
        // Associations and hardware buttons.
        {13038, "You have successfully associated following file types:"},
        {1205, "Start/pause rec."},
    };
    for (const Expected& entry : expected) {
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
