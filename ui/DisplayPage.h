#pragma once
// The "Display" page: how the buttons act while the display is off, and
// after how many seconds of recording or playback it goes off.
#include <vector>

#include "ui/SettingsPage.h"

namespace tonilo {

class DisplayPage : public SettingsPage {
public:
    static constexpr uint32_t kTitle = 32305;
    static constexpr uint32_t kTurnOffLabel = 32353;
    static constexpr uint32_t kSecondsText = 32354;
    enum Field : int32_t { Lock, TurnOffBox, TurnOffSeconds };

    // The three radio buttons, Lock 0..2.
    static uint32_t LockLabel(uint32_t lock) { return 32350 + lock; }
    // The seconds the list offers: 5, 7, 10, 20, 30.
    static const std::vector<uint32_t>& OfferedSeconds();

    explicit DisplayPage(const SettingsStore& settings);

    uint32_t TitleId() const override { return kTitle; }

    uint32_t LockMode() const { return lock_; }
    bool SetLockMode(uint32_t lock);
    // "Turn the display off after".
    bool TurnOff() const { return turnOff_; }
    void SetTurnOff(bool on) { turnOff_ = on; }
    // Index into OfferedSeconds().
    size_t SecondsIndex() const { return secondsIndex_; }
    bool SelectSeconds(size_t index);
    // The list follows the box.
    bool Enabled(Field field) const { return field != TurnOffSeconds || turnOff_; }

    // TurnOffAfter is 0 while the box is cleared.
    void Apply(SettingsStore& settings) const override;

private:
    uint32_t lock_ = 0;
    bool turnOff_ = false;
    size_t secondsIndex_ = 0;
};

} // namespace tonilo
