#pragma once
// What the main window shows and how the controllers' notifications change it:
// the looks of Rec, Play and Stop, the soft key, the title line, the time
// display, the track bar and its drag, the level meter, and the position
// refresh (timer 1212, 80 ms) that runs while something records or plays.
// User-interface thread only.
#include <cstdint>
#include <string>

#include "platform/window/WindowHost.h"
#include "ui/DisplayProtection.h"
#include "ui/ElementBinding.h"
#include "ui/LevelMeterFeed.h"
#include "ui/MainWindowSeams.h"
#include "ui/TimeDisplay.h"
#include "ui/TitleLine.h"
#include "ui/TrackBar.h"

namespace tonilo {

class EngineController;
class RecorderController;
class SettingsStore;

constexpr uint32_t kRefreshTimer = 1212;
constexpr uint32_t kRefreshMs = 80; // the level meter's window

class WindowDisplay {
public:
    WindowDisplay(WindowHost& host, EngineController& engine, SettingsStore& settings,
                  const MainWindowSeams& seams, const Menu& actionMenu);

    void SetController(RecorderController* controller) { controller_ = controller; }
    void Bind(const BoundElements& bound);

    // Button looks: 0 normal, 1 active, 2 paused.
    void SetState(SkinButton* button, int32_t state);
    void ShowButton(SkinButton* button, bool show);
    void ShowPlayAndStop(bool show);
    void SetSoftKey(uint32_t textId, uint32_t command, bool enabled);
    const SoftKey& LeftSoftKey() const { return softKey_; }
    // While another page shows, its own key takes the left soft key's place; the
    // recorder's key is kept and comes back when the page closes. Null ends it.
    void SetPageKey(const SoftKey* key);
    TitleLine& Title() { return title_; }
    const TitleLine& Title() const { return title_; }
    void SetTitleToCurrentFile();
    // The playback volume set, shown on the `Volume` slider and as "Volume N%".
    void SetVolume(uint16_t volume);

    // The notification rows of the player (events 1..7), the recorder (1..4)
    // and the level monitor (2 closed, 3 started).
    void OnPlayer(uint32_t event, bool success, uint32_t argument);
    void OnRecorder(uint32_t event, bool success);
    void OnMonitor(uint32_t event, bool success);
    // A player event told to the desktop's media controls (seams.playback).
    void ReportPlayback(uint32_t event, bool success);

    void StartRefresh();
    void StopRefresh();
    void RefreshTick();
    // Inactive or blank: the refresh timer pauses and comes back with the window.
    void Suspend(bool suspended);
    bool RefreshRunning() const { return refreshRunning_; }
    void ArmDisplayOff();

    // Track bar drag: events 21 and 20 of the `Track` slider.
    void OnTrackMoved(int32_t value);
    void OnTrackReleased(int32_t value);

private:
    uint32_t Pending() const;
    std::string CurrentPath() const;
    int64_t PositionMs();
    int64_t MaximumRecordingMs();

    WindowHost& host_;
    EngineController& engine_;
    SettingsStore& settings_;
    const MainWindowSeams& seams_;
    const Menu& actionMenu_;
    RecorderController* controller_ = nullptr;
    BoundElements bound_;
    LevelMeterFeed level_;
    TitleLine title_;
    TimeDisplay time_;
    TrackBar track_;
    SoftKey softKey_;
    bool pageKeyShown_ = false;
    SoftKey pageKey_;
    bool refreshRunning_ = false;
    bool suspended_ = false;
    uint32_t lastCpuCheck_ = 0;
};

} // namespace tonilo
