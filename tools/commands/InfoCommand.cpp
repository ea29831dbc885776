// tonilo-tool info FILE|URL: what the decoder for the file reports about it.
#include <cstdio>

#include "formats/FormatRegistry.h"
#include "formats/Transcoder.h"
#include "formats/streams/StreamFactory.h"
#include "platform/PathParts.h"
#include "tools/ToolCommand.h"
#include "tools/ToolStartup.h"

namespace tonilo::tool {

int RunInfoCommand(const ToolContext&, const Arguments& arguments) {
    if (arguments.size() != 1 || arguments[0].empty() || arguments[0][0] == '-')
        return UsageError("info FILE|URL");
    const std::string& name = arguments[0];
    // Tried apart from the decoder so a missing file or a refused address is
    // not reported as a damaged one.
    ByteStream* probe = nullptr;
    if (OpenPlainStream(&probe, name.c_str(), true) != 0) {
        std::fprintf(stderr, "tonilo-tool info: cannot open %s\n", name.c_str());
        return kExitFailure;
    }
    probe->Release();
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
        std::fprintf(stderr,
                     "tonilo-tool info: %s cannot be read by the %s (damaged or not in "
                     "that format)\n",
                     name.c_str(), entry.name.c_str());
        return kExitFailure;
    }
    std::printf("decoder: %s\nrate: %u\nbits: %u\nchannels: %u\nduration_ms: %u\n",
                entry.name.c_str(), info.format.nSamplesPerSec, info.format.wBitsPerSample,
                info.format.nChannels, info.durationMs);
    return kExitOk;
}

} // namespace tonilo::tool
