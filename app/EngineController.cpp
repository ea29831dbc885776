#include "app/EngineController.h"

#include "Libs/ToniloLib/Src/filters/EqPresets.h"
#include "Libs/ToniloLib/Src/filters/EqualizerFilter.h"
#include "Libs/ToniloLib/Src/filters/LevelMeterFilter.h"
#include "Libs/ToniloLib/Src/worker/EngineState.h"
#include "formats/ProgramFormatRegistry.h"
#include "platform/ErrorLog.h"

namespace tonilo {
namespace {

constexpr int32_t kCannotCreateFilter = 13047;
constexpr int32_t kCannotInitializeFilter = 13048;

// Same rate and channels, 16 bits.
WAVEFORMATEX WorkingFormat(const WAVEFORMATEX& format) {
    return MakePcmFormat(format.nSamplesPerSec, 16, format.nChannels);
}

bool InitFilter(AudioFilter* filter, const WAVEFORMATEX& format) {
    if (filter->SetInputFormat(&format))
        return true;
    TONILO_LOG_ERROR(kCannotInitializeFilter, "%d, %d, %d", format.nSamplesPerSec,
                     format.wBitsPerSample, format.nChannels);
    return false;
}

// `filter` takes a reference to `source` as its source.
void Link(AudioFilter* filter, AudioFilter* source) {
    source->AddRef();
    filter->SetSource(source);
}

void ReleaseFilter(AudioFilter*& filter) {
    if (filter)
        filter->Release();
    filter = nullptr;
}

} // namespace

EngineController::EngineController(std::string keyPath) : keyPath_(std::move(keyPath)) {}

EngineController::~EngineController() {
    StopMonitor();
    CloseAll();
    if (registry_)
        registry_->Release();
}

FormatRegistry* EngineController::Registry() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!registry_)
        registry_ = CreateProgramFormatRegistry();
    return registry_;
}

void EngineController::SetRecorderCallback(EngineCallbackFunction function, uintptr_t context) {
    recorderCallback_ = {function, context};
}

void EngineController::SetPlayerCallback(EngineCallbackFunction function, uintptr_t context) {
    playerCallback_ = {function, context};
}

void EngineController::SetMonitorCallback(EngineCallbackFunction function, uintptr_t context) {
    monitorCallback_ = {function, context};
}

bool EngineController::OpenRecorder(const std::string& path, const QualityPreset& preset,
                                    bool privateFile) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (mode_ != kEngineIdle) {
        GetErrorLog().Add(__FILE__, __LINE__, "The engine is busy (mode %u).", mode_);
        return false;
    }
    FormatRegistry* registry = Registry();
    Recorder* recorder = nullptr;
    if (!registry || !Recorder::Create(&recorder))
        return false;
    recorder->SetCallback(recorderCallback_.function, recorderCallback_.context);
    RecordingFormat format{};
    format.format = MakePcmFormat(preset.samplesPerSecond, preset.bitsPerSample, preset.channels);
    format.extra = preset.quality;
    RecorderOpenParameters parameters;
    parameters.fileName = path.c_str();
    parameters.encoderName = preset.encoderName.c_str();
    parameters.format = &format;
    parameters.privateFile = privateFile;
    recorder_ = recorder;
    mode_ = kEngineRecorder;
    registry->AddRef(); // the recorder's own
    if (!recorder->Open(&parameters, registry, true)) {
        recorder_ = nullptr;
        mode_ = kEngineIdle;
        recorder->Release();
        return false;
    }
    return true;
}

bool EngineController::OpenPlayer(const std::string& path) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (mode_ != kEngineIdle) {
        GetErrorLog().Add(__FILE__, __LINE__, "The engine is busy (mode %u).", mode_);
        return false;
    }
    FormatRegistry* registry = Registry();
    Player* player = nullptr;
    if (!registry || !Player::Create(&player))
        return false;
    registry->AddRef();
    player->Init(registry, true);
    player->SetCallback(playerCallback_.function, playerCallback_.context);
    player_ = player;
    playerPath_ = path;
    mode_ = kEnginePlayer;
    if (!player->OpenFile(path.c_str())) {
        player_ = nullptr;
        mode_ = kEngineIdle;
        player->Release();
        return false;
    }
    return true;
}

