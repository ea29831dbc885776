// tonilo-tool record OUT [--seconds N] [--encoder NAME] [--rate HZ] [--bits B]
// [--channels C] [--quality N]: records from the default input into OUT until
// the limit, Ctrl-C or SIGTERM, showing the elapsed time and the load once a
// second on standard error. The file is finished properly on every one of
// those; recordings an earlier run left behind in OUT's folder get their names
// first.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "Libs/ToniloLib/Src/engine/Recorder.h"
#include "Libs/ToniloLib/Src/engine/RecordingRecovery.h"
#include "formats/FormatRegistry.h"
#include "platform/audio/SdlWaveDevices.h"
#include "tools/ToolCommand.h"
#include "tools/ToolStartup.h"
#include "tools/commands/EngineCommandSupport.h"

namespace tonilo::tool {
namespace {

constexpr const char* kUsage =
    "record OUT [--seconds N] [--encoder NAME] [--rate HZ] [--bits B] [--channels C] "
    "[--quality N]";

struct RecordOptions {
    std::string output;
    std::string encoder;
    long seconds = 0; // 0: until stopped
    long rate = 44100;
    long bits = 16;
    long channels = 1;
    long quality = 0;
};

bool ParseNumber(const std::string& text, long low, long high, long* value) {
    char* end = nullptr;
    long parsed = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || parsed < low || parsed > high)
        return false;
    *value = parsed;
    return true;
}

bool ParseOptions(const Arguments& arguments, RecordOptions* options) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        bool hasValue = i + 1 < arguments.size();
        if (argument.rfind("--", 0) != 0) {
            if (!options->output.empty())
                return false;
            options->output = argument;
            continue;
        }
        if (!hasValue)
            return false;
        const std::string& value = arguments[++i];
        bool good = true;
        if (argument == "--encoder")
            options->encoder = value;
        else if (argument == "--seconds")
            good = ParseNumber(value, 1, 24 * 3600, &options->seconds);
        else if (argument == "--rate")
            good = ParseNumber(value, 1000, 192000, &options->rate);
        else if (argument == "--bits")
            good = ParseNumber(value, 8, 16, &options->bits) &&
                   (options->bits == 8 || options->bits == 16);
        else if (argument == "--channels")
            good = ParseNumber(value, 1, 2, &options->channels);
        else if (argument == "--quality")
            good = ParseNumber(value, 0, 255, &options->quality);
        else
            return false;
        if (!good) {
            std::fprintf(stderr, "tonilo-tool record: bad value '%s' for %s\n", value.c_str(),
                         argument.c_str());
            return false;
        }
    }
    return !options->output.empty();
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

std::string ExtensionOf(const std::string& path) {
    size_t slash = path.rfind('/');
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    return path.substr(dot + 1);
}

} // namespace

int RunRecordCommand(const ToolContext&, const Arguments& arguments) {
    RecordOptions options;
    if (!ParseOptions(arguments, &options))
        return UsageError(kUsage);

    for (const RecoveredRecording& left : RecoverRecordings(FolderOf(options.output))) {
        if (!left.finalPath.empty())
            std::fprintf(stderr, "recovered an unfinished recording: %s\n", left.finalPath.c_str());
    }

    FormatRegistry* registry = OpenFormatRegistry();
    if (options.encoder.empty()) {
        FormatEntry entry;
        int32_t index = -1;
        if (!registry->FindByExtension(ExtensionOf(options.output).c_str(), FORMAT_KIND_ENCODER,
                                       &entry, &index)) {
            std::fprintf(stderr,
                         "tonilo-tool record: no encoder for '%s'; name one with --encoder\n",
                         options.output.c_str());
            registry->Release();
            return kExitFailure;
        }
        options.encoder = entry.name;
    }

    RecordingFormat format{};
    format.format =
        MakePcmFormat(static_cast<uint32_t>(options.rate), static_cast<uint16_t>(options.bits),
                      static_cast<uint16_t>(options.channels));
    format.extra = static_cast<uint8_t>(options.quality);

    SdlWaveDevices devices;
    SetWaveDeviceProvider(&devices);
    StopRequest stopRequest;
    EngineEvents events;
    Recorder* recorder = nullptr;
    Recorder::Create(&recorder);
    recorder->SetCallback(&EngineEvents::Callback, reinterpret_cast<uintptr_t>(&events));

    int exitCode = kExitFailure;
    RecorderOpenParameters parameters;
    parameters.fileName = options.output.c_str();
    parameters.encoderName = options.encoder.c_str();
    parameters.format = &format;
    EngineEvents::Entry answer{};
    registry->AddRef(); // the recorder's own
    bool opened = recorder->Open(&parameters, registry, true) &&
                  events.WaitFor(EVENT_OPENED, &answer) && answer.result == 1;
    bool started =
        opened && recorder->Start() && events.WaitFor(EVENT_STARTED, &answer) && answer.result == 1;
    if (!started) {
        ReportEngineError("record");
        if (opened) {
            recorder->Stop();
            events.WaitFor(EVENT_CLOSED, &answer);
        }
    } else {
        bool closed = false;
        uint32_t shownSecond = 0xFFFFFFFFu;
        while (!closed) {
            uint32_t duration = recorder->GetDuration();
            if (StopRequest::Requested() ||
                (options.seconds > 0 && duration >= static_cast<uint32_t>(options.seconds) * 1000))
                break;
            if (duration / 1000 != shownSecond) {
                shownSecond = duration / 1000;
                std::fprintf(stderr, "\rrecording %s  load %u%%  ", TimeText(duration).c_str(),
                             recorder->GetLoad());
                std::fflush(stderr);
            }
            // A failure (disk full, device lost) closes the recorder by itself.
            closed = events.Next(&answer, 10) && answer.event == EVENT_CLOSED;
        }
        if (!closed) {
            recorder->Stop();
            closed = events.WaitFor(EVENT_CLOSED, &answer);
        }
        std::fprintf(stderr, "\rrecorded %s                \n",
                     TimeText(recorder->GetDuration()).c_str());
        if (closed && answer.result == 1) {
            exitCode = kExitOk;
        } else {
            ReportEngineError("record");
        }
        std::string finished = recorder->FinishedFileName();
        if (!finished.empty()) {
            std::printf("%s\n", finished.c_str());
        } else if (exitCode == kExitOk) {
            std::fprintf(stderr, "tonilo-tool record: nothing was recorded\n");
            exitCode = kExitFailure;
        }
    }
    recorder->Release();
    SetWaveDeviceProvider(nullptr);
    registry->Release();
    return exitCode;
}

} // namespace tonilo::tool
