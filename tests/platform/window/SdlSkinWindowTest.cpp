// A skin frame in a real SDL window on the offscreen driver: the picture shown at a
// whole scale with black beyond, pointer events mapped back to skin pixels, timers
// delivered through the event queue; and text through SDL2_ttf and fontconfig.
#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/window/SdlSkinWindow.h"
#include "platform/window/TtfTextRenderer.h"
#include "skin/SkinElement.h"
#include "skin/SkinFrame.h"
#include "skin/SkinInfoReader.h"
#include "skin/SkinMessages.h"
#include "skin/SkinPanel.h"
#include "skin/SkinSystem.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

// Paints its layer one colour and remembers the pointer and timer messages it gets.
class Patch : public SkinElement {
public:
    Patch(SkinFrame* frame, uint16_t colour) : SkinElement(nullptr, frame), colour_(colour) {
        Init(nullptr, nullptr, "Patch");
        SetHandler(&Patch::Handle);
        frame->AddElement(this);
    }
    std::vector<std::pair<uint32_t, intptr_t>> seen;

private:
    static bool Handle(SkinElement* element, uint32_t message, uintptr_t wParam, intptr_t lParam,
                       intptr_t*) {
        auto* self = static_cast<Patch*>(element);
        if (message == kSkinPaint) {
            SkinCompositor* picture = self->GetCompositor();
            const SkinRect& area = *reinterpret_cast<const SkinRect*>(wParam);
            SkinBitmap solid;
            solid.width = area.Width();
            solid.height = area.Height();
            solid.pixels16.assign(static_cast<size_t>(solid.width) * solid.height, self->colour_);
            SkinImage image;
            image.bitmap = &solid;
            picture->RegisterImage(&image);
            picture->DrawImage(self, image.id, area, {0, 0}, 0);
            return true;
        }
        self->seen.push_back(
            {message, message == kSkinTimer ? static_cast<intptr_t>(wParam) : lParam});
        return true;
    }
    uint16_t colour_;
};

class SdlWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER), 0) << SDL_GetError();
    }
    static void TearDownTestSuite() { SDL_Quit(); }

    SdlWindow() {
        window_ = new SdlSkinWindow(&frame_, 20, 10, true);
        frame_.SetWindow(window_);
        frame_.GetCompositor().Create(20, 10);
        patch_ = new Patch(&frame_, Rgb565(255, 0, 0));
        frame_.GetCompositor().AddLayer(patch_, SkinRect::FromSize(5, 2, 10, 6), nullptr);
        frame_.InvalidateArea(SkinRect::FromSize(0, 0, 20, 10));
    }
    // Red, green, blue at a pixel of the drawn (not yet presented) window.
    uint32_t ReadPixel(int32_t x, int32_t y) {
        SDL_Rect one{x, y, 1, 1};
        uint32_t pixel = 0;
        SDL_RenderReadPixels(window_->Renderer(), &one, SDL_PIXELFORMAT_RGB888, &pixel, 4);
        return pixel & 0xFFFFFF;
    }
    // Waits (at most 5 seconds) for an event of the window and hands it over.
    bool DeliverNext(uint32_t type) {
        uint32_t deadline = SDL_GetTicks() + 5000;
        SDL_Event event;
        while (SDL_GetTicks() < deadline)
            if (SDL_WaitEventTimeout(&event, 100) && event.type == type)
                return window_->HandleEvent(event);
        return false;
    }

    SkinFrame frame_;
    SdlSkinWindow* window_;
    Patch* patch_;
};

TEST_F(SdlWindow, ShowsThePictureAtAWholeScaleWithBlackBeyond) {
    ASSERT_TRUE(window_->IsValid()) << SDL_GetError();
    SDL_Window* sdl = SDL_GetWindowFromID(window_->WindowId());
    SDL_SetWindowSize(sdl, 50, 35); // 2.5 by 3.5 times: shown twice as large
    SDL_PumpEvents();
    ASSERT_EQ(window_->Scale(), 2);
    ASSERT_TRUE(window_->Draw());
    EXPECT_EQ(ReadPixel(10, 4), 0xFF0000u);  // the patch's top-left, doubled
    EXPECT_EQ(ReadPixel(29, 15), 0xFF0000u); // its bottom-right
    EXPECT_EQ(ReadPixel(9, 4), 0u);
    EXPECT_EQ(ReadPixel(30, 15), 0u);
    EXPECT_EQ(ReadPixel(45, 5), 0u); // right of the picture
    EXPECT_EQ(ReadPixel(5, 30), 0u); // below it
    EXPECT_EQ(window_->WindowToSkin(29, 15).x, 14);
    EXPECT_EQ(window_->WindowToSkin(-1, -3).y, -2);
}

