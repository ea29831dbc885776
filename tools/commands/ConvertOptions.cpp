#include "tools/commands/ConvertOptions.h"

#include <strings.h>

#include <algorithm>

#include "Libs/ToniloLib/Src/filters/EqPresets.h"

namespace tonilo::tool {

std::vector<Option> ConvertFilterOptionTable(ConvertFilterOptions* filters) {
    return {
        NumberOption("--rate", {1000, 384000}, &filters->rate),
        {"--bits", true,
         [filters](const std::string& value) {
             return ParseWholeNumber(value, {8, 16}, &filters->bits) &&
                    (filters->bits == 8 || filters->bits == 16);
         }},
        NumberOption("--channels", {1, 2}, &filters->channels),
        NumberOption("--resample-quality", {0, 2}, &filters->resampleQuality),
        {"--eq", true,
         [filters](const std::string& value) {
             filters->equalize = true;
             return ParseEqualizerBands(value, filters->bands);
         }},
        NumberOption("--preamp", {-127, 127}, &filters->preamp),
    };
}

bool ParseEqualizerBands(const std::string& text, int8_t bands[10]) {
    for (uint32_t index = 1; index < EqPresets::GetPresetCount(); ++index) {
        if (strcasecmp(text.c_str(), EqPresets::GetPresetName(index)) == 0) {
            const int8_t* values = EqPresets::GetBuiltInValues(index);
            std::copy(values, values + 10, bands);
            return true;
        }
    }
    size_t start = 0;
    for (int band = 0; band < 10; ++band) {
        size_t comma = text.find(',', start);
        if ((band < 9) != (comma != std::string::npos))
            return false;
        if (!ParseWholeNumber(text.substr(start, comma - start), {-127, 127}, &bands[band]))
            return false;
        start = comma + 1;
    }
    return true;
}

} // namespace tonilo::tool
