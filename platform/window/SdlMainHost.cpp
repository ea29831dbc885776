#include "platform/window/SdlMainHost.h"

#include <algorithm>

#include "platform/RegistryKey.h"
#include "platform/window/SdlSkinWindow.h"
#include "skin/SkinFrame.h"
#include "skin/SkinMessages.h"

namespace tonilo {
namespace {

constexpr int32_t kPhoneLimit = 800; // displays up to 800 by 800 are phones: full screen
constexpr int32_t kFirstWidth = 480;
constexpr int32_t kFirstHeight = 640;
constexpr const char* kWidthValue = "WindowWidth";
constexpr const char* kHeightValue = "WindowHeight";

std::atomic<uint32_t> gTimerEvent{0}; // what the timer thread pushes

} // namespace

// A frame's window: the main frame draws into the host's window, the others stay hidden.
class SdlMainHost::FrameWindow : public SkinWindow {
public:
    FrameWindow(SdlMainHost& host, SkinFrame* frame, bool main)
        : host_(host), frame_(frame), main_(main) {}
    ~FrameWindow() override { host_.ForgetFrame(this); }
    void InvalidateRect(const SkinWindowRect&) override {
        if (host_.ShownFrame() == this)
            host_.dirty_ = true;
    }
    void SetCapture() override { SDL_CaptureMouse(SDL_TRUE); }
    void ReleaseCapture() override { SDL_CaptureMouse(SDL_FALSE); }
    void SetTimer(uint32_t id, uint32_t milliseconds) override {
        host_.StartTimer(this, id, milliseconds);
    }
    void KillTimer(uint32_t id) override { host_.StopTimer(this, id); }
    void Attach(void*) override {}
    SkinFrame* Frame() const { return frame_; }
    bool Main() const { return main_; }

private:
    SdlMainHost& host_;
    SkinFrame* frame_;
    bool main_;
};

SdlMainHost::SdlMainHost(Options options) : options_(std::move(options)) {}

SdlMainHost::~SdlMainHost() {
    SetThreadMessageWakeHook(nullptr);
    for (auto& [key, timer] : timers_)
        SDL_RemoveTimer(timer.sdlId);
    timers_.clear();
    if (texture_)
        SDL_DestroyTexture(texture_);
    if (override_)
        SDL_DestroyTexture(override_);
    overlay_.reset(); // before its renderer
    if (renderer_)
        SDL_DestroyRenderer(renderer_);
    if (window_)
        SDL_DestroyWindow(window_);
}

bool SdlMainHost::Open() {
    // One RGB565 picture needs no GL stack; SDL_RENDER_DRIVER still chooses another.
    SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "software", SDL_HINT_DEFAULT);
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0)
        return false;
    timerEvent_ = SDL_RegisterEvents(2);
    wakeEvent_ = timerEvent_ + 1;
    gTimerEvent = timerEvent_;
    SDL_Rect display{0, 0, kFirstWidth, kFirstHeight};
    SDL_GetDisplayBounds(0, &display);
    fullScreen_ = display.w <= kPhoneLimit && display.h <= kPhoneLimit;
    width_ = kFirstWidth;
    height_ = kFirstHeight;
    if (fullScreen_) {
        width_ = display.w;
        height_ = display.h;
    } else {
        RegistryKey key(options_.keyPath.c_str(), HKEY_LOCAL_MACHINE);
        uint32_t w = 0, h = 0;
        if (key.Open(nullptr, false) && key.ReadNumber(kWidthValue, &w) &&
            key.ReadNumber(kHeightValue, &h) && w >= 100 && h >= 100) {
            width_ = static_cast<int32_t>(std::min<uint32_t>(w, display.w));
            height_ = static_cast<int32_t>(std::min<uint32_t>(h, display.h));
        }
    }
    uint32_t flags =
        SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN | (fullScreen_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    window_ = SDL_CreateWindow(options_.title.c_str(), SDL_WINDOWPOS_CENTERED,
                               SDL_WINDOWPOS_CENTERED, width_, height_, flags);
    if (!window_)
        return false;
    renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (!renderer_)
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_)
        return false;
    SDL_GetWindowSize(window_, &width_, &height_);
    overlay_ = std::make_unique<ImGuiOverlay>();
    overlay_->Init(window_, renderer_, options_.texts);
    overlay_->SetDialogServices(this);
    overlay_->onCommand = [this](uint32_t command) {
        if (client_)
            client_->OnCommand(command);
    };
    overlay_->onMenuOpening = [this](Menu* menu) {
        if (client_)
            client_->OnMenuOpening(menu);
    };
    return true;
}

