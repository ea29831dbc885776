#include "ui/DisplayPage.h"

#include "app/SettingsStore.h"

namespace tonilo {

const std::vector<uint32_t>& DisplayPage::OfferedSeconds() {
    static const std::vector<uint32_t> seconds = {5, 7, 10, 20, 30};
    return seconds;
}

DisplayPage::DisplayPage(const SettingsStore& settings) {
    uint32_t lock = 0;
    settings.GetNumber("Lock", &lock);
    // An unknown mode acts as the plain one, so the page shows that.
    lock_ = lock <= 2 ? lock : 0;
    uint32_t after = 0;
    settings.GetNumber("TurnOffAfter", &after);
    turnOff_ = after != 0;
    // A time the list lacks shows as the next longer one (the longest at most).
    const std::vector<uint32_t>& offered = OfferedSeconds();
    secondsIndex_ = offered.size() - 1;
    for (size_t i = 0; i < offered.size(); ++i) {
        if (after <= offered[i]) {
            secondsIndex_ = i;
            break;
        }
    }
}

bool DisplayPage::SetLockMode(uint32_t lock) {
    if (lock > 2)
        return false;
    lock_ = lock;
    return true;
}

bool DisplayPage::SelectSeconds(size_t index) {
    if (!turnOff_ || index >= OfferedSeconds().size())
        return false;
    secondsIndex_ = index;
    return true;
}

void DisplayPage::Apply(SettingsStore& settings) const {
    settings.SetNumber("Lock", lock_);
    settings.SetNumber("TurnOffAfter", turnOff_ ? OfferedSeconds()[secondsIndex_] : 0);
}

} // namespace tonilo
