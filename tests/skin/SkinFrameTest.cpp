// A frame's routing of pointer input, its timers and its element queries, driven
// through a window without a screen.
#include <gtest/gtest.h>

#include "skin/SkinElement.h"
#include "skin/SkinFrame.h"
#include "skin/SkinMessages.h"
#include "skin/SkinOffscreenWindow.h"

namespace tonilo {
namespace {

// Records the messages it is given: timer ids for timers, lParam otherwise.
class Recorder : public SkinElement {
public:
    Recorder(SkinFrame* frame, const char* name, SkinElement* parent = nullptr)
        : SkinElement(nullptr, frame) {
        Init(nullptr, parent, name);
        SetHandler(&Recorder::Handle);
        frame->AddElement(this);
    }
    std::vector<std::pair<uint32_t, intptr_t>> seen;

private:
    static bool Handle(SkinElement* element, uint32_t message, uintptr_t wParam, intptr_t lParam,
                       intptr_t*) {
        auto* self = static_cast<Recorder*>(element);
        self->seen.push_back(
            {message, message == kSkinTimer ? static_cast<intptr_t>(wParam) : lParam});
        return message != kSkinTimer;
    }
};

class Frame : public ::testing::Test {
protected:
    Frame() {
        window_ = new SkinOffscreenWindow;
        frame_.SetWindow(window_);
        frame_.GetCompositor().Create(100, 100);
    }
    void Timer(uint32_t id) { frame_.HandleMessage(kSkinTimer, id, 0, nullptr); }

