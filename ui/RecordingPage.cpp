#include "ui/RecordingPage.h"

#include "app/HardwareButtons.h"
#include "app/SettingsStore.h"
#include "platform/RegistryKey.h"
#include "ui/RecordButtonLaunch.h"

namespace tonilo {
namespace {

// The settings of the boxes before the launch box.
const char* const kValueNames[RecordingPage::LaunchButton] = {"BeepBegin", "BeepEnd", "FlashLED",
                                                              "LiveMonitor"};

} // namespace

uint32_t RecordingPage::ReadSoundFlags() {
    uint32_t flags = 2;
    RegistryKey key("ControlPanel\\Volume", HKEY_CURRENT_USER);
    if (key.Open())
        key.ReadNumber("Mute", &flags);
    return flags;
}

uint32_t RecordingPage::Label(Field field) {
    return 32320 + static_cast<uint32_t>(field);
}

RecordingPage::RecordingPage(const SettingsStore& settings, uint32_t soundFlags,
                             RecordButton recordButton, std::string programPath)
    : soundsOn_(EventSoundsOn(soundFlags)), recordButton_(std::move(recordButton)),
      programPath_(std::move(programPath)) {
    const uint32_t button = CurrentRecordButton();
    checked_[LaunchButton] =
        IsApplicationButton(button) && ButtonLaunchesProgram(button, programPath_);
    for (int32_t i = 0; i < LaunchButton; ++i) {
        uint32_t value = 0;
        settings.GetNumber(kValueNames[i], &value);
        checked_[i] = value != 0 && Enabled(static_cast<Field>(i));
    }
}

bool RecordingPage::Checked(Field field) const {
    return field >= 0 && field < kFieldCount && checked_[field];
}

bool RecordingPage::SetChecked(Field field, bool checked) {
    if (field < 0 || field >= kFieldCount || !Enabled(field))
        return false;
    checked_[field] = checked;
    return true;
}

uint32_t RecordingPage::CurrentRecordButton() const {
    return recordButton_ ? recordButton_() : 0;
}

bool RecordingPage::Shown(Field field) const {
    if (field == LaunchButton)
        return IsApplicationButton(CurrentRecordButton());
    return field >= 0 && field < kFieldCount;
}

bool RecordingPage::Enabled(Field field) const {
    if (field == BeepBegin || field == BeepEnd)
        return soundsOn_;
    return Shown(field);
}

void RecordingPage::Apply(SettingsStore& settings) const {
    for (int32_t i = 0; i < LaunchButton; ++i)
        settings.SetNumber(kValueNames[i], checked_[i] ? 1 : 0);
    const uint32_t button = CurrentRecordButton();
    if (!IsApplicationButton(button))
        return;
    if (checked_[LaunchButton])
        LaunchProgramFromButton(button, programPath_);
    else
        RestoreButtonCommand(button);
    // Another button left launching the program goes back to its own command.
    for (uint32_t key = kFirstApplicationButton;
         key < kFirstApplicationButton + kApplicationButtonCount; ++key) {
        if (key != button && ButtonLaunchesProgram(key, programPath_))
            RestoreButtonCommand(key);
    }
}

} // namespace tonilo
