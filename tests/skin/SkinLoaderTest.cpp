// Loading skins: damaged images, unknown tags and malformed elements, frames,
// listeners, application classes and templates.
#include <fstream>

#include <gtest/gtest.h>

#include "skin/SkinButton.h"
#include "skin/SkinFrameElement.h"
#include "skin/SkinMessages.h"
#include "skin/SkinPlaceholder.h"
#include "skin/SkinSlider.h"
#include "skin/SkinText.h"
#include "skin/SkinTime.h"
#include "tests/skin/SkinTestSkin.h"

namespace tonilo {
namespace {

class Loader : public ::testing::Test {
protected:
    Loader() {
        test::WriteSolidPng(skins_.Path("good.png"), 20, 40, {255, 0, 0});
        test::WriteSolidPng(skins_.Path("digits.png"), 24, 4, {255, 255, 0});
    }
    test::TestSkinSystem skins_;
};

TEST_F(Loader, DamagedImagesLeaveElementsWithoutPictures) {
    std::string png = test::ReadWholeFile(skins_.Path("good.png"));
    test::WriteWholeFile(skins_.Path("truncated.png"), png.substr(0, png.size() / 2));
    test::WriteWholeFile(skins_.Path("text.png"), "this is no image at all\n");
    // A valid signature and header naming 20000 by 20000 pixels, and nothing else.
    std::string huge = png.substr(0, 33);
    huge[16] = 0, huge[17] = 0, huge[18] = 0x4E, huge[19] = 0x20;
    huge[20] = 0, huge[21] = 0, huge[22] = 0x4E, huge[23] = 0x20;
    test::WriteWholeFile(skins_.Path("huge.png"), huge);
    for (const char* file : {"missing.png", "truncated.png", "text.png", "huge.png"}) {
        Skin* skin = skins_.Load(std::string("<button [0,0,20,20] file=\"") + file +
                                 "\" name=\"B\"/><panel [0,30] file=\"" + file + "\" name=\"P\"/>");
        ASSERT_NE(skin, nullptr) << file;
        SkinCompositor& picture = skin->MainFrame()->GetCompositor();
        picture.Paint(SkinRect::FromSize(0, 0, 100, 100));
        EXPECT_EQ(picture.PixelAt(5, 5), 0) << file;
        EXPECT_NE(picture.GetLayer(skin->FindElement("B")), nullptr);
    }
    EXPECT_EQ(skins_.system.GetImageCache().LoadImage(skins_.Path("text.png"), 16), nullptr);
    const SkinBitmap* good = skins_.system.GetImageCache().LoadImage(skins_.Path("good.png"), 16);
    ASSERT_NE(good, nullptr);
    EXPECT_EQ(good->width, 20);
    // Decoded once per path, the path compared ignoring case.
    EXPECT_EQ(skins_.system.GetImageCache().LoadImage(skins_.Path("GOOD.png"), 16), good);
    const SkinBitmap* mask = skins_.system.GetImageCache().LoadImage(skins_.Path("good.png"), 8);
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->bitsPerPixel, 8);
    EXPECT_EQ(mask->pixels8[0], 76); // red 255 as grey: 255 * 77 >> 8
}

// A 24-bit BMP of width by height pixels, all of one colour.
std::string Bmp(int32_t width, int32_t height, uint8_t red, uint8_t green, uint8_t blue) {
    auto put32 = [](std::string* out, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    const uint32_t row = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    std::string bmp = "BM";
    put32(&bmp, 54 + row * height);
    put32(&bmp, 0);
    put32(&bmp, 54);
    put32(&bmp, 40);
    put32(&bmp, width);
    put32(&bmp, height);
    put32(&bmp, 1 | (24 << 16)); // planes, bits per pixel
    for (int i = 0; i < 6; ++i)
        put32(&bmp, 0);
    for (int32_t y = 0; y < height; ++y) {
        std::string line;
        for (int32_t x = 0; x < width; ++x)
            line += {static_cast<char>(blue), static_cast<char>(green), static_cast<char>(red)};
        line.resize(row, '\0');
        bmp += line;
    }
    return bmp;
}

TEST_F(Loader, BmpPicturesLoadAndOversizedOnesAreRefusedByTheirHeader) {
    test::WriteWholeFile(skins_.Path("small.bmp"), Bmp(3, 2, 0, 255, 0));
    test::WriteWholeFile(skins_.Path("wide.bmp"), Bmp(10001, 1, 0, 255, 0));
    test::WriteWholeFile(skins_.Path("edge.bmp"), Bmp(10000, 1, 0, 0, 0));
    SkinImageCache& cache = skins_.system.GetImageCache();
    const SkinBitmap* small = cache.LoadImage(skins_.Path("small.bmp"), 16);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->width, 3);
    EXPECT_EQ(small->pixels16[5], 0x07E0);
    EXPECT_EQ(cache.LoadImage(skins_.Path("wide.bmp"), 16), nullptr);
    const SkinBitmap* edge = cache.LoadImage(skins_.Path("edge.bmp"), 16);
    ASSERT_NE(edge, nullptr);
    EXPECT_EQ(edge->width, 10000);
}

TEST_F(Loader, UnknownTagsAndMalformedElementsFailTheSkin) {
    const char* bodies[] = {
        "<knob [0,0,10,10]/>",
        "<button [0,0,10,10] file=\"good.png\" src=[0,0,10]/>",
        "<button [0,0] file=\"good.png\"/>",
        "<button [0,0,10,10]/>", // no file anywhere up the tree
        "<button [0,0,10,10] file=\"\"/>",
        "<level [0,0,10,10] file=\"good.png\" src=[1,2,3]/>",
        "<sprite file=\"good.png\" src=[0,0]/>",
        "<panel/>",
        "<text [0,0,10,10] font=\"abcdefghijklmnopqrstuvwxyz012345\"/>", // 32 characters
        "<text [0,0,10,10]/>",
        "<time [0,0,10,10] digits=[1] ticks=[2]/>",
        "<time [0,0,10,10] digits=[1,2,3,4,5,6,7,8,9] ticks=[2]/>",
        "<time [0,0,10,10] digits=[1,2] ticks=[1,2,3]/>",
        "<time [0,0,10,10] digits=[1,2]/>",
        "<slider [0,0]/>",
        "<frame><knob/></frame>",                   // a secondary frame fails it too
        "<panel [0,0]><button [0,0,5,5]/></panel>", // a failing child
    };
    for (const char* body : bodies)
        EXPECT_EQ(skins_.Load(body), nullptr) << body;
    EXPECT_EQ(skins_.system.GetLoader().GetSkinCount(), 0u);
    EXPECT_NE(skins_.Load("<text [0,0,10,10] font=\"abcdefghijklmnopqrstuvwxyz01234\"/>"), nullptr);
}

TEST_F(Loader, RefusesWithoutPathParentOrInfoReader) {
    std::string path =
        skins_.folder.Write("ok.zs", "<info [10,10] name=\"a\" author=\"b\" comments=\"c\"/>");
    int parent = 0;
    EXPECT_EQ(skins_.system.GetLoader().LoadSkin("", &parent, nullptr, nullptr), nullptr);
    EXPECT_EQ(skins_.system.GetLoader().LoadSkin(path, nullptr, nullptr, nullptr), nullptr);
    SkinSystem bare("Software\\Zelto\\SkinTest");
    EXPECT_EQ(bare.GetLoader().LoadSkin(path, &parent, nullptr, nullptr), nullptr);
    EXPECT_EQ(skins_.system.GetLoader().LoadSkin(path + ".none", &parent, nullptr, nullptr),
              nullptr);
}

TEST_F(Loader, InvisibleButtonNeedsNoFileAndHasNoLayer) {
    Skin* skin = skins_.Load("<button [0,0,10,10] visible=0 name=\"Hidden\"/>");
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->MainFrame()->GetCompositor().GetLayer(skin->FindElement("Hidden")), nullptr);
    EXPECT_EQ(skin->MainFrame()->GetCompositor().HitTest(5, 5), nullptr);
}

