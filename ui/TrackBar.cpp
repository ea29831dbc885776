#include "ui/TrackBar.h"

#include <algorithm>

#include "skin/SkinSlider.h"

namespace tonilo {
namespace {

int32_t Seconds(int64_t milliseconds) {
    return static_cast<int32_t>(std::clamp<int64_t>(milliseconds / 1000, 0, INT32_MAX));
}

} // namespace

void TrackBar::SetUpPlayback(uint32_t lengthMs, uint32_t positionMs) {
    if (!track_)
        return;
    track_->SelectLevel("PlayL");
    track_->SetRange(Seconds(lengthMs));
    track_->SetValue(Seconds(positionMs));
}

void TrackBar::SetUpRecording(int64_t maximumMs) {
    if (!track_)
        return;
    track_->SelectLevel("RecL");
    track_->SetRange(Seconds(maximumMs));
    track_->SetValue(0);
}

void TrackBar::SetPosition(int64_t positionMs) {
    if (track_ && !dragging)
        track_->SetValue(Seconds(positionMs));
}

void TrackBar::Reset() {
    if (track_)
        track_->SetValue(0);
}

} // namespace tonilo
