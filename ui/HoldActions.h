#pragma once
// What the skin's buttons do when pressed and held: the volume steps, the long
// press of Rec and Play (stop), Prev and Next held (rewind, fast forward), and
// a short press handed back to the main window, which owns those commands.
#include <cstdint>
#include <functional>

#include "ui/PressHoldController.h"

namespace tonilo {

class EngineController;
class RecorderController;
class WindowDisplay;
class WindowHost;

class HoldActions : public PressHoldOwner {
public:
    struct Hooks {
        std::function<RecorderController*()> controller;
        std::function<void(uint32_t button)> releaseLook;
        std::function<void(uint32_t button)> shortPress;
    };

    HoldActions(WindowHost& host, EngineController& engine, WindowDisplay& display, Hooks hooks)
        : host_(host), engine_(engine), display_(display), hooks_(std::move(hooks)) {}

    void SetHoldTimer(uint32_t milliseconds) override;
    void KillHoldTimer() override;
    void StepVolume(bool up, int32_t step) override;
    void LongPressStop(uint32_t button) override;
    void StartWinding(uint32_t button) override;
    void EndWinding(uint32_t button) override;
    void ShortPress(uint32_t button) override { hooks_.shortPress(button); }

private:
    void Wind(uint32_t button, bool on);

    WindowHost& host_;
    EngineController& engine_;
    WindowDisplay& display_;
    Hooks hooks_;
};

} // namespace tonilo
