#include "Libs/ToniloLib/Src/filters/EqPresets.h"

#include <cstring>

#include "Libs/ToniloLib/Src/filters/EqualizerFilter.h"
#include "platform/RegistryKey.h"

namespace tonilo {
namespace {

struct BuiltInPreset {
    const char* name;
    int8_t values[EqPresets::kBands];
};

const char kCustomName[] = "Custom";

const BuiltInPreset kBuiltInPresets[17] = {
    {"Classical", {0, 0, 0, 0, 0, 0, -35, -35, -35, -64}},
    {"Club", {0, 0, 15, 40, 40, 40, 15, 0, 0, 0}},
    {"Dance", {64, 40, 10, 0, 0, -35, -35, -35, 0, 0}},
    {"Full Bass", {64, 64, 64, 40, 10, -20, -40, -64, -64, -64}},
    {"Full Bass & Treble", {58, 40, 0, -40, -35, 10, 25, 40, 64, 64}},
    {"Full Treble", {-64, -64, -64, -35, 25, 64, 127, 127, 127, 127}},
    {"Small headphones", {25, 64, 25, -25, -20, 10, 25, 50, 70, 70}},
    {"Large hall", {64, 64, 25, 25, 0, -25, -25, -25, 0, 0}},
    {"Live", {-25, 0, 25, 25, 25, 25, 20, 15, 15, 15}},
    {"Party", {35, 35, 0, 0, 0, 0, 0, 0, 35, 35}},
    {"Pop", {-15, 20, 25, 30, 20, -15, -20, -20, -20, -20}},
    {"Reggae", {0, 0, -5, -25, 0, 25, 25, 0, 0, 0}},
    {"Rock", {40, 25, -25, -50, -20, 20, 40, 50, 50, 50}},
    {"Ska", {-15, -25, -25, -15, 20, 25, 40, 50, 50, 50}},
    {"Soft", {25, 15, -10, -20, -10, 15, 25, 40, 50, 60}},
    {"Soft Rock", {20, 20, 15, -10, -20, -25, -20, -15, 10, 40}},
    {"Techno", {30, 25, 0, -25, -25, 0, 25, 50, 50, 50}},
};

int8_t ClampToValue(int32_t value) {
    return static_cast<int8_t>(value < -127 ? -127 : (value > 127 ? 127 : value));
}

// Values travel through Control as the low byte of a 32-bit argument.
uint32_t AsArgument(int8_t value) {
    return static_cast<uint32_t>(static_cast<uint8_t>(value));
}

} // namespace

EqPresets::EqPresets(EqualizerFilter* filter, const char* keyPath)
    : filter_(filter), keyPath_(keyPath ? keyPath : "") {
    if (filter_)
        filter_->AddRef();
}

EqPresets::~EqPresets() {
    if (loaded_)
        Save();
    if (filter_)
        filter_->Release();
}

const char* EqPresets::GetPresetName(uint32_t index) {
    if (index == 0)
        return kCustomName;
    return index < kPresetCount ? kBuiltInPresets[index - 1].name : nullptr;
}

const int8_t* EqPresets::GetBuiltInValues(uint32_t index) {
    return index >= 1 && index < kPresetCount ? kBuiltInPresets[index - 1].values : nullptr;
}

bool EqPresets::GetEnabled() {
    EnsureLoaded();
    return enabled_;
}

void EqPresets::SetEnabled(bool enabled) {
    EnsureLoaded();
    enabled_ = enabled;
}

int8_t EqPresets::GetPreamp() {
    EnsureLoaded();
    return preamp_;
}

void EqPresets::SetPreamp(int32_t value) {
    EnsureLoaded();
    preamp_ = ClampToValue(value);
}

uint32_t EqPresets::GetActive() {
    EnsureLoaded();
    return active_;
}

void EqPresets::SetActive(uint32_t index) {
    EnsureLoaded();
    if (index < kPresetCount)
        active_ = index;
}

void EqPresets::SetCustom(const int8_t* values) {
    EnsureLoaded();
    for (uint32_t band = 0; band < kBands; ++band)
        custom_[band] = values ? ClampToValue(values[band]) : 0;
}

const int8_t* EqPresets::GetCustom() {
    EnsureLoaded();
    return custom_;
}

const int8_t* EqPresets::GetPresetValues(uint32_t* count) {
    EnsureLoaded();
    if (count)
        *count = kBands;
    return active_ == 0 ? custom_ : kBuiltInPresets[active_ - 1].values;
}

void EqPresets::Apply() {
    EnsureLoaded();
    if (!filter_)
        return;
    filter_->Control(CTL_BYPASS, enabled_ ? 0 : 1, 0);
    filter_->Control(CTL_EQ_SET_PREAMP, 0, AsArgument(preamp_));
    const int8_t* values = GetPresetValues(nullptr);
    for (uint32_t band = 0; band < kBands; ++band)
        filter_->Control(CTL_EQ_SET_BAND, band, AsArgument(values[band]));
}

void EqPresets::Load() {
    loaded_ = true;
    std::memset(custom_, 0, sizeof(custom_));
    preamp_ = 0;
    active_ = 0;
    enabled_ = false;
    RegistryKey key(keyPath_.c_str(), HKEY_LOCAL_MACHINE);
    if (!key.Open(nullptr, false))
        return;
    std::string custom;
    uint32_t size = kBands;
    if (key.ReadRaw("EqCustom", &custom, &size)) {
        for (uint32_t band = 0; band < kBands && band < custom.size(); ++band)
            custom_[band] = ClampToValue(static_cast<int8_t>(custom[band]));
    }
    uint32_t number = 0;
    if (key.ReadNumber("EqPreamp", &number))
        preamp_ = ClampToValue(static_cast<int8_t>(number & 0xFF));
    number = 0;
    if (key.ReadNumber("EqActive", &number))
        active_ = number < kPresetCount ? number : 0;
    number = 0;
    if (key.ReadNumber("EqEnabled", &number))
        enabled_ = number != 0;
}

bool EqPresets::Save() {
    RegistryKey key(keyPath_.c_str(), HKEY_LOCAL_MACHINE);
    if (!key.Open(nullptr, true))
        return false;
    bool saved = key.WriteBinary("EqCustom", custom_, kBands);
    saved = key.WriteNumber("EqPreamp", static_cast<uint8_t>(preamp_)) && saved;
    saved = key.WriteNumber("EqActive", active_) && saved;
    saved = key.WriteNumber("EqEnabled", enabled_ ? 1 : 0) && saved;
    return saved;
}

} // namespace tonilo
