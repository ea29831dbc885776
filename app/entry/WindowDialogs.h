#pragma once
// Opens the dialogs behind the main window's commands (settings, format,
// filters, equalizer, scheduler, bookmarks, export, properties, associations,
// about): makes each dialog's model from the program's objects and hands the
// drawn dialog to the window.
#include <cstdint>
#include <memory>

#include "app/ProgramWindow.h"
#include "platform/window/dialogs/DialogUi.h"
#include "ui/BookmarksUi.h"

namespace tonilo {

class HardwareButtons;
class MainWindow;
class ScheduleArming;
class Scheduler;

struct DialogContext {
    const ProgramWindowContext* program = nullptr;
    MainWindow* window = nullptr;
    DialogServices* services = nullptr; // the window's overlay
    HardwareButtons* buttons = nullptr; // null until the buttons are attached
    Scheduler* scheduler = nullptr;     // the program's schedule
    ScheduleArming* arming = nullptr;   // arms the schedule again after its list's OK
};

class WindowDialogs {
public:
    explicit WindowDialogs(DialogContext context) : context_(context) {}
    void SetHardwareButtons(HardwareButtons* buttons) { context_.buttons = buttons; }

    // One of the main window's dialog commands: true when a dialog opened.
    bool Open(uint32_t command);
    // Asks for a new bookmark's text in the text dialog (the window's bookmarks
    // use it while BMAsk is set).
    BookmarksUi::TextAsker BookmarkTextAsker();

private:
    DialogContext context_;
};

} // namespace tonilo
