#pragma once
// The equalizer dialog apart from its drawing: ten band sliders and the preamp
// (positions 0..254, position = 127 - value), the preset list, the enable box
// and Reset. Changes reach the filter at once; OK stores them in the settings
// object (written to the registry when that object goes), Cancel puts the
// stored settings back on the filter.
//
// Threads: the user-interface thread; the filter serialises with playback.
#include <cstdint>
#include <string>
#include <vector>

namespace tonilo {

class AudioFilter;
class EqPresets;

constexpr uint32_t kEqualizerCommand = 13026;
constexpr uint32_t kEqualizerOkCommand = 702;

class EqualizerDialogModel {
public:
    static constexpr int kBands = 10;
    static constexpr int kPreampSlider = 10; // after the ten bands
    static constexpr int kSliders = 11;
    static constexpr int kMaxPosition = 254;
    static constexpr uint32_t kTitle = 13026; // "Equalizer"
    static constexpr uint32_t kPreampLabel = 32419;
    static constexpr uint32_t kEnableLabel = 32420;
    static constexpr uint32_t kResetButton = 32421;
    static constexpr uint32_t kFirstPresetName = 32422; // "Custom", then the built-in ones

    // Both must outlive the model; a null filter only edits the settings.
    // Reads the stored settings into the controls.
    EqualizerDialogModel(EqPresets& presets, AudioFilter* filter);

    // The 18 preset names, "Custom" first.
    static std::vector<std::string> PresetNames();
    uint32_t Preset() const { return preset_; }
    // The preset's values go to the band sliders and all eleven are applied.
    void SelectPreset(uint32_t index);

    int Position(int slider) const;
    int Value(int slider) const;
    // While dragging: the slider moves, nothing is sent yet.
    void SetPosition(int slider, int position);
    // End of scroll: the preamp is sent; a band selects "Custom" and is sent.
    void Released(int slider);

    bool EqualizerOn() const { return on_; }
    // The box: the other controls follow it and the filter is (un)bypassed.
    void SetEqualizerOn(bool on);
    // Sliders, presets and Reset work only while the box is ticked (the
    // calls below do nothing otherwise).
    bool ControlsEnabled() const { return on_; }

    // All sliders to 0, "Custom", all applied.
    void Reset();

    void Ok();
    void Cancel();

private:
    void Send(int slider);
    void SendAll();

    EqPresets& presets_;
    AudioFilter* filter_;
    int values_[kSliders] = {};
    uint32_t preset_ = 0;
    bool on_ = false;
};

} // namespace tonilo
