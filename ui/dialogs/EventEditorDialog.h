#pragma once
// The event editor: the "Event" page (name, action, disabled, the action's
// properties) and the "Time" page (start, length, weekdays) over one copy of
// the event. OK stores it when the schedule accepts it; a refusal brings up the
// page that owns it with the message, and the editor stays open.
#include <functional>
#include <memory>
#include <string>

#include "platform/window/dialogs/Dialog.h"

namespace tonilo {

class EventEditorModel;

// `stored` runs after OK stored the event; `browseFolder`: where choosing a
// Play event's file starts when it has none yet.
std::unique_ptr<Dialog> MakeEventEditorDialog(std::unique_ptr<EventEditorModel> model,
                                              std::function<void()> stored,
                                              std::string browseFolder);

} // namespace tonilo
