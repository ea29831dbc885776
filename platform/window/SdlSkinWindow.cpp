#include "platform/window/SdlSkinWindow.h"

#include <algorithm>
#include <cstring>

#include "skin/SkinFrame.h"
#include "skin/SkinMessages.h"

namespace tonilo {

// What a timer callback needs on SDL's timer thread: only ids, no frame.
struct SdlSkinWindow::Timer {
    uint32_t windowId;
    uint32_t timerId;
    SDL_TimerID sdlId = 0;
};

uint32_t SdlSkinWindow::TimerEventType() {
    static const uint32_t type = SDL_RegisterEvents(1);
    return type;
}

SdlSkinWindow::SdlSkinWindow(SkinFrame* frame, int32_t width, int32_t height, bool visible)
    : frame_(frame), width_(width), height_(height) {
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return;
    if (!SDL_WasInit(SDL_INIT_TIMER))
        SDL_InitSubSystem(SDL_INIT_TIMER);
    window_ =
        SDL_CreateWindow("Tonilo", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                         SDL_WINDOW_RESIZABLE | (visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN));
    if (!window_)
        return;
    // Without a display (the offscreen driver) GL reads back nothing sensible: draw
    // in software there, into a plain window surface.
    const char* driver = SDL_GetCurrentVideoDriver();
    bool headless =
        driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
    if (headless)
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    else
        renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (!renderer_)
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (renderer_)
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                     width, height);
}

SdlSkinWindow::~SdlSkinWindow() {
    for (auto& [id, timer] : timers_)
        SDL_RemoveTimer(timer->sdlId);
    if (texture_)
        SDL_DestroyTexture(texture_);
    if (renderer_)
        SDL_DestroyRenderer(renderer_);
    if (window_)
        SDL_DestroyWindow(window_);
}

void SdlSkinWindow::InvalidateRect(const SkinWindowRect&) {
    needsPresent_ = true;
}

void SdlSkinWindow::SetCapture() {
    SDL_CaptureMouse(SDL_TRUE);
}

void SdlSkinWindow::ReleaseCapture() {
    SDL_CaptureMouse(SDL_FALSE);
}

uint32_t SdlSkinWindow::OnTimer(uint32_t interval, void* parameter) {
    const auto* timer = static_cast<const Timer*>(parameter);
    SDL_Event event{};
    event.type = TimerEventType();
    event.user.windowID = timer->windowId;
    event.user.code = static_cast<int32_t>(timer->timerId);
    SDL_PushEvent(&event);
    return interval;
}

void SdlSkinWindow::SetTimer(uint32_t id, uint32_t milliseconds) {
    KillTimer(id);
    auto timer = std::make_unique<Timer>(Timer{WindowId(), id});
    timer->sdlId =
        SDL_AddTimer(std::max<uint32_t>(milliseconds, 1), &SdlSkinWindow::OnTimer, timer.get());
    if (timer->sdlId)
        timers_[id] = std::move(timer);
}

void SdlSkinWindow::KillTimer(uint32_t id) {
    auto it = timers_.find(id);
    if (it == timers_.end())
        return;
    SDL_RemoveTimer(it->second->sdlId);
    timers_.erase(it);
}

void SdlSkinWindow::Attach(void* parent) {
    if (!window_)
        return;
    if (parent)
        SDL_ShowWindow(window_);
    else
        SDL_HideWindow(window_);
}

int32_t SdlSkinWindow::Scale() const {
    int w = width_, h = height_;
    if (renderer_)
        SDL_GetRendererOutputSize(renderer_, &w, &h);
    return std::max(1, std::min(w / std::max(width_, 1), h / std::max(height_, 1)));
}

SkinPoint SdlSkinWindow::WindowToSkin(int32_t x, int32_t y) const {
    int32_t scale = Scale();
    // Floor division, so that points left of or above the picture stay negative.
    auto down = [scale](int32_t v) { return v >= 0 ? v / scale : -((-v + scale - 1) / scale); };
    return {down(x), down(y)};
}

void SdlSkinWindow::Pointer(uint32_t message, int32_t x, int32_t y) {
    SkinPoint point = WindowToSkin(x, y);
    frame_->HandlePointer(message, point.x, point.y);
}

bool SdlSkinWindow::HandleEvent(const SDL_Event& event) {
    const uint32_t id = WindowId();
    if (event.type == TimerEventType()) {
        if (event.user.windowID != id)
            return false;
        // A tick already queued when its timer was killed is dropped here.
        if (timers_.count(static_cast<uint32_t>(event.user.code)))
            frame_->HandleMessage(kSkinTimer, static_cast<uintptr_t>(event.user.code), 0, nullptr);
        return true;
    }
    switch (event.type) {
    case SDL_MOUSEMOTION:
        if (event.motion.windowID != id)
            return false;
        Pointer(kSkinMouseMove, event.motion.x, event.motion.y);
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (event.button.windowID != id || event.button.button != SDL_BUTTON_LEFT)
            return false;
        Pointer(event.type == SDL_MOUSEBUTTONDOWN ? kSkinButtonDown : kSkinButtonUp, event.button.x,
                event.button.y);
        return true;
    case SDL_WINDOWEVENT:
        if (event.window.windowID != id)
            return false;
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
            event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            needsPresent_ = true;
        return true;
    default:
        return false;
    }
}

void SdlSkinWindow::Upload(const SkinRect& area) {
    UploadArea(texture_, frame_->GetCompositor(), area);
}

void SdlSkinWindow::UploadArea(SDL_Texture* texture, const SkinCompositor& picture,
                               const SkinRect& area) {
    SkinRect part = area.Intersect(SkinRect::FromSize(0, 0, picture.Width(), picture.Height()));
    if (part.IsEmpty())
        return;
    SDL_Rect rect{part.left, part.top, part.Width(), part.Height()};
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture, &rect, &pixels, &pitch) != 0)
        return;
    for (int32_t y = 0; y < part.Height(); ++y) {
        // The picture's rows run bottom-up.
        const uint16_t* from =
            picture.Pixels() +
            static_cast<size_t>(picture.Height() - 1 - (part.top + y)) * picture.Stride() +
            part.left;
        std::memcpy(static_cast<uint8_t*>(pixels) + static_cast<size_t>(y) * pitch, from,
                    static_cast<size_t>(part.Width()) * sizeof(uint16_t));
    }
    SDL_UnlockTexture(texture);
}

void SdlSkinWindow::Present() {
    if (Draw())
        SDL_RenderPresent(renderer_);
}

bool SdlSkinWindow::Draw() {
    if (!IsValid())
        return false;
    for (const SkinRect& area : frame_->PaintDirty()) {
        Upload(area);
        needsPresent_ = true;
    }
    if (!needsPresent_)
        return false;
    needsPresent_ = false;
    const int32_t scale = Scale();
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_); // black beyond the picture
    SDL_Rect target{0, 0, width_ * scale, height_ * scale};
    SDL_RenderCopy(renderer_, texture_, nullptr, &target);
    return true;
}

SkinWindow* SdlSkinWindowFactory::CreateSkinWindow(SkinFrame* frame, int32_t width, int32_t height,
                                                   void*, bool mainFrame) {
    auto* window = new SdlSkinWindow(frame, width, height, mainFrame);
    if (!window->IsValid()) {
        delete window;
        return nullptr;
    }
    return window;
}

} // namespace tonilo
