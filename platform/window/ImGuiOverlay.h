#pragma once
// What Dear ImGui draws over the skin: the soft-key bar at the bottom, its menu
// and popup menus, the dialogs (the bar then holds their OK and Cancel),
// questions (OK, Yes/No, Yes/No/Cancel) and folder and file choosers, all
// finger-sized for the window's height and usable from the keyboard (arrows
// move, Space presses). Texts come from the caller (the string table). Nothing
// blocks: answers come back through callbacks after the frame they were given
// in. Questions come before choosers, choosers before text questions; all of
// them over the dialogs. User-interface thread only.
#include <SDL.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/window/FileChooser.h"
#include "platform/window/OverlayWidgets.h"
#include "platform/window/WindowHost.h"
#include "platform/window/dialogs/DialogStack.h"

namespace tonilo {

class ImGuiOverlay {
public:
    ImGuiOverlay() = default;
    ~ImGuiOverlay();
    ImGuiOverlay(const ImGuiOverlay&) = delete;
    ImGuiOverlay& operator=(const ImGuiOverlay&) = delete;

    bool Init(SDL_Window* window, SDL_Renderer* renderer, const OverlayTexts& texts);
    void SetTexts(const OverlayTexts& texts) { texts_ = texts; }
    // The letters and spacing follow the window's height.
    void Resize(int32_t width, int32_t height);
    // Window pixels the bar may take at most (it keeps a finger's height).
    void SetBarRoom(int32_t pixels);
    // True when the overlay takes this event (pointer on the bar, a menu or a
    // question open); the event has been handed to ImGui either way.
    bool ProcessEvent(const SDL_Event& event);
    // The pointer is here before its next event is handed over: a press draws
    // a frame with the pointer already there first.
    void MovePointer(int32_t x, int32_t y);
    // Draws one frame into the renderer (without presenting).
    void Draw();
    // Something is open that wants another frame after each input.
    bool Busy() const;
    // The last frame opened or closed something, which shows only in the next.
    bool TakeWantsFrame() {
        bool wants = wantsFrame_;
        wantsFrame_ = false;
        return wants;
    }
    int32_t BarHeight() const { return BarDrawn() ? ShownBarHeight() : 0; }

    void SetSoftKeys(const SoftKey& left, const std::string& rightText, const Menu& menu);
    void ShowSoftKeys(bool show) { barShown_ = show; }
    void Popup(const Menu& menu, int32_t x, int32_t y);
    void Ask(const std::string& text, const std::string& title, QuestionButtons buttons,
             std::function<void(QuestionAnswer)> answered);
    void ChooseFolder(const std::string& title, const std::string& start,
                      std::function<void(const std::string&)> chosen);
    void AskText(const std::string& title, const std::string& text,
                 std::function<void(const std::string* edited)> answered);
    void ChooseFile(const std::string& title, const std::string& start, bool save,
                    const std::vector<std::string>& extensions,
                    std::function<void(const std::string&)> chosen);

    // Dialogs: `services` is what their controls ask of the window.
    void SetDialogServices(DialogServices* services) { dialogs_.SetServices(services); }
    void OpenDialog(std::unique_ptr<Dialog> dialog);
    bool DialogOpen() const { return !dialogs_.Empty(); }
    // The top dialog's wish for frames while it works (0: only on input).
    uint32_t DialogRefreshMilliseconds() const { return dialogs_.RefreshMilliseconds(); }
    // The top dialog waits for a key of the hardware buttons: key presses are
    // not the overlay's.
    bool DialogTakesKeys() const;
    void CloseDialogs() { dialogs_.CloseAll(); }

    std::function<void(uint32_t command)> onCommand;
    std::function<void(Menu* menu)> onMenuOpening;

private:
    struct Question {
        std::string text, title;
        QuestionButtons buttons;
        std::function<void(QuestionAnswer)> answered;
    };
    void HandToImGui(const SDL_Event& event);
    void DrawBar();
    void DrawDialogKeys(float width, float height);
    void DrawMenus();
    void DrawQuestion();
    void DrawChooser();
    void DrawTextQuestion();
    bool DrawItems(const Menu& menu, uint32_t* chosen);
    bool OnBar(int32_t x, int32_t y) const;
    bool BarDrawn() const { return barShown_ || !dialogs_.Empty(); }
    int32_t ShownBarHeight() const;
    // Opens the popup when it is not (again, after one over it closed).
    void ShowPopup(const char* id);

    bool initialised_ = false;
    SDL_Window* window_ = nullptr;
    OverlayTexts texts_;
    int32_t width_ = 0, height_ = 0;
    int32_t barHeight_ = 40;
    int32_t barRoom_ = 0; // 0: no limit
    float fontPixels_ = 18;
    bool barShown_ = true;
    SoftKey left_;
    std::string rightText_;
    Menu barMenu_;
    Menu openMenu_;
    bool openRequested_ = false;
    bool menuOpen_ = false;
    float popupX_ = 0, popupY_ = 0;
    float menuRoom_ = 0; // the most height the open menu may take
    std::deque<Question> questions_;
    struct TextQuestion {
        std::string title;
        std::vector<char> buffer; // what ImGui edits in place
        std::function<void(const std::string*)> answered;
    };
    std::deque<TextQuestion> textQuestions_;
    std::deque<FileChooser> choosers_;
    DialogStack dialogs_;
    std::vector<std::function<void()>> deferred_; // callbacks run after the frame
    std::vector<SDL_Scancode> pressedSinceFrame_;
    std::vector<SDL_Event> heldReleases_; // keys let go before a frame saw them down
    float pointerX_ = -1, pointerY_ = -1; // the pointer's last place in the window, none yet
    std::string fontFile_;
    bool wantsFrame_ = false;
};

} // namespace tonilo
