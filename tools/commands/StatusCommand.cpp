// tonilo-tool status: what the running tonilo is doing, one "key: value" a line
// (mode, file, position_ms, duration_ms, pending).
#include <cstdio>

#include "tools/ToolCommand.h"
#include "tools/commands/RunningInstance.h"

namespace tonilo::tool {

int RunStatusCommand(const ToolContext& context, const Arguments& arguments) {
    if (!arguments.empty())
        return UsageError("status");
    std::string answer;
    if (!SendInstanceRequest(RunningInstanceSocket(context), InstanceRequest::Status, "",
                             &answer) ||
        answer.empty()) {
        std::fprintf(stderr, "tonilo-tool status: tonilo is not running\n");
        return kExitFailure;
    }
    std::fwrite(answer.data(), 1, answer.size(), stdout);
    return kExitOk;
}

} // namespace tonilo::tool