void SdlMainHost::SetTexts(const OverlayTexts& texts) {
    options_.texts = texts;
    overlay_->SetTexts(texts);
}

// --- Frames and timers ----------------------------------------------------------

SkinWindow* SdlMainHost::CreateSkinWindow(SkinFrame* frame, int32_t width, int32_t height, void*,
                                          bool mainFrame) {
    auto* window = new FrameWindow(*this, frame, mainFrame);
    frames_.insert(window);
    if (mainFrame) {
        mainFrame_ = window;
        pageFrame_ = nullptr;
        dirty_ = true;
        FitTexture(width, height);
    }
    return window;
}

void SdlMainHost::FitTexture(int32_t width, int32_t height) {
    if (width == textureWidth_ && height == textureHeight_ && texture_)
        return;
    if (texture_)
        SDL_DestroyTexture(texture_);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                 width, height);
    textureWidth_ = width;
    textureHeight_ = height;
}

void SdlMainHost::ShowPage(SkinFrame* page) {
    FrameWindow* shown = nullptr;
    for (FrameWindow* frame : frames_)
        if (page && frame->Frame() == page && frame != mainFrame_)
            shown = frame;
    if (shown == pageFrame_)
        return;
    pageFrame_ = shown;
    if (FrameWindow* now = ShownFrame()) {
        SkinCompositor& picture = now->Frame()->GetCompositor();
        FitTexture(picture.Width(), picture.Height());
        // The texture held the other page: all of this one goes up again.
        now->Frame()->InvalidateArea(SkinRect::FromSize(0, 0, picture.Width(), picture.Height()));
    }
    skinPointer_ = false;
    dirty_ = true;
}

void SdlMainHost::ForgetFrame(FrameWindow* frame) {
    frames_.erase(frame);
    for (auto it = timers_.begin(); it != timers_.end();) {
        if (it->first.first == frame) {
            SDL_RemoveTimer(it->second.sdlId);
            it = timers_.erase(it);
        } else {
            ++it;
        }
    }
    if (pageFrame_ == frame)
        pageFrame_ = nullptr;
    if (mainFrame_ == frame) {
        mainFrame_ = nullptr;
        for (FrameWindow* other : frames_)
            if (other->Main())
                mainFrame_ = other;
    }
}

uint32_t SdlMainHost::OnSdlTimer(uint32_t interval, void* parameter) {
    SDL_Event event{};
    event.type = gTimerEvent.load();
    event.user.data1 = parameter; // the generation
    SDL_PushEvent(&event);
    return interval;
}

void SdlMainHost::StartTimer(const void* target, uint32_t id, uint32_t milliseconds) {
    StopTimer(target, id);
    Timer timer{++timerGeneration_};
    timer.sdlId = SDL_AddTimer(std::max<uint32_t>(milliseconds, 1), &OnSdlTimer,
                               reinterpret_cast<void*>(static_cast<uintptr_t>(timer.generation)));
    if (timer.sdlId)
        timers_[{target, id}] = timer;
}

void SdlMainHost::StopTimer(const void* target, uint32_t id) {
    auto it = timers_.find({target, id});
    if (it == timers_.end())
        return;
    SDL_RemoveTimer(it->second.sdlId);
    timers_.erase(it);
}

void SdlMainHost::SetTimer(uint32_t id, uint32_t milliseconds) {
    StartTimer(nullptr, id, milliseconds);
}

void SdlMainHost::KillTimer(uint32_t id) {
    StopTimer(nullptr, id);
}

