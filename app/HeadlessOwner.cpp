#include "app/HeadlessOwner.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "Libs/ToniloLib/Src/components/EngineCallback.h"
#include "app/RecorderController.h"
#include "platform/ErrorLog.h"
#include "platform/TextCompare.h"
#include "platform/ToneBeeper.h"

namespace tonilo {
namespace {

constexpr uint32_t kRecorderOpenSent = 1585;

// Extensions of the recordings the list shows: what the shipped decoders read.
bool IsRecording(const std::filesystem::path& path) {
    static const char* kExtensions[] = {".wav", ".mp3", ".zaf"};
    std::string extension = path.extension().string();
    for (const char* known : kExtensions) {
        if (EqualIgnoringCase(extension, known))
            return true;
    }
    return false;
}

} // namespace

HeadlessOwner::HeadlessOwner(ThreadId uiThread, std::string ledName, std::function<void()> close,
                             std::function<void()> switchOff)
    : uiThread_(uiThread), led_(std::move(ledName)), close_(std::move(close)),
      switchOff_(std::move(switchOff)) {}

void HeadlessOwner::PostEngineEvent(EngineSource source, uint32_t event, uint32_t result,
                                    uint32_t argument) {
    PostThreadMessage(uiThread_, static_cast<uint32_t>(source) + event, result, argument);
}

void HeadlessOwner::RecorderCallback(void*, uint32_t event, uint32_t result, uint32_t argument,
                                     uintptr_t context) {
    auto* owner = reinterpret_cast<HeadlessOwner*>(context);
    // The open notification's synchronous copy: the chain must be in place
    // before the recorder's worker goes on, so it is built right here.
    if (event == EVENT_OPENED && owner->controller_)
        owner->controller_->OnRecorderOpenSync(result != 0);
    owner->PostEngineEvent(EngineSource::Recorder, event, result, argument);
}

void HeadlessOwner::PlayerCallback(void*, uint32_t event, uint32_t result, uint32_t argument,
                                   uintptr_t context) {
    reinterpret_cast<HeadlessOwner*>(context)->PostEngineEvent(EngineSource::Player, event, result,
                                                               argument);
}

void HeadlessOwner::MonitorCallback(void*, uint32_t event, uint32_t result, uint32_t argument,
                                    uintptr_t context) {
    reinterpret_cast<HeadlessOwner*>(context)->PostEngineEvent(EngineSource::Monitor, event, result,
                                                               argument);
}

void HeadlessOwner::SetTimer(uint32_t id, uint32_t milliseconds) {
    timers_[id] = Clock::now() + std::chrono::milliseconds(milliseconds);
}

void HeadlessOwner::KillTimer(uint32_t id) {
    timers_.erase(id);
}

int64_t HeadlessOwner::MillisecondsToNextTimer() const {
    if (timers_.empty())
        return -1;
    Clock::time_point next = Clock::time_point::max();
    for (const auto& timer : timers_)
        next = std::min(next, timer.second);
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
    return left < 0 ? 0 : left + 1;
}

void HeadlessOwner::RunDueTimers() {
    Clock::time_point now = Clock::now();
    std::vector<uint32_t> due;
    for (const auto& timer : timers_) {
        if (timer.second <= now)
            due.push_back(timer.first);
    }
    for (uint32_t id : due) {
        // Timers repeat until killed, as thread timers do.
        if (timers_.count(id))
            timers_[id] = now + std::chrono::hours(24 * 365);
        if (controller_)
            controller_->OnTimer(id);
    }
}

std::string HeadlessOwner::NextRecording(const std::string& path) {
    std::filesystem::path current(path);
    std::error_code error;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(current.parent_path(), error)) {
        if (entry.is_regular_file(error) && IsRecording(entry.path()) &&
            entry.path().filename().string()[0] != '.')
            names.push_back(entry.path().string());
    }
    std::sort(names.begin(), names.end());
    auto next = std::upper_bound(names.begin(), names.end(), current.string());
    return next == names.end() ? "" : *next;
}

void HeadlessOwner::ReportError() {
    ErrorLog& log = GetErrorLog();
    if (log.Count() == 0)
        return;
    std::fprintf(stderr, "%s: %s\n", log.Title().c_str(), log.FormatLog().c_str());
}

void HeadlessOwner::PlaySound(uint32_t sound) {
    PlayBeep(sound);
}

void HeadlessOwner::SetLedBlinking(bool on) {
    if (on)
        led_.Blink();
    else
        led_.Off();
}

void HeadlessOwner::KeepAwake(bool on) {
    power_.KeepAwake(on);
}

bool HeadlessOwner::HandleEngineMessage(const ThreadMessage& message) {
    uint32_t number = message.message;
    bool success = message.wParam != 0;
    if (number == kRecorderOpenSent)
        return true; // handled on the worker already
    if (number > static_cast<uint32_t>(EngineSource::Player) &&
        number <= static_cast<uint32_t>(EngineSource::Player) + EVENT_SEEK_FINISHED) {
        OnPlayerEvent(number - static_cast<uint32_t>(EngineSource::Player), success,
                      static_cast<uint32_t>(message.lParam));
        return true;
    }
    if (number > static_cast<uint32_t>(EngineSource::Recorder) &&
        number <= static_cast<uint32_t>(EngineSource::Recorder) + EVENT_FILE_SIZE_PREPARED) {
        OnRecorderEvent(number - static_cast<uint32_t>(EngineSource::Recorder), success);
        return true;
    }
    // Level-monitor events only drive a level display, which is not here.
    return number > static_cast<uint32_t>(EngineSource::Monitor) &&
           number <= static_cast<uint32_t>(EngineSource::Monitor) + EVENT_PAUSED;
}

void HeadlessOwner::OnRecorderEvent(uint32_t event, bool success) {
    if (!controller_)
        return;
    RecorderController& controller = *controller_;
    switch (event) {
    case EVENT_OPENED:
        if (!success)
            ReportError();
        controller.ClearPendingCommandIf(kPendingRecordPrepared);
        controller.OnRecorderOpened(success);
        break;
    case EVENT_CLOSED:
        if (!success)
            ReportError();
        controller.OnRecorderClosed(success);
        controller.ClearPendingCommandIf(kPendingRecordAbandoned);
        if (controller.SwitchOffAfterRecording())
            switchOff_();
        if (controller.ExitAfterRecording() || controller.SwitchOffAfterRecording())
            close_();
        break;
    case EVENT_STARTED:
        if (!success)
            ReportError();
        controller.OnRecorderRunning(success);
        controller.ClearPendingCommandIf(kPendingRecordByCommand);
        break;
    default:
        break;
    }
}

void HeadlessOwner::OnPlayerEvent(uint32_t event, bool success, uint32_t argument) {
    if (!controller_)
        return;
    RecorderController& controller = *controller_;
    switch (event) {
    case EVENT_OPENED:
        if (!success)
            ReportError();
        controller.OnPlayerOpened(success);
        controller.ClearPendingCommandIf(kPendingPlayOpened);
        break;
    case EVENT_CLOSED:
        controller.ClearPendingCommandIf(kPendingPlayAbandoned);
        break;
    case EVENT_STARTED:
        if (!success)
            ReportError();
        controller.OnPlayerRunning(success);
        controller.ClearPendingCommandIf(kPendingPlayByCommand);
        break;
    case EVENT_STOPPED:
        if (!success)
            ReportError();
        controller.ClearPendingCommandIf(kPendingPlayStopping);
        controller.OnPlayerEnded(argument == 1);
        break;
    default:
        break;
    }
}

} // namespace tonilo
