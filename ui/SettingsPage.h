#pragma once
// One page of the "Settings" property sheet apart from its drawing. A page
// copies its values out of the settings when it is made and writes them back
// only from Apply, so a cancelled sheet leaves the table untouched.
#include <cstddef>
#include <cstdint>
#include <string>

namespace tonilo {

class SettingsStore;

class SettingsPage {
public:
    // Characters a text field takes: the settings read strings into buffers
    // of 260 with the terminator.
    static constexpr size_t kTextLimit = 259;

    virtual ~SettingsPage() = default;

    // The string-table id of the page's tab.
    virtual uint32_t TitleId() const = 0;
    // 0 when Apply may store the page; else the id of the message shown (it is
    // in the error log too) while the page stays open on FocusField() with
    // its text selected.
    virtual uint32_t Validate() { return 0; }
    virtual int32_t FocusField() const { return -1; }
    // Writes the page into the table (in memory; the sheet saves).
    virtual void Apply(SettingsStore& settings) const = 0;
};

// A text field's edit: refused (false, nothing changed) past kTextLimit.
inline bool SetLimitedText(std::string* field, const std::string& text) {
    if (text.size() > SettingsPage::kTextLimit)
        return false;
    *field = text;
    return true;
}

} // namespace tonilo
