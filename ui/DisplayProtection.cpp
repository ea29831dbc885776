#include "ui/DisplayProtection.h"

#include <algorithm>

#include "app/HardwareButtons.h"
#include "app/SettingsStore.h"
#include "platform/power/Backlight.h"
#include "platform/window/WindowHost.h"

namespace tonilo {
namespace {

enum : uint32_t { kLockAnyButton = 0, kLockArrowsPass = 1, kLockAdvanced = 2 };

bool IsArrowKey(uint32_t key) {
    return key >= 37 && key <= 40; // left, up, right, down
}

} // namespace

int32_t ProtectionScaleFor(int32_t width, int32_t height) {
    return std::min(width, height) >= 480 ? 2 : 1;
}

DisplayProtection::DisplayProtection(WindowHost& host, SettingsStore& settings, Hooks hooks,
                                     Backlight* backlight)
    : host_(host), settings_(settings), hooks_(std::move(hooks)), backlight_(backlight) {}

void DisplayProtection::SetScreen(int32_t width, int32_t height, int32_t scale) {
    width_ = std::max(width, 1);
    height_ = std::max(height, 1);
    scale_ = std::max(scale, 1);
    if (shown_)
        Repaint();
}

uint32_t DisplayProtection::LockSetting() const {
    uint32_t lock = kLockAnyButton;
    settings_.GetNumber("Lock", &lock);
    return lock;
}

void DisplayProtection::TurnOff() {
    if (shown_)
        CloseProtection();
    if (off_)
        return;
    off_ = true;
    if (backlight_)
        backlight_->SwitchOff();
    if (hooks_.turnedOff)
        hooks_.turnedOff();
    host_.SetBlank(true); // also captures the pointer, so a tap anywhere reaches us
}

void DisplayProtection::SwitchOn() {
    off_ = false;
    if (backlight_)
        backlight_->Restore();
    host_.SetBlank(false);
}

bool DisplayProtection::Filter(uint32_t message, uint32_t key) {
    const uint32_t lock = LockSetting();
    if (lock == kLockArrowsPass && IsArrowKey(key))
        return true;
    if (!off_)
        return true;
    if (message == kButtonPressedMessage)
        return false;
    if (message != kButtonReleasedMessage && message != kPenTapMessage)
        return false; // nothing else reaches the window while it is dark
    SwitchOn();
    if (lock == kLockAdvanced) {
        OpenProtection();
    } else if (hooks_.turnedOn) {
        hooks_.turnedOn();
    }
    return false;
}

void DisplayProtection::OpenProtection() {
    shown_ = true;
    stage_ = 0;
    countdown_ = kCountdownStart;
    host_.SetTimer(kProtectionTimer, 1000);
    Repaint();
}

void DisplayProtection::CloseProtection() {
    shown_ = false;
    host_.KillTimer(kProtectionTimer);
    Repaint();
}

void DisplayProtection::Repaint() {
    if (hooks_.repaint)
        hooks_.repaint();
}

bool DisplayProtection::OnTap(int32_t x, int32_t y) {
    if (!shown_)
        return false;
    const int64_t dx = x - CentreX();
    const int64_t dy = y - CentreY();
    const int64_t radius = Radius();
    if (dx * dx + dy * dy > radius * radius)
        return true; // outside the circle: ignored, but still the protection window's
    if (stage_ == 0) {
        stage_ = 1;
        countdown_ = kCountdownStart;
        host_.SetTimer(kProtectionTimer, 1000); // a full second for the new count
        Repaint();
        return true;
    }
    CloseProtection();
    if (hooks_.protectionEnded)
        hooks_.protectionEnded(true);
    return true;
}

bool DisplayProtection::OnTimer(uint32_t id) {
    if (id != kProtectionTimer)
        return false;
    OnTick();
    return true;
}

void DisplayProtection::OnTick() {
    if (!shown_) {
        host_.KillTimer(kProtectionTimer); // a tick that was already on its way
        return;
    }
    if (countdown_ > 0) {
        --countdown_;
        Repaint();
        return;
    }
    CloseProtection();
    if (hooks_.protectionEnded)
        hooks_.protectionEnded(false);
}

void DisplayProtection::OnProtectionEnded(bool unlocked) {
    if (shown_)
        CloseProtection();
    if (unlocked) {
        if (off_)
            SwitchOn();
        if (hooks_.turnedOn)
            hooks_.turnedOn();
        return;
    }
    TurnOff();
}

} // namespace tonilo
