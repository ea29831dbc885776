#pragma once
// The "Recording" page: beeps at the start and end of a recording, the LED
// and the level monitor. The beep boxes follow the system's event sounds:
// with them off the boxes are disabled, show cleared and store 0. While
// "Start/pause rec." sits on an application button, a box lets that button
// launch the program recording.
#include <functional>
#include <string>

#include "ui/SettingsPage.h"

namespace tonilo {

class RecordingPage : public SettingsPage {
public:
    static constexpr uint32_t kTitle = 32302;
    enum Field : int32_t { BeepBegin, BeepEnd, FlashLed, LiveMonitor, LaunchButton, kFieldCount };
    // The key "Start/pause rec." is on as the sheet stands; 0 for none.
    using RecordButton = std::function<uint32_t()>;

    // The system's sound switches: "Mute" under HKEY_CURRENT_USER
    // "ControlPanel\Volume", 2 (event sounds on) when missing.
    static uint32_t ReadSoundFlags();
    static bool EventSoundsOn(uint32_t soundFlags) { return (soundFlags & 2u) != 0; }
    static uint32_t Label(Field field);

    // `programPath` is what an application button launches.
    RecordingPage(const SettingsStore& settings, uint32_t soundFlags,
                  RecordButton recordButton = nullptr, std::string programPath = std::string());

    uint32_t TitleId() const override { return kTitle; }
    bool Checked(Field field) const;
    // False (nothing changed) for a disabled box.
    bool SetChecked(Field field, bool checked);
    bool Enabled(Field field) const;
    // The launch box is there at all.
    bool Shown(Field field) const;
    void Apply(SettingsStore& settings) const override;

private:
    uint32_t CurrentRecordButton() const;

    bool soundsOn_;
    RecordButton recordButton_;
    std::string programPath_;
    bool checked_[kFieldCount] = {};
};

} // namespace tonilo
