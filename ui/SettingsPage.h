#pragma once
// One page of the "Settings" property sheet apart from its drawing. A page
// copies its values out of the settings when it is made and writes them back
// only from Apply, so a cancelled sheet leaves the table untouched.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/SettingsStore.h"

namespace tonilo {

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

// Fills a page of text fields and check boxes from the table: field i is the
// value names[i], a text (cut at kTextLimit) where isText(i), else a box.
template <typename Field, size_t N>
void LoadPageFields(const SettingsStore& settings, const char* const (&names)[N],
                    bool (*isText)(Field), std::string (&texts)[N], bool (&checked)[N]) {
    for (size_t i = 0; i < N; ++i) {
        if (isText(static_cast<Field>(i))) {
            settings.GetString(names[i], &texts[i]);
            if (texts[i].size() > SettingsPage::kTextLimit)
                texts[i].resize(SettingsPage::kTextLimit);
        } else {
            uint32_t value = 0;
            settings.GetNumber(names[i], &value);
            checked[i] = value != 0;
        }
    }
}

} // namespace tonilo
