// Kinetic scrolling: when a release flicks, how fast and how long, the stretch past
// the ends and the spring back.
#include <cmath>

#include <gtest/gtest.h>

#include "listctrl/KineticScroller.h"

namespace tonilo {
namespace {

// A 1000-pixel view over 10,000 pixels of content, vertical only.
KineticScroller TallList(double startY = 5000) {
    KineticScroller scroller;
    scroller.SetAxes(KineticScroller::kVertical);
    scroller.SetExtent(300, 10000, 300, 1000);
    scroller.ScrollTo(0, startY);
    return scroller;
}

// A finger moving up by step pixels every interval milliseconds, count times.
void Swipe(KineticScroller* s, double step, uint32_t interval, int count, uint32_t start = 0) {
    double y = 800;
    s->Press(100, y, start);
    for (int i = 1; i <= count; ++i)
        s->Move(100, y -= step, start + interval * i);
}

// Frames until the animation stops, the last one included.
int RunToRest(KineticScroller* s, uint32_t from) {
    int frames = 0;
    for (bool more = true; more && frames < 100000; ++frames)
        more = s->Frame(from += KineticScroller::kFramePeriodMs);
    return frames;
}

TEST(KineticScroller, ReleaseFlicksOnlyWhileTheLastMovementIsFresh) {
    struct Case {
        uint32_t pause; // from the last movement to the release
        bool flicks;
    } cases[] = {{0, true}, {300, true}, {301, false}, {2000, false}};
    for (const Case& c : cases) {
        KineticScroller s = TallList();
        Swipe(&s, 10, 10, 5); // 1000 px/s
        s.Release(50 + c.pause, true);
        EXPECT_EQ(s.IsFlicking(), c.flicks) << c.pause;
    }
    // Released outside the view, the list only settles.
    KineticScroller outside = TallList();
    Swipe(&outside, 10, 10, 5);
    outside.Release(50, false);
    EXPECT_FALSE(outside.IsAnimating());
}

TEST(KineticScroller, SpeedIsCappedAndDecidesTheFlick) {
    // 100 px every 5 ms is 20,000 px/s: capped at 4000, lasting ln(4000/30)/ln 5 s.
    KineticScroller fast = TallList();
    Swipe(&fast, 100, 5, 6);
    fast.Release(30, true);
    ASSERT_TRUE(fast.IsFlicking());
    EXPECT_DOUBLE_EQ(fast.LastVelocity().y, 4000);
    EXPECT_EQ(fast.FlickDurationMs(), 3040);

    struct Case {
        double step; // pixels per 200 ms
        bool flicks;
        int32_t duration;
    } cases[] = {{3.0, true, 431}, {2.99, false, 0}, {6.0, true, 0}, {30.0, true, 1000}};
    for (const Case& c : cases) {
        KineticScroller s = TallList();
        Swipe(&s, c.step, 200, 1);
        s.Release(200, true);
        EXPECT_EQ(s.IsFlicking(), c.flicks) << c.step;
        EXPECT_EQ(s.FlickDurationMs(), c.duration) << c.step;
    }
    EXPECT_EQ(KineticScroller::FlickDuration(30), 0);
}

TEST(KineticScroller, VelocityComesFromTheNewestConsistentSamples) {
    // Up fast, then down slowly: only the downward pairs count.
    KineticScroller turn = TallList();
    turn.Press(0, 100, 0);
    turn.Move(0, 90, 10);
    turn.Move(0, 95, 20);
    turn.Move(0, 100, 30);
    EXPECT_DOUBLE_EQ(turn.EstimateVelocity().y, -500);

    // Eight pairs, the two oldest very fast: only six pairs are averaged.
    KineticScroller many = TallList();
    many.Press(0, 1000, 0);
    many.Move(0, 900, 10);
    many.Move(0, 800, 20);
    for (int i = 1; i <= 6; ++i)
        many.Move(0, 800 - i, 20 + 10 * i);
    EXPECT_DOUBLE_EQ(many.EstimateVelocity().y, 100);

    // A sample more than 300 ms older than the newest ends the estimate.
    KineticScroller old = TallList();
    old.Press(0, 1000, 0);
    old.Move(0, 500, 10);
    old.Move(0, 490, 400);
    old.Move(0, 480, 410);
    EXPECT_DOUBLE_EQ(old.EstimateVelocity().y, 1000);

    // Two samples of the same instant do not divide by zero.
    KineticScroller same = TallList();
    same.Press(0, 500, 0);
    same.Move(0, 490, 10);
    same.Move(0, 480, 10);
    EXPECT_DOUBLE_EQ(same.EstimateVelocity().y, 1000);
}

TEST(KineticScroller, FlickFollowsTheDecayAndStops) {
    KineticScroller s = TallList(1000);
    Swipe(&s, 10, 10, 5); // content velocity +1000 px/s
    const double start = s.Y();
    s.Release(50, true);
    ASSERT_TRUE(s.IsFlicking());
    const double distance = 1000 * 1.6 / std::log(5.0);
    ASSERT_TRUE(s.Frame(75));
    EXPECT_NEAR(s.Y(), start + distance * (1 - std::pow(5.0, -0.025)), 1e-9);
    int frames = 1 + RunToRest(&s, 75);
    // ln(1000/30)/ln 5 = 2179 ms of 25 ms frames.
    EXPECT_EQ(s.FlickDurationMs(), 2179);
    EXPECT_EQ(frames, 88);
    EXPECT_NEAR(s.Y(), start + distance * (1 - std::pow(5.0, -2.2)), 1e-9);
    EXPECT_FALSE(s.IsAnimating());

    // A late frame past the end time ends the flick at once.
    KineticScroller late = TallList(1000);
    Swipe(&late, 10, 10, 5);
    late.Release(50, true);
    EXPECT_FALSE(late.Frame(50 + 2179));
}

TEST(KineticScroller, DragPastTheTopStretchesHalfAndSpringsBack) {
    KineticScroller s = TallList(10);
    s.Press(0, 100, 0);
    s.Move(0, 110, 1000); // 10 px inside the range
    EXPECT_DOUBLE_EQ(s.Y(), 0);
    s.Move(0, 150, 2000); // 40 px beyond: shown as 20
    EXPECT_DOUBLE_EQ(s.Y(), -20);
    s.Move(0, 130, 3000); // back by 20: half of it
    EXPECT_DOUBLE_EQ(s.Y(), -10);
    s.Move(0, 170, 4000);
    EXPECT_DOUBLE_EQ(s.Y(), -30);
    s.Release(5000, true); // stale: no flick, spring
    ASSERT_TRUE(s.IsSpringing());
    // Step a quarter of 30 (7), less 7/20 + 1 each frame, never below 2.
    const double expected[] = {-24, -19, -15, -12, -10, -8, -6, -4, -2, 0};
    for (double y : expected) {
        s.Frame(6000);
        EXPECT_DOUBLE_EQ(s.Y(), y);
    }
    EXPECT_FALSE(s.IsAnimating());

    // Past the bottom the same, towards the end of the range.
    KineticScroller bottom = TallList(9000);
    bottom.Press(0, 500, 0);
    bottom.Move(0, 300, 10);
    EXPECT_DOUBLE_EQ(bottom.Y(), 9100);
    bottom.Release(1000, true);
    RunToRest(&bottom, 1000);
    EXPECT_DOUBLE_EQ(bottom.Y(), 9000);
}

TEST(KineticScroller, FlickIntoAnEndSpringsBackAndShortContentStays) {
    KineticScroller s = TallList(8000);
    Swipe(&s, 40, 10, 5); // 4000 px/s towards the end
    s.Release(50, true);
    ASSERT_TRUE(s.IsFlicking());
    RunToRest(&s, 50);
    EXPECT_DOUBLE_EQ(s.Y(), 9000);

    // Content no taller than the view: a drag moves nothing and nothing flicks.
    KineticScroller shortList;
    shortList.SetExtent(300, 500, 300, 1000);
    Swipe(&shortList, 40, 10, 5);
    EXPECT_DOUBLE_EQ(shortList.Y(), 0);
    shortList.Release(50, true);
    EXPECT_FALSE(shortList.IsAnimating());

    // A horizontal-only scroller ignores vertical movement.
    KineticScroller wide;
    wide.SetAxes(KineticScroller::kHorizontal);
    wide.SetExtent(3000, 3000, 300, 300);
    wide.Press(100, 100, 0);
    wide.Move(50, 40, 10);
    EXPECT_DOUBLE_EQ(wide.X(), 50);
    EXPECT_DOUBLE_EQ(wide.Y(), 0);
}

} // namespace
} // namespace tonilo
