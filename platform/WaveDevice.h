#pragma once
// Wave input and output as the engine sees them: the caller queues buffers to a
// device, and every buffer the device is done with comes back as a thread
// message to the thread named when the device was opened: MM_WIM_DATA for a
// filled input buffer, MM_WOM_DONE for a played output buffer, the header in
// lParam. Which device stands behind this (SDL, the simulated one of the tests)
// is chosen by installing a WaveDeviceProvider.
//
// Threads: a device's operations may be called from any thread; the device
// serialises them with its own lock. Buffer-done messages are posted from the
// device's own thread (an audio callback or a simulation thread), and also from
// Stop and Reset on the caller's thread. Close waits for the device's thread,
// so it must not be called with a lock that the device's thread could need.
#include <cstdint>
#include <memory>

#include "codecs/include/ToniloPlugin.h"
#include "platform/ThreadMessages.h"

namespace tonilo {

// The buffer header: its first three fields are laid out as an AudioBuffer.
struct WAVEHDR {
    uint8_t* lpData;
    uint32_t dwBufferLength;
    uint32_t dwBytesRecorded;
    uintptr_t dwUser;
    uint32_t dwFlags;
    uint32_t dwLoops;
    WAVEHDR* lpNext;
    uintptr_t reserved;
};

constexpr uint32_t WHDR_DONE = 1;
constexpr uint32_t WHDR_PREPARED = 2;
constexpr uint32_t WHDR_INQUEUE = 16;

constexpr uint32_t MM_WOM_DONE = 957;
constexpr uint32_t MM_WIM_DATA = 960;

// Marks a header ready for queueing; fails for a header without data.
bool PrepareWaveHeader(WAVEHDR* header);
// Fails while the header is still queued to a device.
bool UnprepareWaveHeader(WAVEHDR* header);

class WaveInput {
public:
    virtual ~WaveInput() = default;
    // Queues a prepared header to be filled; dwBytesRecorded starts at 0.
    virtual bool AddBuffer(WAVEHDR* header) = 0;
    virtual bool Start() = 0;
    // Stops capturing; a partly filled buffer is returned, the rest stay queued.
    virtual bool Stop() = 0;
    // Stops capturing and returns every queued buffer.
    virtual bool Reset() = 0;
    // Fails while buffers are queued.
    virtual bool Close() = 0;
};

class WaveOutput {
public:
    virtual ~WaveOutput() = default;
    // Queues a prepared header; dwBufferLength bytes are played.
    virtual bool Write(WAVEHDR* header) = 0;
    virtual bool Pause() = 0;
    virtual bool Restart() = 0;
    // Stops playing and returns every queued buffer; a pause stays in force.
    virtual bool Reset() = 0;
    // Fails while buffers are queued.
    virtual bool Close() = 0;
    // Left channel in the low 16 bits, right in the high; 0xFFFF is full level.
    virtual bool SetVolume(uint32_t volume) = 0;
    virtual uint32_t GetVolume() = 0;
};

class WaveDeviceProvider {
public:
    virtual ~WaveDeviceProvider() = default;
    // Null when the device cannot be opened with the format.
    virtual std::unique_ptr<WaveInput> OpenInput(const WAVEFORMATEX& format,
                                                 ThreadId callbackThread) = 0;
    virtual std::unique_ptr<WaveOutput> OpenOutput(const WAVEFORMATEX& format,
                                                   ThreadId callbackThread) = 0;
};

// The process's provider; none is installed at first (every open then fails).
// The caller keeps ownership and must keep it alive while devices are open.
void SetWaveDeviceProvider(WaveDeviceProvider* provider);
WaveDeviceProvider* GetWaveDeviceProvider();

std::unique_ptr<WaveInput> OpenWaveInput(const WAVEFORMATEX& format, ThreadId callbackThread);
std::unique_ptr<WaveOutput> OpenWaveOutput(const WAVEFORMATEX& format, ThreadId callbackThread);

} // namespace tonilo