void EngineController::CloseAll() {
    Recorder* recorder = nullptr;
    Player* player = nullptr;
    {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        recorder = recorder_;
        player = player_;
        recorder_ = nullptr;
        player_ = nullptr;
        mode_ = kEngineIdle;
        ReleaseEqualizerPresets();
    }
    // The final releases wait for the workers, which may be delivering an
    // event that needs the lock: let it go first.
    if (recorder)
        recorder->Release();
    if (player)
        player->Release();
    ReleaseChainConverters();
}

bool EngineController::ToggleRecorder() {
    Recorder* recorder = ActiveRecorder();
    if (!recorder)
        return false;
    uint32_t state = recorder->GetState();
    bool done =
        IsOpened(state) && ModeOf(state) == MODE_RUNNING ? recorder->Pause() : recorder->Start();
    recorder->Release();
    return done;
}

bool EngineController::TogglePlayer() {
    Player* player = ActivePlayer();
    if (!player)
        return false;
    bool done = ModeOf(player->GetState(false)) == MODE_RUNNING ? player->Pause() : player->Play();
    player->Release();
    return done;
}

bool EngineController::StopRecorder() {
    Recorder* recorder = ActiveRecorder();
    if (!recorder)
        return false;
    bool done = recorder->Stop();
    recorder->Release();
    return done;
}

bool EngineController::StopPlayer() {
    Player* player = ActivePlayer();
    if (!player)
        return false;
    bool done = player->Stop();
    player->Release();
    return done;
}

bool EngineController::Seek(uint32_t milliseconds) {
    Player* player = ActivePlayer();
    if (!player)
        return false;
    bool done = player->Seek(milliseconds);
    player->Release();
    return done;
}

void EngineController::SetVolume(uint16_t volume) {
    volume_ = volume;
    if (Player* player = ActivePlayer()) {
        player->SetVolume(static_cast<uint32_t>(volume) | (static_cast<uint32_t>(volume) << 16));
        player->Release();
    }
}

bool EngineController::StartMonitor() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!monitor_) {
        FormatRegistry* registry = Registry();
        Recorder* monitor = nullptr;
        if (!registry || !Recorder::Create(&monitor))
            return false;
        monitor->SetCallback(monitorCallback_.function, monitorCallback_.context);
        RecordingFormat format{};
        format.format = MakePcmFormat(11025, 16, 1);
        RecorderOpenParameters parameters;
        parameters.format = &format;
        registry->AddRef();
        AudioFilter* volume = nullptr;
        if (!monitor->Open(&parameters, registry, true) ||
            !registry->CreateFilter(&volume, "Volume Audio Filter") ||
            !volume->SetInputFormat(&format.format)) {
            if (volume)
                volume->Release();
            monitor->Release();
            return false;
        }
        volume->AddRef();
        monitor->SetFilterChain(volume);
        monitor_ = monitor;
        monitorVolume_ = volume;
    }
    return monitor_->Start();
}

void EngineController::StopMonitor() {
    Recorder* monitor = nullptr;
    {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        monitor = monitor_;
        monitor_ = nullptr;
        ReleaseFilter(monitorVolume_);
    }
    if (monitor)
        monitor->Release();
}

bool EngineController::ToggleEqualizer(bool* enabled) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!eqPresets_)
        return false;
    eqPresets_->SetEnabled(!eqPresets_->GetEnabled());
    eqPresets_->Apply();
    *enabled = eqPresets_->GetEnabled();
    return true;
}

uint32_t EngineController::ReadMonitorLevels(uint8_t* levels, uint32_t capacity) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    auto* meter = dynamic_cast<LevelMeterFilter*>(monitorVolume_);
    return meter ? meter->ReadLevels(levels, capacity) : 0;
}

Recorder* EngineController::ActiveRecorder() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (recorder_)
        recorder_->AddRef();
    return recorder_;
}

