#pragma once
// The "Recording" page: beeps at the start and end of a recording, the LED
// and the level monitor. The beep boxes follow the system's event sounds:
// with them off the boxes are disabled, show cleared and store 0.
#include "ui/SettingsPage.h"

namespace tonilo {

class RecordingPage : public SettingsPage {
public:
    static constexpr uint32_t kTitle = 32302;
    enum Field : int32_t { BeepBegin, BeepEnd, FlashLed, LiveMonitor, kFieldCount };

    // The system's sound switches: "Mute" under HKEY_CURRENT_USER
    // "ControlPanel\Volume", 2 (event sounds on) when missing.
    static uint32_t ReadSoundFlags();
    static bool EventSoundsOn(uint32_t soundFlags) { return (soundFlags & 2u) != 0; }
    static uint32_t Label(Field field);

    RecordingPage(const SettingsStore& settings, uint32_t soundFlags);

    uint32_t TitleId() const override { return kTitle; }
    bool Checked(Field field) const;
    // False (nothing changed) for a disabled box.
    bool SetChecked(Field field, bool checked);
    bool Enabled(Field field) const;
    void Apply(SettingsStore& settings) const override;

private:
    bool soundsOn_;
    bool checked_[kFieldCount] = {};
};

} // namespace tonilo
