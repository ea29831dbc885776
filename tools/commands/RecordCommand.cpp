// tonilo-tool record OUT [--seconds N] [--encoder NAME] [--rate HZ] [--bits B]
// [--channels C] [--quality N]: records from the default input into OUT until
// the limit, Ctrl-C or SIGTERM, showing the elapsed time and the load once a
// second on standard error. The file is finished properly on every one of
// those; recordings an earlier run left behind in OUT's folder get their names
// first.
#include <cstdio>
#include <optional>
#include <string>
#include <thread>

#include "Libs/ToniloLib/Src/engine/Recorder.h"
#include "Libs/ToniloLib/Src/engine/RecordingRecovery.h"
#include "formats/FormatRegistry.h"
#include "platform/PathParts.h"
#include "platform/audio/SdlWaveDevices.h"
#include "tools/ToolCommand.h"
#include "tools/ToolStartup.h"
#include "tools/commands/EngineCommandSupport.h"
#include "tools/commands/OptionTable.h"

namespace tonilo::tool {
namespace {

constexpr const char* kUsage =
    "record OUT [--seconds N] [--encoder NAME] [--rate HZ] [--bits B] [--channels C] "
    "[--quality N]";

struct RecordOptions {
    std::string output;
    std::string encoder;
    uint32_t seconds = 0; // 0: until stopped
    uint32_t rate = 44100;
    uint16_t bits = 16;
    uint16_t channels = 1;
    uint8_t quality = 0;
};

bool ParseRecord(const Arguments& arguments, RecordOptions* options) {
    const std::vector<Option> table = {
        TextOption("--encoder", &options->encoder),
        NumberOption("--seconds", {1, 24 * 3600}, &options->seconds),
        NumberOption("--rate", {1000, 192000}, &options->rate),
        {"--bits", true,
         [options](const std::string& value) {
             return ParseWholeNumber(value, {8, 16}, &options->bits) &&
                    (options->bits == 8 || options->bits == 16);
         }},
        NumberOption("--channels", {1, 2}, &options->channels),
        NumberOption("--quality", {0, 255}, &options->quality),
    };
    // One OUT; an empty name before it gives way to it.
    auto takeName = [options](const std::string& name) {
        if (!options->output.empty())
            return false;
        options->output = name;
        return true;
    };
    OptionOutcome outcome = ParseOptions(arguments, 0, table, takeName);
    if (outcome.problem == OptionProblem::BadValue)
        std::fprintf(stderr, "tonilo-tool record: bad value '%s' for %s\n", outcome.value.c_str(),
                     outcome.argument.c_str());
    return outcome.Ok() && !options->output.empty();
}

// What a recording holds on to from opening to the end, let go in the
// reverse order. The audio devices start only once the encoder is known.
struct RecordSession {
    FormatRegistry* registry = nullptr;
    std::optional<SdlWaveDevices> devices;
    std::optional<StopRequest> stopRequest;
    EngineEvents events;
    Recorder* recorder = nullptr;

    ~RecordSession() {
        if (recorder)
            recorder->Release();
        if (devices)
            SetWaveDeviceProvider(nullptr);
        if (registry)
            registry->Release();
    }
};

// The encoder named or the one for OUT's extension; false, said, when none fits.
bool ChooseEncoder(FormatRegistry* registry, RecordOptions* options) {
    if (!options->encoder.empty())
        return true;
    FormatEntry entry;
    int32_t index = -1;
    if (!registry->FindByExtension(ExtensionOf(options->output).c_str(), FORMAT_KIND_ENCODER,
                                   &entry, &index)) {
        std::fprintf(stderr, "tonilo-tool record: no encoder for '%s'; name one with --encoder\n",
                     options->output.c_str());
        return false;
    }
    options->encoder = entry.name;
    return true;
}

// Opens the recorder on OUT and starts it; false, said, when either fails.
bool OpenRecording(const RecordOptions& options, RecordSession* session) {
    RecordingFormat format{};
    format.format = MakePcmFormat(options.rate, options.bits, options.channels);
    format.extra = options.quality;

    SetWaveDeviceProvider(&session->devices.emplace());
    session->stopRequest.emplace();
    Recorder::Create(&session->recorder);
    Recorder* recorder = session->recorder;
    EngineEvents& events = session->events;
    recorder->SetCallback(&EngineEvents::Callback, reinterpret_cast<uintptr_t>(&events));

    RecorderOpenParameters parameters;
    parameters.fileName = options.output.c_str();
    parameters.encoderName = options.encoder.c_str();
    parameters.format = &format;
    EngineEvents::Entry answer{};
    session->registry->AddRef(); // the recorder's own
    bool opened = recorder->Open(&parameters, session->registry, true) &&
                  events.WaitFor(EVENT_OPENED, &answer) && answer.result == 1;
    bool started =
        opened && recorder->Start() && events.WaitFor(EVENT_STARTED, &answer) && answer.result == 1;
    if (!started) {
        ReportEngineError("record");
        if (opened) {
            recorder->Stop();
            events.WaitFor(EVENT_CLOSED, &answer);
        }
    }
    return started;
}

// Records until the limit, a stop request or a failure, then finishes the file.
int RunRecording(const RecordOptions& options, RecordSession* session) {
    Recorder* recorder = session->recorder;
    EngineEvents& events = session->events;
    EngineEvents::Entry answer{};
    bool closed = false;
    uint32_t shownSecond = 0xFFFFFFFFu;
    while (!closed) {
        uint32_t duration = recorder->GetDuration();
        if (StopRequest::Requested() || (options.seconds > 0 && duration >= options.seconds * 1000))
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
    int exitCode = kExitFailure;
    if (closed && answer.result == 1)
        exitCode = kExitOk;
    else
        ReportEngineError("record");
    std::string finished = recorder->FinishedFileName();
    if (!finished.empty()) {
        std::printf("%s\n", finished.c_str());
    } else if (exitCode == kExitOk) {
        std::fprintf(stderr, "tonilo-tool record: nothing was recorded\n");
        exitCode = kExitFailure;
    }
    return exitCode;
}

} // namespace

int RunRecordCommand(const ToolContext&, const Arguments& arguments) {
    RecordOptions options;
    if (!ParseRecord(arguments, &options))
        return UsageError(kUsage);

    for (const RecoveredRecording& left : RecoverRecordings(FolderOf(options.output))) {
        if (!left.finalPath.empty())
            std::fprintf(stderr, "recovered an unfinished recording: %s\n", left.finalPath.c_str());
    }

    RecordSession session;
    session.registry = OpenFormatRegistry();
    if (!ChooseEncoder(session.registry, &options))
        return kExitFailure;
    if (!OpenRecording(options, &session))
        return kExitFailure;
    return RunRecording(options, &session);
}

} // namespace tonilo::tool
