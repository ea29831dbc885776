#pragma once
// Which skin file a screen gets: on the first run the default of its size,
// otherwise the one set for the size (or that default); `best` asks for the
// largest listed skin that fits instead, the fallback when that file fails.
#include <cstdint>
#include <string>

namespace tonilo {

class SettingsStore;
class SkinCatalog;

std::string ChooseSkinPath(SkinCatalog& catalog, const SettingsStore& settings,
                           const std::string& skinsFolder, int32_t width, int32_t height,
                           bool best);

} // namespace tonilo
