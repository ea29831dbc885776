// The compositor's pixel work: the four blend cases against values worked out by
// hand, hit testing through masks, image registration and the dirty list.
#include <gtest/gtest.h>

#include "skin/SkinCompositor.h"
#include "skin/SkinElement.h"
#include "skin/SkinFrame.h"

namespace tonilo {
namespace {

constexpr uint16_t kYellow = 0xFFE0; // 31, 63, 0
constexpr uint16_t kBlue = 0x001F;   // 0, 0, 31

SkinBitmap Picture(int32_t width, int32_t height, uint16_t colour) {
    SkinBitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.pixels16.assign(static_cast<size_t>(width) * height, colour);
    return bitmap;
}

SkinBitmap Mask(int32_t width, int32_t height, uint8_t value) {
    SkinBitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.bitsPerPixel = 8;
    bitmap.pixels8.assign(static_cast<size_t>(width) * height, value);
    return bitmap;
}

class Compositor : public ::testing::Test {
protected:
    Compositor() { picture.Create(8, 6); }
    // An element with a layer over the whole picture, background blue.
    SkinElement* Layered(const SkinBitmap* layerMask) {
        elements_.push_back(std::make_unique<SkinElement>(nullptr, &frame_));
        picture.AddLayer(elements_.back().get(), SkinRect::FromSize(0, 0, 8, 6), layerMask);
        return elements_.back().get();
    }

