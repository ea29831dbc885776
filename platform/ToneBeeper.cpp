#include "platform/ToneBeeper.h"

#include <cmath>
#include <thread>
#include <vector>

#include "platform/ThreadMessages.h"
#include "platform/WaveDevice.h"

namespace tonilo {
namespace {

constexpr uint32_t kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

// A sine with 10 ms fades, so the tone starts and ends without a click.
std::vector<int16_t> MakeTone(double frequency) {
    const uint32_t count = kRate * kBeepMilliseconds / 1000;
    const uint32_t fade = kRate / 100;
    std::vector<int16_t> samples(count);
    for (uint32_t i = 0; i < count; ++i) {
        double envelope = 1.0;
        if (i < fade)
            envelope = static_cast<double>(i) / fade;
        else if (count - i < fade)
            envelope = static_cast<double>(count - i) / fade;
        samples[i] =
            static_cast<int16_t>(12000.0 * envelope * std::sin(2.0 * kPi * frequency * i / kRate));
    }
    return samples;
}

// Runs on a thread of its own, whose queue receives the buffer-done message.
bool PlayOnThisThread(std::vector<int16_t>& samples) {
    WaveDeviceProvider* provider = GetWaveDeviceProvider();
    if (!provider)
        return false;
    WAVEFORMATEX format = MakePcmFormat(kRate, 16, 1);
    std::unique_ptr<WaveOutput> output = provider->OpenOutput(format, GetCurrentThreadId());
    if (!output)
        return false;
    WAVEHDR header{};
    header.lpData = reinterpret_cast<uint8_t*>(samples.data());
    header.dwBufferLength = static_cast<uint32_t>(samples.size() * sizeof(int16_t));
    bool played = PrepareWaveHeader(&header) && output->Write(&header);
    if (played) {
        ThreadMessage message;
        // Generous: the device clock may run late; the tone itself is short.
        while (GetMessageTimeout(&message, 2000) && message.message != MM_WOM_DONE) {
        }
        if (message.message != MM_WOM_DONE)
            output->Reset();
    }
    UnprepareWaveHeader(&header);
    output->Close();
    return played;
}

} // namespace

bool PlayBeep(uint32_t sound) {
    if (sound != kBeginBeepSound && sound != kEndBeepSound)
        return false;
    // Rising for the start, lower for the end.
    std::vector<int16_t> samples = MakeTone(sound == kBeginBeepSound ? 1320.0 : 880.0);
    bool played = false;
    std::thread player([&] { played = PlayOnThisThread(samples); });
    player.join();
    return played;
}

} // namespace tonilo
