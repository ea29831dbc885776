// tonilo-tool service: turns the background service that records calls and
// fires scheduled events on or off, as confirming PhoneAutoRec does.
#include <cstdio>

#include "phone/CallService.h"
#include "tools/ToolCommand.h"

namespace tonilo::tool {

int RunServiceCommand(const ToolContext& context, const Arguments& arguments) {
    const char* usage = "service enable|disable|status";
    if (arguments.size() != 1)
        return UsageError(usage);
    CallServicePlaces places = DefaultCallServicePlaces(context.programFolder);
    const std::string& action = arguments[0];
    if (action == "enable") {
        if (EnableCallService(places))
            return kExitOk;
        std::fprintf(stderr, "tonilo-tool: the service could not be started.\n");
        return kExitFailure;
    }
    if (action == "disable") {
        if (DisableCallService(places))
            return kExitOk;
        std::fprintf(stderr, "tonilo-tool: the service was not running; it stays off.\n");
        return kExitFailure;
    }
    if (action == "status") {
        int pid = RunningServicePid();
        if (pid > 0)
            std::printf("running\t%d\n", pid);
        else
            std::printf("stopped\n");
        return kExitOk;
    }
    return UsageError(usage);
}

} // namespace tonilo::tool
