// tonilo-tool filter IN OUT [--noise 0-4] [--gain 0-4] [--vas] [--levels]: runs
// a recording's filter chain (noise, voice activation, gain, level meter) over
// a file after the fact and writes the result through the encoder for OUT's
// extension. --levels prints the level meter's bytes, one a line.
#include <cstdio>

#include "app/FilterChainBuilder.h"
#include "app/FilterChainStage.h"
#include "formats/FormatRegistry.h"
#include "formats/Transcoder.h"
#include "tools/ToolCommand.h"
#include "tools/ToolStartup.h"
#include "tools/commands/OptionTable.h"

namespace tonilo::tool {
namespace {

constexpr const char* kUsage = "filter IN OUT [--noise 0-4] [--gain 0-4] [--vas] [--levels]";

struct FilterJob {
    std::string source;
    std::string target;
    RecordingFilterOptions filters;
    bool printLevels = false;
};

bool ParseFilter(const Arguments& arguments, FilterJob* job) {
    const std::vector<Option> options = {
        NumberOption("--noise", {0, 4}, &job->filters.noise),
        NumberOption("--gain", {0, 4}, &job->filters.gain),
        FlagOption("--vas", &job->filters.voiceActivation),
        FlagOption("--levels", &job->printLevels),
    };
    return ParseSourceAndTarget(arguments, options, &job->source, &job->target);
}

void PrintLevels(const uint8_t* levels, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i)
        std::printf("%u\n", levels[i]);
}

} // namespace

int RunFilterCommand(const ToolContext&, const Arguments& arguments) {
    FilterJob job;
    if (!ParseFilter(arguments, &job))
        return UsageError(kUsage);

    FilterChainBuilder chain(job.filters, job.printLevels ? PrintLevels : nullptr);
    FilterChainStage stage(&chain);
    TranscodeRequest request;
    request.source = job.source;
    request.target = job.target;
    request.stage = &stage;
    FormatRegistry* registry = OpenFormatRegistry();
    TranscodeReport report;
    TranscodeResult result = Transcode(registry, request, &report);
    registry->Release();
    if (result != TranscodeResult::Done) {
        if (!chain.Problem().empty())
            std::fprintf(stderr, "tonilo-tool: %s\n", chain.Problem().c_str());
        std::fprintf(stderr, "tonilo-tool filter: %s\n", report.error.c_str());
        return kExitFailure;
    }
    std::fprintf(stderr, "filtered %s into %s\n", request.source.c_str(), request.target.c_str());
    return kExitOk;
}

} // namespace tonilo::tool
