// tonilo-tool filter IN OUT [--noise 0-4] [--gain 0-4] [--vas] [--levels]: runs
// a recording's filter chain (noise, voice activation, gain, level meter) over
// a file after the fact and writes the result through the encoder for OUT's
// extension. --levels prints the level meter's bytes, one a line.
#include <cstdio>

#include "formats/FormatRegistry.h"
#include "formats/Transcoder.h"
#include "tools/ToolCommand.h"
#include "tools/ToolStartup.h"
#include "tools/commands/FilterChainStage.h"

namespace tonilo::tool {

int RunFilterCommand(const ToolContext&, const Arguments& arguments) {
    constexpr const char* kUsage = "filter IN OUT [--noise 0-4] [--gain 0-4] [--vas] [--levels]";
    RecordingFilterOptions options;
    std::vector<std::string> names;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        long value = 0;
        if ((argument == "--noise" || argument == "--gain") && i + 1 < arguments.size()) {
            if (!ParseNumber(arguments[++i], 0, 4, &value))
                return UsageError(kUsage);
            (argument == "--noise" ? options.noise : options.gain) = static_cast<int>(value);
        } else if (argument == "--vas") {
            options.voiceActivation = true;
        } else if (argument == "--levels") {
            options.printLevels = true;
        } else if (argument.size() > 1 && argument[0] == '-' && argument[1] == '-') {
            return UsageError(kUsage);
        } else {
            names.push_back(argument);
        }
    }
    if (names.size() != 2 || names[0].empty() || names[1].empty())
        return UsageError(kUsage);

    FilterChainStage stage(options);
    TranscodeRequest request;
    request.source = names[0];
    request.target = names[1];
    request.stage = &stage;
    FormatRegistry* registry = OpenFormatRegistry();
    TranscodeReport report;
    TranscodeResult result = Transcode(registry, request, &report);
    registry->Release();
    if (result != TranscodeResult::Done) {
        std::fprintf(stderr, "tonilo-tool filter: %s\n", report.error.c_str());
        return kExitFailure;
    }
    std::fprintf(stderr, "filtered %s into %s\n", request.source.c_str(), request.target.c_str());
    return kExitOk;
}

} // namespace tonilo::tool
