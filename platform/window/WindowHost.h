#pragma once
// What the program's windows ask of the platform beyond a skin frame's picture:
// timers of the user-interface thread, menus and the soft-key bar, questions and
// messages, a folder chooser, blanking. The platform's main window implements it
// (over SDL and Dear ImGui); tests use their own. Nothing here blocks: a question
// or a chooser answers later through its callback, on the user-interface thread.
// User-interface thread only.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tonilo {

class SkinFrame;

// One entry of a menu: a command (id and text), a separator, or a submenu
// (children, id 0 or the submenu's own id).
struct MenuItem {
    uint32_t id = 0;
    std::string text;
    bool enabled = true;
    bool checked = false;
    bool separator = false;
    std::vector<MenuItem> children;

    static MenuItem Command(uint32_t id, std::string text) {
        MenuItem item;
        item.id = id;
        item.text = std::move(text);
        return item;
    }
    static MenuItem Separator() {
        MenuItem item;
        item.separator = true;
        return item;
    }
    static MenuItem Submenu(uint32_t id, std::string text, std::vector<MenuItem> children) {
        MenuItem item = Command(id, std::move(text));
        item.children = std::move(children);
        return item;
    }
};
using Menu = std::vector<MenuItem>;

enum class QuestionButtons { Ok, YesNo, YesNoCancel };
// The platform's answer codes (IDOK, IDCANCEL, IDYES, IDNO).
enum class QuestionAnswer : int32_t { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

// The left soft key: one command; the right one opens the menu bar's menu.
struct SoftKey {
    std::string text;
    uint32_t command = 0;
    bool enabled = true;
};

class WindowHost {
public:
    virtual ~WindowHost() = default;

    // Timers of the user-interface thread; a timer repeats until killed and
    // arrives as WindowClient::OnTimer. Setting a running id restarts it.
    virtual void SetTimer(uint32_t id, uint32_t milliseconds) = 0;
    virtual void KillTimer(uint32_t id) = 0;

    // The soft-key bar; the right key opens `menu` (built again through
    // WindowClient::OnMenuOpening just before it shows).
    virtual void SetSoftKeys(const SoftKey& left, const std::string& rightText,
                             const Menu& menu) = 0;
    virtual void ShowSoftKeys(bool show) = 0;
    // A context or sort menu at a point of the window (skin pixels); the chosen
    // item arrives as WindowClient::OnCommand.
    virtual void PopupMenu(const Menu& menu, int32_t x, int32_t y) = 0;

    // A question with the product name as title unless one is given.
    virtual void Ask(const std::string& text, const std::string& title, QuestionButtons buttons,
                     std::function<void(QuestionAnswer)> answered) = 0;
    // A line of text to edit (a file's new name), opening on `text`; null when
    // cancelled. A host without a text editor cancels.
    virtual void AskText(const std::string& title, const std::string& text,
                         std::function<void(const std::string* edited)> answered) {
        answered(nullptr);
    }
    // A folder chooser opening on `start`; an empty path means cancelled.
    virtual void ChooseFolder(const std::string& title, const std::string& start,
                              std::function<void(const std::string&)> chosen) = 0;

    // Shows another page (frame) of the skin in place of the main one, as the
    // recording list's own page; none goes back to the main page.
    virtual void ShowPage(SkinFrame* page) {}
    // Blank: black, nothing drawn, no refresh, pointer captured; false restores.
    virtual void SetBlank(bool blank) = 0;
    virtual void BringToFront() = 0;
    // Ends the message loop once the current message is handled.
    virtual void Quit() = 0;
    // Something the client paints itself (PaintOverride) changed.
    virtual void Repaint() {}
    // The skin's controls end above this row (skin pixels): the soft-key bar
    // takes no more than the room below it, down to a finger's height.
    virtual void SetControlsBottom(int32_t row) {}
};

// The main window's side: what the platform hands it.
class WindowClient {
public:
    virtual ~WindowClient() = default;
    virtual void OnCommand(uint32_t id) = 0;
    virtual void OnTimer(uint32_t id) = 0;
    // Just before a menu shows: the client fills in or updates its items
    // (checks, enabling, submenus rebuilt each time).
    virtual void OnMenuOpening(Menu* menu) = 0;
    // The screen (or the window's inside) got a new size: choose and bind the
    // skin again.
    virtual void OnScreenChanged(int32_t width, int32_t height) = 0;
    virtual void OnActivate(bool active) = 0;
    // The window's close box, Alt+F4, the desktop's session ending.
    virtual void OnCloseRequest() = 0;
    // A key (an SDL key code) went down or up; auto-repeat sets `repeat`.
    virtual void OnKey(int32_t keyCode, bool down, bool repeat) {}
    // A tap while the window is blank (window pixels); nothing else sees it.
    virtual void OnBlankPointer(int32_t x, int32_t y) {}
    // A press or release (window pixels) before the skin sees it; true when the
    // client took it (a window of its own covers the skin).
    virtual bool TakesPointer(bool down, int32_t x, int32_t y) { return false; }
    // Paints the whole window instead of the skin (RGB565, rows top-down, `pitch`
    // pixels a row); false when the skin shows. Null pixels only ask.
    virtual bool PaintOverride(uint16_t* pixels, int32_t width, int32_t height, int32_t pitch) {
        return false;
    }
};

} // namespace tonilo
