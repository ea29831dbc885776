#include "ui/WindowDisplay.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <filesystem>

#include "Libs/ToniloLib/Src/components/EngineCallback.h"
#include "Libs/ToniloLib/Src/worker/EngineState.h"
#include "app/EngineController.h"
#include "app/RecorderController.h"
#include "app/SettingsStore.h"
#include "platform/LanguageResources.h"
#include "platform/Tick.h"
#include "ui/MainCommands.h"

namespace tonilo {
namespace {

constexpr uint32_t kRecordingStarted = 13054;
constexpr uint32_t kRecordingStopped = 13055;
constexpr uint32_t kRecordingPaused = 13056;
constexpr uint32_t kCpuOverloaded = 30138;
constexpr uint32_t kCpuCheckMs = 1001;
constexpr uint32_t kVolumeText = 13057;

std::string FileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

} // namespace

WindowDisplay::WindowDisplay(WindowHost& host, EngineController& engine, SettingsStore& settings,
                             const MainWindowSeams& seams, const Menu& actionMenu)
    : host_(host), engine_(engine), settings_(settings), seams_(seams), actionMenu_(actionMenu),
      title_([this](uint32_t id, uint32_t ms) {
          if (ms)
              host_.SetTimer(id, ms);
          else
              host_.KillTimer(id);
      }) {}

void WindowDisplay::Bind(const BoundElements& bound) {
    bound_ = bound;
    level_.Bind(bound_.volLevel);
    title_.Bind(bound_.title, bound_.info);
    time_.Bind(bound_.time);
    track_.Bind(bound_.track);
}

uint32_t WindowDisplay::Pending() const {
    return controller_ ? controller_->GetPendingCommand() : kPendingNone;
}

std::string WindowDisplay::CurrentPath() const {
    return controller_ ? controller_->CurrentPath() : std::string();
}

void WindowDisplay::SetTitleToCurrentFile() {
    title_.SetTitle(FileName(CurrentPath()));
}

void WindowDisplay::SetVolume(uint16_t volume) {
    engine_.SetVolume(volume);
    if (bound_.volume)
        bound_.volume->SetValue(volume);
    title_.ShowMessage(LoadResourceString(kVolumeText) + " " +
                           std::to_string(static_cast<uint32_t>(volume) * 100 / 65535) + "%",
                       true);
}

void WindowDisplay::SetState(SkinButton* button, int32_t state) {
    if (button)
        button->SetState(state);
}

void WindowDisplay::ShowButton(SkinButton* button, bool show) {
    if (button)
        button->Show(show ? 1 : 0);
}

void WindowDisplay::ShowPlayAndStop(bool show) {
    ShowButton(bound_.play, show);
    ShowButton(bound_.stop, show);
}

void WindowDisplay::SetSoftKey(uint32_t textId, uint32_t command, bool enabled) {
    softKey_ = SoftKey{LoadResourceString(textId), command, enabled};
    host_.SetSoftKeys(pageKeyShown_ ? pageKey_ : softKey_, LoadResourceString(kTextMenu),
                      actionMenu_);
}

void WindowDisplay::SetPageKey(const SoftKey* key) {
    pageKeyShown_ = key != nullptr;
    if (key)
        pageKey_ = *key;
    host_.SetSoftKeys(pageKeyShown_ ? pageKey_ : softKey_, LoadResourceString(kTextMenu),
                      actionMenu_);
}

void WindowDisplay::OnMonitor(uint32_t event, bool success) {
    if (event == EVENT_CLOSED && success) {
        StopRefresh();
        level_.Stop();
    } else if (event == EVENT_STARTED && success) {
        StartRefresh();
    }
}

void WindowDisplay::ArmDisplayOff() {
    uint32_t seconds = 0;
    settings_.GetNumber("TurnOffAfter", &seconds);
    if (seconds)
        host_.SetTimer(kDisplayOffTimer, seconds * 1000);
}

void WindowDisplay::Suspend(bool suspended) {
    suspended_ = suspended;
    if (suspended)
        host_.KillTimer(kRefreshTimer);
    else if (refreshRunning_)
        host_.SetTimer(kRefreshTimer, kRefreshMs);
}

void WindowDisplay::OnPlayer(uint32_t event, bool success, uint32_t argument) {
    uint32_t pending = Pending();
    switch (event) {
    case EVENT_OPENED:
        if (success) {
            ShowPlayAndStop(true);
            uint32_t duration = 0, position = 0;
            if (Player* player = engine_.ActivePlayer()) {
                duration = player->GetDuration();
                position = player->GetPosition();
                player->Release();
            }
            time_.SetReference(duration);
            time_.Show(position);
            track_.SetUpPlayback(duration, position);
            title_.SetTitle(FileName(CurrentPath()));
        } else {
            ShowPlayAndStop(false);
        }
        if (pending == kPendingPlayOpened || pending == kPendingNone)
            SetState(bound_.play, 0);
        break;
    case EVENT_CLOSED:
        StopRefresh();
        level_.Stop();
        SetState(bound_.play, 0);
        if (!success)
            title_.SetTitle("");
        host_.KillTimer(kDisplayOffTimer);
        if (pending == kPendingPlayAbandoned) {
            title_.SetTitle("");
            ShowPlayAndStop(false);
            track_.Reset();
            time_.Clear();
        }
        break;
    case EVENT_STARTED:
        if (success) {
            SetState(bound_.play, 1);
            StartRefresh();
            ArmDisplayOff();
        } else {
            SetState(bound_.play, 0);
        }
        break;
    case EVENT_PAUSED:
        SetState(bound_.play, 2);
        StopRefresh();
        break;
    case EVENT_STOPPED:
        StopRefresh();
        if (pending == kPendingPlayStopping || pending == kPendingNone)
            SetState(bound_.play, 0);
        time_.Show(0);
        track_.Reset();
        host_.KillTimer(kDisplayOffTimer);
        break;
    case EVENT_FAST_FORWARD:
    case EVENT_REWIND: {
        if (!success)
            break;
        if (argument == 1) {
            StartRefresh();
            if (event == EVENT_REWIND)
                level_.Stop();
            break;
        }
        uint32_t state = 0;
        if (Player* player = engine_.ActivePlayer()) {
            state = player->GetState(true);
            player->Release();
        }
        bool open = (state & STATE_OPENED) != 0;
        bool keep = open && (ModeOf(state) == MODE_RUNNING ||
                             (event == EVENT_FAST_FORWARD && ModeOf(state) == MODE_STOPPED));
        if (!keep)
            StopRefresh();
        break;
    }
    default:
        break;
    }
}

void WindowDisplay::OnRecorder(uint32_t event, bool success) {
    uint32_t pending = Pending();
    switch (event) {
    case EVENT_OPENED:
        if (success) {
            time_.SetReference(MaximumRecordingMs());
            track_.SetUpRecording(time_.Reference());
            if (pending == kPendingNone || pending == kPendingRecordPrepared)
                title_.SetTitle(FileName(CurrentPath()));
        } else {
            SetState(bound_.rec, 0);
            SetSoftKey(kTextRecord, kCmdRecord, true);
            ShowButton(bound_.rec, false);
            ShowPlayAndStop(false);
        }
        lastCpuCheck_ = GetTickCount();
        break;
    case EVENT_CLOSED:
        StopRefresh();
        level_.Stop();
        SetState(bound_.rec, 0);
        SetSoftKey(kTextRecord, kCmdRecord, true);
        if (title_.startShown)
            title_.ShowMessage(LoadResourceString(kRecordingStopped), true);
        title_.startShown = false;
        host_.KillTimer(kDisplayOffTimer);
        if (pending == kPendingRecordAbandoned) {
            track_.Reset();
            title_.SetTitle("");
            ShowPlayAndStop(false);
            time_.Clear();
        }
        break;
    case EVENT_STARTED:
        if (success) {
            SetState(bound_.rec, 1);
            ShowPlayAndStop(true);
            SetSoftKey(kTextStop, kCmdStop, true);
            StartRefresh();
            title_.SetTitle(FileName(CurrentPath()));
            title_.ShowMessage(LoadResourceString(kRecordingStarted), true);
            title_.startShown = true;
            if (!controller_ || !controller_->IsPhoneCall())
                ArmDisplayOff();
        } else {
            SetState(bound_.rec, 0);
            SetSoftKey(kTextRecord, kCmdRecord, true);
        }
        break;
    case EVENT_PAUSED:
        SetState(bound_.rec, 2);
        SetSoftKey(kTextRecord, kCmdRecord, true);
        title_.ShowMessage(LoadResourceString(kRecordingPaused), false);
        break;
    default:
        break;
    }
}

int64_t WindowDisplay::MaximumRecordingMs() {
    // Free space of the recording's volume at the rate of its PCM input.
    uint32_t bytesPerSecond = 0;
    if (Recorder* recorder = engine_.ActiveRecorder()) {
        const WAVEFORMATEX* format = nullptr;
        if (LockedEncoder* encoder = recorder->GetEncoder(nullptr);
            encoder && encoder->GetFormat(&format) && format)
            bytesPerSecond = format->nAvgBytesPerSec;
        recorder->Release();
    }
    struct statvfs volume {};
    std::string folder = std::filesystem::path(CurrentPath()).parent_path().string();
    if (bytesPerSecond == 0 || folder.empty() || ::statvfs(folder.c_str(), &volume) != 0)
        return 0;
    uint64_t freeBytes = static_cast<uint64_t>(volume.f_bavail) * volume.f_frsize;
    return static_cast<int64_t>(std::min<uint64_t>(freeBytes / bytesPerSecond * 1000, INT32_MAX));
}

// --- Position refresh ------------------------------------------------------------

void WindowDisplay::StartRefresh() {
    refreshRunning_ = true;
    if (!suspended_)
        host_.SetTimer(kRefreshTimer, kRefreshMs);
}

void WindowDisplay::StopRefresh() {
    refreshRunning_ = false;
    host_.KillTimer(kRefreshTimer);
}

int64_t WindowDisplay::PositionMs() {
    if (Recorder* recorder = engine_.ActiveRecorder()) {
        int64_t position = recorder->GetDuration();
        recorder->Release();
        return position;
    }
    if (Player* player = engine_.ActivePlayer()) {
        int64_t position = player->GetPosition();
        player->Release();
        return position;
    }
    return 0;
}

void WindowDisplay::RefreshTick() {
    int64_t position = PositionMs();
    level_.Tick([this](uint8_t* levels, uint32_t capacity) {
        return controller_ ? controller_->ReadLevels(levels, capacity) : 0;
    });
    track_.SetPosition(position);
    if (!track_.dragging)
        time_.Show(position);
    if (engine_.Mode() != kEngineRecorder)
        return;
    uint32_t now = GetTickCount();
    if (now - lastCpuCheck_ < kCpuCheckMs)
        return;
    lastCpuCheck_ = now;
    uint32_t load = 0;
    if (Recorder* recorder = engine_.ActiveRecorder()) {
        load = recorder->GetLoad();
        recorder->Release();
    }
    if (load > 100)
        title_.ShowMessage(LoadResourceString(kCpuOverloaded), true);
}

void WindowDisplay::OnTrackMoved(int32_t value) {
    Player* player = engine_.ActivePlayer();
    if (!player)
        return;
    if (!track_.dragging) {
        track_.dragging = true;
        bool running = ModeOf(player->GetState(true)) == MODE_RUNNING;
        track_.wasPaused = !running;
        if (running)
            player->Pause();
    }
    player->Release();
    time_.Show(static_cast<int64_t>(value) * 1000);
}

void WindowDisplay::OnTrackReleased(int32_t value) {
    bool dragged = track_.dragging;
    track_.dragging = false;
    Player* player = engine_.ActivePlayer();
    if (!player)
        return;
    engine_.Seek(static_cast<uint32_t>(std::max(value, 0)) * 1000);
    if (dragged && !track_.wasPaused)
        player->Play();
    player->Release();
    time_.Show(static_cast<int64_t>(std::max(value, 0)) * 1000);
}

void WindowDisplay::ReportPlayback(uint32_t event, bool success) {
    if (!seams_.playback)
        return;
    int64_t length = 0;
    if (Player* player = engine_.ActivePlayer()) {
        length = player->GetDuration();
        player->Release();
    }
    switch (event) {
    case EVENT_OPENED:
    case EVENT_STOPPED:
        seams_.playback(0, success ? CurrentPath() : std::string(), length);
        break;
    case EVENT_STARTED:
        seams_.playback(success ? 1 : 0, CurrentPath(), length);
        break;
    case EVENT_PAUSED:
        seams_.playback(2, CurrentPath(), length);
        break;
    case EVENT_CLOSED:
        seams_.playback(0, "", 0);
        break;
    default:
        break;
    }
}

} // namespace tonilo
