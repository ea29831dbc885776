#include "Libs/ToniloLib/Src/filters/VoiceActivationFilter.h"

#include <cstring>
#include <new>

#include "Libs/ToniloLib/Src/filters/SampleAccess.h"

namespace tonilo {

bool VoiceActivationFilter::AcceptsFormat(const WAVEFORMATEX& format) {
    return format.wBitsPerSample == 16 && format.nChannels != 0 && hold_ != nullptr;
}

void VoiceActivationFilter::ResetState() {
    gate_.Reset();
    held_ = 0;
    hold_.reset();
    capacity_ = 0;
    const uint32_t bytesPerSample = inputFormat_.wBitsPerSample / 8;
    if (bytesPerSample == 0 || inputFormat_.nChannels == 0)
        return;
    // One and a half seconds of bytes counted as frames: three seconds at 16 bits.
    uint64_t capacity =
        static_cast<uint64_t>(inputFormat_.nSamplesPerSec) * bytesPerSample * 1500 / 1000;
    capacity = (capacity + bytesPerSample - 1) / bytesPerSample * bytesPerSample;
    const uint64_t samples = capacity * inputFormat_.nChannels;
    if (capacity == 0 || samples > (uint64_t{1} << 28))
        return;
    hold_.reset(new (std::nothrow) int16_t[samples]);
    if (hold_)
        capacity_ = static_cast<uint32_t>(capacity);
}

uint32_t VoiceActivationFilter::SourceToOutput(uint32_t bytes) {
    // Held frames carry every channel: counting only two bytes per frame left a
    // stereo pause of more than half the capacity without room to come back.
    const uint64_t reserve = static_cast<uint64_t>(capacity_) * 2 * inputFormat_.nChannels;
    const uint64_t total = bytes + reserve;
    return total > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(total);
}

bool VoiceActivationFilter::IsSilent(const uint8_t* data, uint32_t firstSample) {
    if (++gate_.counter == NoiseGate::kRelaxInterval) {
        gate_.counter = 0;
        gate_.Relax();
    }
    int32_t x = LoadSample(data, firstSample);
    if (inputFormat_.nChannels >= 2)
        x = (x + LoadSample(data, firstSample + 1)) / 2;
    gate_.Smooth(x);
    gate_.UpdateGain();
    const int32_t level = gate_.Gated();
    return level > -kSilenceLimit && level < kSilenceLimit;
}

bool VoiceActivationFilter::Transform(AudioBuffer& buffer) {
    const uint32_t channels = inputFormat_.nChannels;
    if (!hold_ || channels == 0)
        return false;
    const uint32_t frameBytes = 2 * channels;
    const uint32_t frames = buffer.used / frameBytes;
    const uint32_t room = buffer.size / frameBytes;
    uint8_t* data = buffer.data;
    uint32_t output = 0; // frames written at the buffer start
    uint32_t shift = 0;  // how far the unread input moved forward for a re-insertion

    for (uint32_t frame = 0; frame < frames; ++frame) {
        uint32_t position = frame + shift; // where this input frame lies now
        if (IsSilent(data, position * channels)) {
            if (held_ < capacity_) {
                std::memcpy(hold_.get() + static_cast<size_t>(held_) * channels,
                            data + static_cast<size_t>(position) * frameBytes, frameBytes);
                ++held_;
            }
            continue;
        }
        if (held_ > 0 && held_ < capacity_) {
            if (held_ <= frame) {
                // The pause lies just before this frame in the buffer.
                std::memmove(data + static_cast<size_t>(output) * frameBytes,
                             data + static_cast<size_t>(position - held_) * frameBytes,
                             static_cast<size_t>(held_) * frameBytes);
                output += held_;
            } else {
                // The pause began in an earlier buffer, so nothing is output yet:
                // make room at the start for the held frames.
                if (static_cast<uint64_t>(held_) + frames > room)
                    return false;
                const uint32_t missing = held_ - position;
                std::memmove(data + static_cast<size_t>(held_) * frameBytes,
                             data + static_cast<size_t>(position) * frameBytes,
                             static_cast<size_t>(frames - frame) * frameBytes);
                std::memcpy(data, hold_.get(), static_cast<size_t>(held_) * frameBytes);
                shift += missing;
                position += missing;
                output = held_;
            }
        }
        held_ = 0;
        if (output != position)
            std::memmove(data + static_cast<size_t>(output) * frameBytes,
                         data + static_cast<size_t>(position) * frameBytes, frameBytes);
        ++output;
    }
    buffer.used = output * frameBytes;
    return true;
}

} // namespace tonilo
