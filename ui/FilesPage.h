#pragma once
// The "Files" page: where recordings go and how they are named. The name
// templates are checked for characters a file name cannot hold before
// anything is stored; the folder is stored as typed.
#include <string>

#include "ui/SettingsPage.h"

namespace tonilo {

class FilesPage : public SettingsPage {
public:
    static constexpr uint32_t kTitle = 32303;
    static constexpr uint32_t kBrowseText = 13121;
    static constexpr uint32_t kHelpButton = 32335;
    static constexpr uint32_t kVariablesHelp = 30139;
    enum Field : int32_t { RecDir, FileName, GotoLast, DateDir, DateDirFormat, kFieldCount };

    static uint32_t Label(Field field) { return 32330 + static_cast<uint32_t>(field); }

    explicit FilesPage(const SettingsStore& settings);

    uint32_t TitleId() const override { return kTitle; }

    const std::string& Text(Field field) const;
    // Text fields only; refused past kTextLimit characters.
    bool SetText(Field field, const std::string& text);
    bool Checked(Field field) const;
    bool SetChecked(Field field, bool checked);
    bool Enabled(Field) const { return true; }
    // "Browse": the folder chosen.
    void BrowseDone(const std::string& folder) { SetText(RecDir, folder); }
    // "?": the template variables.
    static std::string HelpText();

    // FileName, then DateDirFormat: 13052 for a forbidden character.
    uint32_t Validate() override;
    int32_t FocusField() const override { return focus_; }
    void Apply(SettingsStore& settings) const override;

private:
    std::string texts_[kFieldCount];
    bool checked_[kFieldCount] = {};
    int32_t focus_ = -1;
};

} // namespace tonilo
