#include "formats/ProgramFormatRegistry.h"

#include <cstdio>

#include "Libs/ToniloLib/Src/components/FilterTable.h"
#include "formats/ShippedCodecs.h"
#include "platform/ProgramPaths.h"

namespace tonilo {

FormatRegistry* CreateProgramFormatRegistry() {
    ShippedCodecsReport report = RegisterShippedCodecs(CodecsFolder(), kFormatsKeyPath);
    for (const std::string& problem : report.problems)
        std::fprintf(stderr, "Tonilo: codec library %s\n", problem.c_str());
    auto* registry = new FormatRegistry();
    registry->Init(kFormatsKeyPath, GetFilterTable);
    return registry;
}

} // namespace tonilo