    SkinFrame frame_;
    SkinOffscreenWindow* window_;
};

TEST_F(Frame, KillingOneOwnTimerLeavesTheOthersTheirIds) {
    auto* a = new Recorder(&frame_, "a");
    auto* b = new Recorder(&frame_, "b");
    auto* c = new Recorder(&frame_, "c");
    EXPECT_EQ(frame_.SetTimer(a, 500), 100);
    EXPECT_EQ(frame_.SetTimer(b, 250), 101);
    EXPECT_EQ(frame_.SetTimer(c, 10), 102);
    EXPECT_EQ(frame_.SetTimer(nullptr, 10), -1);
    EXPECT_EQ(window_->TimerPeriod(101), 250u);
    frame_.KillTimer(101);
    frame_.KillTimer(999); // unknown: ignored
    EXPECT_EQ(window_->TimerPeriod(101), 0u);
    EXPECT_EQ(window_->TimerPeriod(102), 10u);
    Timer(100);
    Timer(101);
    Timer(102);
    EXPECT_EQ(a->seen, (std::vector<std::pair<uint32_t, intptr_t>>{{kSkinTimer, 100}}));
    EXPECT_TRUE(b->seen.empty());
    EXPECT_EQ(c->seen, (std::vector<std::pair<uint32_t, intptr_t>>{{kSkinTimer, 102}}));
    // The freed id goes to the next timer; the others keep theirs.
    EXPECT_EQ(frame_.SetTimer(a, 25), 101);
    EXPECT_EQ(frame_.SetTimer(b, 25), 103);
    Timer(101);
    EXPECT_EQ(a->seen.back(), (std::pair<uint32_t, intptr_t>{kSkinTimer, 101}));
    EXPECT_TRUE(b->seen.empty());
}

TEST_F(Frame, SharedTickRunsWhileAnyUserIsLeftAndReachesEveryElement) {
    auto* a = new Recorder(&frame_, "a");
    auto* b = new Recorder(&frame_, "b");
    EXPECT_EQ(frame_.SetTimer(a, -1), 200);
    EXPECT_EQ(frame_.SetTimer(b, -1), 200);
    EXPECT_EQ(window_->TimerPeriod(200), 150u);
    Timer(200);
    EXPECT_EQ(a->seen.size(), 1u);
    EXPECT_EQ(b->seen.size(), 1u);
    frame_.KillTimer(200);
    EXPECT_EQ(window_->TimerPeriod(200), 150u);
    frame_.EnableSharedTick(false);
    EXPECT_EQ(window_->TimerPeriod(200), 0u);
    frame_.EnableSharedTick(true);
    EXPECT_EQ(window_->TimerPeriod(200), 150u);
    frame_.KillTimer(200);
    EXPECT_EQ(window_->TimerPeriod(200), 0u);
    frame_.KillTimer(200); // no users left: nothing goes below zero
    EXPECT_EQ(frame_.SharedTickUsers(), 0);
    frame_.EnableSharedTick(false);
    frame_.EnableSharedTick(true);
    EXPECT_EQ(window_->TimerPeriod(200), 0u);
}

TEST_F(Frame, CapturedElementGetsMovesOutsideItWithItsOwnOrigin) {
    auto* below = new Recorder(&frame_, "below");
    auto* button = new Recorder(&frame_, "button");
    frame_.GetCompositor().AddLayer(below, SkinRect::FromSize(0, 0, 100, 100), nullptr);
    frame_.GetCompositor().AddLayer(button, SkinRect::FromSize(10, 20, 30, 30), nullptr);
    frame_.HandleMessage(kSkinButtonDown, 0, PackPoint(15, 25), nullptr);
    EXPECT_EQ(button->seen.back(), std::make_pair(kSkinButtonDown, PackPoint(5, 5)));
    frame_.SetCapture(button);
    EXPECT_TRUE(window_->IsCaptured());
    frame_.HandleMessage(kSkinMouseMove, 0, PackPoint(2, 3), nullptr);
    EXPECT_EQ(button->seen.back(), std::make_pair(kSkinMouseMove, PackPoint(-8, -17)));
    frame_.HandleMessage(kSkinMouseMove, 0, PackPoint(99, 99), nullptr);
    EXPECT_EQ(button->seen.back(), std::make_pair(kSkinMouseMove, PackPoint(89, 79)));
    EXPECT_TRUE(below->seen.empty());
    frame_.ReleaseCapture();
    EXPECT_FALSE(window_->IsCaptured());
    frame_.HandleMessage(kSkinMouseMove, 0, PackPoint(2, 3), nullptr);
    EXPECT_EQ(below->seen.back(), std::make_pair(kSkinMouseMove, PackPoint(2, 3)));
    // Off every layer nobody hears it.
    size_t heard = below->seen.size() + button->seen.size();
    frame_.HandleMessage(kSkinButtonDown, 0, PackPoint(150, 5), nullptr);
    EXPECT_EQ(below->seen.size() + button->seen.size(), heard);
}

TEST_F(Frame, RelativesAreFoundAmongSiblingsInListOrder) {
    auto* parent = new Recorder(&frame_, "Parent");
    auto* first = new Recorder(&frame_, "First", parent);
    auto* loner = new Recorder(&frame_, "Loner");
    auto* second = new Recorder(&frame_, "Second", parent);
    auto* third = new Recorder(&frame_, "Third", parent);
    EXPECT_EQ(frame_.GetRelative(second, 0), first);
    EXPECT_EQ(frame_.GetRelative(first, 1), third);
    EXPECT_EQ(frame_.GetRelative(first, 2), second);
    EXPECT_EQ(frame_.GetRelative(second, 3), first);
    EXPECT_EQ(frame_.GetRelative(third, 2), nullptr);
    EXPECT_EQ(frame_.GetRelative(parent, 2), loner);
    EXPECT_EQ(frame_.GetRelative(parent, 5), first);
    EXPECT_EQ(frame_.GetRelative(loner, 5), nullptr);
    EXPECT_EQ(frame_.GetRelative(parent, 4), nullptr);
    EXPECT_EQ(frame_.FindElement("sECOND"), second);
    EXPECT_EQ(frame_.FindElement("Fourth"), nullptr);
}

} // namespace
} // namespace tonilo
