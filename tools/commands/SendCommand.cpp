// tonilo-tool send ARG...: hands the command line to the running tonilo
// exactly as a second start of tonilo would.
#include <cstdio>
#include <filesystem>

#include "tools/ToolCommand.h"
#include "tools/commands/RunningInstance.h"

namespace tonilo::tool {

int RunSendCommand(const ToolContext& context, const Arguments& arguments) {
    if (arguments.empty())
        return UsageError("send ARG...");
    std::error_code error;
    std::string payload =
        EncodeCommandLine(std::filesystem::current_path(error).string(), arguments);
    if (payload.size() > kMaxInstancePayload) {
        std::fprintf(stderr, "tonilo-tool send: the command line is too long\n");
        return kExitFailure;
    }
    std::string answer;
    if (!SendInstanceRequest(RunningInstanceSocket(context), InstanceRequest::CommandLine, payload,
                             &answer)) {
        std::fprintf(stderr, "tonilo-tool send: tonilo is not running\n");
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace tonilo::tool