TEST_F(Loader, FilesAreInheritedAndPositionsCountFromTheDrawnParent) {
    Skin* skin = skins_.Load("<panel [10,20,50,50] file=\"good.png\" name=\"Back\">"
                             "<frame name=\"Later\"/>"
                             "<button [5,6,20,20] name=\"Inner\"/></panel>");
    ASSERT_NE(skin, nullptr); // the button took "file" from the panel
    const SkinLayer* inner =
        skin->MainFrame()->GetCompositor().GetLayer(skin->FindElement("Inner"));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->rect, SkinRect::FromSize(15, 26, 20, 20));
}

TEST_F(Loader, FramesAndWhereTheirNotificationsGo) {
    Skin* skin = skins_.Load(
        "<button [0,0,20,20] file=\"good.png\" name=\"Main\"/>"
        "<frame name=\"Dialog\">"
        "  <button [0,0,20,20] file=\"good.png\" name=\"Ok\"/>"
        "  <frame name=\"Inner\"><button [0,0,20,20] file=\"good.png\" name=\"Deep\"/></frame>"
        "</frame>");
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->GetFrameCount(), 3u);
    SkinFrame *main = nullptr, *dialog = nullptr, *inner = nullptr, *none = nullptr;
    ASSERT_TRUE(skin->GetFrame(0, &main) && skin->GetFrame(1, &dialog) &&
                skin->GetFrame(2, &inner));
    EXPECT_FALSE(skin->GetFrame(3, &none));
    EXPECT_EQ(dialog->GetName(), "Dialog");
    EXPECT_NE(main->FindElement("Main"), nullptr);
    EXPECT_EQ(main->FindElement("Ok"), nullptr);
    EXPECT_NE(dialog->FindElement("Ok"), nullptr);
    EXPECT_EQ(dialog->FindElement("Deep"), nullptr); // belongs to the later frame only
    EXPECT_NE(inner->FindElement("Deep"), nullptr);
    EXPECT_TRUE(static_cast<SkinOffscreenWindow*>(main->GetWindow())->IsAttached());
    EXPECT_FALSE(static_cast<SkinOffscreenWindow*>(dialog->GetWindow())->IsAttached());
    EXPECT_EQ(main->GetCompositor().Width(), 100);

    static_cast<SkinButton*>(main->FindElement("Main"))->SetPressed(true, true, 0);
    static_cast<SkinButton*>(dialog->FindElement("Ok"))->SetPressed(true, true, 0);
    ASSERT_EQ(skins_.listener.received.size(), 1u); // the frame element keeps Ok's to itself
    EXPECT_EQ(skins_.listener.received[0].from, "Main");
    SkinElement* frameElement = dialog->FindElement("Dialog");
    ASSERT_NE(frameElement, nullptr);
    EXPECT_EQ(dialog->FindElement("Ok")->GetParent(), frameElement);
    EXPECT_EQ(frameElement->GetListener(), &skins_.listener);
}