TEST_F(SdlWindow, PointerEventsArriveInSkinPixels) {
    SDL_SetWindowSize(SDL_GetWindowFromID(window_->WindowId()), 40, 20);
    SDL_PumpEvents();
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.windowID = window_->WindowId();
    event.button.button = SDL_BUTTON_LEFT;
    event.button.x = 13;
    event.button.y = 7;
    ASSERT_TRUE(window_->HandleEvent(event));
    ASSERT_EQ(patch_->seen.size(), 1u);
    EXPECT_EQ(patch_->seen[0], std::make_pair(kSkinButtonDown, PackPoint(6 - 5, 3 - 2)));
    event.button.windowID = window_->WindowId() + 100; // another window's
    EXPECT_FALSE(window_->HandleEvent(event));
}

TEST_F(SdlWindow, TimersComeThroughTheEventQueueUntilKilled) {
    EXPECT_EQ(frame_.SetTimer(patch_, 5), 100);
    ASSERT_TRUE(DeliverNext(SdlSkinWindow::TimerEventType()));
    ASSERT_FALSE(patch_->seen.empty());
    EXPECT_EQ(patch_->seen.back(), std::make_pair(kSkinTimer, intptr_t{100}));
    frame_.KillTimer(100);
    size_t heard = patch_->seen.size();
    SDL_Event late{}; // a tick queued before the kill
    late.type = SdlSkinWindow::TimerEventType();
    late.user.windowID = window_->WindowId();
    late.user.code = 100;
    EXPECT_TRUE(window_->HandleEvent(late));
    EXPECT_EQ(patch_->seen.size(), heard);
}

TEST_F(SdlWindow, LoadedSkinsShowTheMainFrameAndHideTheOthersUntilAttached) {
    test::ScratchFolder folder;
    test::WriteWholeFile(folder / "two.zs",
                         "<info [30,20] name=\"Two\" author=\"\" comments=\"\"/>"
                         "<slider [0,0,30,5] name=\"Volume\"/>"
                         "<frame name=\"Menu\"><slider [0,0,30,5] name=\"Choice\"/></frame>");
    SdlSkinWindowFactory factory;
    SkinInfoReader reader;
    SkinSystem system("Software\\Zelto\\WindowTest");
    system.SetWindowFactory(&factory);
    system.GetCatalog().SetInfoReader(&reader);
    system.GetRegistry().RegisterAll();
    int parent = 0;
    Skin* skin = system.GetLoader().LoadSkin(folder / "two.zs", &parent, nullptr, nullptr);
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->GetFrameCount(), 2u);
    auto flags = [&](size_t index) {
        SkinFrame* frame = nullptr;
        skin->GetFrame(index, &frame);
        auto* window = static_cast<SdlSkinWindow*>(frame->GetWindow());
        return SDL_GetWindowFlags(SDL_GetWindowFromID(window->WindowId()));
    };
    EXPECT_TRUE(flags(0) & SDL_WINDOW_SHOWN);
    EXPECT_TRUE(flags(1) & SDL_WINDOW_HIDDEN);
    SkinFrame* menu = nullptr;
    skin->GetFrame(1, &menu);
    menu->GetWindow()->Attach(&parent);
    EXPECT_TRUE(flags(1) & SDL_WINDOW_SHOWN);
    menu->GetWindow()->Attach(nullptr);
    EXPECT_TRUE(flags(1) & SDL_WINDOW_HIDDEN);
}

TEST(TtfText, FacesComeFromFontconfigWithDejaVuWhenNoneMatches) {
    std::string dejavu = TtfTextRenderer::FindFontFile("DejaVu Sans", 400);
    ASSERT_NE(dejavu.find("DejaVuSans"), std::string::npos) << dejavu;
    EXPECT_EQ(TtfTextRenderer::FindFontFile("No Such Face Anywhere", 400), dejavu);
    EXPECT_NE(TtfTextRenderer::FindFontFile("DejaVu Sans", 700), dejavu);
}

TEST(TtfText, ClearTypeSmoothsEdgesAndPlainTextHasOnlyFullInk) {
    TtfTextRenderer renderer;
    SkinFontRequest request;
    request.face = "Tahoma";
    request.height = 16;
    auto plain = renderer.CreateFont(request);
    request.clearType = true;
    auto smooth = renderer.CreateFont(request);
    ASSERT_TRUE(plain && smooth);
    EXPECT_GT(plain->MeasureText("Wide text"), plain->MeasureText("Wi"));
    EXPECT_EQ(plain->MeasureText(""), 0);
    SkinTextBitmap hard, soft;
    ASSERT_TRUE(plain->RenderText("Recording 1", &hard));
    ASSERT_TRUE(smooth->RenderText("Recording 1", &soft));
    auto partial = [](const SkinTextBitmap& text) {
        size_t count = 0;
        for (uint8_t c : text.coverage)
            count += c != 0 && c != 255;
        return count;
    };
    EXPECT_EQ(partial(hard), 0u);
    EXPECT_GT(partial(soft), 10u);
    EXPECT_FALSE(plain->RenderText("", &hard));
}

} // namespace
} // namespace tonilo
