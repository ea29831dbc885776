#pragma once
#include <cstdint>

namespace tonilo {

// How a device object talks back to its engine, on the device's own thread.
// The engine takes its main lock inside these, so it must never hold that lock
// while it waits for the device thread to end.
class DeviceSink {
public:
    // Returns true to keep going.
    virtual bool OnData(uint8_t* buffer, uint32_t byteCount) { return true; }
    // Called once, when the device object's thread ends.
    virtual bool OnStopped() { return true; }

protected:
    virtual ~DeviceSink() = default;
};

} // namespace tonilo