TEST_F(Loader, NestedElementsNotifyTheirParentFirst) {
    Skin* skin = skins_.Load("<time [0,0,40,4] digits=[0,8] ticks=[4] name=\"Clock\">"
                             "<button [0,0,4,4] file=\"good.png\" name=\"Knob\"/></time>");
    ASSERT_NE(skin, nullptr);
    SkinElement* knob = skin->FindElement("Knob");
    EXPECT_EQ(knob->GetListener(), skin->FindElement("Clock"));
    static_cast<SkinButton*>(knob)->SetPressed(true, true, 0);
    EXPECT_TRUE(skins_.listener.received.empty()); // the clock's OnNotify ignores it
    // Without a listener of its own the knob is heard where the chain finds one.
    knob->SetListener(nullptr);
    static_cast<SkinButton*>(knob)->SetPressed(false, true, 0);
    ASSERT_EQ(skins_.listener.received.size(), 2u);
    EXPECT_EQ(skins_.listener.received[0], (test::Notification{"Knob", kButtonReleased, 0, 0}));
}

TEST_F(Loader, ApplicationClassesMustBeRegistered) {
    const char* body = "<filelist [0,10,100,50] name=\"FileList\"/>";
    EXPECT_EQ(skins_.Load(body), nullptr);
    ASSERT_TRUE(skins_.system.GetRegistry().Register(&SkinPlaceholder::ClassFor("filelist")));
    EXPECT_FALSE(skins_.system.GetRegistry().Register(&SkinPlaceholder::ClassFor("FILELIST")));
    EXPECT_FALSE(skins_.system.GetRegistry().Register(&SkinButton::Class()));
    Skin* skin = skins_.Load(body);
    ASSERT_NE(skin, nullptr);
    const SkinLayer* hit = skin->MainFrame()->GetCompositor().HitTest(50, 30);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->element->GetName(), "FileList");
}

