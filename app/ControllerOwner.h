#pragma once
// What the recorder and engine controllers need from the window that owns
// them: engine events brought to the user-interface thread, timers on that
// thread, the recording list, the error reporter and the device services. The
// main window implements it; until it exists, and in tests, the headless owner.
#include <cstdint>
#include <string>

namespace tonilo {

enum class EngineSource : uint32_t {
    Player = 1524,   // posted as 1524 + event
    Recorder = 1564, // posted as 1564 + event
    Monitor = 1604,  // posted as 1604 + event
};

class ControllerOwner {
public:
    virtual ~ControllerOwner() = default;

    // Any thread: queue an engine event for the user-interface thread.
    virtual void PostEngineEvent(EngineSource source, uint32_t event, uint32_t result,
                                 uint32_t argument) = 0;
    // One-shot or repeating timers of the user-interface thread, by id.
    virtual void SetTimer(uint32_t id, uint32_t milliseconds) = 0;
    virtual void KillTimer(uint32_t id) = 0;
    // The recording after `path` in the recording list, empty when none.
    virtual std::string NextRecording(const std::string& path) = 0;
    // Shows what the engine error log collected.
    virtual void ReportError() = 0;
    // Whether anything shows levels; without a display the monitor stays off.
    virtual bool ShowsLevels() const = 0;

    virtual void PlaySound(uint32_t sound) = 0;
    virtual void SetLedBlinking(bool on) = 0;
    virtual void KeepAwake(bool on) = 0;
};

} // namespace tonilo
