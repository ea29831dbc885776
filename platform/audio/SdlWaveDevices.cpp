#include "platform/audio/SdlWaveDevices.h"

#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "platform/WaveBufferQueues.h"

namespace tonilo {
namespace {

bool ToSdlSpec(const WAVEFORMATEX& format, SDL_AudioSpec* spec) {
    if (format.nChannels < 1 || format.nChannels > 2 || format.nSamplesPerSec == 0)
        return false;
    SDL_zero(*spec);
    spec->freq = static_cast<int>(format.nSamplesPerSec);
    spec->channels = static_cast<Uint8>(format.nChannels);
    if (format.wBitsPerSample == 16)
        spec->format = AUDIO_S16LSB;
    else if (format.wBitsPerSample == 8)
        spec->format = AUDIO_U8;
    else
        return false;
    // About 23 ms at 44.1 kHz: small next to the engine's 100 ms buffers.
    spec->samples = 1024;
    return true;
}

class SdlInput : public WaveInputQueue {
public:
    explicit SdlInput(ThreadId callbackThread) : WaveInputQueue(callbackThread) {}
    ~SdlInput() override { CloseDevice(); }

    bool OpenDevice(const WAVEFORMATEX& format) {
        SDL_AudioSpec want;
        if (!ToSdlSpec(format, &want))
            return false;
        want.callback = &SdlInput::Callback;
        want.userdata = this;
        SDL_AudioSpec have;
        device_ = SDL_OpenAudioDevice(nullptr, 1, &want, &have, 0);
        if (device_ == 0)
            std::fprintf(stderr, "Tonilo: audio input: %s\n", SDL_GetError());
        return device_ != 0;
    }

protected:
    void StartDevice() override { SDL_PauseAudioDevice(device_, 0); }
    void StopDevice() override {}
    void CloseDevice() override {
        if (device_ != 0)
            SDL_CloseAudioDevice(device_);
        device_ = 0;
    }

private:
    static void SDLCALL Callback(void* userdata, Uint8* stream, int length) {
        // Audio arriving while no buffer is queued is lost, as with any driver.
        static_cast<SdlInput*>(userdata)->Deliver(stream, static_cast<size_t>(length));
    }

    SDL_AudioDeviceID device_ = 0;
};

class SdlOutput : public WaveOutputQueue {
public:
    SdlOutput(const WAVEFORMATEX& format, ThreadId callbackThread)
        : WaveOutputQueue(format, callbackThread), silence_(format.wBitsPerSample == 8 ? 0x80 : 0) {
    }
    ~SdlOutput() override { CloseDevice(); }

    bool OpenDevice(const WAVEFORMATEX& format) {
        SDL_AudioSpec want;
        if (!ToSdlSpec(format, &want))
            return false;
        want.callback = &SdlOutput::Callback;
        want.userdata = this;
        SDL_AudioSpec have;
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0) {
            std::fprintf(stderr, "Tonilo: audio output: %s\n", SDL_GetError());
            return false;
        }
        // SDL stays paused until the first buffer arrives, so that the output
        // does not begin with silence of its own.
        return true;
    }

protected:
    void BufferWritten() override {
        if (!started_.exchange(true) && !IsPaused())
            SDL_PauseAudioDevice(device_, 0);
    }
    void PauseDevice(bool paused) override {
        if (started_)
            SDL_PauseAudioDevice(device_, paused ? 1 : 0);
    }
    void CloseDevice() override {
        if (device_ != 0)
            SDL_CloseAudioDevice(device_);
        device_ = 0;
    }

private:
    static void SDLCALL Callback(void* userdata, Uint8* stream, int length) {
        auto* self = static_cast<SdlOutput*>(userdata);
        size_t got = self->Pull(stream, static_cast<size_t>(length));
        if (got < static_cast<size_t>(length))
            std::memset(stream + got, self->silence_, static_cast<size_t>(length) - got);
    }

    SDL_AudioDeviceID device_ = 0;
    uint8_t silence_;
    std::atomic<bool> started_{false};
};

} // namespace

SdlWaveDevices::SdlWaveDevices() {
    initialised_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!initialised_)
        std::fprintf(stderr, "Tonilo: no audio: %s\n", SDL_GetError());
}

SdlWaveDevices::~SdlWaveDevices() {
    if (initialised_)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::unique_ptr<WaveInput> SdlWaveDevices::OpenInput(const WAVEFORMATEX& format,
                                                     ThreadId callbackThread) {
    if (!initialised_)
        return nullptr;
    auto input = std::make_unique<SdlInput>(callbackThread);
    if (!input->OpenDevice(format))
        return nullptr;
    return input;
}

std::unique_ptr<WaveOutput> SdlWaveDevices::OpenOutput(const WAVEFORMATEX& format,
                                                       ThreadId callbackThread) {
    if (!initialised_)
        return nullptr;
    auto output = std::make_unique<SdlOutput>(format, callbackThread);
    if (!output->OpenDevice(format))
        return nullptr;
    return output;
}

} // namespace tonilo
