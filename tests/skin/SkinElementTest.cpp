// The built-in element classes loaded from real skin files with tiny PNGs: what
// they notify, what they draw, and the edges of their arithmetic.
#include <gtest/gtest.h>

#include "skin/SkinButton.h"
#include "skin/SkinLevel.h"
#include "skin/SkinMessages.h"
#include "skin/SkinSlider.h"
#include "skin/SkinText.h"
#include "skin/SkinTime.h"
#include "tests/skin/SkinTestSkin.h"

namespace tonilo {
namespace {

using test::Notification;
using test::Rgb;

uint16_t Colour(Rgb c) {
    return Rgb565(c.r, c.g, c.b);
}

// Cell i of a strip: red rises and green falls with i, so every cell, and every cell
// dimmed over black, is told apart.
Rgb CellColour(int32_t cell) {
    return Rgb{static_cast<uint8_t>(cell * 20 + 10), static_cast<uint8_t>(255 - cell * 20), 0};
}

class Elements : public ::testing::Test {
protected:
    Skin* Load(const std::string& body, int32_t width = 100, int32_t height = 100) {
        skin_ = skins_.Load(body, width, height);
        EXPECT_NE(skin_, nullptr);
        return skin_;
    }
    template <typename T> T* Find(const char* name) {
        return dynamic_cast<T*>(skin_ ? skin_->FindElement(name) : nullptr);
    }
    SkinFrame& Frame() { return *skin_->MainFrame(); }
    SkinCompositor& Picture() { return Frame().GetCompositor(); }
    void Repaint() {
        Picture().Fill(0);
        Picture().Paint(SkinRect::FromSize(0, 0, Picture().Width(), Picture().Height()));
    }
    void Pointer(uint32_t message, int32_t x, int32_t y) {
        Frame().HandleMessage(message, 0, PackPoint(x, y), nullptr);
    }
    // A vertical strip of `cells` cells of w by h, cell i in CellColour(i).
    std::string Strip(const char* name, int32_t w, int32_t h, int32_t cells) {
        test::WriteTestPng(skins_.Path(name), w, h * cells,
                           [&](int32_t, int32_t y) { return CellColour(y / h); });
        return name;
    }

