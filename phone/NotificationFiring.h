#pragma once
// Fires the timed notifications kept in the registry store: each one due is
// removed and its program started. One that is found more than a grace period
// late (the machine slept through it, or the clock jumped forward) is removed
// without running: a recording hours after its time is not what was asked for.
#include <cstdint>

#include "platform/TimedNotifications.h"

namespace tonilo {

struct FiringResult {
    int started = 0;
    int missed = 0;
    int64_t next = -1; // epoch seconds of the next one due, -1 for none
};

// `nowEpoch`: seconds since the epoch. `start` runs a due notification's program.
FiringResult FireDueNotifications(TimedNotifications& notifications, int64_t nowEpoch,
                                  bool (*start)(const TimedNotification&));

// Starts the notification's program with its arguments as its one argument.
bool StartNotifiedProgram(const TimedNotification& notification);

} // namespace tonilo
