#pragma once
// The part of a controller owner every user-interface thread needs, with or
// without a window: engine events become messages of that thread's queue, and
// each notification goes to the recorder controller, then to the owner's own
// reaction (a window updates its display there), then clears the pending
// command that waited for it. Device services (beeps, LED, staying awake) and
// closing the program after a scheduled recording that asks for it are here.
#include <cstdint>
#include <functional>
#include <string>

#include "app/ControllerOwner.h"
#include "platform/NotificationLed.h"
#include "platform/ThreadMessages.h"
#include "platform/power/PowerManager.h"

namespace tonilo {

class RecorderController;

constexpr uint32_t kRecorderOpenSentMessage = 1585;

class EngineEventOwner : public ControllerOwner {
public:
    // `close` ends the program (as WM_CLOSE would), `switchOff` sets the
    // switch-off-at-exit flag.
    EngineEventOwner(ThreadId uiThread, std::string ledName, std::function<void()> close,
                     std::function<void()> switchOff);

    virtual void SetController(RecorderController* controller) { controller_ = controller; }
    RecorderController* Controller() const { return controller_; }
    ThreadId UiThread() const { return uiThread_; }

    // ControllerOwner, except the timers.
    void PostEngineEvent(EngineSource source, uint32_t event, uint32_t result,
                         uint32_t argument) override;
    std::string NextRecording(const std::string& path) override;
    void ReportError() override;
    bool ShowsLevels() const override { return false; }
    void PlaySound(uint32_t sound) override;
    void SetLedBlinking(bool on) override;
    void KeepAwake(bool on) override;

    // Engine messages (1525..1532, 1565..1569, 1585, 1605..1607); false for others.
    bool HandleEngineMessage(const ThreadMessage& message);
    bool KeepingAwake() { return power_.Inhibiting(); }
    bool SuspendDevice() { return power_.Suspend(); }

    // The engine's callbacks; their context is CallbackContext().
    static void RecorderCallback(void*, uint32_t event, uint32_t result, uint32_t argument,
                                 uintptr_t context);
    static void PlayerCallback(void*, uint32_t event, uint32_t result, uint32_t argument,
                               uintptr_t context);
    static void MonitorCallback(void*, uint32_t event, uint32_t result, uint32_t argument,
                                uintptr_t context);
    uintptr_t CallbackContext() { return reinterpret_cast<uintptr_t>(this); }

    // The folder listing NextRecording falls back on: the recordings beside `path`
    // in name order.
    static std::string NextInFolder(const std::string& path);

protected:
    // A notification after the controller took it and before the pending command
    // it answers is cleared (the controller's pending command is readable here).
    virtual void OnNotified(EngineSource source, uint32_t event, bool success, uint32_t argument) {}
    void Close() { close_(); }
    void SwitchOff() { switchOff_(); }

private:
    void OnRecorderEvent(uint32_t event, bool success, uint32_t argument);
    // The window's reaction, then the pending command the notification completes.
    void Handled(EngineSource source, uint32_t event, bool success, uint32_t argument);
    void OnPlayerEvent(uint32_t event, bool success, uint32_t argument);

    ThreadId uiThread_;
    RecorderController* controller_ = nullptr;
    NotificationLed led_;
    PowerManager power_;
    std::function<void()> close_;
    std::function<void()> switchOff_;
};

} // namespace tonilo
