#pragma once
// The equalizer settings: enabled, preamp, active preset and the ten custom band
// values, kept in the registry under HKEY_LOCAL_MACHINE and the key path given at
// creation. Offers the 17 built-in presets plus "Custom" (index 0) and applies a
// choice to the equalizer it drives. Getters and setters load the stored values
// first; destruction saves them. Used from the user-interface thread.
#include <cstdint>
#include <string>

namespace tonilo {

class EqualizerFilter;

class EqPresets {
public:
    static constexpr uint32_t kBands = 10;
    static constexpr uint32_t kPresetCount = 18; // "Custom" and 17 built-in

    // Holds a reference to the filter for its lifetime.
    EqPresets(EqualizerFilter* filter, const char* keyPath);
    EqPresets(const EqPresets&) = delete;
    EqPresets& operator=(const EqPresets&) = delete;

    virtual ~EqPresets();                  // saves to the registry                          // 0
    virtual bool GetEnabled();             // 2
    virtual void SetEnabled(bool enabled); // 3
    virtual int8_t GetPreamp();            // 4
    // The active preset's band values (the custom ones for index 0).
    virtual const int8_t* GetPresetValues(uint32_t* count); // 5
    // Sends enabled, preamp and the active preset's bands to the filter.
    virtual void Apply();                   // 6
    virtual void Destroy() { delete this; } // 7

    static uint32_t GetPresetCount() { return kPresetCount; }
    // "Custom" for 0, the built-in names for 1..17, null otherwise.
    static const char* GetPresetName(uint32_t index);
    // Band values of a built-in preset (1..17), null otherwise.
    static const int8_t* GetBuiltInValues(uint32_t index);

    uint32_t GetActive();
    // Indexes beyond 17 are ignored.
    void SetActive(uint32_t index);
    void SetPreamp(int32_t value);
    // Null sets all ten to zero; values are clamped to -127..127.
    void SetCustom(const int8_t* values);
    const int8_t* GetCustom();

    // Missing values read as 0; a missing key leaves everything at 0.
    void Load();
    bool Save();

private:
    void EnsureLoaded() {
        if (!loaded_)
            Load();
    }

    EqualizerFilter* filter_;
    std::string keyPath_;
    uint32_t active_ = 0;
    bool loaded_ = false;
    int8_t custom_[kBands] = {};
    int8_t preamp_ = 0;
    bool enabled_ = false;
};

} // namespace tonilo
