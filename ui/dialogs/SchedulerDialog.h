#pragma once
// The scheduler's event list: one row per event with its enabled box and time,
// the commands that add, edit and delete events, and OK that saves the schedule
// and arms it again. The event editor opens on top of it.
#include <memory>
#include <string>

#include "platform/window/dialogs/Dialog.h"

namespace tonilo {

class Scheduler;
class ScheduleArming;

// Both must outlive the dialog. `browseFolder`: where choosing a Play event's
// file starts when it has none yet.
std::unique_ptr<Dialog> MakeSchedulerDialog(Scheduler& scheduler, ScheduleArming& arming,
                                            std::string browseFolder);

} // namespace tonilo
