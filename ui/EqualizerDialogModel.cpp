#include "ui/EqualizerDialogModel.h"

#include <algorithm>

#include "Libs/ToniloLib/Src/components/AudioFilter.h"
#include "Libs/ToniloLib/Src/filters/EqPresets.h"
#include "Libs/ToniloLib/Src/filters/EqualizerFilter.h"
#include "platform/LanguageResources.h"

namespace tonilo {
namespace {

// Control arguments carry the value as a signed byte.
uint32_t AsArgument(int value) {
    return static_cast<uint8_t>(static_cast<int8_t>(value));
}

} // namespace

EqualizerDialogModel::EqualizerDialogModel(EqPresets& presets, AudioFilter* filter)
    : presets_(presets), filter_(filter) {
    preset_ = presets_.GetActive();
    uint32_t count = 0;
    const int8_t* values = presets_.GetPresetValues(&count);
    for (uint32_t band = 0; band < count && band < kBands; ++band)
        values_[band] = values[band];
    values_[kPreampSlider] = presets_.GetPreamp();
    on_ = presets_.GetEnabled();
}

std::vector<std::string> EqualizerDialogModel::PresetNames() {
    std::vector<std::string> names;
    for (uint32_t index = 0; index < EqPresets::GetPresetCount(); ++index) {
        std::string name = LoadResourceString(kFirstPresetName + index);
        names.push_back(name.empty() ? EqPresets::GetPresetName(index) : name);
    }
    return names;
}

void EqualizerDialogModel::SelectPreset(uint32_t index) {
    if (!on_ || index >= EqPresets::GetPresetCount())
        return;
    preset_ = index;
    const int8_t* values = index == 0 ? presets_.GetCustom() : EqPresets::GetBuiltInValues(index);
    for (int band = 0; band < kBands; ++band)
        values_[band] = values[band];
    SendAll();
}

int EqualizerDialogModel::Position(int slider) const {
    return 127 - Value(slider);
}

int EqualizerDialogModel::Value(int slider) const {
    return slider >= 0 && slider < kSliders ? values_[slider] : 0;
}

void EqualizerDialogModel::SetPosition(int slider, int position) {
    if (!on_ || slider < 0 || slider >= kSliders)
        return;
    values_[slider] = 127 - std::clamp(position, 0, kMaxPosition);
}

void EqualizerDialogModel::Released(int slider) {
    if (!on_ || slider < 0 || slider >= kSliders)
        return;
    if (slider != kPreampSlider)
        preset_ = 0;
    Send(slider);
}

void EqualizerDialogModel::SetEqualizerOn(bool on) {
    on_ = on;
    if (filter_)
        filter_->Control(CTL_BYPASS, on ? 0 : 1, 0);
}

void EqualizerDialogModel::Reset() {
    if (!on_)
        return;
    std::fill(std::begin(values_), std::end(values_), 0);
    preset_ = 0;
    SendAll();
}

void EqualizerDialogModel::Send(int slider) {
    if (!filter_)
        return;
    if (slider == kPreampSlider)
        filter_->Control(CTL_EQ_SET_PREAMP, 0, AsArgument(values_[slider]));
    else
        filter_->Control(CTL_EQ_SET_BAND, static_cast<uint32_t>(slider),
                         AsArgument(values_[slider]));
}

void EqualizerDialogModel::SendAll() {
    Send(kPreampSlider);
    for (int band = 0; band < kBands; ++band)
        Send(band);
}

void EqualizerDialogModel::Ok() {
    presets_.SetEnabled(on_);
    presets_.SetPreamp(values_[kPreampSlider]);
    presets_.SetActive(preset_);
    if (preset_ == 0) {
        int8_t custom[kBands];
        for (int band = 0; band < kBands; ++band)
            custom[band] = static_cast<int8_t>(values_[band]);
        presets_.SetCustom(custom);
    }
}

void EqualizerDialogModel::Cancel() {
    presets_.Apply();
}

} // namespace tonilo
