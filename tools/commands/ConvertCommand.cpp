// tonilo-tool convert SRC DST [--encoder NAME] [--quality N] [--rate HZ] [--bits B]
// [--channels C] [--resample-quality 0|1|2] [--eq NAME|v1,...,v10 [--preamp V]]:
// decodes SRC (a file or an http:// address) and writes DST through an encoder,
// showing progress on standard error. The format options and the equalizer run
// the engine's filters in between. Ctrl-C stops it and leaves no partial DST.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>

#include "app/FilterChainBuilder.h"
#include "app/FilterChainStage.h"
#include "formats/FormatRegistry.h"
#include "formats/Transcoder.h"
#include "tools/ToolCommand.h"
#include "tools/ToolStartup.h"
#include "tools/commands/ConvertOptions.h"
#include "tools/commands/StopRequest.h"
#include "tools/commands/TimeText.h"

namespace tonilo::tool {
namespace {

constexpr const char* kUsage =
    "convert SRC DST [--encoder NAME] [--quality N] [--rate HZ] [--bits 8|16] [--channels 1|2]\n"
    "                [--resample-quality 0|1|2] [--eq NAME|v1,...,v10] [--preamp V]";

struct ConvertJob {
    TranscodeRequest request;
    ConvertFilterOptions filters;
};

bool ParseConvert(const Arguments& arguments, ConvertJob* job) {
    std::vector<Option> options = ConvertFilterOptionTable(&job->filters);
    options.push_back(TextOption("--encoder", &job->request.encoderName));
    options.push_back(NumberOption("--quality", {0, 255}, &job->request.quality));
    return ParseSourceAndTarget(arguments, options, &job->request.source, &job->request.target);
}

bool progressShown = false;

// At most five times a second: a fast conversion would otherwise spend its
// time writing to the terminal.
void ShowProgress(const TranscodeProgress& progress) {
    using Clock = std::chrono::steady_clock;
    static Clock::time_point lastShown;
    Clock::time_point now = Clock::now();
    bool finished = progress.durationMs > 0 && progress.doneMs >= progress.durationMs;
    if (progressShown && !finished && now - lastShown < std::chrono::milliseconds(200))
        return;
    lastShown = now;
    progressShown = true;
    if (progress.durationMs > 0) {
        uint64_t percent = std::min<uint64_t>(100, progress.doneMs * 100 / progress.durationMs);
        std::fprintf(stderr, "\rconverting: %3u%%  %s of %s ", static_cast<unsigned>(percent),
                     TimeText(progress.doneMs).c_str(), TimeText(progress.durationMs).c_str());
    } else {
        std::fprintf(stderr, "\rconverting: %s ", TimeText(progress.doneMs).c_str());
    }
}

} // namespace

int RunConvertCommand(const ToolContext&, const Arguments& arguments) {
    ConvertJob job;
    if (!ParseConvert(arguments, &job))
        return UsageError(kUsage);
    TranscodeRequest& request = job.request;
    request.progress = ShowProgress;
    request.cancel = StopRequest::Flag();
    FilterChainBuilder chain(job.filters);
    FilterChainStage stage(&chain);
    if (job.filters.Any())
        request.stage = &stage;
    progressShown = false;

    FormatRegistry* registry = OpenFormatRegistry();
    TranscodeReport report;
    TranscodeResult result;
    {
        StopRequest stopRequest;
        result = Transcode(registry, request, &report);
    }
    registry->Release();

    const char* lineStart = progressShown ? "\n" : "";
    switch (result) {
    case TranscodeResult::Done:
        std::fprintf(stderr,
                     "%sconverted %s to %s: %s, %u Hz, %u bits, %u %s, quality %d, %u kbps\n",
                     lineStart, request.source.c_str(), request.target.c_str(),
                     report.encoderName.c_str(), report.encodedFormat.nSamplesPerSec,
                     report.encodedFormat.wBitsPerSample, report.encodedFormat.nChannels,
                     report.encodedFormat.nChannels == 1 ? "channel" : "channels", report.quality,
                     report.bitrateKbps);
        return kExitOk;
    case TranscodeResult::Cancelled:
        std::fprintf(stderr, "%sconversion stopped; %s was not written\n", lineStart,
                     request.target.c_str());
        return kExitFailure;
    case TranscodeResult::Failed:
    default:
        if (!chain.Problem().empty())
            std::fprintf(stderr, "tonilo-tool: %s\n", chain.Problem().c_str());
        std::fprintf(stderr, "%stonilo-tool convert: %s\n", lineStart, report.error.c_str());
        return kExitFailure;
    }
}

} // namespace tonilo::tool
