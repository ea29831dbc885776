#pragma once
// Turns recording and play requests into engine objects and follows the
// engine's notifications: presets and encoders, file names, filter chains,
// beeps, the LED, keeping the machine awake, the time limit, playing on with
// the next recording, and ending the program after a scheduled recording.
//
// Pending command: which user or command action waits for the engine's next
// notification (PendingCommand values below).
//
// Threads: the user-interface thread, except OnRecorderOpenSync, which runs on
// the recorder's worker (see EngineController).
#include <cstdint>
#include <mutex>
#include <string>

#include "app/CommandLine.h"
#include "app/ControllerOwner.h"
#include "app/EngineController.h"
#include "app/RecordingNamer.h"
#include "app/SettingsStore.h"

namespace tonilo {

enum PendingCommand : uint32_t {
    kPendingNone = 0,
    kPendingRecordPrepared = 1,  // from the user interface
    kPendingRecordByCommand = 2, // starts as soon as the recorder is open
    kPendingRecordAbandoned = 3,
    kPendingPlayOpened = 4,    // by the user interface, also after a recording
    kPendingPlayByCommand = 5, // starts as soon as the file is open
    kPendingPlayStopping = 6,
    kPendingPlayAbandoned = 7,
};

constexpr uint32_t kLimitTimer = 1;

// Filter strengths from the settings' indexes.
uint32_t NoiseStrengthForIndex(uint32_t index, bool* set);
uint32_t GainStrengthForIndex(uint32_t index);

class RecorderController {
public:
    RecorderController(EngineController& engine, SettingsStore& settings, RecordingNamer& namer,
                       ControllerOwner& owner);
    ~RecorderController();
    RecorderController(const RecorderController&) = delete;
    RecorderController& operator=(const RecorderController&) = delete;

    bool PrepareRecording(const RecordingRequest& request, bool restart = false);
    bool ToggleRecording();
    bool OpenForPlayback(const PlayRequest& request, bool restart = false);
    bool TogglePlayback();
    bool Stop(bool restart = false);
    bool FastForward(bool on);
    bool Rewind(bool on);
    void ApplyFilterSettings();
    // Lets go of what is open (the recording list renames or deletes it); a
    // recording is finished and kept.
    void Close() { Abandon(false); }
    void LoadVolume();
    void Shutdown();

    uint32_t GetPendingCommand() const { return pending_; }
    void ClearPendingCommand() { pending_ = kPendingNone; }
    // The notification that `command` waited for has come.
    void ClearPendingCommandIf(uint32_t command) {
        if (pending_ == command)
            pending_ = kPendingNone;
    }
    bool IsPhoneCall() const { return phoneCall_; }
    bool ExitAfterRecording() const { return exitAfter_; }
    bool SwitchOffAfterRecording() const { return switchOffAfter_; }
    // Level bytes (0..255) for the level display: the monitor's, else those of
    // the recording or playback chain. Returns how many were written.
    uint32_t ReadLevels(uint8_t* levels, uint32_t capacity);
    // The file being recorded or played.
    const std::string& CurrentPath() const { return namer_.LastPath(); }

    // Notification handlers with the notification's result flag.
    void OnRecorderOpenSync(bool success); // the recorder's worker thread
    void OnRecorderOpened(bool success);
    void OnRecorderRunning(bool success);
    void OnRecorderClosed(bool success);
    void OnPlayerOpened(bool success);
    void OnPlayerRunning(bool success);
    void OnPlayerEnded(bool endOfStream);
    void OnTimer(uint32_t id);

private:
    struct FilterSettings {
        uint32_t noise = 0, gain = 0;
        bool noiseOn = false, vasOn = false, gainOn = false;
    };

    void Abandon(bool restart);
    bool ChoosePreset(const RecordingRequest& request, QualityPreset* preset);
    bool FindEncoder(QualityPreset* preset, std::string* extension);
    bool BuildNamingRequest(const RecordingRequest& request, const std::string& extension,
                            NamingRequest* naming);
    void BeginStep();
    void EndStep();
    void StartMonitor();
    void ReleaseRecordFilters();
    void ReleasePlayFilters();
    FilterSettings ReadFilterSettings() const;
    void ApplyFilterSettings(const FilterSettings& values);
    uint32_t Number(const char* name) const;

    EngineController& engine_;
    SettingsStore& settings_;
    RecordingNamer& namer_;
    ControllerOwner& owner_;

    std::mutex filterLock_; // the record filters, also touched on the worker
    RecordingFilters recordFilters_;
    FilterSettings filterSettings_;
    AudioFilter* playVolume_ = nullptr;
    AudioFilter* playEqualizer_ = nullptr;

    uint32_t pending_ = kPendingNone;
    bool phoneCall_ = false;
    uint32_t playStart_ = 0;
    uint32_t timeLimit_ = 0;
    uint32_t beepRequest_ = 0;
    int8_t nextCount_ = 0;
    bool exitAfter_ = false;
    bool switchOffAfter_ = false;
    bool limitTimer_ = false;
    bool keptAwake_ = false;
    bool ledBlinking_ = false;
};

} // namespace tonilo
