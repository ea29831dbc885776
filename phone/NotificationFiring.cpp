#include "phone/NotificationFiring.h"

#include <cstdio>
#include <vector>

#include "platform/ProcessLauncher.h"

namespace tonilo {

FiringResult FireDueNotifications(TimedNotifications& notifications, int64_t nowEpoch,
                                  bool (*start)(const TimedNotification&)) {
    FiringResult result;
    std::vector<TimedNotification> armed;
    if (!notifications.Enumerate(&armed))
        return result;
    for (const TimedNotification& notification : armed) {
        int64_t when = CalendarTimeToEpoch(notification.when);
        if (when > nowEpoch) {
            if (result.next < 0 || when < result.next)
                result.next = when;
            continue;
        }
        // Whoever removes it runs it: two services never start one event twice.
        if (!notifications.Clear(notification.handle))
            continue;
        if (when < 0 || notification.application.empty())
            continue; // a damaged entry
        if (!StillDue(notification.when, nowEpoch)) {
            std::fprintf(stderr, "tonilo-service: %s for %s was missed; not started late.\n",
                         notification.arguments.c_str(),
                         FormatCalendarTime(notification.when).c_str());
            ++result.missed;
            continue;
        }
        if (start(notification))
            ++result.started;
    }
    return result;
}

bool StartNotifiedProgram(const TimedNotification& notification) {
    return SpawnDetached({notification.application, notification.arguments});
}

} // namespace tonilo
