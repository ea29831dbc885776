#pragma once
// "Play event properties": the file a Play event plays, typed or chosen.
#include <memory>
#include <string>

#include "platform/window/dialogs/Dialog.h"

namespace tonilo {

class EventEditorModel;

// The editor's model must outlive the dialog (it sits below it). Choosing a
// file starts in the chosen file's folder, else in `browseFolder`.
std::unique_ptr<Dialog> MakePlayPropertiesDialog(EventEditorModel& editor,
                                                 std::string browseFolder);

} // namespace tonilo
