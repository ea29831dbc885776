#pragma once
// The `Track` slider: position in whole seconds, its look chosen by what runs
// ("PlayL" while playing, "RecL" while recording), and the state of a drag.
// Its bookmark marks are the bookmarks' (BookmarksUi).
#include <cstdint>

namespace tonilo {

class SkinSlider;

class TrackBar {
public:
    void Bind(SkinSlider* track) { track_ = track; }
    SkinSlider* Element() const { return track_; }
    void SetUpPlayback(uint32_t lengthMs, uint32_t positionMs);
    void SetUpRecording(int64_t maximumMs);
    void SetPosition(int64_t positionMs);
    void Reset();

    bool dragging = false;
    bool wasPaused = false; // playback was paused when the drag began

private:
    SkinSlider* track_ = nullptr;
};

} // namespace tonilo
