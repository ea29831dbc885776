#include "ui/SettingsSheet.h"

#include "app/SettingsStore.h"

namespace tonilo {

SettingsSheet::SettingsSheet(SettingsStore& settings, SettingsSheetSetup setup)
    : settings_(settings), keyPath_(std::move(setup.keyPath)),
      input_(settings, setup.registry, setup.documents, std::move(setup.freeSpace)),
      buttons_(setup.buttons ? std::make_unique<ButtonsPage>(*setup.buttons) : nullptr),
      recording_(
          settings, setup.soundFlags, [this] { return RecordButton(); }, setup.programPath),
      files_(settings), display_(settings) {
    if (setup.phoneDevice)
        phone_ = std::make_unique<PhonePage>(settings);
    pages_ = {&input_, &recording_, &files_};
    if (phone_)
        pages_.push_back(phone_.get());
    pages_.push_back(&display_);
    if (buttons_)
        pages_.push_back(buttons_.get());
}

uint32_t SettingsSheet::RecordButton() const {
    constexpr uint32_t kStartPauseRecording = 1205;
    return buttons_ ? buttons_->KeyForAction(kStartPauseRecording) : 0;
}

SettingsOutcome SettingsSheet::Ok() {
    refused_ = nullptr;
    refusal_ = 0;
    for (SettingsPage* page : pages_) {
        const uint32_t message = page->Validate();
        if (message != 0) {
            refused_ = page;
            refusal_ = message;
            return SettingsOutcome::Refused;
        }
    }
    for (SettingsPage* page : pages_)
        page->Apply(settings_);
    return settings_.Save(keyPath_.c_str()) ? SettingsOutcome::Saved : SettingsOutcome::NotSaved;
}

} // namespace tonilo
