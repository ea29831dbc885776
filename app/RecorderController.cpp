#include "app/RecorderController.h"

#include <filesystem>

#include "Libs/ToniloLib/Src/filters/LevelMeterFilter.h"
#include "Libs/ToniloLib/Src/worker/EngineState.h"
#include "platform/ErrorLog.h"
#include "platform/ProgramPaths.h"
#include "platform/TextCompare.h"

namespace tonilo {
namespace {

constexpr uint32_t kBeginBeep = 1216;
constexpr uint32_t kEndBeep = 1217;
constexpr uint32_t kStrengthCommand = 17;

std::string ExtensionOf(const std::string& path) {
    std::string name = std::filesystem::path(path).filename().string();
    size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? "" : name.substr(dot + 1);
}

// Paths from another instance's command line are taken relative to this
// process's folder, the only one it has.
std::string Absolute(const std::string& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

void Release(AudioFilter*& filter) {
    if (filter)
        filter->Release();
    filter = nullptr;
}

} // namespace

uint32_t NoiseStrengthForIndex(uint32_t index, bool* set) {
    static const uint32_t kStrengths[] = {128, 154, 180, 206, 255};
    *set = index < 5;
    return *set ? kStrengths[index] : 0;
}

uint32_t GainStrengthForIndex(uint32_t index) {
    static const uint32_t kStrengths[] = {50, 100, 150, 200, 250};
    return index < 5 ? kStrengths[index] : index;
}

RecorderController::RecorderController(EngineController& engine, SettingsStore& settings,
                                       RecordingNamer& namer, ControllerOwner& owner)
    : engine_(engine), settings_(settings), namer_(namer), owner_(owner) {}

RecorderController::~RecorderController() {
    ReleaseRecordFilters();
    ReleasePlayFilters();
}

uint32_t RecorderController::Number(const char* name) const {
    uint32_t value = 0;
    settings_.GetNumber(name, &value);
    return value;
}

bool RecorderController::PrepareRecording(const RecordingRequest& request, bool restart) {
    timeLimit_ = request.timeLimit;
    uint32_t pending = request.startedByCommand ? kPendingRecordByCommand : kPendingRecordPrepared;
    Abandon(restart);
    // After the abandon, whose own pending value would otherwise hide this
    // request from the notifications that follow.
    if (!restart)
        pending_ = pending;
    GetErrorLog().Clear();
    phoneCall_ = request.phoneCall;
    exitAfter_ = request.exitAfter;
    switchOffAfter_ = request.switchOffAfter;

    QualityPreset preset;
    std::string extension;
    NamingRequest naming;
    if (!ChoosePreset(request, &preset))
        return false;
    // A named file's extension chooses the encoder, whatever the preset says.
    if (!request.fileName.empty() && !ExtensionOf(request.fileName).empty())
        preset.encoderName = ExtensionOf(request.fileName);
    FindEncoder(&preset, &extension);
    if (!BuildNamingRequest(request, extension, &naming) || !namer_.MakeRecordingPath(naming))
        return false;
    beepRequest_ = request.beepRequest;
    {
        std::lock_guard<std::mutex> guard(filterLock_);
        filterSettings_ = ReadFilterSettings();
    }
    if (!engine_.OpenRecorder(namer_.LastPath(), preset, phoneCall_)) {
        namer_.Reset();
        return false;
    }
    return true;
}

bool RecorderController::ChoosePreset(const RecordingRequest& request, QualityPreset* preset) {
    FormatRegistry* registry = engine_.Registry();
    auto isKnown = [registry](const std::string& name) {
        FormatEntry entry;
        int32_t index = -1;
        if (!registry)
            return false;
        if (registry->FindByName(name.c_str(), &entry, &index))
            return (entry.kind & FORMAT_KIND_ENCODER) != 0;
        return registry->FindByExtension(name.c_str(), FORMAT_KIND_ENCODER, &entry, &index);
    };
    // A "-fmt" naming an encoder that is not installed gives way to the settings.
    if (request.preset && isKnown(request.preset->encoderName)) {
        *preset = *request.preset;
        return true;
    }
    if (!settings_.SelectRecordingPreset(isKnown, preset)) {
        owner_.ReportError();
        return false;
    }
    return true;
}

bool RecorderController::FindEncoder(QualityPreset* preset, std::string* extension) {
    FormatRegistry* registry = engine_.Registry();
    if (!registry)
        return false;
    FormatEntry entry;
    int32_t index = -1;
    if (registry->FindByName(preset->encoderName.c_str(), &entry, &index) &&
        (entry.kind & FORMAT_KIND_ENCODER)) {
        *extension = entry.extensions.empty() ? "" : entry.extensions.front();
        return true;
    }
    for (uint32_t i = 0; i < registry->Count(); ++i) {
        if (!registry->GetEntry(&entry, i) || !(entry.kind & FORMAT_KIND_ENCODER))
            continue;
        for (const std::string& candidate : entry.extensions) {
            if (EqualIgnoringCase(candidate, preset->encoderName)) {
                preset->encoderName = entry.name;
                *extension = candidate;
                return true;
            }
        }
    }
    extension->clear();
    return false;
}

bool RecorderController::BuildNamingRequest(const RecordingRequest& request,
                                            const std::string& extension, NamingRequest* naming) {
    if (request.callNaming) {
        *naming = *request.callNaming;
        naming->extension = extension;
        naming->phoneCall = true;
        return true;
    }
    naming->overwrite = request.overwrite;
    naming->extension = extension;
    naming->phoneCall = phoneCall_;
    std::string text;
    if (!request.directory.empty() && !request.fileName.empty()) {
        // Both given: the file, in that directory unless its own path is absolute.
        std::filesystem::path file(request.fileName);
        naming->explicitPath = Absolute(
            file.is_absolute() ? request.fileName
                               : (std::filesystem::path(request.directory) / file).string());
        return true;
    }
    if (!request.fileName.empty()) {
        naming->explicitPath = Absolute(request.fileName);
        return true;
    }
    settings_.GetString(phoneCall_ ? "PhoneFileName" : "FileName", &text);
    naming->nameTemplate = text;
    if (!request.directory.empty()) {
        naming->directory = Absolute(request.directory);
        return true;
    }
    settings_.GetString("RecDir", &text);
    naming->directory = text;
    if (phoneCall_ && Number("PhonePutInSub") == 1) {
        settings_.GetString("PhoneSub", &text);
        naming->subfolderTemplate = text;
    } else if (Number("DateDir") != 0) {
        settings_.GetString("DateDirFormat", &text);
        naming->subfolderTemplate = text;
    }
    if (!request.callerText.empty())
        naming->callerText = request.callerText;
    return true;
}

void RecorderController::Abandon(bool restart) {
    uint32_t mode = engine_.Mode();
    if (!restart) {
        if (mode == kEnginePlayer)
            pending_ = kPendingPlayAbandoned;
        else if (mode == kEngineRecorder)
            pending_ = kPendingRecordAbandoned;
    }
    if (mode != kEngineIdle) {
        engine_.CloseAll();
        namer_.Reset();
    }
}

bool RecorderController::ToggleRecording() {
    engine_.StopMonitor();
    if (engine_.Mode() != kEngineRecorder) {
        pending_ = kPendingRecordByCommand;
        Abandon(true);
        return PrepareRecording(RecordingRequest{}, true);
    }
    pending_ = kPendingNone;
    BeginStep();
    return engine_.ToggleRecorder();
}

void RecorderController::BeginStep() {
    bool beep = !phoneCall_ && (beepRequest_ == 0 ? Number("BeepBegin") != 0 : beepRequest_ > 1);
    bool led = Number("FlashLED") != 0;
    if ((!beep && !led) || engine_.Mode() != kEngineRecorder)
        return;
    Recorder* recorder = engine_.ActiveRecorder();
    if (!recorder)
        return;
    uint32_t state = recorder->GetState();
    recorder->Release();
    uint32_t mode = ModeOf(state);
    // Before a start only, never before a pause or a resume.
    if (beep && (!IsOpened(state) || mode == MODE_STOPPED))
        owner_.PlaySound(kBeginBeep);
    if (led) {
        ledBlinking_ = mode == MODE_STOPPED || mode == MODE_RECORDER_PAUSED;
        owner_.SetLedBlinking(ledBlinking_);
    }
}

void RecorderController::EndStep() {
    if (!phoneCall_ && ((beepRequest_ == 0 && Number("BeepEnd") != 0) || beepRequest_ > 1))
        owner_.PlaySound(kEndBeep);
    if (Number("FlashLED") != 0) {
        ledBlinking_ = false;
        owner_.SetLedBlinking(false);
    }
}

bool RecorderController::OpenForPlayback(const PlayRequest& request, bool restart) {
    playStart_ = request.startPosition;
    nextCount_ = request.nextCount;
    uint32_t pending = request.startedByCommand ? kPendingPlayByCommand : kPendingPlayOpened;
    Abandon(restart);
    if (!restart)
        pending_ = pending;
    GetErrorLog().Clear();
    std::string path = Absolute(request.fileName);
    NamingRequest naming;
    naming.explicitPath = path;
    // Remembers the file as the current one; an existing file is left alone.
    namer_.MakeRecordingPath(naming);
    return engine_.OpenPlayer(path);
}

bool RecorderController::TogglePlayback() {
    pending_ = kPendingPlayByCommand;
    if (engine_.Mode() == kEngineRecorder)
        return Stop(true);
    if (engine_.Mode() != kEnginePlayer)
        return false;
    engine_.StopMonitor();
    return engine_.TogglePlayer();
}

bool RecorderController::Stop(bool restart) {
    if (engine_.Mode() == kEngineRecorder) {
        Recorder* recorder = engine_.ActiveRecorder();
        uint32_t duration = recorder ? recorder->GetDuration() : 0;
        if (recorder)
            recorder->Release();
        if (!restart)
            pending_ = duration > 0 ? kPendingPlayOpened : kPendingRecordPrepared;
        if (duration == 0)
            return true;
        std::string path = namer_.LastPath();
        // Closing releases the recorder, which finishes the file.
        Abandon(true);
        EndStep();
        PlayRequest request;
        request.fileName = path;
        return OpenForPlayback(request, true);
    }
    if (engine_.Mode() == kEnginePlayer) {
        if (!restart)
            pending_ = kPendingPlayStopping;
        return engine_.StopPlayer();
    }
    return false;
}

bool RecorderController::FastForward(bool on) {
    Player* player = engine_.ActivePlayer();
    if (!player)
        return false;
    bool done = player->FastForward(on);
    player->Release();
    return done;
}

bool RecorderController::Rewind(bool on) {
    Player* player = engine_.ActivePlayer();
    if (!player)
        return false;
    bool done = player->Rewind(on);
    player->Release();
    return done;
}

RecorderController::FilterSettings RecorderController::ReadFilterSettings() const {
    FilterSettings values;
    values.noise = Number("Noise");
    values.gain = Number("Gain");
    values.noiseOn = Number("NoiseOn") != 0;
    values.vasOn = Number("VASOn") != 0;
    values.gainOn = Number("GainOn") != 0;
    return values;
}

void RecorderController::ApplyFilterSettings() {
    std::lock_guard<std::mutex> guard(filterLock_);
    filterSettings_ = ReadFilterSettings();
    if (engine_.Mode() == kEngineRecorder)
        ApplyFilterSettings(filterSettings_);
}

// Under filterLock_.
void RecorderController::ApplyFilterSettings(const FilterSettings& values) {
    if (recordFilters_.noise) {
        bool set = false;
        uint32_t strength = NoiseStrengthForIndex(values.noise, &set);
        if (set)
            recordFilters_.noise->Control(kStrengthCommand, strength, 0);
        recordFilters_.noise->Control(CTL_BYPASS, values.noiseOn ? 0 : 1, 0);
    }
    if (recordFilters_.vas)
        recordFilters_.vas->Control(CTL_BYPASS, values.vasOn ? 0 : 1, 0);
    if (recordFilters_.gain) {
        recordFilters_.gain->Control(kStrengthCommand, GainStrengthForIndex(values.gain), 0);
        recordFilters_.gain->Control(CTL_BYPASS, values.gainOn ? 0 : 1, 0);
    }
}

void RecorderController::LoadVolume() {
    uint32_t volume = 0xFFFF;
    settings_.GetNumber("Volume", &volume);
    engine_.SetVolume(static_cast<uint16_t>(volume > 0xFFFF ? 0xFFFF : volume));
}

void RecorderController::Shutdown() {
    Abandon(false);
    engine_.StopMonitor();
    if (keptAwake_)
        owner_.KeepAwake(false);
    keptAwake_ = false;
    if (ledBlinking_)
        owner_.SetLedBlinking(false);
    ledBlinking_ = false;
    ReleaseRecordFilters();
    ReleasePlayFilters();
    settings_.SetNumber("Volume", engine_.Volume());
}

void RecorderController::OnRecorderOpenSync(bool success) {
    if (!success)
        return;
    FormatRegistry* registry = engine_.Registry();
    std::lock_guard<std::mutex> guard(filterLock_);
    ReleaseRecordFilters();
    const char* names[] = {"Volume Audio Filter", "Noise Audio Filter", "VAS Audio Filter",
                           "Gain Audio Filter"};
    AudioFilter** slots[] = {&recordFilters_.volume, &recordFilters_.noise, &recordFilters_.vas,
                             &recordFilters_.gain};
    for (int i = 0; i < 4; ++i) {
        if (!registry || !registry->CreateFilter(slots[i], names[i])) {
            TONILO_LOG_ERROR(13047, "%s", names[i]);
            ReleaseRecordFilters();
            return;
        }
    }
    if (engine_.BuildRecordingChain(recordFilters_))
        ApplyFilterSettings(filterSettings_);
}

void RecorderController::StartMonitor() {
    if (Number("LiveMonitor") == 1 && owner_.ShowsLevels())
        engine_.StartMonitor();
}

void RecorderController::OnRecorderOpened(bool success) {
    if (pending_ != kPendingRecordByCommand && !phoneCall_)
        StartMonitor();
    if (!success) {
        // Nothing to record into (the encoder or the file failed): let the
        // recorder go, so that no file stays and the next request starts clean.
        Abandon(true);
        pending_ = kPendingNone;
        return;
    }
    if (pending_ != kPendingRecordByCommand)
        return;
    if (timeLimit_ > 0) {
        uint64_t limit = static_cast<uint64_t>(timeLimit_) * 1000;
        owner_.SetTimer(kLimitTimer,
                        limit > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(limit));
        limitTimer_ = true;
    }
    ToggleRecording();
}

void RecorderController::OnRecorderRunning(bool success) {
    if (success && !keptAwake_) {
        owner_.KeepAwake(true);
        keptAwake_ = true;
    }
}

void RecorderController::OnRecorderClosed(bool success) {
    if (!success && pending_ == kPendingNone) {
        Stop(true);
        return;
    }
    if (ledBlinking_)
        owner_.SetLedBlinking(false);
    ledBlinking_ = false;
    if (limitTimer_)
        owner_.KillTimer(kLimitTimer);
    limitTimer_ = false;
    {
        std::lock_guard<std::mutex> guard(filterLock_);
        ReleaseRecordFilters();
    }
    if (keptAwake_)
        owner_.KeepAwake(false);
    keptAwake_ = false;
}

void RecorderController::OnPlayerOpened(bool success) {
    if (pending_ != kPendingPlayByCommand)
        StartMonitor();
    if (!success) {
        namer_.Reset();
        return;
    }
    engine_.SetVolume(engine_.Volume());
    ReleasePlayFilters();
    FormatRegistry* registry = engine_.Registry();
    if (registry && registry->CreateFilter(&playVolume_, "Volume Audio Filter") &&
        registry->CreateFilter(&playEqualizer_, "Eq Audio Filter")) {
        engine_.BuildPlaybackChain(playVolume_, playEqualizer_);
    } else {
        TONILO_LOG_ERROR(13047, "%s", playVolume_ ? "Eq Audio Filter" : "Volume Audio Filter");
    }
    if (playStart_ != 0)
        engine_.Seek(playStart_);
    if (pending_ == kPendingPlayByCommand)
        TogglePlayback();
}

void RecorderController::OnPlayerRunning(bool success) {
    if (success && !keptAwake_) {
        owner_.KeepAwake(true);
        keptAwake_ = true;
    }
}

void RecorderController::OnPlayerEnded(bool endOfStream) {
    bool playOn = false;
    if (endOfStream) {
        if (nextCount_ == 0)
            playOn = Number("AutoPlayNext") != 0;
        else
            playOn = nextCount_ > 1;
    }
    if (keptAwake_)
        owner_.KeepAwake(false);
    keptAwake_ = false;
    if (playOn) {
        std::string next = owner_.NextRecording(namer_.LastPath());
        if (!next.empty()) {
            PlayRequest request;
            request.fileName = next;
            request.startedByCommand = true;
            request.nextCount = nextCount_;
            OpenForPlayback(request);
            return;
        }
    }
    if (pending_ != kPendingPlayByCommand)
        StartMonitor();
}

void RecorderController::OnTimer(uint32_t id) {
    if (id != kLimitTimer)
        return;
    // The timer runs from the open; the recording itself began a little later
    // and stops only when it holds the whole limit.
    Recorder* recorder = engine_.ActiveRecorder();
    uint32_t recorded = recorder ? recorder->GetDuration() : 0;
    bool running = recorder && ModeOf(recorder->GetState()) == MODE_RUNNING;
    if (recorder)
        recorder->Release();
    uint64_t limit = static_cast<uint64_t>(timeLimit_) * 1000;
    if (running && recorded < limit) {
        owner_.SetTimer(kLimitTimer, static_cast<uint32_t>(limit - recorded));
        return;
    }
    owner_.KillTimer(kLimitTimer);
    limitTimer_ = false;
    Stop();
}

uint32_t RecorderController::ReadLevels(uint8_t* levels, uint32_t capacity) {
    if (engine_.MonitorRunning())
        return engine_.ReadMonitorLevels(levels, capacity);
    std::lock_guard<std::mutex> guard(filterLock_);
    AudioFilter* volume = recordFilters_.volume ? recordFilters_.volume : playVolume_;
    auto* meter = dynamic_cast<LevelMeterFilter*>(volume);
    return meter ? meter->ReadLevels(levels, capacity) : 0;
}

void RecorderController::ReleaseRecordFilters() {
    Release(recordFilters_.noise);
    Release(recordFilters_.vas);
    Release(recordFilters_.gain);
    Release(recordFilters_.volume);
}

void RecorderController::ReleasePlayFilters() {
    Release(playVolume_);
    Release(playEqualizer_);
}

} // namespace tonilo
