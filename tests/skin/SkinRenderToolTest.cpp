// "tonilo-tool skin render" and "skin list" run as a skin designer runs them.
#include <gtest/gtest.h>

#include "platform/image/ImageFile.h"
#include "tests/skin/SkinTestSkin.h"
#include "tests/support/ToolRunner.h"

namespace tonilo {
namespace {

using test::ToolRun;

class SkinRender : public ::testing::Test {
protected:
    SkinRender() {
        test::WriteSolidPng(folder_ / "back.png", 40, 30, {0, 0, 255});
        // Two 10 by 10 cells: white, then grey when pressed.
        test::WriteTestPng(folder_ / "b.png", 10, 20, [](int32_t, int32_t y) {
            return y < 10 ? test::Rgb{255, 255, 255} : test::Rgb{128, 128, 128};
        });
        test::WriteSolidPng(folder_ / "m.png", 20, 4, {0, 255, 0});
        skin_ =
            folder_.Write("skin.zs", "<info [40,30] name=\"R\" author=\"\" comments=\"\"/>\n"
                                     "<panel [0,0] file=\"back.png\"/>\n"
                                     "<button [2,2,10,10] file=\"b.png\" name=\"Rec\"/>\n"
                                     "<level [15,20,20,4] file=\"m.png\" name=\"Meter\"/>\n"
                                     "<text [2,14,30,5] font=\"Tahoma\" size=5 name=\"Title\"/>\n"
                                     "<filelist [30,0,10,10] name=\"FileList\"/>\n"
                                     "<slider [0,25,20,4] name=\"Volume\">"
                                     "<level [0,0,20,4] file=\"m.png\" name=\"VolL\"/></slider>\n");
    }
    ToolRun Run(const std::string& arguments) { return test::RunToolIn(folder_.Path(), arguments); }
    // Red, green, blue of a pixel of the written PNG.
    test::Rgb At(const DecodedImage& image, int32_t x, int32_t y) {
        const uint8_t* p = image.rgba.data() + (static_cast<size_t>(y) * image.width + x) * 4;
        return {p[0], p[1], p[2]};
    }

    SkinTestFolder folder_;
    std::string skin_;
};

bool Same(test::Rgb a, test::Rgb b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

TEST_F(SkinRender, WritesTheMainFrameWithValuesAndPressedButtons) {
    std::string out = folder_ / "out.png";
    ToolRun run = Run("skin render " + test::Quoted(skin_) + " --out " + test::Quoted(out) +
                      " --set Meter=50 --press Rec --set Volume=1/4 --set Title=HHHH");
    ASSERT_EQ(run.exitCode, 0) << run.output << run.errors;
    DecodedImage image;
    ASSERT_TRUE(DecodeImageFile(out, &image));
    EXPECT_EQ(image.width, 40);
    EXPECT_EQ(image.height, 30);
    // RGB565 expanded: 128 grey keeps its high bits, 0x84 = 132 and 0x82 = 130.
    EXPECT_TRUE(Same(At(image, 2, 2), {132, 130, 132}));
    EXPECT_TRUE(Same(At(image, 15, 20), {0, 255, 0}));
    EXPECT_TRUE(Same(At(image, 24, 20), {0, 255, 0}));
    EXPECT_TRUE(Same(At(image, 25, 20), {0, 0, 255})); // half a meter
    EXPECT_TRUE(Same(At(image, 35, 5), {0, 0, 255}));  // the list area draws nothing
    EXPECT_TRUE(Same(At(image, 4, 26), {0, 255, 0}));  // the slider's level fills a quarter
    EXPECT_TRUE(Same(At(image, 5, 26), {0, 0, 255}));
    // The title's letters are drawn in black inside its box only.
    int inked = 0;
    for (int32_t y = 14; y < 19; ++y)
        for (int32_t x = 2; x < 32; ++x)
            inked += Same(At(image, x, y), {0, 0, 0});
    EXPECT_GT(inked, 3);
    EXPECT_TRUE(Same(At(image, 1, 16), {0, 0, 255}));
}

TEST_F(SkinRender, ScalesByAWholeFactorAndShowsBlackBeyond) {
    std::string out = folder_ / "big.png";
    ToolRun run = Run("skin render " + test::Quoted(skin_) + " --out " + test::Quoted(out) +
                      " --size 100x70");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    DecodedImage image;
    ASSERT_TRUE(DecodeImageFile(out, &image));
    EXPECT_EQ(image.width, 100);
    EXPECT_TRUE(Same(At(image, 4, 4), {255, 255, 255})); // Rec at (2, 2) doubled
    EXPECT_TRUE(Same(At(image, 3, 3), {0, 0, 255}));
    EXPECT_TRUE(Same(At(image, 79, 59), {0, 0, 255}));
    EXPECT_TRUE(Same(At(image, 80, 10), {0, 0, 0}));
    EXPECT_TRUE(Same(At(image, 10, 60), {0, 0, 0}));
}

TEST_F(SkinRender, WrongInvocationsAndUnbuildableSkins) {
    struct Case {
        std::string arguments;
        int exitCode;
    } cases[] = {
        {"skin render " + skin_, 2},
        {"skin render --out x.png", 2},
        {"skin render " + skin_ + " --out x.png --size 10", 2},
        {"skin render " + skin_ + " --out x.png --set =3", 2},
        {"skin render " + skin_ + " --out " + (folder_ / "x.png") + " --set Nobody=3", 1},
        {"skin render " + skin_ + " --out " + (folder_ / "x.png") + " --set Rec=many", 1},
        {"skin render " + skin_ + " --out " + (folder_ / "x.png") + " --press Meter", 1},
        {"skin render " + (folder_ / "none.zs") + " --out " + (folder_ / "x.png"), 1},
        {"skin render " +
             folder_.Write("bad.zs", "<info [4,4] name=\"\" author=\"\" comments=\"\"/><dial/>") +
             " --out " + (folder_ / "x.png"),
         1},
        {"skin list --size 3", 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Run(c.arguments).exitCode, c.exitCode) << c.arguments;
}

TEST_F(SkinRender, ListShowsTheCatalogAndTheChoiceForASize) {
    std::string skins = folder_ / "Skins";
    std::filesystem::create_directories(skins + "/default_vga");
    folder_.Write("Skins/default_vga/default.zs",
                  "<info [480,640] name=\"Vga\" author=\"\" comments=\"\"/>");
    ToolRun run = Run("skin list --skins " + test::Quoted(skins) + " --size 480x800");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "480x640 Vga " + skins +
                              "/default_vga/default.zs\n"
                              "FindBest " +
                              skins +
                              "/default_vga/default.zs\n"
                              "GetSkinForSize " +
                              skins + "/default_wvga/default.zs\n");
    run = Run("skin list --skins " + test::Quoted(skins) + " --size 240x320");
    EXPECT_EQ(run.output, "480x640 Vga " + skins +
                              "/default_vga/default.zs\n"
                              "FindBest none\n"
                              "GetSkinForSize " +
                              skins + "/default/default.zs\n");
}

} // namespace
} // namespace tonilo
