#pragma once
// The program's main window over SDL2: one top-level window whose inside is the
// screen the skin is chosen for (full screen on a display no larger than 800 by
// 800; otherwise the size it had when last closed, first 480 by 640), the skin's
// main frame drawn at the largest whole factor that fits, Dear ImGui's soft-key
// bar, menus, questions and dialogs over it, and one event loop that also wakes
// for the thread's messages. Nothing is drawn while nothing changes: the loop
// blocks in SDL_WaitEvent (a dialog at work asks for frames by a timer).
// User-interface thread only, except the timer callbacks and the wake hook,
// which only push events.
#include <SDL.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/ThreadMessages.h"
#include "platform/window/ImGuiOverlay.h"
#include "platform/window/WindowHost.h"
#include "platform/window/dialogs/DialogUi.h"
#include "skin/SkinGeometry.h"
#include "skin/SkinWindow.h"

namespace tonilo {

class SkinFrame;

class SdlMainHost : public WindowHost, public DialogServices, public SkinWindowFactory {
public:
    struct Options {
        std::string title;   // the window's title
        std::string keyPath; // where the window's size is kept
        OverlayTexts texts;
    };

    explicit SdlMainHost(Options options);
    ~SdlMainHost() override;
    SdlMainHost(const SdlMainHost&) = delete;
    SdlMainHost& operator=(const SdlMainHost&) = delete;

    // Creates the window; false when there is no display to show it on.
    bool Open();
    // The overlay's button texts (the language is chosen after the window opens).
    void SetTexts(const OverlayTexts& texts);
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    bool FullScreen() const { return fullScreen_; }
    void SetClient(WindowClient* client) { client_ = client; }
    // Runs until Quit: window events, timers, and every message posted to this
    // thread, handed to `dispatch`.
    void Run(const std::function<void(const ThreadMessage&)>& dispatch);
    // Draws one frame now (skin, overlay) and shows it; false when blank.
    bool DrawFrame();
    // The client's own picture instead of the skin; false when it has none.
    bool DrawOverride();
    // The whole factor and the place the skin is shown at.
    int32_t Scale() const;
    SDL_Window* Window() const { return window_; }
    uint64_t FramesDrawn() const { return framesDrawn_; }
    bool DialogOpen() const { return overlay_->DialogOpen(); }
    // Every dialog goes without OK or Cancel, before the objects they show do.
    void CloseDialogs() { overlay_->CloseDialogs(); }

    // WindowHost.
    void SetTimer(uint32_t id, uint32_t milliseconds) override;
    void KillTimer(uint32_t id) override;
    void SetSoftKeys(const SoftKey& left, const std::string& rightText, const Menu& menu) override;
    void ShowSoftKeys(bool show) override;
    void PopupMenu(const Menu& menu, int32_t x, int32_t y) override;
    void Ask(const std::string& text, const std::string& title, QuestionButtons buttons,
             std::function<void(QuestionAnswer)> answered) override;
    void AskText(const std::string& title, const std::string& text,
                 std::function<void(const std::string* edited)> answered) override;
    void ChooseFolder(const std::string& title, const std::string& start,
                      std::function<void(const std::string&)> chosen) override;
    // DialogServices (Ask and ChooseFolder above serve both).
    void ChooseFile(const std::string& title, const std::string& start, bool save,
                    const std::vector<std::string>& extensions,
                    std::function<void(const std::string&)> chosen) override;
    void OpenDialog(std::unique_ptr<Dialog> dialog) override;
    void ShowPage(SkinFrame* page) override;
    void SetBlank(bool blank) override;
    void BringToFront() override;
    void Quit() override;
    void Repaint() override { dirty_ = true; }
    void SetControlsBottom(int32_t row) override;

    // SkinWindowFactory: the main frame draws into this window; other frames
    // stay hidden.
    SkinWindow* CreateSkinWindow(SkinFrame* frame, int32_t width, int32_t height, void* parent,
                                 bool mainFrame) override;

private:
    class FrameWindow;
    // The timer thread is handed nothing it could outlive: only the timer's
    // generation, which the user-interface thread looks up when the tick arrives.
    struct Timer {
        uint32_t generation = 0;
        SDL_TimerID sdlId = 0;
    };
    using TimerKey = std::pair<const void*, uint32_t>;

    void StartTimer(const void* target, uint32_t id, uint32_t milliseconds);
    void StopTimer(const void* target, uint32_t id);
    void ForgetFrame(FrameWindow* frame);
    void HandleInput(const SDL_Event& event);
    void HandleEvent(const SDL_Event& event);
    void HandleWindowEvent(const SDL_WindowEvent& event);
    void HandlePointer(uint32_t message, int32_t x, int32_t y);
    void DeliverTimer(const SDL_Event& event);
    void DrainMessages();
    // Frames at the top dialog's pace while it wants them.
    void PaceDialog();
    void SaveSize();
    static uint32_t OnSdlTimer(uint32_t interval, void* parameter);

    Options options_;
    WindowClient* client_ = nullptr;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    SDL_Texture* override_ = nullptr; // the client's own picture of the whole window
    int32_t overrideWidth_ = 0, overrideHeight_ = 0;
    int32_t textureWidth_ = 0, textureHeight_ = 0;
    int32_t width_ = 0, height_ = 0;
    bool fullScreen_ = false;
    std::unique_ptr<ImGuiOverlay> overlay_ = std::make_unique<ImGuiOverlay>();
    std::set<FrameWindow*> frames_;
    FrameWindow* mainFrame_ = nullptr;
    FrameWindow* pageFrame_ = nullptr; // another page shown in place of the main one
    FrameWindow* ShownFrame() const { return pageFrame_ ? pageFrame_ : mainFrame_; }
    void FitTexture(int32_t width, int32_t height);
    std::map<TimerKey, Timer> timers_;
    uint32_t timerGeneration_ = 0;
    uint32_t timerEvent_ = 0;
    uint32_t wakeEvent_ = 0;
    std::atomic<bool> wakePending_{false};
    std::function<void(const ThreadMessage&)> dispatch_;
    bool running_ = false;
    bool quit_ = false;
    bool blank_ = false;
    bool dirty_ = true;
    int extraFrames_ = 0;
    int32_t controlsBottom_ = 0;
    bool skinPointer_ = false; // a press went to the skin: its moves and release follow it
    uint64_t framesDrawn_ = 0;
    uint32_t dialogPace_ = 0; // the period of the dialog's frame timer, 0 when none runs
};

} // namespace tonilo
