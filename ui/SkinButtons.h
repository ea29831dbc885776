#pragma once
// The skin's push buttons as the main window uses them: which button an action
// id names (1205..1211, SortBy 13139), their presses and releases from the
// pointer or from hardware buttons (which show the pushed look themselves), and
// the press-and-hold behind them.
#include <cstdint>

#include "ui/ElementBinding.h"
#include "ui/PressHoldController.h"

namespace tonilo {

class SkinButtons {
public:
    explicit SkinButtons(PressHoldOwner& actions) : hold_(actions) {}

    void Bind(const BoundElements& bound) { bound_ = bound; }
    // Null when the skin has no such button.
    SkinButton* ButtonFor(uint32_t id) const;
    // 0 when the element is none of the bound buttons.
    uint32_t IdOf(const SkinElement* element) const;

    // A bound button's notification (1 pressed, 2 released with the point);
    // false when `from` is none of them. A release off the button cancels.
    bool OnNotify(SkinElement* from, int32_t code, intptr_t point);
    // A hardware button's press or release; false when the action is no skin button.
    bool OnHardware(uint32_t action, bool pressed);
    void OnTimer() { hold_.OnTimer(); }
    // The button's look back to normal (not pushed).
    void ReleaseLook(uint32_t id);

private:
    BoundElements bound_;
    PressHoldController hold_;
};

} // namespace tonilo
