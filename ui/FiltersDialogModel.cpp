#include "ui/FiltersDialogModel.h"

#include "app/SettingsStore.h"
#include "platform/LanguageResources.h"

namespace tonilo {
namespace {

uint32_t Number(const SettingsStore& settings, const char* name) {
    uint32_t value = 0;
    settings.GetNumber(name, &value);
    return value;
}

std::vector<std::string> Names(uint32_t first, int32_t count) {
    std::vector<std::string> names;
    for (int32_t index = 0; index < count; ++index)
        names.push_back(LoadResourceString(first + static_cast<uint32_t>(index)));
    return names;
}

int32_t Shown(uint32_t stored, int32_t levels) {
    return stored < static_cast<uint32_t>(levels) ? static_cast<int32_t>(stored) : 0;
}

} // namespace

FiltersDialogModel::FiltersDialogModel(const SettingsStore& settings)
    : noiseOn_(Number(settings, "NoiseOn") != 0), gainOn_(Number(settings, "GainOn") != 0),
      vasOn_(Number(settings, "VASOn") != 0), noise_(Number(settings, "Noise")),
      gain_(Number(settings, "Gain")) {}

std::vector<std::string> FiltersDialogModel::NoiseLevelNames() {
    return Names(kFirstNoiseLevel, kLevels);
}

std::vector<std::string> FiltersDialogModel::GainLevelNames() {
    return Names(kFirstGainLevel, kLevels);
}

int32_t FiltersDialogModel::NoiseLevel() const {
    return Shown(noise_, kLevels);
}
int32_t FiltersDialogModel::GainLevel() const {
    return Shown(gain_, kLevels);
}

bool FiltersDialogModel::SetNoiseLevel(int32_t index) {
    if (index < 0 || index >= kLevels)
        return false;
    noise_ = static_cast<uint32_t>(index);
    return true;
}

bool FiltersDialogModel::SetGainLevel(int32_t index) {
    if (index < 0 || index >= kLevels)
        return false;
    gain_ = static_cast<uint32_t>(index);
    return true;
}

void FiltersDialogModel::Ok(SettingsStore& settings) const {
    settings.SetNumber("NoiseOn", noiseOn_ ? 1 : 0);
    settings.SetNumber("Noise", noise_);
    settings.SetNumber("GainOn", gainOn_ ? 1 : 0);
    settings.SetNumber("Gain", gain_);
    settings.SetNumber("VASOn", vasOn_ ? 1 : 0);
}

} // namespace tonilo
