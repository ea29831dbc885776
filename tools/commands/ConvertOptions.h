#pragma once
// The options of convert that change the audio on its way: format changes
// and the equalizer, as entries of the command's option table.
#include <cstdint>
#include <string>
#include <vector>

#include "app/FilterChainBuilder.h"
#include "tools/commands/OptionTable.h"

namespace tonilo::tool {

// --rate, --bits, --channels, --resample-quality, --eq and --preamp into *filters.
std::vector<Option> ConvertFilterOptionTable(ConvertFilterOptions* filters);

// "NAME" (a preset name, any case) or "v1,...,v10", each from -127 to 127.
bool ParseEqualizerBands(const std::string& text, int8_t bands[10]);

} // namespace tonilo::tool
