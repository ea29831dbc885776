#include "ui/FilesPage.h"

#include "app/RecordingNamer.h"
#include "app/SettingsStore.h"
#include "platform/LanguageResources.h"

namespace tonilo {
namespace {

const char* const kValueNames[FilesPage::kFieldCount] = {"RecDir", "FileName", "GotoLast",
                                                         "DateDir", "DateDirFormat"};

bool IsText(FilesPage::Field field) {
    return field == FilesPage::RecDir || field == FilesPage::FileName ||
           field == FilesPage::DateDirFormat;
}

bool IsBox(FilesPage::Field field) {
    return field == FilesPage::GotoLast || field == FilesPage::DateDir;
}

// The name error without the backslash allowed.
constexpr uint32_t kForbiddenCharacters = 13052;

} // namespace

FilesPage::FilesPage(const SettingsStore& settings) {
    LoadPageFields(settings, kValueNames, IsText, texts_, checked_);
}

const std::string& FilesPage::Text(Field field) const {
    static const std::string none;
    return field >= 0 && field < kFieldCount && IsText(field) ? texts_[field] : none;
}

bool FilesPage::SetText(Field field, const std::string& text) {
    return field >= 0 && field < kFieldCount && IsText(field) &&
           SetLimitedText(&texts_[field], text);
}

bool FilesPage::Checked(Field field) const {
    return field >= 0 && field < kFieldCount && IsBox(field) && checked_[field];
}

bool FilesPage::SetChecked(Field field, bool checked) {
    if (field < 0 || field >= kFieldCount || !IsBox(field))
        return false;
    checked_[field] = checked;
    return true;
}

std::string FilesPage::HelpText() {
    return LoadResourceString(kVariablesHelp);
}

uint32_t FilesPage::Validate() {
    focus_ = -1;
    for (Field field : {FileName, DateDirFormat}) {
        if (!ValidateName(texts_[field], false)) {
            focus_ = field;
            return kForbiddenCharacters;
        }
    }
    return 0;
}

void FilesPage::Apply(SettingsStore& settings) const {
    for (int32_t i = 0; i < kFieldCount; ++i) {
        const Field field = static_cast<Field>(i);
        if (IsText(field))
            settings.SetString(kValueNames[i], texts_[i].c_str());
        else
            settings.SetNumber(kValueNames[i], checked_[i] ? 1 : 0);
    }
}

} // namespace tonilo
