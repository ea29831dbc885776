#include "ui/RecordingPage.h"

#include "app/SettingsStore.h"
#include "platform/RegistryKey.h"

namespace tonilo {
namespace {

const char* const kValueNames[RecordingPage::kFieldCount] = {"BeepBegin", "BeepEnd", "FlashLED",
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

RecordingPage::RecordingPage(const SettingsStore& settings, uint32_t soundFlags)
    : soundsOn_(EventSoundsOn(soundFlags)) {
    for (int32_t i = 0; i < kFieldCount; ++i) {
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

bool RecordingPage::Enabled(Field field) const {
    if (field == BeepBegin || field == BeepEnd)
        return soundsOn_;
    return field >= 0 && field < kFieldCount;
}

void RecordingPage::Apply(SettingsStore& settings) const {
    for (int32_t i = 0; i < kFieldCount; ++i)
        settings.SetNumber(kValueNames[i], checked_[i] ? 1 : 0);
}

} // namespace tonilo