void SdlMainHost::DeliverTimer(const SDL_Event& event) {
    auto generation = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(event.user.data1));
    auto it = std::find_if(timers_.begin(), timers_.end(), [generation](const auto& timer) {
        return timer.second.generation == generation;
    });
    // A tick queued before its timer was killed or set anew is dropped.
    if (it == timers_.end())
        return;
    const void* target = it->first.first;
    uint32_t id = it->first.second;
    if (target == overlay_.get()) {
        dirty_ = true; // a dialog at work
        return;
    }
    if (!target) {
        if (client_)
            client_->OnTimer(id);
        return;
    }
    auto* frame = static_cast<FrameWindow*>(const_cast<void*>(target));
    if (frames_.count(frame))
        frame->Frame()->HandleMessage(kSkinTimer, id, 0, nullptr);
}

// --- WindowHost ------------------------------------------------------------------

void SdlMainHost::SetSoftKeys(const SoftKey& left, const std::string& rightText, const Menu& menu) {
    overlay_->SetSoftKeys(left, rightText, menu);
    dirty_ = true;
}

void SdlMainHost::ShowSoftKeys(bool show) {
    overlay_->ShowSoftKeys(show);
    dirty_ = true;
}

void SdlMainHost::PopupMenu(const Menu& menu, int32_t x, int32_t y) {
    int32_t scale = Scale();
    overlay_->Popup(menu, x * scale, y * scale);
    dirty_ = true;
    extraFrames_ = 1;
}

void SdlMainHost::Ask(const std::string& text, const std::string& title, QuestionButtons buttons,
                      std::function<void(QuestionAnswer)> answered) {
    overlay_->Ask(text, title, buttons, std::move(answered));
    dirty_ = true;
    extraFrames_ = 1;
}

void SdlMainHost::AskText(const std::string& title, const std::string& text,
                          std::function<void(const std::string* edited)> answered) {
    overlay_->AskText(title, text, std::move(answered));
    dirty_ = true;
    extraFrames_ = 1;
}

void SdlMainHost::ChooseFolder(const std::string& title, const std::string& start,
                               std::function<void(const std::string&)> chosen) {
    overlay_->ChooseFolder(title, start, std::move(chosen));
    dirty_ = true;
    extraFrames_ = 1;
}

void SdlMainHost::ChooseFile(const std::string& title, const std::string& start, bool save,
                             const std::vector<std::string>& extensions,
                             std::function<void(const std::string&)> chosen) {
    overlay_->ChooseFile(title, start, save, extensions, std::move(chosen));
    dirty_ = true;
    extraFrames_ = 1;
}

void SdlMainHost::OpenDialog(std::unique_ptr<Dialog> dialog) {
    overlay_->OpenDialog(std::move(dialog));
    dirty_ = true;
    extraFrames_ = 1;
}

void SdlMainHost::PaceDialog() {
    uint32_t pace = overlay_->DialogRefreshMilliseconds();
    if (pace == dialogPace_)
        return;
    dialogPace_ = pace;
    if (pace > 0)
        StartTimer(overlay_.get(), 0, pace);
    else
        StopTimer(overlay_.get(), 0);
}

void SdlMainHost::SetControlsBottom(int32_t row) {
    controlsBottom_ = row;
    overlay_->SetBarRoom(row > 0 ? height_ - row * Scale() : 0);
    dirty_ = true;
}

void SdlMainHost::SetBlank(bool blank) {
    if (blank == blank_)
        return;
    blank_ = blank;
    dirty_ = true;
    // Blank: every tap comes to the window itself.
    SDL_CaptureMouse(blank ? SDL_TRUE : SDL_FALSE);
}

void SdlMainHost::BringToFront() {
    if (!window_)
        return;
    SDL_RestoreWindow(window_);
    SDL_RaiseWindow(window_);
}

void SdlMainHost::Quit() {
    running_ = false;
    quit_ = true;
    SaveSize();
    if (window_)
        SDL_HideWindow(window_);
}

void SdlMainHost::SaveSize() {
    if (!window_ || fullScreen_ || options_.keyPath.empty())
        return;
    RegistryKey key(options_.keyPath.c_str(), HKEY_LOCAL_MACHINE);
    if (key.Open(nullptr, true)) {
        key.WriteNumber(kWidthValue, static_cast<uint32_t>(width_));
        key.WriteNumber(kHeightValue, static_cast<uint32_t>(height_));
    }
}