TEST_F(Loader, ATemplateSkinHandsOverStateByName) {
    const char* body = "<button [0,0,20,20] file=\"good.png\" name=\"Play\"/>"
                       "<button [30,0,20,20] file=\"good.png\" name=\"Stop\"/>"
                       "<text [0,30,30,10] font=\"Sans\" name=\"Title\"/>"
                       "<slider [0,50,100,10] name=\"Track\"/>"
                       "<time [0,70,40,4] digits=[0,8,16] ticks=[4] name=\"Time\"><sprite "
                       "file=\"digits.png\"/></time>";
    Skin* old = skins_.Load(body);
    ASSERT_NE(old, nullptr);
    static_cast<SkinButton*>(old->FindElement("Play"))->SetState(2);
    old->FindElement("Stop")->Enable(false);
    old->FindElement("Stop")->Show(0);
    static_cast<SkinText*>(old->FindElement("Title"))->SetText("Song");
    auto* track = static_cast<SkinSlider*>(old->FindElement("Track"));
    track->SetRange(50);
    track->SetValue(20);
    track->AddMark(10, 1);
    track->ShowMarks(true);
    static_cast<SkinTime*>(old->FindElement("Time"))->SetTime(1, 5000);
    static_cast<SkinTime*>(old->FindElement("Time"))->SelectTime(1);
    test::RecordingListener other;
    old->FindElement("Play")->SetListener(&other);

    Skin* fresh = skins_.Load(body, 200, 200, old);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(static_cast<SkinButton*>(fresh->FindElement("Play"))->GetState(), 2);
    EXPECT_EQ(fresh->FindElement("Play")->GetListener(), &other);
    EXPECT_FALSE(fresh->FindElement("Stop")->IsEnabled());
    EXPECT_FALSE(fresh->MainFrame()->GetCompositor().IsLayerVisible(fresh->FindElement("Stop")));
    EXPECT_EQ(static_cast<SkinText*>(fresh->FindElement("Title"))->GetText(), "Song");
    auto* newTrack = static_cast<SkinSlider*>(fresh->FindElement("Track"));
    EXPECT_EQ(newTrack->GetRange(), 50);
    EXPECT_EQ(newTrack->GetValue(), 20);
    EXPECT_EQ(newTrack->PixelToValue(24, 0), 10); // the mark came along, shown
    EXPECT_EQ(static_cast<SkinTime*>(fresh->FindElement("Time"))->GetShown(), 1);
    EXPECT_EQ(static_cast<SkinTime*>(fresh->FindElement("Time"))->GetCountSet(), 2);
    skins_.system.GetLoader().UnloadSkin(old);
    EXPECT_EQ(skins_.system.GetLoader().GetSkinCount(), 1u);
}

} // namespace
} // namespace tonilo
