#include "tools/ToolStartup.h"

#include "formats/ProgramFormatRegistry.h"
#include "platform/ProgramPaths.h"

namespace tonilo::tool {

ToolContext PrepareToolContext(const char* /*argv0*/) {
    ToolContext context;
    context.programFolder = ProgramFolder();
    context.dataFolder = DataFolder();
    return context;
}

FormatRegistry* OpenFormatRegistry() {
    return CreateProgramFormatRegistry();
}

} // namespace tonilo::tool
