// tonilo-tool notifications: the timed notifications armed for any program,
// soonest first.
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "platform/TimedNotifications.h"
#include "tools/ToolCommand.h"

namespace tonilo::tool {

int RunNotificationsCommand(const ToolContext&, const Arguments& arguments) {
    const char* usage = "notifications list\n"
                        "       tonilo-tool notifications due \"YYYY-MM-DD hh:mm:ss\"\n"
                        "due exits with 0 while a notification of that time may still run, else 1";
    if (arguments.size() == 2 && arguments[0] == "due") {
        CalendarTime when;
        if (!ParseCalendarTime(arguments[1], &when))
            return UsageError(usage);
        return StillDue(when, static_cast<int64_t>(std::time(nullptr))) ? kExitOk : kExitFailure;
    }
    if (arguments.size() != 1 || arguments[0] != "list")
        return UsageError(usage);
    std::unique_ptr<TimedNotifications> notifications = MakeTimedNotifications();
    std::vector<TimedNotification> armed;
    if (!notifications->Enumerate(&armed)) {
        std::fprintf(stderr, "tonilo-tool: cannot read the armed notifications (%s).\n",
                     notifications->Name());
        return kExitFailure;
    }
    std::stable_sort(
        armed.begin(), armed.end(),
        [](const TimedNotification& a, const TimedNotification& b) { return a.when < b.when; });
    for (const TimedNotification& notification : armed)
        std::printf("%s\t%s\t%s\n", FormatCalendarTime(notification.when).c_str(),
                    notification.application.c_str(), notification.arguments.c_str());
    return kExitOk;
}

} // namespace tonilo::tool
