#pragma once
// The default audio input and output through SDL2. SDL's audio callback moves
// the bytes between SDL and the queued buffers; everything else (buffer-done
// messages, pause, reset, volume) is the shared queue bookkeeping.
//
// Threads: SDL calls the callbacks on its own audio thread; Close waits for
// that thread through SDL_CloseAudioDevice.
#include "platform/WaveDevice.h"

namespace tonilo {

class SdlWaveDevices : public WaveDeviceProvider {
public:
    // Initialises SDL's audio subsystem (SDL_AUDIODRIVER chooses the driver).
    SdlWaveDevices();
    ~SdlWaveDevices() override;

    bool IsAvailable() const { return initialised_; }

    std::unique_ptr<WaveInput> OpenInput(const WAVEFORMATEX& format,
                                         ThreadId callbackThread) override;
    std::unique_ptr<WaveOutput> OpenOutput(const WAVEFORMATEX& format,
                                           ThreadId callbackThread) override;

private:
    bool initialised_ = false;
};

} // namespace tonilo
