// Loading files, what a failure leaves in the error log, and the info section.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/ErrorLog.h"
#include "skin/SkinDocument.h"
#include "skin/SkinInfoReader.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

class SkinDocumentLoad : public ::testing::Test {
protected:
    void SetUp() override { GetErrorLog().Clear(); }
    void TearDown() override { GetErrorLog().Clear(); }

    ErrorLogEntry NewestEntry() {
        uint32_t count = GetErrorLog().Count();
        return count ? GetErrorLog().Entry(count) : ErrorLogEntry();
    }

    test::ScratchFolder folder_;
};

TEST_F(SkinDocumentLoad, LoadsAFileAndKeepsItsPath) {
    std::string path = folder_.Write("skin.zs", "<info [240,320]/>\r\n<panel [0,0]/>\r\n");
    SkinDocument document;
    ASSERT_TRUE(document.Load(path));
    EXPECT_EQ(document.GetPath(), path);
    ASSERT_NE(document.GetRoot(), nullptr);
    EXPECT_EQ(document.GetRoot()->GetChildCount(), 2u);
    EXPECT_EQ(document.ResolvePath("back.png"), folder_.Path() + "/back.png");
    EXPECT_EQ(document.ResolvePath("sub/b.png"), folder_.Path() + "/sub/b.png");
    EXPECT_EQ(GetErrorLog().Count(), 0u);
    SkinDocument bare;
    ASSERT_TRUE(bare.LoadText("skin.zs", ""));
    EXPECT_EQ(bare.ResolvePath("back.png"), "back.png") << "no folder to resolve against";
}

TEST_F(SkinDocumentLoad, LargeFileCrossesReadBuffers) {
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "<button [1,2,3,4] file=\"b.png\" name=\"n" + std::to_string(i) + "\"/>\r\n";
    text += "<a>\r\n";
    SkinDocument document;
    EXPECT_FALSE(document.Load(folder_.Write("big.zs", text)));
    EXPECT_EQ(document.GetErrorText(), "Line 3002: </a> missing!");
}

TEST_F(SkinDocumentLoad, MissingFileIsReportedWithItsPath) {
    SkinDocument document;
    std::string path = folder_.Path() + "/absent.zs";
    EXPECT_FALSE(document.Load(path));
    EXPECT_EQ(document.GetRoot(), nullptr);
    ErrorLogEntry entry = NewestEntry();
    EXPECT_EQ(entry.code, kCannotOpenSkinFile);
    EXPECT_EQ(entry.text, path);

    // A folder opens but cannot be read.
    GetErrorLog().Clear();
    EXPECT_FALSE(document.Load(folder_.Path()));
    EXPECT_EQ(NewestEntry().code, kCannotOpenSkinFile);
}

TEST_F(SkinDocumentLoad, SyntaxErrorIsReportedAndLeavesNoTree) {
    SkinDocument document;
    ASSERT_TRUE(document.Load(folder_.Write("good.zs", "<a/>")));
    ASSERT_NE(document.GetRoot(), nullptr);
    // Loading a broken file into the same document drops the earlier tree too.
    EXPECT_FALSE(document.Load(folder_.Write("bad.zs", "<a>\r\n<b x=[1,\r\n")));
    EXPECT_EQ(document.GetRoot(), nullptr);
    EXPECT_EQ(document.FindNext("a", nullptr), nullptr);
    ErrorLogEntry entry = NewestEntry();
    EXPECT_EQ(entry.code, kSkinFileSyntaxError);
    EXPECT_EQ(entry.text, "Line 3: Check right side of an assignment!");
    EXPECT_EQ(document.GetErrorText(), entry.text);
}

class SkinInfoRead : public SkinDocumentLoad {
protected:
    bool Read(const std::string& text, std::unique_ptr<SkinInfo>* info) {
        SkinDocument document;
        EXPECT_TRUE(document.LoadText("skin.zs", text)) << document.GetErrorText();
        return reader_.ReadInfo(document, info);
    }
    std::string NewestText() { return NewestEntry().text; }

    SkinInfoReader reader_;
};

TEST_F(SkinInfoRead, ReadsTheFirstInfoNode) {
    std::unique_ptr<SkinInfo> info;
    ASSERT_TRUE(
        Read("<panel><info [480,640] name=\"Blue\" author=\"Studio\" comments=\"\"/></panel>"
             "<info [1,1] name=\"Other\" author=\"x\" comments=\"y\"/>",
             &info));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->width, 480);
    EXPECT_EQ(info->height, 640);
    EXPECT_EQ(info->name, "Blue");
    EXPECT_EQ(info->author, "Studio");
    EXPECT_EQ(info->comments, "");
}

TEST_F(SkinInfoRead, MissingSection) {
    std::unique_ptr<SkinInfo> info;
    EXPECT_FALSE(Read("", &info));
    EXPECT_EQ(NewestText(), "Info section is missing!");
    EXPECT_FALSE(Read("<a/>\nInfo [1,2]", &info)); // upper case ends the input
    EXPECT_FALSE(Read("<information [1,2] name=\"n\" author=\"a\" comments=\"c\"/>", &info));
    EXPECT_EQ(NewestText(), "Info section is missing!");
    EXPECT_EQ(info, nullptr);
}

TEST_F(SkinInfoRead, WrongAttributes) {
    const char* broken[] = {
        "<info [240,320] name=\"n\" author=\"a\"/>",                     // no comments
        "<info name=\"n\" author=\"a\" comments=\"c\"/>",                // no size
        "<info [1,2,3,4] name=\"n\" author=\"a\" comments=\"c\"/>",      // four numbers
        "<info [240,320] name author=\"a\" comments=\"c\"/>",            // a bare flag
        "<info [240,320] name=5 author=\"a\" comments=\"c\"/>",          // a number
        "<info [240,320] name author=\"a\" comments=\"c\" name=\"n\"/>", // the flag comes first
        "<info name=\"n\" author=\"a\" comments=\"c\" size=[1,2]/>",     // a named list is no size
    };
    for (const char* text : broken) {
        std::unique_ptr<SkinInfo> info;
        GetErrorLog().Clear();
        EXPECT_FALSE(Read(text, &info)) << text;
        EXPECT_EQ(NewestText(), "Info section has wrong attributes!") << text;
        EXPECT_EQ(info, nullptr);
    }
}

} // namespace
} // namespace tonilo
