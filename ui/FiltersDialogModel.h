#pragma once
// The filters dialog apart from its drawing: the noise filter and its
// strength, the automatic gain control and its level, and voice activation,
// as the recording chain takes them from the settings. OK writes the five
// values into the settings table (in memory; the table is saved at shut-down
// or with the settings sheet) and the recorder then re-applies them; Cancel
// writes nothing.
//
// Threads: the user-interface thread.
#include <cstdint>
#include <string>
#include <vector>

namespace tonilo {

class SettingsStore;

class FiltersDialogModel {
public:
    static constexpr uint32_t kTitle = 13130;           // "Filters"
    static constexpr uint32_t kNoiseLabel = 30151;      // "Noise filter"
    static constexpr uint32_t kGainLabel = 30150;       // "Gain control"
    static constexpr uint32_t kVasLabel = 30149;        // "VAS"
    static constexpr uint32_t kFirstNoiseLevel = 32620; // "1 - Soft" .. "5 - Full"
    static constexpr uint32_t kFirstGainLevel = 32625;  // "1 - Soft" .. "5 - Full"
    static constexpr uint32_t kStrengthLabel = 32630;
    static constexpr uint32_t kLevelLabel = 32631;
    static constexpr uint32_t kVasText = 32632;
    static constexpr int32_t kLevels = 5;

    explicit FiltersDialogModel(const SettingsStore& settings);

    // The five entries of each combo, index 0 first.
    static std::vector<std::string> NoiseLevelNames();
    static std::vector<std::string> GainLevelNames();

    bool NoiseOn() const { return noiseOn_; }
    bool GainOn() const { return gainOn_; }
    bool VasOn() const { return vasOn_; }
    void SetNoiseOn(bool on) { noiseOn_ = on; }
    void SetGainOn(bool on) { gainOn_ = on; }
    void SetVasOn(bool on) { vasOn_ = on; }

    // The combos' selections, 0..4. A stored index outside that range shows
    // the first entry but is kept as it is unless the user picks another.
    int32_t NoiseLevel() const;
    int32_t GainLevel() const;
    // Out-of-range indexes are refused (false, nothing changed).
    bool SetNoiseLevel(int32_t index);
    bool SetGainLevel(int32_t index);

    // "NoiseOn", "Noise", "GainOn", "Gain", "VASOn".
    void Ok(SettingsStore& settings) const;

private:
    bool noiseOn_ = false, gainOn_ = false, vasOn_ = false;
    uint32_t noise_ = 0, gain_ = 0; // as stored
};

} // namespace tonilo
