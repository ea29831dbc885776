#include "listctrl/ListScrollBar.h"

#include <algorithm>
#include <cmath>

namespace tonilo {

void ListScrollBar::Layout(int32_t trackLength, int32_t minThumb, double content, double view,
                           double position) {
    track_ = std::max(0, trackLength);
    needed_ = content > view && view > 0 && track_ > 0;
    maxPosition_ = std::max(0.0, content - view);
    if (!needed_) {
        thumbStart_ = 0;
        thumbLength_ = track_;
        return;
    }
    thumbLength_ = std::clamp(static_cast<int32_t>(std::lround(track_ * view / content)),
                              std::min(minThumb, track_), track_);
    // A stretched list squeezes the thumb against its end rather than moving it out.
    double over = position < 0 ? -position : position > maxPosition_ ? position - maxPosition_ : 0;
    if (over > 0)
        thumbLength_ = std::max(std::min(minThumb, track_) / 2,
                                thumbLength_ - static_cast<int32_t>(std::lround(over)));
    double fraction = std::clamp(position / maxPosition_, 0.0, 1.0);
    thumbStart_ = static_cast<int32_t>(std::lround(fraction * (track_ - thumbLength_)));
}

void ListScrollBar::Touch(uint32_t nowMs) {
    shown_ = true;
    lastTouch_ = nowMs;
}

uint8_t ListScrollBar::Opacity(uint32_t nowMs) const {
    if (!needed_)
        return 0;
    if (!autoHide_ || dragging_)
        return 255;
    if (!shown_)
        return 0;
    int32_t since = static_cast<int32_t>(nowMs - lastTouch_);
    if (since < kHideDelayMs)
        return 255;
    int32_t fading = since - kHideDelayMs;
    if (fading >= kFadeMs)
        return 0;
    return static_cast<uint8_t>(255 - fading * 255 / kFadeMs);
}

int32_t ListScrollBar::NextChangeMs(uint32_t nowMs) const {
    if (!needed_ || !autoHide_ || dragging_ || !shown_)
        return -1;
    int32_t since = static_cast<int32_t>(nowMs - lastTouch_);
    if (since < kHideDelayMs)
        return kHideDelayMs - since;
    return since - kHideDelayMs < kFadeMs ? 1 : -1;
}

double ListScrollBar::PositionForThumb(double thumbStart) const {
    int32_t room = track_ - thumbLength_;
    if (room <= 0)
        return 0;
    return std::clamp(thumbStart / room, 0.0, 1.0) * maxPosition_;
}

double ListScrollBar::BeginDrag(int32_t along, uint32_t nowMs) {
    dragging_ = true;
    Touch(nowMs);
    if (along >= thumbStart_ && along < thumbStart_ + thumbLength_)
        grabOffset_ = along - thumbStart_;
    else
        grabOffset_ = thumbLength_ / 2;
    return DragTo(along, nowMs);
}

double ListScrollBar::DragTo(int32_t along, uint32_t) const {
    return PositionForThumb(along - grabOffset_);
}

void ListScrollBar::EndDrag(uint32_t nowMs) {
    dragging_ = false;
    Touch(nowMs);
}

} // namespace tonilo
