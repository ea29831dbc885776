// tonilo-tool info FILE|URL: what the decoder for the file reports about it.
#include <unistd.h>

#include <cstdio>

#include "formats/FormatRegistry.h"
#include "formats/Transcoder.h"
#include "tools/ToolCommand.h"
#include "tools/ToolStartup.h"

namespace tonilo::tool {

int RunInfoCommand(const ToolContext&, const Arguments& arguments) {
    if (arguments.size() != 1 || arguments[0].empty() || arguments[0][0] == '-')
        return UsageError("info FILE|URL");
    const std::string& name = arguments[0];
    bool address = name.compare(0, 7, "http://") == 0 || name.compare(0, 8, "https://") == 0;
    if (!address && access(name.c_str(), R_OK) != 0) {
        std::fprintf(stderr, "tonilo-tool info: cannot open %s\n", name.c_str());
        return kExitFailure;
    }
    FormatRegistry* registry = OpenFormatRegistry();
    FormatEntry entry;
    int32_t index = -1;
    if (!registry->FindByExtension(ExtensionOfName(name).c_str(), FORMAT_KIND_DECODER, &entry,
                                   &index)) {
        std::fprintf(stderr, "tonilo-tool info: no decoder for files like %s\n", name.c_str());
        registry->Release();
        return kExitFailure;
    }
    MediaInfo info{};
    bool read = registry->GetFileInfo(name.c_str(), &info);
    registry->Release();
    if (!read) {
        std::fprintf(stderr, "tonilo-tool info: %s cannot be read by the %s (damaged or not in "
                             "that format)\n", name.c_str(), entry.name.c_str());
        return kExitFailure;
    }
    std::printf("decoder: %s\nrate: %u\nbits: %u\nchannels: %u\nduration_ms: %u\n",
                entry.name.c_str(), info.format.nSamplesPerSec, info.format.wBitsPerSample,
                info.format.nChannels, info.durationMs);
    return kExitOk;
}

} // namespace tonilo::tool
