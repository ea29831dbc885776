#pragma once
// The platform window a skin frame shows in. The skin engine asks it for repaints,
// pointer capture and timers; the window gives paint, pointer and timer events back
// to its frame (SkinFrame::HandleMessage, SkinFrame::PaintDirty). Rectangles cross
// this boundary exclusive (right and bottom one past the last pixel).
// User-interface thread only.
#include <cstdint>

namespace tonilo {

class SkinFrame;

struct SkinWindowRect {
    int32_t left, top, right, bottom; // exclusive
};

class SkinWindow {
public:
    virtual ~SkinWindow() = default;
    // The frame has dirty areas; the window paints them (without erasing) when it can.
    virtual void InvalidateRect(const SkinWindowRect& area) = 0;
    virtual void SetCapture() = 0;
    virtual void ReleaseCapture() = 0;
    virtual void SetTimer(uint32_t id, uint32_t milliseconds) = 0;
    virtual void KillTimer(uint32_t id) = 0;
    // With a parent the window becomes a visible child of it; without one it is hidden.
    virtual void Attach(void* parent) = 0;
};

// Makes the window of each frame of a loaded skin: the main frame as a visible child
// of the parent window (child id 110), later frames as hidden pop-ups.
class SkinWindowFactory {
public:
    virtual ~SkinWindowFactory() = default;
    virtual SkinWindow* CreateSkinWindow(SkinFrame* frame, int32_t width, int32_t height,
                                         void* parent, bool mainFrame) = 0;
};

} // namespace tonilo
