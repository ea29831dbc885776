#pragma once
// A dialog or property sheet drawn over the main window. The dialog's rules live
// in a plain model (ui/); a Dialog only draws that model each frame with the
// finger-sized controls of DialogUi and hands OK and Cancel to it. Dialogs stack:
// one may open another (the format dialog from the "Input" page), and only the
// top one takes input. User-interface thread only.
#include <cstdint>
#include <string>

namespace tonilo {

class DialogUi;

// What the soft-key bar offers while the dialog is on top.
enum class DialogKeys {
    OkCancel,   // OK on the left, Cancel on the right
    Close,      // one key, "OK", that closes (about box, properties)
    CancelOnly, // work going on: only Cancel (export while it converts)
};

class Dialog {
public:
    virtual ~Dialog() = default;

    virtual std::string Title() const = 0;
    // Draws the body; called every frame while the dialog is open.
    virtual void Draw(DialogUi& ui) = 0;
    // OK (the left key, Enter): checks and writes; false keeps the dialog open
    // (it has told the user why through `ui`).
    virtual bool Ok(DialogUi& ui) { return true; }
    // Cancel (the right key, Escape): nothing the dialog edited is kept.
    virtual void Cancel() {}
    // True while Cancel only ends work in progress and the dialog stays open
    // (an export stops and the dialog goes back to editing).
    virtual bool CancelKeepsOpen() const { return false; }
    // The left key's text when it names what OK does ("Export"); empty: "OK".
    virtual std::string OkText() const { return {}; }
    virtual DialogKeys Keys() const { return DialogKeys::OkCancel; }
    // While work goes on (a progress bar), a frame every this many milliseconds;
    // 0 draws only on input, so an idle dialog costs nothing.
    virtual uint32_t RefreshMilliseconds() const { return 0; }
    // True once the dialog has ended by itself (an export that finished): it
    // closes without OK or Cancel being called.
    virtual bool Finished() const { return false; }
    // While on top, key presses go to the hardware buttons instead of the
    // controls (the button capture dialog waits for any key).
    virtual bool TakesHardwareKeys() const { return false; }
};

} // namespace tonilo
