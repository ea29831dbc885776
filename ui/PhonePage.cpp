#include "ui/PhonePage.h"

#include "app/RecordingNamer.h"
#include "app/SettingsStore.h"
#include "platform/LanguageResources.h"

namespace tonilo {
namespace {

const char* const kValueNames[PhonePage::kFieldCount] = {
    "PhoneAutoRec", "PhonePutInSub", "PhoneSub", "PhoneFileName", "PhoneBackground"};

bool IsText(PhonePage::Field field) {
    return field == PhonePage::PhoneSub || field == PhonePage::PhoneFileName;
}

bool Valid(PhonePage::Field field) {
    return field >= 0 && field < PhonePage::kFieldCount;
}

constexpr uint32_t kForbiddenCharacters = 13052;

} // namespace

PhonePage::PhonePage(const SettingsStore& settings) {
    LoadPageFields(settings, kValueNames, IsText, texts_, checked_);
}

const std::string& PhonePage::Text(Field field) const {
    static const std::string none;
    return Valid(field) && IsText(field) ? texts_[field] : none;
}

bool PhonePage::SetText(Field field, const std::string& text) {
    return Valid(field) && IsText(field) && Enabled(field) && SetLimitedText(&texts_[field], text);
}

bool PhonePage::Checked(Field field) const {
    return Valid(field) && !IsText(field) && checked_[field];
}

bool PhonePage::SetChecked(Field field, bool checked) {
    if (!Valid(field) || IsText(field) || !Enabled(field))
        return false;
    checked_[field] = checked;
    return true;
}

bool PhonePage::Enabled(Field field) const {
    return Valid(field) && (field == PhoneAutoRec || checked_[PhoneAutoRec]);
}

std::string PhonePage::HelpText() {
    return LoadResourceString(kVariablesHelp);
}

uint32_t PhonePage::Validate() {
    focus_ = -1;
    if (!checked_[PhoneAutoRec])
        return 0;
    for (Field field : {PhoneSub, PhoneFileName}) {
        if (!ValidateName(texts_[field], false)) {
            focus_ = field;
            return kForbiddenCharacters;
        }
    }
    return 0;
}

void PhonePage::Apply(SettingsStore& settings) const {
    settings.SetNumber(kValueNames[PhoneAutoRec], checked_[PhoneAutoRec] ? 1 : 0);
    if (!checked_[PhoneAutoRec])
        return;
    for (int32_t i = PhonePutInSub; i < kFieldCount; ++i) {
        const Field field = static_cast<Field>(i);
        if (IsText(field))
            settings.SetString(kValueNames[i], texts_[i].c_str());
        else
            settings.SetNumber(kValueNames[i], checked_[i] ? 1 : 0);
    }
}

} // namespace tonilo
