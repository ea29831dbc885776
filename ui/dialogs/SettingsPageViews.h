#pragma once
// The drawing of each page of the "Settings" sheet: one function a page, each
// drawing its model's fields and handing the user's edits straight to it.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/window/dialogs/DialogUi.h"

namespace tonilo {

class ButtonsPage;
class DisplayPage;
class FilesPage;
class HardwareButtons;
class InputPage;
class PhonePage;
class RecordingPage;

// What the views keep between frames.
struct PageViewState {
    // A refused field of the page on show: it takes the keyboard once.
    int32_t focus = -1;
    std::string documents;              // where "\My Documents" leads
    HardwareButtons* buttons = nullptr; // the live manager the capture dialog borrows
    std::vector<DialogListRow> buttonRows;
};

void DrawInputPage(DialogUi& ui, InputPage& page);
void DrawRecordingPage(DialogUi& ui, RecordingPage& page);
void DrawFilesPage(DialogUi& ui, FilesPage& page, PageViewState& state);
void DrawPhonePage(DialogUi& ui, PhonePage& page, PageViewState& state);
void DrawDisplayPage(DialogUi& ui, DisplayPage& page);
void DrawButtonsPage(DialogUi& ui, ButtonsPage& page, PageViewState& state);

} // namespace tonilo