    SkinFrame frame_;
    SkinCompositor& picture = frame_.GetCompositor();
    std::vector<std::unique_ptr<SkinElement>> elements_;
};

struct BlendCase {
    const char* name;
    int pictureMask; // -1 none
    int layerMask;   // -1 none
    int transparency;
    uint16_t expected;
};

class CompositorBlend : public Compositor, public ::testing::WithParamInterface<BlendCase> {};

TEST_P(CompositorBlend, MatchesTheHandWorkedPixel) {
    const BlendCase& c = GetParam();
    SkinBitmap source = Picture(8, 6, kYellow);
    SkinBitmap pictureMask = Mask(8, 6, static_cast<uint8_t>(c.pictureMask));
    SkinBitmap layerMask = Mask(8, 6, static_cast<uint8_t>(c.layerMask));
    SkinElement* element = Layered(c.layerMask >= 0 ? &layerMask : nullptr);
    SkinImage image;
    image.bitmap = &source;
    image.mask = c.pictureMask >= 0 ? &pictureMask : nullptr;
    ASSERT_GT(picture.RegisterImage(&image), 0);
    picture.Fill(kBlue);
    picture.DrawImage(element, image.id, SkinRect::FromSize(2, 1, 3, 2), {0, 0}, c.transparency);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 8; ++x) {
            bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
            EXPECT_EQ(picture.PixelAt(x, y), inside ? c.expected : kBlue) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(
    FourCases, CompositorBlend,
    ::testing::Values(
        // M = mix(S, B, 64) = (24, 48, 8); mix(M, B, 200) = (6, 11, 26).
        BlendCase{"BothMasksIgnoreTransparency", 64, 200, 99, (6 << 11) | (11 << 5) | 26},
        BlendCase{"LayerMaskOnly", -1, 128, 99, (16 << 11) | (32 << 5) | 16},
        // t = 180 + 75 * 100 / 255 = 209: (6, 12, 26).
        BlendCase{"PictureMaskWithTransparency", 100, -1, 180, (6 << 11) | (12 << 5) | 26},
        BlendCase{"PictureMaskOpaqueEverywhere", 0, -1, 0, kYellow},
        BlendCase{"PictureMaskWhiteHidesAll", 255, -1, 0, kBlue},
        BlendCase{"NoMaskIgnoresTransparency180", -1, -1, 180, kYellow}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(Compositor, DrawingIsClippedToThePictureAndStartsAtTheSourcePoint) {
    SkinBitmap source = Picture(4, 4, kYellow);
    source.pixels16[1 * 4 + 1] = 0x07E0; // the source point's pixel is green
    SkinElement* element = Layered(nullptr);
    SkinImage image;
    image.bitmap = &source;
    picture.RegisterImage(&image);
    picture.Fill(kBlue);
    // Wider than what is left of the picture from the source point, and off the edge.
    picture.DrawImage(element, image.id, SkinRect::FromSize(6, 4, 10, 10), {1, 1}, 0);
    EXPECT_EQ(picture.PixelAt(6, 4), 0x07E0);
    EXPECT_EQ(picture.PixelAt(7, 5), kYellow);
    EXPECT_EQ(picture.PixelAt(5, 5), kBlue);
    EXPECT_EQ(picture.PixelAt(6, 3), kBlue);
}

TEST_F(Compositor, OddWidthRowsArePaddedAndTheTopRowIsStoredLast) {
    ASSERT_TRUE(picture.Create(5, 3));
    EXPECT_EQ(picture.Stride(), 6);
    picture.Fill(kBlue);
    picture.FillRect(Layered(nullptr), SkinRect::FromSize(0, 0, 1, 1), kYellow);
    EXPECT_EQ(picture.Pixels()[2 * 6], kYellow);
    EXPECT_EQ(picture.TopDownPixels()[0], kYellow);
}

TEST_F(Compositor, RegisteringTheSameImageTwiceGivesOneId) {
    SkinBitmap source = Picture(10, 4, kYellow);
    SkinImage whole, again, part, minusOnes;
    whole.bitmap = again.bitmap = part.bitmap = minusOnes.bitmap = &source;
    part.source = SkinRect::FromSize(2, 0, 3, 4);
    minusOnes.source = SkinRect{0, 0, 0, 0}; // no coordinate positive: the whole bitmap
    EXPECT_EQ(picture.RegisterImage(&whole), 1);
    EXPECT_EQ(picture.RegisterImage(&again), 1);
    EXPECT_EQ(picture.RegisterImage(&part), 2);
    EXPECT_EQ(picture.RegisterImage(&minusOnes), 3);
    int32_t w = 0, h = 0;
    ASSERT_TRUE(picture.GetImageSize(2, &w, &h));
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 4);
    ASSERT_TRUE(picture.GetImageSize(3, &w, &h));
    EXPECT_EQ(w, 10);
    EXPECT_FALSE(picture.GetImageSize(4, &w, &h));
    SkinImage none;
    EXPECT_EQ(picture.RegisterImage(&none), 0);
}

TEST_F(Compositor, HitTestingFallsThroughWhiteMaskPixelsAndOutsideTheMask) {
    SkinElement* below = Layered(nullptr);
    SkinBitmap mask = Mask(4, 3, 0); // smaller than the 8 by 6 layer
    mask.pixels8[1 * 4 + 1] = 255;
    mask.pixels8[1 * 4 + 2] = 254;
    SkinElement* above = Layered(&mask);
    EXPECT_EQ(picture.HitTest(1, 1)->element, below); // white: transparent
    EXPECT_EQ(picture.HitTest(2, 1)->element, above); // 254 still hits
    EXPECT_EQ(picture.HitTest(0, 0)->element, above);
    EXPECT_EQ(picture.HitTest(6, 4)->element, below); // beyond the mask picture
    EXPECT_EQ(picture.HitTest(8, 0), nullptr);        // beyond every layer
    picture.ShowLayer(above, false);
    EXPECT_FALSE(picture.IsLayerVisible(above));
    EXPECT_EQ(picture.HitTest(0, 0)->element, below);
}

TEST_F(Compositor, DirtyAreasMergeWhenTheyMeetAndEmptyOnPaint) {
    picture.Invalidate(SkinRect::FromSize(0, 0, 2, 2));
    picture.Invalidate(SkinRect::FromSize(5, 4, 2, 2));
    ASSERT_EQ(picture.DirtyAreas().size(), 2u);
    picture.Invalidate(SkinRect::FromSize(2, 0, 1, 1)); // touches the first
    ASSERT_EQ(picture.DirtyAreas().size(), 2u);
    picture.Invalidate(SkinRect::FromSize(20, 20, 3, 3)); // off the picture
    ASSERT_EQ(picture.DirtyAreas().size(), 2u);
    std::vector<SkinRect> painted = picture.PaintDirty();
    ASSERT_EQ(painted.size(), 2u);
    EXPECT_EQ(painted[0], SkinRect::FromSize(5, 4, 2, 2));
    EXPECT_EQ(painted[1], SkinRect::FromSize(0, 0, 3, 2));
    EXPECT_TRUE(picture.DirtyAreas().empty());
}

TEST_F(Compositor, TextIsBlendedByCoverageInsideItsBox) {
    SkinElement* element = Layered(nullptr);
    picture.Fill(kBlue);
    SkinTextBitmap text;
    text.width = 4;
    text.height = 1;
    text.coverage = {255, 0, 128, 255};
    picture.DrawText(element, text, {1, 2}, SkinRect::FromSize(0, 0, 4, 6), kYellow);
    EXPECT_EQ(picture.PixelAt(1, 2), kYellow);
    EXPECT_EQ(picture.PixelAt(2, 2), kBlue);
    EXPECT_EQ(picture.PixelAt(3, 2), SkinMix(kYellow, kBlue, 127));
    EXPECT_EQ(picture.PixelAt(4, 2), kBlue); // outside the box
}

TEST_F(Compositor, FillsStayInsideTheLayerAndThePaintedArea) {
    elements_.push_back(std::make_unique<SkinElement>(nullptr, &frame_));
    SkinElement* element = elements_.back().get();
    picture.AddLayer(element, SkinRect::FromSize(2, 1, 4, 3), nullptr); // x 2..5, y 1..3
    picture.Fill(kBlue);
    // Element coordinates; the part beyond the layer stays untouched.
    picture.FillRect(element, SkinRect::FromSize(-5, 1, 20, 1), kYellow);
    for (int32_t x = 0; x < 8; ++x)
        EXPECT_EQ(picture.PixelAt(x, 2), x >= 2 && x <= 5 ? kYellow : kBlue) << x;
    EXPECT_EQ(picture.PixelAt(3, 1), kBlue);
    picture.FillRect(element, SkinRect::FromSize(0, 0, 1, 1), kYellow, 128);
    EXPECT_EQ(picture.PixelAt(2, 1), SkinMix(kYellow, kBlue, 127));
    picture.FillRect(element, SkinRect::FromSize(1, 0, 1, 1), kYellow, 0);
    EXPECT_EQ(picture.PixelAt(3, 1), kBlue);
    picture.FillRect(element, SkinRect::FromSize(0, 0, 4, 3).Offset(0, 10), kYellow);
    EXPECT_EQ(picture.PixelAt(2, 3), kBlue); // entirely outside: nothing
}

} // namespace
} // namespace tonilo
