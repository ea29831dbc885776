#pragma once
// The dialogs open over the main window, the last opened on top. Only the top
// one is drawn, over the whole window above the soft-key bar: its title on the
// first line, its body below it, scrolling (also by dragging it with a finger)
// when taller than the window. The top one takes the keys: Enter is OK (except
// in a text of several lines, where it starts a new line), Escape is Cancel. A
// dialog opened or closed while a frame is drawn (by OK, or by the dialog
// below) comes or goes after that frame, so a dialog's OK may open another one
// or ask a question. User-interface thread only.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/window/dialogs/Dialog.h"
#include "platform/window/dialogs/DialogUi.h"

struct ImGuiWindow;

namespace tonilo {

class DialogStack {
public:
    DialogStack() = default;
    DialogStack(const DialogStack&) = delete;
    DialogStack& operator=(const DialogStack&) = delete;

    // What the dialogs' controls may ask of the window; set before the first Open.
    void SetServices(DialogServices* services) { services_ = services; }
    // Shown from the next frame, on top of the others.
    void Open(std::unique_ptr<Dialog> dialog);
    bool Empty() const { return shown_.empty() && opening_.empty(); }
    // The dialog drawn now; null when none.
    Dialog* Top() const;
    // Inside an ImGui frame: the top dialog over `width` by `height` pixels at
    // the window's top left. `keys`: nothing is open over it, so Enter and
    // Escape are its own.
    void Draw(float width, float height, float fontPixels, bool keys);
    // The top dialog's OK and Cancel (its soft keys), inside the frame. OK
    // closes it only when the dialog accepts.
    void Ok();
    void Cancel();
    // After the frame: the dialogs closed in it go, the ones opened come next
    // frame; true when what is on top changes.
    bool EndFrame();
    // The top dialog's wish for frames while it works; 0 for none.
    uint32_t RefreshMilliseconds() const;
    // Every dialog goes without OK or Cancel (the window closes).
    void CloseAll();

private:
    struct Shown {
        std::unique_ptr<Dialog> dialog;
        std::unique_ptr<DialogUi> ui;
        uint32_t serial = 0; // names the dialog's ImGui window, so none inherits another's state
        bool closing = false;
    };

    // A finger's drag under way: the window it scrolls (ImGui's id) once it
    // has moved far enough.
    struct Drag {
        uint32_t window = 0;
        float startY = 0;
        bool scrolling = false;
    };

    Shown* TopShown();
    void FingerScroll(ImGuiWindow* dialog, float fontPixels);
    void UiFor(Shown& shown, float width, float height, float fontPixels);

    DialogServices* services_ = nullptr;
    std::vector<Shown> shown_;
    std::vector<std::unique_ptr<Dialog>> opening_;
    uint32_t serial_ = 0;
    uint32_t focused_ = 0;     // the dialog given the keyboard last
    bool popupBefore_ = false; // a popup was open at the end of the last frame
    float fontPixels_ = 18;
    Drag drag_;
};

} // namespace tonilo