// --- The loop ----------------------------------------------------------------------

int32_t SdlMainHost::Scale() const {
    if (textureWidth_ <= 0 || textureHeight_ <= 0)
        return 1;
    return std::max(1, std::min(width_ / textureWidth_, height_ / textureHeight_));
}

bool SdlMainHost::DrawOverride() {
    if (!client_ || !client_->PaintOverride(nullptr, width_, height_, 0))
        return false;
    if (!override_ || overrideWidth_ != width_ || overrideHeight_ != height_) {
        if (override_)
            SDL_DestroyTexture(override_);
        override_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565,
                                      SDL_TEXTUREACCESS_STREAMING, width_, height_);
        overrideWidth_ = width_;
        overrideHeight_ = height_;
    }
    void* pixels = nullptr;
    int pitch = 0;
    if (!override_ || SDL_LockTexture(override_, nullptr, &pixels, &pitch) != 0)
        return false;
    bool painted = client_->PaintOverride(static_cast<uint16_t*>(pixels), width_, height_,
                                          pitch / static_cast<int>(sizeof(uint16_t)));
    SDL_UnlockTexture(override_);
    if (painted)
        SDL_RenderCopy(renderer_, override_, nullptr, nullptr);
    return painted;
}

bool SdlMainHost::DrawFrame() {
    if (!renderer_)
        return false;
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    if (blank_) {
        SDL_RenderPresent(renderer_);
        return false;
    }
    if (DrawOverride()) {
        SDL_RenderPresent(renderer_);
        ++framesDrawn_;
        return true;
    }
    if (FrameWindow* shown = ShownFrame(); shown && texture_) {
        SkinCompositor& picture = shown->Frame()->GetCompositor();
        for (const SkinRect& area : shown->Frame()->PaintDirty())
            SdlSkinWindow::UploadArea(texture_, picture, area);
        int32_t scale = Scale();
        SDL_Rect target{0, 0, textureWidth_ * scale, textureHeight_ * scale};
        SDL_RenderCopy(renderer_, texture_, nullptr, &target);
    }
    overlay_->Draw();
    SDL_RenderPresent(renderer_);
    ++framesDrawn_;
    PaceDialog();
    return true;
}

void SdlMainHost::HandlePointer(uint32_t message, int32_t x, int32_t y) {
    FrameWindow* shown = ShownFrame();
    if (!shown)
        return;
    int32_t scale = Scale();
    // Floor division, so that points left of or above the picture stay negative.
    auto down = [scale](int32_t v) { return v >= 0 ? v / scale : -((-v + scale - 1) / scale); };
    shown->Frame()->HandlePointer(message, down(x), down(y));
}

void SdlMainHost::HandleWindowEvent(const SDL_WindowEvent& event) {
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        width_ = event.data1;
        height_ = event.data2;
        overlay_->Resize(width_, height_);
        if (client_)
            client_->OnScreenChanged(width_, height_);
        SetControlsBottom(controlsBottom_);
        dirty_ = true;
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        dirty_ = true;
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN:
        if (client_ && running_)
            client_->OnActivate(false);
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SHOWN:
        if (client_)
            client_->OnActivate(true);
        dirty_ = true;
        break;
    case SDL_WINDOWEVENT_CLOSE:
        if (client_)
            client_->OnCloseRequest();
        break;
    default:
        break;
    }
}

