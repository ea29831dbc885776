#pragma once
// Finger scrolling of a list: the content follows a drag, a quick flick keeps it
// moving with an exponential slow-down, and pulling past an end stretches the list
// at half the finger's speed and springs back afterwards.
//
// Positions are the content offset in pixels (0 shows the top-left of the content).
// The scroller keeps no clock of its own: every input carries its time in
// milliseconds and the owner calls Frame() once per animation frame (every
// kFramePeriodMs), so a test can drive time exactly. User-interface thread only.
#include <array>
#include <cstdint>

namespace tonilo {

class KineticScroller {
public:
    static constexpr uint32_t kHorizontal = 0x30;
    static constexpr uint32_t kVertical = 0xC0;
    static constexpr int32_t kFramePeriodMs = 25;
    static constexpr int32_t kHistorySize = 20;
    static constexpr int32_t kStaleMs = 300;
    static constexpr double kMaxSpeed = 4000.0;
    static constexpr double kMinSpeed = 15.0;

    struct Velocity {
        double x = 0;
        double y = 0;
    };

    void SetAxes(uint32_t axes) { axes_ = axes; }
    // Content and view sizes; the range of each axis runs from 0 to content - view.
    void SetExtent(double contentWidth, double contentHeight, double viewWidth, double viewHeight);
    // Jumps to a position inside the range and ends any animation.
    void ScrollTo(double x, double y);

    double X() const { return x_; }
    double Y() const { return y_; }
    double MaxX() const { return maxX_; }
    double MaxY() const { return maxY_; }

    // A finger went down: ends any animation and starts a fresh history.
    void Press(double x, double y, uint32_t timeMs);
    // A finger moved: scrolls by the movement on the axes that can scroll.
    void Move(double x, double y, uint32_t timeMs);
    // The finger lifted. Inside the view a quick enough movement starts a flick;
    // otherwise, or outside, the list settles (springs back when stretched).
    void Release(uint32_t timeMs, bool inside);
    // Ends animations where they are (the position is kept, stretch included).
    void Stop();

    // One animation frame at the given time; false once nothing runs any more.
    bool Frame(uint32_t nowMs);
    bool IsFlicking() const { return (mode_ & kFlickRunning) != 0; }
    bool IsSpringing() const { return (mode_ & kSpringRunning) != 0; }
    bool IsAnimating() const { return mode_ != 0; }
    bool IsDragging() const { return dragging_; }

    // What the last release measured, for whoever wants to show or test it.
    Velocity LastVelocity() const { return velocity_; }
    int32_t FlickDurationMs() const { return flickDuration_; }

    // The velocity the history gives at release time (pixels per second, content
    // direction), before the cap.
    Velocity EstimateVelocity() const;
    // The flick's length for a speed: |ln(speed / 30) / ln 5| seconds, rounded.
    static int32_t FlickDuration(double speed);

private:
    static constexpr uint32_t kFlickRunning = 1;
    static constexpr uint32_t kSpringRunning = 2;

    struct Sample {
        double x = 0;
        double y = 0;
        uint32_t time = 0;
    };

    const Sample& SampleAt(int32_t back) const; // 0 = newest
    void Settle();
    bool SpringAxis(double* position, double max, int32_t* step);
    bool OutOfRange() const;

    uint32_t axes_ = kVertical;
    double x_ = 0, y_ = 0;
    double maxX_ = 0, maxY_ = 0;
    double viewWidth_ = 0, viewHeight_ = 0;
    double contentWidth_ = 0, contentHeight_ = 0;

    std::array<Sample, kHistorySize> history_{};
    int32_t historyCount_ = 0;
    int32_t historyNewest_ = -1;
    bool dragging_ = false;
    bool dragX_ = false, dragY_ = false;
    // Where the drag would have taken the content without ends; the part past an
    // end is shown at half its size.
    double rawX_ = 0, rawY_ = 0;

    uint32_t mode_ = 0;
    uint32_t flickEnd_ = 0;
    int32_t elapsed_ = 0;
    int32_t flickDuration_ = 0;
    Velocity velocity_;
    double startX_ = 0, startY_ = 0;
    double distanceX_ = 0, distanceY_ = 0;
    int32_t springStepX_ = 0, springStepY_ = 0;
};

} // namespace tonilo
