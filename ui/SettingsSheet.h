#pragma once
// The "Settings" property sheet apart from its drawing: its pages in order
// ("Input", "Recording", "Files", "Phone" on phone devices, "Display",
// "Buttons" when there is a hardware-button manager) and
// what OK and Cancel do. OK checks every page first and stores nothing when
// one refuses; then all pages go into the table and the table into the
// registry. Cancel stores nothing at all.
#include <memory>
#include <string>
#include <vector>

#include "ui/ButtonsPage.h"
#include "ui/DisplayPage.h"
#include "ui/FilesPage.h"
#include "ui/InputPage.h"
#include "ui/PhonePage.h"
#include "ui/RecordingPage.h"

namespace tonilo {

class FormatRegistry;

struct SettingsSheetSetup {
    FormatRegistry* registry = nullptr; // must outlive the sheet
    std::string keyPath;                // where the settings are saved
    std::string documents;              // the user's documents folder
    bool phoneDevice = false;           // shows the "Phone" page
    uint32_t soundFlags = 2;            // RecordingPage::ReadSoundFlags()
    FolderSpaceQuery freeSpace;         // null: the file system
    HardwareButtons* buttons = nullptr; // shows the "Buttons" page; outlives the sheet
    std::string programPath;            // what the record button launches
};

enum class SettingsOutcome {
    Saved,    // the table was stored and saved: apply it
    Refused,  // a page refused: show RefusedPage(), its message and field
    NotSaved, // the table holds the pages, but the registry refused them
};

class SettingsSheet {
public:
    static constexpr uint32_t kTitle = 32300;
    // The message when the registry refuses the settings.
    static constexpr uint32_t kNotSavedText = 31012;

    SettingsSheet(SettingsStore& settings, SettingsSheetSetup setup);

    // The pages in tab order.
    const std::vector<SettingsPage*>& Pages() const { return pages_; }
    InputPage& Input() { return input_; }
    RecordingPage& Recording() { return recording_; }
    FilesPage& Files() { return files_; }
    // Null on devices without a phone.
    PhonePage* Phone() { return phone_.get(); }
    DisplayPage& Display() { return display_; }
    // Null without a hardware-button manager.
    ButtonsPage* Buttons() { return buttons_.get(); }

    SettingsOutcome Ok();
    // After a refusal: the page to bring forward, the message and the field.
    SettingsPage* RefusedPage() const { return refused_; }
    uint32_t RefusalMessage() const { return refusal_; }
    // Drops every edit; the table and the registry stay as they were.
    void Cancel() {}

private:
    // The key "Start/pause rec." is on in the "Buttons" page.
    uint32_t RecordButton() const;

    SettingsStore& settings_;
    std::string keyPath_;
    InputPage input_;
    std::unique_ptr<ButtonsPage> buttons_; // before the recording page, which asks it
    RecordingPage recording_;
    FilesPage files_;
    std::unique_ptr<PhonePage> phone_;
    DisplayPage display_;
    std::vector<SettingsPage*> pages_;
    SettingsPage* refused_ = nullptr;
    uint32_t refusal_ = 0;
};

} // namespace tonilo
