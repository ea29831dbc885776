#pragma once
#include "tools/ToolCommand.h"

namespace tonilo {
class FormatRegistry;
}

namespace tonilo::tool {

// Fills the program and data folders for the running tonilo-tool.
ToolContext PrepareToolContext(const char* argv0);

// The program's format registry, shipped codecs described on first use. One
// reference for the caller to release.
FormatRegistry* OpenFormatRegistry();

} // namespace tonilo::tool
