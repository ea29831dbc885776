#pragma once
// The "Phone" page, on phone devices only: automatic call recording and where
// and under which name calls are recorded. While automatic recording is off
// the other fields are disabled, neither checked nor stored.
#include <string>

#include "ui/SettingsPage.h"

namespace tonilo {

class PhonePage : public SettingsPage {
public:
    static constexpr uint32_t kTitle = 32304;
    static constexpr uint32_t kHelpButton = 32335;
    static constexpr uint32_t kVariablesHelp = 30139;
    enum Field : int32_t {
        PhoneAutoRec,
        PhonePutInSub,
        PhoneSub,
        PhoneFileName,
        PhoneBackground,
        kFieldCount
    };

    static uint32_t Label(Field field) { return 32340 + static_cast<uint32_t>(field); }

    explicit PhonePage(const SettingsStore& settings);

    uint32_t TitleId() const override { return kTitle; }

    const std::string& Text(Field field) const;
    // Refused for a disabled field, a box, or past kTextLimit characters.
    bool SetText(Field field, const std::string& text);
    bool Checked(Field field) const;
    bool SetChecked(Field field, bool checked);
    bool Enabled(Field field) const;
    static std::string HelpText();

    // PhoneSub, then PhoneFileName, while automatic recording is on: 13052
    // for a forbidden character.
    uint32_t Validate() override;
    int32_t FocusField() const override { return focus_; }
    void Apply(SettingsStore& settings) const override;

private:
    std::string texts_[kFieldCount];
    bool checked_[kFieldCount] = {};
    int32_t focus_ = -1;
};

} // namespace tonilo
