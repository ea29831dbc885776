#pragma once
#include "formats/FormatRegistry.h"

namespace tonilo {

// The format registry as the program uses it: the codecs shipped in the program
// folder described in the registry (once), the Formats key read, the engine's
// built-in filters merged. Returns one reference; problems with shipped
// libraries are said on standard error.
FormatRegistry* CreateProgramFormatRegistry();

} // namespace tonilo
