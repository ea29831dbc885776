#pragma once
// The controllers' owner while there is no main window: engine events become
// messages of the user-interface thread's queue, timers live in the message
// loop, the recording list is the current file's folder, errors go to standard
// error. It clears the pending command as the window's notification table
// does and closes the program after a scheduled recording that asks for it.
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/ControllerOwner.h"
#include "platform/NotificationLed.h"
#include "platform/ThreadMessages.h"
#include "platform/power/PowerManager.h"

namespace tonilo {

class RecorderController;

class HeadlessOwner : public ControllerOwner {
public:
    using Clock = std::chrono::steady_clock;

    // `close` ends the program (as WM_CLOSE would), `switchOff` sets the
    // switch-off-at-exit flag.
    HeadlessOwner(ThreadId uiThread, std::string ledName, std::function<void()> close,
                  std::function<void()> switchOff);

    void SetController(RecorderController* controller) { controller_ = controller; }

    // ControllerOwner.
    void PostEngineEvent(EngineSource source, uint32_t event, uint32_t result,
                         uint32_t argument) override;
    void SetTimer(uint32_t id, uint32_t milliseconds) override;
    void KillTimer(uint32_t id) override;
    std::string NextRecording(const std::string& path) override;
    void ReportError() override;
    bool ShowsLevels() const override { return false; }
    void PlaySound(uint32_t sound) override;
    void SetLedBlinking(bool on) override;
    void KeepAwake(bool on) override;

    // Engine messages (1525..1531, 1565..1568, 1585, 1606, 1607); false for others.
    bool HandleEngineMessage(const ThreadMessage& message);
    // Milliseconds to the next timer, -1 when none runs.
    int64_t MillisecondsToNextTimer() const;
    // Runs the timers that are due.
    void RunDueTimers();
    bool KeepingAwake() { return power_.Inhibiting(); }
    bool SuspendDevice() { return power_.Suspend(); }

    // The engine's callbacks: the context is the owner.
    static void RecorderCallback(void*, uint32_t event, uint32_t result, uint32_t argument,
                                 uintptr_t context);
    static void PlayerCallback(void*, uint32_t event, uint32_t result, uint32_t argument,
                               uintptr_t context);
    static void MonitorCallback(void*, uint32_t event, uint32_t result, uint32_t argument,
                                uintptr_t context);

private:
    void OnRecorderEvent(uint32_t event, bool success);
    void OnPlayerEvent(uint32_t event, bool success, uint32_t argument);

    ThreadId uiThread_;
    RecorderController* controller_ = nullptr;
    std::map<uint32_t, Clock::time_point> timers_;
    NotificationLed led_;
    PowerManager power_;
    std::function<void()> close_;
    std::function<void()> switchOff_;
};

} // namespace tonilo
