#pragma once
// Owns the engine objects of the running program: at most one Recorder or one
// Player (mode 1 or 2), the file-less level monitor, the format registry and
// the playback volume. Builds the recording and playback filter chains.
//
// Threads: the user-interface thread, except BuildRecordingChain, which runs on
// the recorder's worker while the recorder's open notification is delivered
// (so the chain is in place before the worker goes on); the lock covers what
// both touch.
#include <cstdint>
#include <mutex>
#include <string>

#include "Libs/ToniloLib/Src/components/AudioFilter.h"
#include "Libs/ToniloLib/Src/components/EngineCallback.h"
#include "Libs/ToniloLib/Src/engine/Player.h"
#include "Libs/ToniloLib/Src/engine/Recorder.h"
#include "app/QualityPreset.h"
#include "formats/FormatRegistry.h"

namespace tonilo {

class EqPresets;
class EqualizerFilter;

enum EngineMode : uint32_t { kEngineIdle = 0, kEngineRecorder = 1, kEnginePlayer = 2 };

// The four filters of a recording chain, in chain order.
struct RecordingFilters {
    AudioFilter* noise = nullptr;
    AudioFilter* vas = nullptr;
    AudioFilter* gain = nullptr;
    AudioFilter* volume = nullptr;
};

class EngineController {
public:
    explicit EngineController(std::string keyPath);
    ~EngineController();
    EngineController(const EngineController&) = delete;
    EngineController& operator=(const EngineController&) = delete;

    uint32_t Mode() const { return mode_; }
    // The registry, created on first use; null when it cannot be. No reference added.
    FormatRegistry* Registry();

    void SetRecorderCallback(EngineCallbackFunction function, uintptr_t context);
    void SetPlayerCallback(EngineCallbackFunction function, uintptr_t context);
    void SetMonitorCallback(EngineCallbackFunction function, uintptr_t context);

    // Both refuse (error report, false) unless idle.
    // `privateFile`: the finished file is the owner's alone (call recordings).
    bool OpenRecorder(const std::string& path, const QualityPreset& preset,
                      bool privateFile = false);
    bool OpenPlayer(const std::string& path);
    // Releases the open engine object and the chain converters; back to idle.
    void CloseAll();

    bool ToggleRecorder(); // start when idle, pause when recording, resume when paused
    bool TogglePlayer();
    bool StopRecorder(); // finishes the file; event 2 follows
    bool StopPlayer();
    bool Seek(uint32_t milliseconds);
    void SetVolume(uint16_t volume);
    uint16_t Volume() const { return volume_; }

    bool StartMonitor();
    void StopMonitor();
    bool MonitorRunning() const { return monitor_ != nullptr; }
    // Flips the playback equalizer's enabled state; false when no player has one.
    bool ToggleEqualizer(bool* enabled);
    // The open player's equalizer, with a reference added; null without one.
    EqualizerFilter* PlaybackEqualizer();
    // The player's equalizer settings go to the registry, so that another
    // reader (the equalizer dialog) sees what the player uses.
    void SaveEqualizerSettings();
    // Someone else stored equalizer settings: the player's copy reads them
    // again and applies them, so it never saves older ones over them.
    void ReloadEqualizerSettings();
    // Level bytes the monitor measured since the last read (0 without a monitor).
    uint32_t ReadMonitorLevels(uint8_t* levels, uint32_t capacity);

    // Each adds a reference; null when none is open.
    Recorder* ActiveRecorder();
    Player* ActivePlayer();

    // Links noise -> VAS -> gain -> volume (-> 16-to-8 bits) over the working
    // format and hands the chain to the recorder. Takes its own references.
    bool BuildRecordingChain(const RecordingFilters& filters);
    // volume -> equalizer, with an 8-to-16 bits converter in front when needed.
    bool BuildPlaybackChain(AudioFilter* volume, AudioFilter* equalizer);
    void ReleaseChainConverters();

private:
    void ReleaseEqualizerPresets();

    std::string keyPath_;
    mutable std::recursive_mutex lock_;
    uint32_t mode_ = kEngineIdle;
    FormatRegistry* registry_ = nullptr;
    Recorder* recorder_ = nullptr;
    Player* player_ = nullptr;
    std::string playerPath_;
    Recorder* monitor_ = nullptr;
    AudioFilter* monitorVolume_ = nullptr;
    AudioFilter* converters_[2] = {nullptr, nullptr};
    EqPresets* eqPresets_ = nullptr;
    EqualizerFilter* equalizer_ = nullptr; // the one eqPresets_ drives
    EngineCallback recorderCallback_;
    EngineCallback playerCallback_;
    EngineCallback monitorCallback_;
    uint16_t volume_ = 0xFFFF;
};

} // namespace tonilo
