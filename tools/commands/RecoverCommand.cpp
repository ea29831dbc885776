// tonilo-tool recover DIR: gives the recordings a crash left hidden in DIR the
// names they were going to have (or the next free ones), one a line.
#include <cstdio>

#include "Libs/ToniloLib/Src/engine/RecordingRecovery.h"
#include "tools/ToolCommand.h"

namespace tonilo::tool {

int RunRecoverCommand(const ToolContext&, const Arguments& arguments) {
    if (arguments.size() != 1)
        return UsageError("recover DIR");
    int exitCode = kExitOk;
    for (const RecoveredRecording& left : RecoverRecordings(arguments[0])) {
        if (left.deleted) {
            std::fprintf(stderr, "removed an empty unfinished recording: %s\n",
                         left.hiddenPath.c_str());
        } else if (left.finalPath.empty()) {
            std::fprintf(stderr, "tonilo-tool recover: cannot rename %s\n",
                         left.hiddenPath.c_str());
            exitCode = kExitFailure;
        } else {
            std::printf("%s\n", left.finalPath.c_str());
        }
    }
    return exitCode;
}

} // namespace tonilo::tool