void SdlMainHost::HandleEvent(const SDL_Event& event) {
    if (event.type == timerEvent_) {
        DeliverTimer(event);
        return;
    }
    if (event.type == wakeEvent_)
        return; // the queue is read after every batch of events
    if (event.type == SDL_QUIT) {
        if (client_)
            client_->OnCloseRequest();
        return;
    }
    if (event.type == SDL_WINDOWEVENT) {
        HandleWindowEvent(event.window);
        return;
    }
    bool pointer = event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP ||
                   event.type == SDL_MOUSEMOTION;
    if (blank_) {
        if (event.type == SDL_MOUSEBUTTONUP && client_)
            client_->OnBlankPointer(event.button.x, event.button.y);
        else if ((event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) && client_)
            client_->OnKey(event.key.keysym.sym, event.type == SDL_KEYDOWN, event.key.repeat != 0);
        return;
    }
    // A window of the client's own (the protection window) covers everything.
    if ((event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) && client_ &&
        event.button.button == SDL_BUTTON_LEFT &&
        client_->TakesPointer(event.type == SDL_MOUSEBUTTONDOWN, event.button.x, event.button.y)) {
        dirty_ = true;
        return;
    }
    // A press that went to the skin keeps its moves and release there.
    bool overlay = !(pointer && skinPointer_) && overlay_->ProcessEvent(event);
    if (overlay || event.type == SDL_MOUSEWHEEL || event.type == SDL_TEXTINPUT) {
        // Submenus open and size themselves over a few frames after the input.
        dirty_ = true;
        extraFrames_ = overlay_->Busy() ? 3 : 1;
        return;
    }
    switch (event.type) {
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button != SDL_BUTTON_LEFT)
            return;
        skinPointer_ = true;
        HandlePointer(kSkinButtonDown, event.button.x, event.button.y);
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button != SDL_BUTTON_LEFT)
            return;
        skinPointer_ = false;
        HandlePointer(kSkinButtonUp, event.button.x, event.button.y);
        break;
    case SDL_MOUSEMOTION:
        if (skinPointer_)
            HandlePointer(kSkinMouseMove, event.motion.x, event.motion.y);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (client_)
            client_->OnKey(event.key.keysym.sym, event.type == SDL_KEYDOWN, event.key.repeat != 0);
        break;
    default:
        break;
    }
}

void SdlMainHost::DrainMessages() {
    wakePending_ = false;
    ThreadMessage message;
    while (running_ && QueuedMessageCount() > 0) {
        if (!GetMessageTimeout(&message, 0)) {
            if (message.message == WM_QUIT)
                running_ = false;
            break;
        }
        if (dispatch_)
            dispatch_(message);
    }
}

namespace {

bool IsPressOrRelease(const SDL_Event& event) {
    return event.type == SDL_KEYDOWN || event.type == SDL_KEYUP ||
           event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP;
}

} // namespace

void SdlMainHost::HandleInput(const SDL_Event& event) {
    // A finger lands where the pointer was not: the controls see it arrive in
    // one frame and press in the next, as a tab or an overlapping control only
    // takes a press where the pointer already was.
    if (event.type == SDL_MOUSEBUTTONDOWN) {
        overlay_->MovePointer(event.button.x, event.button.y);
        DrawFrame();
    }
    HandleEvent(event);
}

void SdlMainHost::Run(const std::function<void(const ThreadMessage&)>& dispatch) {
    dispatch_ = dispatch;
    running_ = !quit_; // a quit asked for before the loop ran ends it at once
    SetThreadMessageWakeHook([this] {
        if (!wakePending_.exchange(true)) {
            SDL_Event event{};
            event.type = wakeEvent_;
            SDL_PushEvent(&event);
        }
    });
    DrainMessages();
    while (running_) {
        if (dirty_ || extraFrames_ > 0) {
            if (!dirty_)
                --extraFrames_;
            dirty_ = false;
            DrawFrame();
            if (overlay_->TakeWantsFrame())
                extraFrames_ = std::max(extraFrames_, 1);
        }
        SDL_Event event;
        bool waited =
            (dirty_ || extraFrames_ > 0) ? SDL_PollEvent(&event) != 0 : SDL_WaitEvent(&event) != 0;
        if (waited) {
            HandleInput(event);
            // A key or button goes down and up again in frames of their own: the
            // controls read their state once a frame, and a press released
            // before it was drawn would not count (fast typing, a quick tap).
            while (running_ && !IsPressOrRelease(event) && SDL_PollEvent(&event))
                HandleInput(event);
        }
        DrainMessages();
    }
    SetThreadMessageWakeHook(nullptr);
    dispatch_ = nullptr;
}

} // namespace tonilo
