#pragma once
// A skin frame's window over SDL2: the frame's RGB565 picture uploaded as an
// SDL_PIXELFORMAT_RGB565 texture and shown scaled by the largest whole factor that
// fits the window, black to the right and below. Pointer events are mapped back to
// skin pixels; timers come back as SDL user events on the event loop's thread.
// SDL has no child windows, so the main frame's window is a top-level window and a
// secondary frame's window is hidden until it is attached.
// User-interface thread only, except the timer callbacks, which only push events.
#include <SDL.h>

#include <map>
#include <memory>

#include "skin/SkinCompositor.h"
#include "skin/SkinGeometry.h"
#include "skin/SkinWindow.h"

namespace tonilo {

class SdlSkinWindow : public SkinWindow {
public:
    SdlSkinWindow(SkinFrame* frame, int32_t width, int32_t height, bool visible);
    ~SdlSkinWindow() override;
    SdlSkinWindow(const SdlSkinWindow&) = delete;
    SdlSkinWindow& operator=(const SdlSkinWindow&) = delete;

    bool IsValid() const { return renderer_ != nullptr && texture_ != nullptr; }
    uint32_t WindowId() const { return window_ ? SDL_GetWindowID(window_) : 0; }
    SDL_Renderer* Renderer() const { return renderer_; }

    void InvalidateRect(const SkinWindowRect& area) override;
    void SetCapture() override;
    void ReleaseCapture() override;
    void SetTimer(uint32_t id, uint32_t milliseconds) override;
    void KillTimer(uint32_t id) override;
    void Attach(void* parent) override;

    // Gives an event meant for this window to its frame (pointer, timer, exposure);
    // false when the event is for someone else.
    bool HandleEvent(const SDL_Event& event);
    // Paints what is dirty, uploads it and shows the picture.
    void Present();
    // Present without the final flip: the frame is drawn into the renderer's back
    // buffer (where it can be read back). False when nothing needed drawing.
    bool Draw();
    // The whole factor the picture is shown at in the current window size.
    int32_t Scale() const;
    SkinPoint WindowToSkin(int32_t x, int32_t y) const;
    // The user event type timers arrive as (registered once per process).
    static uint32_t TimerEventType();
    // Copies an area of a frame's picture (rows bottom-up) into an RGB565 texture
    // of the picture's size.
    static void UploadArea(SDL_Texture* texture, const SkinCompositor& picture,
                           const SkinRect& area);

private:
    static uint32_t OnTimer(uint32_t interval, void* parameter);
    void Upload(const SkinRect& area);
    void Pointer(uint32_t message, int32_t x, int32_t y);

    struct Timer;
    SkinFrame* frame_;
    int32_t width_, height_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    bool needsPresent_ = true;
    std::map<uint32_t, std::unique_ptr<Timer>> timers_;
};

class SdlSkinWindowFactory : public SkinWindowFactory {
public:
    SkinWindow* CreateSkinWindow(SkinFrame* frame, int32_t width, int32_t height, void* parent,
                                 bool mainFrame) override;
};

} // namespace tonilo
