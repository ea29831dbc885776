#pragma once
// The program's main window as the application object drives it: it owns the
// controllers' events (it is their EngineEventOwner), runs the message loop of
// the user-interface thread, takes the window's share of the thread's messages,
// and closes the program. Made by a factory the program's entry supplies, so
// that this layer needs no window code; without one, or when it gives none (no
// display), the program runs without a window.
#include <functional>
#include <memory>
#include <string>

#include "app/EngineEventOwner.h"
#include "platform/ThreadMessages.h"

namespace tonilo {

class EngineController;
class HardwareButtons;
class RecorderController;
class SettingsStore;
class WindowHotKeys;

struct ProgramWindowContext {
    ThreadId uiThread = 0;
    std::string keyPath;
    std::string title;
    uint32_t version = 0; // 460 is 4.60
    std::string ledName;
    std::string skinsFolder;
    EngineController* engine = nullptr;
    SettingsStore* settings = nullptr;
    std::function<void()> close;     // the program's close (WM_CLOSE)
    std::function<void()> switchOff; // sets the switch-off-at-exit flag
};

class ProgramWindow {
public:
    virtual ~ProgramWindow() = default;
    // The owner the recorder controller is made with.
    virtual EngineEventOwner& Owner() = 0;
    // The language is chosen and the controller exists: the window loads its
    // skin and takes the controller. False when no skin can be made.
    virtual bool Start(RecorderController& controller) = 0;
    // Key presses reach the hardware-button manager first.
    virtual void AttachButtons(HardwareButtons& buttons, WindowHotKeys& hotKeys) = 0;
    // After the start-up command line: forward unless it asked for the
    // background; a recorder waiting for the record command when idle.
    virtual void StartUpDone(bool background) = 0;
    // The loop, until the window closes; the thread's messages go to `dispatch`.
    virtual void Run(const std::function<void(const ThreadMessage&)>& dispatch) = 0;
    // The window's own messages (engine events, commands, media keys ...).
    virtual bool HandleMessage(const ThreadMessage& message) = 0;
    virtual void BringToFront() = 0;
    // WM_CLOSE's work; the loop ends.
    virtual void Close() = 0;
};

using ProgramWindowFactory =
    std::function<std::unique_ptr<ProgramWindow>(const ProgramWindowContext& context)>;

} // namespace tonilo
