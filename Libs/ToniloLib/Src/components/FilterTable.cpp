#include "Libs/ToniloLib/Src/components/FilterTable.h"

#include <new>

#include "Libs/ToniloLib/Src/filters/BitDepthConverters.h"
#include "Libs/ToniloLib/Src/filters/EqualizerFilter.h"
#include "Libs/ToniloLib/Src/filters/GainControlFilter.h"
#include "Libs/ToniloLib/Src/filters/LevelMeterFilter.h"
#include "Libs/ToniloLib/Src/filters/NoiseFilter.h"
#include "Libs/ToniloLib/Src/filters/ResampleFilter.h"
#include "Libs/ToniloLib/Src/filters/VoiceActivationFilter.h"

namespace tonilo {

static const FormatRecord kFilterTable[kFilterTableCount] = {
    {"168 Audio Filter", nullptr, FORMAT_KIND_FILTER, 0,
     CreateFilterInstance<SixteenToEightFilter>},
    {"816 Audio Filter", nullptr, FORMAT_KIND_FILTER, 0,
     CreateFilterInstance<EightToSixteenFilter>},
    {"Eq Audio Filter", nullptr, FORMAT_KIND_FILTER, 0, CreateFilterInstance<EqualizerFilter>},
    {"Gain Audio Filter", nullptr, FORMAT_KIND_FILTER, 0, CreateFilterInstance<GainControlFilter>},
    {"Noise Audio Filter", nullptr, FORMAT_KIND_FILTER, 0, CreateFilterInstance<NoiseFilter>},
    {"VAS Audio Filter", nullptr, FORMAT_KIND_FILTER, 0,
     CreateFilterInstance<VoiceActivationFilter>},
    {"Volume Audio Filter", nullptr, FORMAT_KIND_FILTER, 0, CreateFilterInstance<LevelMeterFilter>},
    {"Resample Audio Filter", nullptr, FORMAT_KIND_FILTER, 0, CreateFilterInstance<ResampleFilter>},
};

const FormatRecord* GetFilterTable(uint32_t* count) {
    if (count)
        *count = kFilterTableCount;
    return kFilterTable;
}

} // namespace tonilo
