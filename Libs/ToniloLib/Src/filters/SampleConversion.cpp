#include "Libs/ToniloLib/Src/filters/SampleConversion.h"

#include "Libs/ToniloLib/Src/filters/SampleAccess.h"

namespace tonilo {

void ConvertSixteenToEight(uint8_t* data, uint32_t samples) {
    for (uint32_t i = 0; i < samples; ++i)
        data[i] = SixteenToEight(LoadSample(data, i));
}

void ConvertEightToSixteen(uint8_t* data, uint32_t samples) {
    for (uint32_t i = samples; i-- > 0;)
        StoreSample(data, i, EightToSixteen(data[i]));
}

void ConvertMonoToStereo(uint8_t* data, uint32_t frames) {
    for (uint32_t i = frames; i-- > 0;) {
        int16_t sample = LoadSample(data, i);
        StoreSample(data, 2 * i, sample);
        StoreSample(data, 2 * i + 1, sample);
    }
}

void ConvertStereoToMono(uint8_t* data, uint32_t frames) {
    for (uint32_t i = 0; i < frames; ++i) {
        int32_t left = LoadSample(data, 2 * i);
        int32_t right = LoadSample(data, 2 * i + 1);
        StoreSample(data, i, static_cast<int16_t>(left / 2 + right / 2));
    }
}

} // namespace tonilo