Player* EngineController::ActivePlayer() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (player_)
        player_->AddRef();
    return player_;
}

bool EngineController::BuildRecordingChain(const RecordingFilters& filters) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!recorder_ || !filters.noise || !filters.vas || !filters.gain || !filters.volume)
        return false;
    const WAVEFORMATEX* encoderFormat = nullptr;
    LockedEncoder* encoder = recorder_->GetEncoder(nullptr);
    if (!encoder || !encoder->GetFormat(&encoderFormat) || !encoderFormat)
        return false;
    WAVEFORMATEX working = WorkingFormat(*encoderFormat);
    ReleaseChainConverters();
    AudioFilter* chain[] = {filters.noise, filters.vas, filters.gain, filters.volume};
    for (AudioFilter* filter : chain) {
        if (!InitFilter(filter, working))
            return false;
    }
    AudioFilter* tail = filters.volume;
    if (encoderFormat->wBitsPerSample == 8) {
        if (!Registry()->CreateFilter(&converters_[0], "168 Audio Filter")) {
            TONILO_LOG_ERROR(kCannotCreateFilter, "%s", "168 Audio Filter");
            return false;
        }
        if (!InitFilter(converters_[0], working))
            return false;
        Link(converters_[0], filters.volume);
        tail = converters_[0];
    }
    Link(filters.vas, filters.noise);
    Link(filters.gain, filters.vas);
    Link(filters.volume, filters.gain);
    tail->AddRef();
    recorder_->SetFilterChain(tail);
    return true;
}

bool EngineController::BuildPlaybackChain(AudioFilter* volume, AudioFilter* equalizer) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    MediaInfo info{};
    if (!player_ || !volume || !equalizer || !Registry()->GetFileInfo(playerPath_.c_str(), &info))
        return false;
    WAVEFORMATEX working = WorkingFormat(info.format);
    ReleaseChainConverters();
    if (info.format.wBitsPerSample == 8) {
        if (!Registry()->CreateFilter(&converters_[0], "816 Audio Filter")) {
            TONILO_LOG_ERROR(kCannotCreateFilter, "%s", "816 Audio Filter");
            return false;
        }
        if (!InitFilter(converters_[0], info.format))
            return false;
    }
    if (!InitFilter(volume, working) || !InitFilter(equalizer, working))
        return false;
    if (converters_[0])
        Link(volume, converters_[0]);
    Link(equalizer, volume);
    // The level display follows what is heard, not what is decoded.
    uint32_t delay = (player_->GetProperty(PLAYER_PROPERTY_BUFFER_COUNT) - 1) *
                     player_->GetProperty(PLAYER_PROPERTY_BUFFER_MS);
    volume->Control(CTL_LEVEL_DELAY, delay, 0);
    ReleaseEqualizerPresets();
    // Command 21 carries the key path only where pointers fit its argument.
    if (auto* eq = dynamic_cast<EqualizerFilter*>(equalizer)) {
        eqPresets_ = eq->CreatePresets(keyPath_.c_str());
        equalizer_ = eq;
        equalizer_->AddRef();
    }
    if (eqPresets_)
        eqPresets_->Apply();
    equalizer->AddRef();
    player_->SetFilterChain(equalizer);
    return true;
}

void EngineController::ReleaseChainConverters() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    ReleaseFilter(converters_[0]);
    ReleaseFilter(converters_[1]);
}

void EngineController::ReleaseEqualizerPresets() {
    if (eqPresets_)
        eqPresets_->Destroy();
    eqPresets_ = nullptr;
    if (equalizer_)
        equalizer_->Release();
    equalizer_ = nullptr;
}

EqualizerFilter* EngineController::PlaybackEqualizer() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (equalizer_)
        equalizer_->AddRef();
    return equalizer_;
}

void EngineController::SaveEqualizerSettings() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (eqPresets_)
        eqPresets_->Save();
}

void EngineController::ReloadEqualizerSettings() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!eqPresets_)
        return;
    eqPresets_->Load();
    eqPresets_->Apply();
}

} // namespace tonilo
