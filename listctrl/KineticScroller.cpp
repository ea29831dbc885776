#include "listctrl/KineticScroller.h"

#include <algorithm>
#include <cmath>

namespace tonilo {
namespace {

const double kLn5 = std::log(5.0);

// The part of a position past an end is shown at half its size.
double Stretched(double raw, double max) {
    double inside = std::clamp(raw, 0.0, max);
    return inside + (raw - inside) / 2;
}

// The inverse, for a drag that starts on a stretched list.
double Unstretched(double shown, double max) {
    double inside = std::clamp(shown, 0.0, max);
    return inside + (shown - inside) * 2;
}

int32_t Elapsed(uint32_t from, uint32_t to) {
    return static_cast<int32_t>(to - from); // the tick wraps
}

int Sign(double v) {
    return (v > 0) - (v < 0);
}

} // namespace

void KineticScroller::SetExtent(double contentWidth, double contentHeight, double viewWidth,
                                double viewHeight) {
    contentWidth_ = contentWidth;
    contentHeight_ = contentHeight;
    viewWidth_ = viewWidth;
    viewHeight_ = viewHeight;
    maxX_ = std::max(0.0, contentWidth - viewWidth);
    maxY_ = std::max(0.0, contentHeight - viewHeight);
    if (!dragging_ && !IsAnimating()) {
        x_ = std::clamp(x_, 0.0, maxX_);
        y_ = std::clamp(y_, 0.0, maxY_);
    }
}

void KineticScroller::ScrollTo(double x, double y) {
    mode_ = 0;
    x_ = std::clamp(x, 0.0, maxX_);
    y_ = std::clamp(y, 0.0, maxY_);
    rawX_ = x_;
    rawY_ = y_;
}

const KineticScroller::Sample& KineticScroller::SampleAt(int32_t back) const {
    return history_[(historyNewest_ - back + kHistorySize) % kHistorySize];
}

void KineticScroller::Press(double x, double y, uint32_t timeMs) {
    mode_ = 0;
    historyCount_ = 1;
    historyNewest_ = 0;
    history_[0] = {x, y, timeMs};
    dragging_ = true;
    // An axis whose content fits the view does not move at all.
    dragX_ = (axes_ & kHorizontal) && contentWidth_ > viewWidth_;
    dragY_ = (axes_ & kVertical) && contentHeight_ > viewHeight_;
    rawX_ = Unstretched(x_, maxX_);
    rawY_ = Unstretched(y_, maxY_);
}

void KineticScroller::Move(double x, double y, uint32_t timeMs) {
    if (!dragging_)
        return;
    const Sample& last = SampleAt(0);
    double dx = x - last.x, dy = y - last.y;
    historyNewest_ = (historyNewest_ + 1) % kHistorySize;
    history_[historyNewest_] = {x, y, timeMs};
    historyCount_ = std::min(historyCount_ + 1, kHistorySize);
    // The content follows the finger: a finger moving down shows earlier rows.
    if (dragX_) {
        rawX_ -= dx;
        x_ = Stretched(rawX_, maxX_);
    }
    if (dragY_) {
        rawY_ -= dy;
        y_ = Stretched(rawY_, maxY_);
    }
}

KineticScroller::Velocity KineticScroller::EstimateVelocity() const {
    Velocity v;
    if (historyCount_ < 2)
        return v;
    const uint32_t newest = SampleAt(0).time;
    double sum[2] = {0, 0};
    int32_t count[2] = {0, 0};
    int previousSign[2] = {0, 0};
    bool stopped[2] = {false, false};
    for (int32_t i = 0, pairs = 0; i + 1 < historyCount_ && pairs < 6; ++i) {
        const Sample& newer = SampleAt(i);
        const Sample& older = SampleAt(i + 1);
        if (Elapsed(older.time, newest) > kStaleMs)
            break;
        int32_t dt = Elapsed(older.time, newer.time);
        if (dt <= 0)
            continue; // two samples of one instant say nothing about speed
        ++pairs;
        const double pair[2] = {(newer.x - older.x) * 1000.0 / dt,
                                (newer.y - older.y) * 1000.0 / dt};
        for (int axis = 0; axis < 2; ++axis) {
            if (stopped[axis])
                continue;
            int sign = Sign(pair[axis]);
            if (previousSign[axis] != 0 && sign != 0 && sign != previousSign[axis]) {
                stopped[axis] = true;
                continue;
            }
            if (sign != 0)
                previousSign[axis] = sign;
            sum[axis] += pair[axis];
            ++count[axis];
        }
    }
    if (count[0] > 0)
        v.x = -sum[0] / count[0];
    if (count[1] > 0)
        v.y = -sum[1] / count[1];
    return v;
}

int32_t KineticScroller::FlickDuration(double speed) {
    return static_cast<int32_t>(std::lround(std::fabs(std::log(speed / 30.0) / kLn5 * 1000.0)));
}

void KineticScroller::Release(uint32_t timeMs, bool inside) {
    if (!dragging_)
        return;
    dragging_ = false;
    velocity_ = {};
    flickDuration_ = 0;
    if (!inside || historyCount_ == 0 || Elapsed(SampleAt(0).time, timeMs) > kStaleMs) {
        Settle();
        return;
    }
    Velocity v = EstimateVelocity();
    if (!dragX_)
        v.x = 0;
    if (!dragY_)
        v.y = 0;
    double larger = std::max(std::fabs(v.x), std::fabs(v.y));
    if (larger > kMaxSpeed) {
        v.x = v.x * kMaxSpeed / larger;
        v.y = v.y * kMaxSpeed / larger;
    }
    velocity_ = v;
    double speed = std::sqrt(v.x * v.x + v.y * v.y);
    if (speed < kMinSpeed) {
        Settle();
        return;
    }
    distanceX_ = v.x * 1.6 / kLn5;
    distanceY_ = v.y * 1.6 / kLn5;
    flickDuration_ = FlickDuration(speed);
    flickEnd_ = timeMs + static_cast<uint32_t>(flickDuration_);
    elapsed_ = 0;
    startX_ = x_;
    startY_ = y_;
    mode_ = kFlickRunning;
}

void KineticScroller::Stop() {
    mode_ = 0;
    dragging_ = false;
}

bool KineticScroller::OutOfRange() const {
    return x_ < 0 || x_ > maxX_ || y_ < 0 || y_ > maxY_;
}

void KineticScroller::Settle() {
    mode_ = 0;
    if (!OutOfRange())
        return;
    auto quarter = [](double position, double max) {
        double past = position < 0 ? -position : position > max ? position - max : 0;
        return static_cast<int32_t>(past / 4);
    };
    springStepX_ = quarter(x_, maxX_);
    springStepY_ = quarter(y_, maxY_);
    mode_ = kSpringRunning;
}

bool KineticScroller::SpringAxis(double* position, double max, int32_t* step) {
    if (*position >= 0 && *position <= max)
        return false;
    double target = *position < 0 ? 0 : max;
    *step -= *step / 20 + 1;
    if (*step < 2)
        *step = 2;
    double distance = target - *position;
    if (std::fabs(distance) <= *step)
        *position = target;
    else
        *position += distance > 0 ? *step : -*step;
    return *position != target;
}

bool KineticScroller::Frame(uint32_t nowMs) {
    if (mode_ & kFlickRunning) {
        elapsed_ += kFramePeriodMs;
        double decay = 1.0 - std::pow(5.0, -elapsed_ / 1000.0);
        if (std::fabs(velocity_.x) > 0.001)
            x_ = startX_ + distanceX_ * decay;
        y_ = startY_ + distanceY_ * decay;
        if (OutOfRange())
            Settle();
        else if (elapsed_ >= flickDuration_ || Elapsed(flickEnd_, nowMs) >= 0)
            mode_ = 0;
        return IsAnimating();
    }
    if (mode_ & kSpringRunning) {
        bool x = SpringAxis(&x_, maxX_, &springStepX_);
        bool y = SpringAxis(&y_, maxY_, &springStepY_);
        if (!x && !y)
            mode_ = 0;
    }
    return IsAnimating();
}

} // namespace tonilo
