#pragma once
// "Play event properties": the file a Play event plays, typed or chosen.
#include <memory>

#include "platform/window/dialogs/Dialog.h"

namespace tonilo {

class EventEditorModel;

// The editor's model must outlive the dialog (it sits below it).
std::unique_ptr<Dialog> MakePlayPropertiesDialog(EventEditorModel& editor);

} // namespace tonilo
