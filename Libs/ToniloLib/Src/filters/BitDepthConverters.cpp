#include "Libs/ToniloLib/Src/filters/BitDepthConverters.h"

#include "Libs/ToniloLib/Src/filters/SampleConversion.h"

namespace tonilo {

bool SixteenToEightFilter::Transform(AudioBuffer& buffer) {
    const uint32_t samples = buffer.used / 2;
    ConvertSixteenToEight(buffer.data, samples);
    buffer.used = samples;
    return true;
}

void SixteenToEightFilter::AdjustOutputFormat(WAVEFORMATEX& format) {
    format.wBitsPerSample = 8;
    format.nBlockAlign = format.nChannels;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nChannels;
}

bool EightToSixteenFilter::Transform(AudioBuffer& buffer) {
    if (static_cast<uint64_t>(buffer.used) * 2 > buffer.size)
        return false;
    ConvertEightToSixteen(buffer.data, buffer.used);
    buffer.used *= 2;
    return true;
}

void EightToSixteenFilter::AdjustOutputFormat(WAVEFORMATEX& format) {
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<uint16_t>(2 * format.nChannels);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
}

} // namespace tonilo
