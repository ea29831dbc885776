#include "ui/ButtonsPage.h"

#include "platform/LanguageResources.h"

namespace tonilo {

// The copy only keeps a table; it never takes a button from the desktop.
class ButtonsPage::NoHotKeys : public HotKeyPlatform {
public:
    bool Available() override { return false; }
    bool Register(ButtonOwner*, uint32_t) override { return false; }
    void Unregister(ButtonOwner*, uint32_t) override {}
};

ButtonsPage::ButtonsPage(HardwareButtons& manager)
    : manager_(manager), noHotKeys_(std::make_unique<NoHotKeys>()),
      copy_(std::make_unique<HardwareButtons>(*noHotKeys_)) {
    copy_->Init();
    copy_->Deserialise(manager_.Serialise());
}

ButtonsPage::~ButtonsPage() = default;

size_t ButtonsPage::RowCount() const {
    return ButtonActions().size();
}

std::string ButtonsPage::ActionText(size_t row) const {
    return row < RowCount() ? LoadResourceString(ButtonActions()[row].action) : std::string();
}

uint32_t ButtonsPage::KeyForAction(uint32_t action) const {
    uint32_t key = 0;
    return copy_->KeyForAction(action, &key) ? key : 0;
}

uint32_t ButtonsPage::KeyOf(size_t row) const {
    return row < RowCount() ? KeyForAction(ButtonActions()[row].action) : 0;
}

std::string ButtonsPage::ButtonText(size_t row) const {
    const uint32_t key = KeyOf(row);
    if (key == 0)
        return LoadResourceString(kNoButtonText);
    const std::string name = KeyName(key);
    return name.empty() ? LoadResourceString(kAssignedText) : name;
}

void ButtonsPage::ResetAll() {
    for (const ButtonAction& row : ButtonActions())
        copy_->Assign(row.action, 0);
}

void ButtonsPage::RestoreDefaults() {
    copy_->ApplyDefaults(ButtonActions());
}

bool ButtonsPage::AssignRow(size_t row, uint32_t key) {
    if (row >= RowCount())
        return false;
    copy_->Assign(ButtonActions()[row].action, key);
    return true;
}

void ButtonsPage::Apply(SettingsStore&) const {
    manager_.ReleaseAll();
    manager_.Deserialise(copy_->Serialise());
    manager_.RegisterAssigned();
    manager_.SaveAssignments();
}

ButtonCapture::ButtonCapture(HardwareButtons& manager, uint32_t action,
                             std::function<void(uint32_t key)> captured)
    : manager_(manager), previous_(manager.SetOwner(this)), action_(action),
      captured_(std::move(captured)) {
    manager_.CaptureAll();
}

ButtonCapture::~ButtonCapture() {
    manager_.ResetPressed();
    manager_.ReleaseUnassigned();
    manager_.SetOwner(previous_);
}

std::string ButtonCapture::Prompt() {
    return LoadResourceString(kPromptText);
}

std::string ButtonCapture::ActionLabel() const {
    return "\"" + LoadResourceString(action_) + "\"";
}

uintptr_t ButtonCapture::SendButtonMessage(uint32_t message, uint32_t key, uint32_t) {
    if (message == kButtonPressedMessage && !done_) {
        done_ = true;
        key_ = key;
        if (captured_)
            captured_(key);
    }
    return 1;
}

} // namespace tonilo
