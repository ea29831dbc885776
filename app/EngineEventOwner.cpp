#include "app/EngineEventOwner.h"

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

uint32_t Base(EngineSource source) {
    return static_cast<uint32_t>(source);
}

} // namespace

EngineEventOwner::EngineEventOwner(ThreadId uiThread, std::string ledName,
                                   std::function<void()> close, std::function<void()> switchOff)
    : uiThread_(uiThread), led_(std::move(ledName)), close_(std::move(close)),
      switchOff_(std::move(switchOff)) {}

void EngineEventOwner::PostEngineEvent(EngineSource source, uint32_t event, uint32_t result,
                                       uint32_t argument) {
    PostThreadMessage(uiThread_, Base(source) + event, result, argument);
}

void EngineEventOwner::RecorderCallback(void*, uint32_t event, uint32_t result, uint32_t argument,
                                        uintptr_t context) {
    auto* owner = reinterpret_cast<EngineEventOwner*>(context);
    // The open notification's synchronous copy: the chain must be in place
    // before the recorder's worker goes on, so it is built right here.
    if (event == EVENT_OPENED && owner->controller_)
        owner->controller_->OnRecorderOpenSync(result != 0);
    owner->PostEngineEvent(EngineSource::Recorder, event, result, argument);
}

void EngineEventOwner::PlayerCallback(void*, uint32_t event, uint32_t result, uint32_t argument,
                                      uintptr_t context) {
    reinterpret_cast<EngineEventOwner*>(context)->PostEngineEvent(EngineSource::Player, event,
                                                                  result, argument);
}

void EngineEventOwner::MonitorCallback(void*, uint32_t event, uint32_t result, uint32_t argument,
                                       uintptr_t context) {
    reinterpret_cast<EngineEventOwner*>(context)->PostEngineEvent(EngineSource::Monitor, event,
                                                                  result, argument);
}

std::string EngineEventOwner::NextInFolder(const std::string& path) {
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

std::string EngineEventOwner::NextRecording(const std::string& path) {
    return NextInFolder(path);
}

void EngineEventOwner::ReportError() {
    ErrorLog& log = GetErrorLog();
    if (log.Count() == 0)
        return;
    std::fprintf(stderr, "%s: %s\n", log.Title().c_str(), log.FormatLog().c_str());
}

void EngineEventOwner::PlaySound(uint32_t sound) {
    PlayBeep(sound);
}

void EngineEventOwner::SetLedBlinking(bool on) {
    if (on)
        led_.Blink();
    else
        led_.Off();
}

void EngineEventOwner::KeepAwake(bool on) {
    power_.KeepAwake(on);
}

bool EngineEventOwner::HandleEngineMessage(const ThreadMessage& message) {
    uint32_t number = message.message;
    bool success = message.wParam != 0;
    auto argument = static_cast<uint32_t>(message.lParam);
    if (number == kRecorderOpenSentMessage)
        return true; // handled on the worker already
    if (number > Base(EngineSource::Player) &&
        number <= Base(EngineSource::Player) + EVENT_SEEK_FINISHED) {
        OnPlayerEvent(number - Base(EngineSource::Player), success, argument);
        return true;
    }
    if (number > Base(EngineSource::Recorder) &&
        number <= Base(EngineSource::Recorder) + EVENT_FILE_SIZE_PREPARED) {
        OnRecorderEvent(number - Base(EngineSource::Recorder), success, argument);
        return true;
    }
    if (number > Base(EngineSource::Monitor) &&
        number <= Base(EngineSource::Monitor) + EVENT_PAUSED) {
        OnNotified(EngineSource::Monitor, number - Base(EngineSource::Monitor), success, argument);
        return true;
    }
    return false;
}

namespace {

// The pending command a notification completes, kPendingNone for none.
uint32_t PendingDoneBy(EngineSource source, uint32_t event) {
    const bool recorder = source == EngineSource::Recorder;
    switch (event) {
    case EVENT_OPENED:
        return recorder ? kPendingRecordPrepared : kPendingPlayOpened;
    case EVENT_CLOSED:
        return recorder ? kPendingRecordAbandoned : kPendingPlayAbandoned;
    case EVENT_STARTED:
        return recorder ? kPendingRecordByCommand : kPendingPlayByCommand;
    case EVENT_STOPPED:
        return recorder ? kPendingNone : kPendingPlayStopping;
    default:
        return kPendingNone;
    }
}

// A failed notification is shown, except where the window has nothing to say:
// a player's close and its scan switches.
bool ReportsFailure(EngineSource source, uint32_t event) {
    if (source == EngineSource::Recorder)
        return true;
    return event != EVENT_CLOSED && event != EVENT_FAST_FORWARD && event != EVENT_REWIND;
}

} // namespace

void EngineEventOwner::Handled(EngineSource source, uint32_t event, bool success,
                               uint32_t argument) {
    OnNotified(source, event, success, argument);
    controller_->ClearPendingCommandIf(PendingDoneBy(source, event));
}

void EngineEventOwner::OnRecorderEvent(uint32_t event, bool success, uint32_t argument) {
    if (!controller_ || event < EVENT_OPENED || event > EVENT_PAUSED)
        return;
    RecorderController& controller = *controller_;
    if (!success && ReportsFailure(EngineSource::Recorder, event))
        ReportError();
    if (event == EVENT_OPENED)
        controller.OnRecorderOpened(success);
    else if (event == EVENT_CLOSED)
        controller.OnRecorderClosed(success);
    else if (event == EVENT_STARTED)
        controller.OnRecorderRunning(success);
    Handled(EngineSource::Recorder, event, success, argument);
    if (event == EVENT_CLOSED) {
        if (controller.SwitchOffAfterRecording())
            switchOff_();
        if (controller.ExitAfterRecording() || controller.SwitchOffAfterRecording())
            close_();
    }
}

void EngineEventOwner::OnPlayerEvent(uint32_t event, bool success, uint32_t argument) {
    if (!controller_ || event < EVENT_OPENED || event > EVENT_REWIND)
        return;
    RecorderController& controller = *controller_;
    if (!success && ReportsFailure(EngineSource::Player, event))
        ReportError();
    if (event == EVENT_OPENED)
        controller.OnPlayerOpened(success);
    else if (event == EVENT_STARTED)
        controller.OnPlayerRunning(success);
    else if (event == EVENT_STOPPED)
        controller.OnPlayerEnded(argument == 1);
    Handled(EngineSource::Player, event, success, argument);
}

} // namespace tonilo
