// tonilo-tool formats: the format registry's entries, one a line.
#include <cstdio>

#include "formats/FormatRegistry.h"
#include "tools/ToolStartup.h"

namespace tonilo::tool {
namespace {

const char* KindName(uint32_t kind) {
    switch (kind) {
    case FORMAT_KIND_FILTER:
        return "filter";
    case FORMAT_KIND_DECODER:
        return "decoder";
    case FORMAT_KIND_ENCODER:
        return "encoder";
    default:
        return "unknown";
    }
}

} // namespace

int RunFormatsCommand(const ToolContext&, const Arguments& arguments) {
    if (!arguments.empty())
        return UsageError("formats");
    FormatRegistry* registry = OpenFormatRegistry();
    std::vector<FormatLibrary> libraries = registry->Libraries();
    FormatEntry entry;
    // Tab-separated: names hold blanks.
    for (uint32_t index = 0; registry->GetEntry(&entry, index); ++index) {
        std::string extensions;
        for (const std::string& extension : entry.extensions)
            extensions += (extensions.empty() ? "" : ";") + extension;
        bool builtIn = entry.libraryIndex < 0;
        const FormatLibrary* library = builtIn ? nullptr : &libraries[entry.libraryIndex];
        std::printf("%s\t%s\t%s\t%s\t%s\n", entry.name.c_str(), KindName(entry.kind),
                    extensions.empty() ? "-" : extensions.c_str(),
                    builtIn ? "built-in" : library->path.c_str(),
                    builtIn || library->module ? "loaded" : "not loaded");
    }
    registry->Release();
    return kExitOk;
}

} // namespace tonilo::tool