    test::TestSkinSystem skins_;
    Skin* skin_ = nullptr;
    std::vector<Notification>& told_ = skins_.listener.received;
};

TEST_F(Elements, ButtonReleasedOutsideNotifiesPressAndReleaseButNoClick) {
    Strip("b.png", 20, 20, 4);
    Load("<button [10,10,20,20] file=\"b.png\" name=\"Rec\"/>");
    Pointer(kSkinButtonDown, 15, 16);
    EXPECT_EQ(Frame().GetCaptured(), Find<SkinButton>("Rec"));
    Pointer(kSkinMouseMove, 60, 70); // captured: still reaches the button
    EXPECT_FALSE(Find<SkinButton>("Rec")->IsInside());
    Pointer(kSkinButtonUp, 60, 70);
    EXPECT_EQ(Frame().GetCaptured(), nullptr);
    EXPECT_EQ(told_, (std::vector<Notification>{{"Rec", kButtonPressed, 0, PackPoint(5, 6)},
                                                {"Rec", kButtonReleased, 0, PackPoint(50, 60)}}));
    told_.clear();
    Pointer(kSkinButtonDown, 12, 12);
    Pointer(kSkinMouseMove, 2, 2);   // out: (-8, -8) in button coordinates
    Pointer(kSkinMouseMove, 29, 29); // back in at the last pixel
    Pointer(kSkinButtonUp, 29, 29);
    ASSERT_EQ(told_.size(), 3u);
    EXPECT_EQ(told_[2], (Notification{"Rec", kButtonClicked, 0, PackPoint(19, 19)}));
}

TEST_F(Elements, ButtonDrawsTheCellOfItsStateAndTheLastCellWhenDisabled) {
    Strip("b.png", 20, 20, 5);
    Load("<button [10,10,20,20] file=\"b.png\" name=\"Play\"/>");
    auto* play = Find<SkinButton>("Play");
    struct Step {
        int32_t state;
        bool pressed;
        bool enabled;
        int32_t cell;
    } steps[] = {{0, false, true, 0}, {0, true, true, 1},   {2, false, true, 4},
                 {1, true, true, 3},  {1, false, false, 4}, {0, false, false, 4}};
    for (const Step& step : steps) {
        play->Enable(true);
        play->SetPressed(false, false, 0);
        play->SetState(step.state);
        play->SetPressed(step.pressed, false, 0);
        play->Enable(step.enabled);
        Repaint();
        EXPECT_EQ(Picture().PixelAt(10, 10), Colour(CellColour(step.cell))) << step.cell;
        EXPECT_EQ(Picture().PixelAt(29, 29), Colour(CellColour(step.cell)));
        EXPECT_EQ(Picture().PixelAt(30, 30), 0);
    }
    // A disabled button ignores the pointer.
    told_.clear();
    Pointer(kSkinButtonDown, 15, 15);
    EXPECT_TRUE(told_.empty());
    EXPECT_FALSE(play->IsPressed());
}

TEST_F(Elements, ButtonCellsSideBySideWhenTheImageIsAsHighAsTheButton) {
    test::WriteTestPng(skins_.Path("h.png"), 40, 10,
                       [](int32_t x, int32_t) { return CellColour(x / 10); });
    Load("<button [0,0,10,10] file=\"h.png\" name=\"B\"/>");
    Find<SkinButton>("B")->SetState(1);
    Repaint();
    EXPECT_EQ(Picture().PixelAt(0, 0), Colour(CellColour(2)));
}

TEST_F(Elements, ButtonChildrenAreDrawnButTheirInputGoesToTheButton) {
    Strip("b.png", 40, 40, 2);
    test::WriteSolidPng(skins_.Path("icon.png"), 10, 10, {0, 255, 0});
    Load("<button [10,10,40,40] file=\"b.png\" name=\"Rec\">"
         "<panel [20,20] file=\"icon.png\" name=\"Icon\"/></button>");
    Repaint();
    EXPECT_EQ(Picture().PixelAt(30, 30), Colour({0, 255, 0})); // inside the button's origin
    Pointer(kSkinButtonDown, 35, 35);                          // on the icon
    Pointer(kSkinButtonUp, 35, 35);
    ASSERT_EQ(told_.size(), 3u);
    EXPECT_EQ(told_[0], (Notification{"Rec", kButtonPressed, 0, PackPoint(25, 25)}));
    EXPECT_EQ(told_[2].code, kButtonClicked);
}

TEST_F(Elements, LevelWithRangeZeroShowsNothingHorizontallyAndAllVertically) {
    test::WriteSolidPng(skins_.Path("m.png"), 40, 40, {0, 0, 255});
    Load("<level [0,0,40,10] file=\"m.png\" name=\"H\"/><level [50,0,10,40] file=\"m.png\" "
         "name=\"V\"/>");
    auto* horizontal = Find<SkinLevel>("H");
    auto* vertical = Find<SkinLevel>("V");
    horizontal->SetRange(0);
    vertical->SetRange(0);
    EXPECT_EQ(horizontal->GetFillExtent(), 0);
    EXPECT_EQ(vertical->GetFillExtent(), 0);
    Repaint();
    EXPECT_EQ(Picture().PixelAt(0, 0), 0);
    EXPECT_EQ(Picture().PixelAt(50, 0), Colour({0, 0, 255}));
    EXPECT_EQ(Picture().PixelAt(59, 39), Colour({0, 0, 255}));

    horizontal->SetRange(200);
    horizontal->SetValue(50); // 40 * 50 / 200 = 10 pixels
    vertical->SetRange(4);
    vertical->SetValue(1); // empty top part 40 - 40 * 1 / 4 = 30
    vertical->SetValue(9); // clamped to the range
    EXPECT_EQ(vertical->GetValue(), 4);
    vertical->SetValue(1);
    Repaint();
    EXPECT_EQ(Picture().PixelAt(9, 5), Colour({0, 0, 255}));
    EXPECT_EQ(Picture().PixelAt(10, 5), 0);
    EXPECT_EQ(Picture().PixelAt(55, 29), 0);
    EXPECT_EQ(Picture().PixelAt(55, 30), Colour({0, 0, 255}));
    vertical->SetRange(0); // the value follows the range down
    EXPECT_EQ(vertical->GetValue(), 0);
}

TEST_F(Elements, SliderValuesFromPixelsAndPixelsFromValues) {
    test::WriteSolidPng(skins_.Path("t.png"), 11, 11, {255, 255, 255});
    Load("<slider [0,0,101,11] file=\"t.png\" name=\"H\"><sprite/></slider>"
         "<slider [0,20,11,101] name=\"V\"/>"
         "<slider [0,40,100,10] file=\"t.png\" name=\"L\"><level [10,0,80,10] "
         "name=\"Fill\"/></slider>",
         120, 130);
    auto* horizontal = Find<SkinSlider>("H");
    auto* vertical = Find<SkinSlider>("V");
    auto* linked = Find<SkinSlider>("L");
    horizontal->SetRange(10);
    vertical->SetRange(10);
    // (x + 101 / 20) clamped to 0..101, times 10 / 101.
    EXPECT_EQ(horizontal->PixelToValue(-50, 0), 0);
    EXPECT_EQ(horizontal->PixelToValue(50, 0), 5);
    EXPECT_EQ(horizontal->PixelToValue(96, 0), 10);
    EXPECT_EQ(horizontal->PixelToValue(500, 0), 10);
    EXPECT_EQ(horizontal->ValueToPixel(5, 11), 45); // (101 - 11) * 5 / 10
    EXPECT_EQ(vertical->PixelToValue(0, 0), 9);     // (101 - 5) * 10 / 101
    EXPECT_EQ(vertical->PixelToValue(0, 100), 0);
    EXPECT_EQ(vertical->ValueToPixel(10, 0), 0);
    EXPECT_EQ(vertical->ValueToPixel(0, 11), 90);
    // Linked to its level: x counts from the level's left edge over its width.
    linked->SetRange(8);
    linked->SelectLevel("Fill");
    ASSERT_NE(linked->GetLinkedLevel(), nullptr);
    EXPECT_EQ(linked->GetLinkedLevel()->GetRange(), 8);
    EXPECT_EQ(linked->PixelToValue(50, 0), 4); // (40 + 5) * 8 / 80
    EXPECT_EQ(linked->ValueToPixel(4, 0), 50);
    EXPECT_EQ(linked->ValueToPixel(4, 10), 45);
    linked->SelectLevel("fill"); // names compare exactly
    EXPECT_EQ(linked->GetLinkedLevel(), nullptr);
    // A range of 0 gives 0 both ways.
    horizontal->SetRange(0);
    EXPECT_EQ(horizontal->PixelToValue(60, 0), 0);
    EXPECT_EQ(horizontal->ValueToPixel(3, 0), 0);
}

TEST_F(Elements, SliderSnapsToAShownMarkWithinFivePixels) {
    Load("<slider [0,0,101,11] name=\"Track\"/>");
    auto* track = Find<SkinSlider>("Track");
    track->SetRange(100);
    track->AddMark(30, 7);                     // drawn at 101 * 30 / 100 = 30
    EXPECT_EQ(track->PixelToValue(35, 0), 34); // marks hidden: plain arithmetic
    track->ShowMarks(true);
    EXPECT_EQ(track->PixelToValue(35, 0), 30);
    EXPECT_EQ(track->PixelToValue(25, 0), 30);
    EXPECT_EQ(track->PixelToValue(36, 0), 35);
}

TEST_F(Elements, SliderNotifiesChangesWhileDraggingAndAlwaysOnRelease) {
    Load("<slider [0,0,101,11] name=\"Volume\"/>");
    auto* volume = Find<SkinSlider>("Volume");
    volume->SetRange(10);
    Pointer(kSkinButtonDown, 50, 5);
    Pointer(kSkinMouseMove, 51, 5);  // still 5: no notification
    Pointer(kSkinMouseMove, 300, 5); // captured, far outside: the maximum
    Pointer(kSkinButtonUp, 300, 5);
    EXPECT_EQ(told_, (std::vector<Notification>{{"Volume", kSliderChanged, 5, 0},
                                                {"Volume", kSliderChanged, 10, 0},
                                                {"Volume", kSliderReleased, 10, 0}}));
    told_.clear();
    Pointer(kSkinButtonDown, 100, 5);
    Pointer(kSkinButtonUp, 100, 5);
    EXPECT_EQ(told_, (std::vector<Notification>{{"Volume", kSliderReleased, 10, 0}}));
    volume->Enable(false);
    told_.clear();
    Pointer(kSkinButtonDown, 10, 5);
    Pointer(kSkinButtonUp, 10, 5);
    EXPECT_TRUE(told_.empty());
}

TEST_F(Elements, SliderDrawsItsThumbAlongTheTrack) {
    test::WriteSolidPng(skins_.Path("t.png"), 11, 11, {255, 255, 255});
    Load("<slider [0,0,101,11] file=\"t.png\" name=\"H\"><sprite/></slider>");
    auto* slider = Find<SkinSlider>("H");
    slider->SetRange(10);
    slider->SetValue(5);
    Repaint();
    EXPECT_EQ(Picture().PixelAt(44, 5), 0);
    EXPECT_EQ(Picture().PixelAt(45, 5), 0xFFFF);
    EXPECT_EQ(Picture().PixelAt(55, 5), 0xFFFF);
    EXPECT_EQ(Picture().PixelAt(56, 5), 0);
}

TEST_F(Elements, TextOf259CharactersIsTakenAnd260Ignored) {
    Load("<text [0,0,50,10] font=\"Sans\" name=\"Title\"/>");
    auto* title = Find<SkinText>("Title");
    title->SetText(std::string(259, 'a'));
    EXPECT_EQ(title->GetText().size(), 259u);
    EXPECT_EQ(title->GetTextWidth(), 259 * 6 + 1);
    title->SetText(std::string(260, 'b'));
    EXPECT_EQ(title->GetText(), std::string(259, 'a'));
    title->SetText("");
    EXPECT_EQ(title->GetTextWidth(), 0);
}

TEST_F(Elements, TextAlignmentSetsTheStartingOffset) {
    Load("<text [0,0,50,10] font=\"Sans\" center name=\"C\"/>"
         "<text [0,10,50,10] font=\"Sans\" right name=\"R\"/>"
         "<text [0,20,50,10] font=\"Sans\" center=1 name=\"N\"/>");
    Find<SkinText>("C")->SetText("abc"); // 19 wide
    Find<SkinText>("R")->SetText("abc");
    Find<SkinText>("N")->SetText("abc");
    EXPECT_EQ(Find<SkinText>("C")->GetOffset(), 15);
    EXPECT_EQ(Find<SkinText>("R")->GetOffset(), 31);
    EXPECT_EQ(Find<SkinText>("N")->GetOffset(), 0); // a number is no flag
    Repaint();
    EXPECT_EQ(Picture().PixelAt(14, 5), 0);
    EXPECT_EQ(Picture().PixelAt(15, 5), 0); // colour black by default, as the background
}

TEST_F(Elements, ScrollingTextPausesSlidesAndReturnsOnTheSharedTick) {
    Load("<text [10,10,30,8] font=\"Sans\" color=[255,0,0] scrolling name=\"Title\"/>");
    auto* title = Find<SkinText>("Title");
    auto& window = static_cast<SkinOffscreenWindow&>(*Frame().GetWindow());
    title->SetText("0123456789"); // 61 wide in a 30-pixel box
    EXPECT_EQ(window.TimerPeriod(kSharedTickId), kSharedTickMs);
    Frame().PaintDirty();
    auto tick = [&] { Frame().HandleMessage(kSkinTimer, kSharedTickId, 0, nullptr); };
    for (int i = 0; i < 9; ++i)
        tick();
    EXPECT_EQ(title->GetOffset(), 0);
    EXPECT_TRUE(Picture().DirtyAreas().empty()); // a pause repaints nothing
    tick();
    EXPECT_EQ(title->GetOffset(), -3);
    // Only the text's own rectangle is repainted.
    EXPECT_EQ(Picture().DirtyAreas(), (std::vector<SkinRect>{SkinRect::FromSize(10, 10, 30, 8)}));
    int ticks = 0;
    while (title->GetOffset() != -31 && ticks < 100) {
        tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 10); // -6 ... -30, then -33 held at 30 - 61
    for (int i = 0; i < 9; ++i)
        tick();
    EXPECT_EQ(title->GetOffset(), -31);
    tick();
    EXPECT_EQ(title->GetOffset(), -28);
    // A short text stops the tick.
    title->SetText("ab");
    EXPECT_EQ(window.TimerPeriod(kSharedTickId), 0u);
    EXPECT_EQ(title->GetOffset(), 0);
}

TEST_F(Elements, HiddenScrollingTextLeavesTheTickAndShowingRestartsIt) {
    Load("<text [0,0,30,8] font=\"Sans\" scrolling name=\"A\"/>"
         "<text [0,10,30,8] font=\"Sans\" scrolling name=\"B\"/>");
    Find<SkinText>("A")->SetText("0123456789");
    Find<SkinText>("B")->SetText("0123456789");
    auto& window = static_cast<SkinOffscreenWindow&>(*Frame().GetWindow());
    EXPECT_EQ(Frame().SharedTickUsers(), 2);
    Find<SkinText>("A")->Show(0);
    EXPECT_EQ(Frame().SharedTickUsers(), 1);
    EXPECT_EQ(window.TimerPeriod(kSharedTickId), kSharedTickMs); // B still needs it
    Find<SkinText>("B")->Show(0);
    EXPECT_EQ(window.TimerPeriod(kSharedTickId), 0u);
    Find<SkinText>("A")->Show(5);
    EXPECT_EQ(window.TimerPeriod(kSharedTickId), kSharedTickMs);
}

class TimeElement : public Elements {
protected:
    // Four digit cells and a sign cell, each 2 pixels wide; separators at 22 and 12.
    void SetUp() override {
        test::WriteTestPng(skins_.Path("d.png"), 24, 2,
                           [](int32_t x, int32_t) { return CellColour(x / 2); });
        test::WriteSolidPng(skins_.Path("opaque.png"), 24, 2, {0, 0, 0});
        Load("<time [0,0,40,2] digits=[30,25,20,15,10] ticks=[22,12] name=\"Time\">"
             "<sprite file=\"d.png\" alpha=\"opaque.png\"/></time>",
             40, 2);
        time_ = Find<SkinTime>("Time");
    }
    // What the cell at x shows: the strip cell and whether it is dimmed.
    std::string Cell(int32_t x) {
        uint16_t pixel = Picture().PixelAt(x, 0);
        for (int32_t cell = 0; cell < 12; ++cell) {
            uint16_t full = Colour(CellColour(cell));
            if (pixel == full)
                return std::to_string(cell);
            if (pixel == SkinMix(full, 0, SkinTime::kDimmed))
                return "dim" + std::to_string(cell);
        }
        return pixel ? "?" : "-";
    }
    std::string Shown() {
        Repaint();
        std::string text;
        for (int32_t x : {10, 15, 12, 20, 25, 22, 30})
            text += Cell(x) + " ";
        return text;
    }
    SkinTime* time_ = nullptr;
};

TEST_F(TimeElement, DigitsSignAndDimmedCells) {
    struct Case {
        int32_t milliseconds;
        const char* shown; // sign cell, minutes tens, hours separator, minutes ones,
                           // seconds tens, minutes separator, seconds ones
    } cases[] = {
        {-61000, "- 10 dim11 1 0 11 1 "},             // minus in the minutes-tens cell
        {61000, "- dim0 dim11 1 0 11 1 "},            // a dimmed 0 above the minute
        {-999, "- dim0 dim11 dim0 dim0 dim11 dim0 "}, // less than a second is no sign
        {360000000, "- 9 11 9 9 11 9 "},              // 100 hours do not fit: all nines
        {3599000, "- 5 dim11 9 5 11 9 "},             // 59:59 fills every digit cell
        {-3599000, "10 5 dim11 9 5 11 9 "},           // then the sign takes the last cell
    };
    for (const Case& c : cases) {
        time_->SetTime(0, c.milliseconds);
        EXPECT_EQ(Shown(), c.shown) << c.milliseconds;
    }
}

TEST_F(TimeElement, ATapShowsTheNextTimeOnlyWhenThereAreSeveral) {
    time_->SetTime(0, 1000);
    Pointer(kSkinButtonDown, 5, 1);
    EXPECT_EQ(time_->GetShown(), 0);
    time_->SetTime(2, 3000);
    EXPECT_EQ(time_->GetCountSet(), 3);
    Pointer(kSkinButtonDown, 5, 1);
    EXPECT_EQ(time_->GetShown(), 1);
    Pointer(kSkinButtonDown, 5, 1);
    Pointer(kSkinButtonDown, 5, 1);
    EXPECT_EQ(time_->GetShown(), 0);
    time_->SetTime(3, 5000); // out of range: ignored
    EXPECT_EQ(time_->GetCountSet(), 3);
    Frame().PaintDirty();
    time_->SetTime(1, 0); // not shown: no repaint
    EXPECT_TRUE(Picture().DirtyAreas().empty());
    time_->SetTime(0, 1999); // same digits as 1000: no repaint
    EXPECT_TRUE(Picture().DirtyAreas().empty());
}

} // namespace
} // namespace tonilo
