#pragma once
// One scroll bar of the touch list: where its thumb lies for a content, view and
// position, dragging the thumb, and whether it shows. A bar that hides by itself
// stays fully visible while the list moves, waits kHideDelayMs after the last
// movement and then fades out over kFadeMs. Times come from the caller.
// User-interface thread only.
#include <cstdint>

namespace tonilo {

class ListScrollBar {
public:
    static constexpr int32_t kHideDelayMs = 2000;
    static constexpr int32_t kFadeMs = 250;

    void SetAutoHide(bool autoHide) { autoHide_ = autoHide; }
    bool AutoHide() const { return autoHide_; }
    // trackLength pixels long, the thumb never shorter than minThumb.
    void Layout(int32_t trackLength, int32_t minThumb, double content, double view,
                double position);
    // The content is longer than the view.
    bool Needed() const { return needed_; }
    int32_t ThumbStart() const { return thumbStart_; }
    int32_t ThumbLength() const { return thumbLength_; }

    // The list moved: show the bar and restart the hide delay.
    void Touch(uint32_t nowMs);
    // 255 fully shown, 0 hidden.
    uint8_t Opacity(uint32_t nowMs) const;
    // Milliseconds until the opacity next changes by itself; -1 when it never will.
    int32_t NextChangeMs(uint32_t nowMs) const;

    // Grabs the thumb at a point along the track: on the thumb it keeps the offset
    // where it was taken, elsewhere the thumb's middle jumps there. Returns the
    // position the list should scroll to.
    double BeginDrag(int32_t along, uint32_t nowMs);
    double DragTo(int32_t along, uint32_t nowMs) const;
    void EndDrag(uint32_t nowMs);
    bool IsDragging() const { return dragging_; }

private:
    double PositionForThumb(double thumbStart) const;

    bool autoHide_ = true;
    bool needed_ = false;
    int32_t track_ = 0;
    int32_t thumbStart_ = 0;
    int32_t thumbLength_ = 0;
    double maxPosition_ = 0;
    bool shown_ = false;
    uint32_t lastTouch_ = 0;
    bool dragging_ = false;
    int32_t grabOffset_ = 0;
};

} // namespace tonilo
