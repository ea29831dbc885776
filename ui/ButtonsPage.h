#pragma once
// The "Buttons" page: which hardware button runs which action. The page
// edits a copy of the manager's table; OK puts the copy into the manager,
// re-registers the application buttons and stores the table, Cancel drops
// it. The capture dialog borrows the live manager to catch one press.
#include <functional>
#include <memory>
#include <string>

#include "app/HardwareButtons.h"
#include "ui/SettingsPage.h"

namespace tonilo {

class ButtonsPage : public SettingsPage {
public:
    static constexpr uint32_t kTitle = 32306;
    static constexpr uint32_t kActionColumn = 32380;
    static constexpr uint32_t kButtonColumn = 32381;
    static constexpr uint32_t kAssignedText = 32382;
    static constexpr uint32_t kNoButtonText = 32383;
    static constexpr uint32_t kResetAllText = 32384;
    static constexpr uint32_t kRestoreDefaultsText = 32385;

    // The manager must outlive the page.
    explicit ButtonsPage(HardwareButtons& manager);
    ~ButtonsPage() override;

    uint32_t TitleId() const override { return kTitle; }

    // One row per action, in the table's order.
    size_t RowCount() const;
    std::string ActionText(size_t row) const;
    // The key's name, "Assigned" for a key without one, "<no button>".
    std::string ButtonText(size_t row) const;
    // The key of the row's action in the copy; 0 for none.
    uint32_t KeyOf(size_t row) const;
    // The key of an action in the copy; 0 for none.
    uint32_t KeyForAction(uint32_t action) const;

    void ResetAll();
    void RestoreDefaults();
    // The capture dialog's outcome for a row: a key assigns it, 0 removes
    // the row's button.
    bool AssignRow(size_t row, uint32_t key);

    // OK: the copy becomes the manager's table and is stored.
    void Apply(SettingsStore& settings) const override;

private:
    class NoHotKeys;
    HardwareButtons& manager_;
    std::unique_ptr<NoHotKeys> noHotKeys_;
    std::unique_ptr<HardwareButtons> copy_;
};

// The capture dialog: "Press button for" and the action's label in double
// quotes. While it is open it owns the manager with every application button
// taken, so the first press of any key reaches it; closing gives the manager
// back to the window that had it, with the captured key's release dropped so
// the window does not run that key's old action.
class ButtonCapture : public ButtonOwner {
public:
    static constexpr uint32_t kPromptText = 32386;
    static constexpr uint32_t kResetText = 32387;

    // `captured` hears of the press the moment it comes.
    ButtonCapture(HardwareButtons& manager, uint32_t action,
                  std::function<void(uint32_t key)> captured = nullptr);
    ~ButtonCapture() override;
    ButtonCapture(const ButtonCapture&) = delete;
    ButtonCapture& operator=(const ButtonCapture&) = delete;

    // "Press button for" and "\"Next recording\"".
    static std::string Prompt();
    std::string ActionLabel() const;

    // The message loop's messages go through here first; false when the
    // manager swallowed the message.
    bool PreTranslate(const ButtonMessage& message) { return manager_.PreTranslate(message); }
    // A key was pressed: the dialog closes with it.
    bool Done() const { return done_; }
    uint32_t CapturedKey() const { return key_; }

    uintptr_t SendButtonMessage(uint32_t message, uint32_t key, uint32_t action) override;
    void PostCommand(uint32_t, uint32_t) override {}
    void PostKeyMessage(const ButtonMessage&) override {}

private:
    HardwareButtons& manager_;
    ButtonOwner* previous_;
    uint32_t action_;
    std::function<void(uint32_t)> captured_;
    bool done_ = false;
    uint32_t key_ = 0;
};

} // namespace tonilo
