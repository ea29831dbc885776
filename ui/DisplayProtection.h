#pragma once
// Display off and the wake-up protection: the display state as last set, the
// filter that decides which button presses and taps wake the display, and the
// protection window ("Advanced protection", Lock 2) that wants a tap on a
// top-left circle and then on a bottom-right one before the display stays on.
//
// The window is blanked through the WindowHost (black, no refresh, pointer
// captured) and, where a backlight is given, the backlight is switched off too.
// The protection window is only state here; ProtectionPainter draws it.
//
// Threads: the user-interface thread only.
#include <cstdint>
#include <functional>

namespace tonilo {

class Backlight;
class SettingsStore;
class WindowHost;

// Input the wake filter looks at besides 32769 (pressed) and 32770 (released).
constexpr uint32_t kPenTapMessage = 0x0201;
// The protection window's one-second timer and the message it ends with.
constexpr uint32_t kProtectionTimer = 666;
constexpr uint32_t kProtectionEndedMessage = 1036;
constexpr uint32_t kDisplayOffCommand = 13017;
constexpr uint32_t kDisplayOffTimer = 1225;

class DisplayProtection {
public:
    static constexpr int32_t kCountdownStart = 5;
    static constexpr int32_t kBaseRadius = 75;

    // What the main window does around the display's changes.
    struct Hooks {
        std::function<void()> turnedOff; // suspend refresh, page hidden, tell the application
        std::function<void()> turnedOn;  // restore: refresh, volume, tell the application
        // Message 1036: the protection window ended, unlocked or timed out. The
        // main window answers with OnProtectionEnded (at once or when posted).
        std::function<void(bool unlocked)> protectionEnded;
        // The protection window's picture changed (opened, moved, counted, closed).
        std::function<void()> repaint;
    };

    // `backlight` may be null (only the window is blanked).
    DisplayProtection(WindowHost& host, SettingsStore& settings, Hooks hooks,
                      Backlight* backlight = nullptr);
    DisplayProtection(const DisplayProtection&) = delete;
    DisplayProtection& operator=(const DisplayProtection&) = delete;

    // The screen the protection window covers, in window pixels, and the scale
    // of its circles (1, or 2 on high-resolution screens).
    void SetScreen(int32_t width, int32_t height, int32_t scale);

    // Command 13017 and timer 1225. Also closes a protection window.
    void TurnOff();
    bool IsOff() const { return off_; }

    // The wake filter, for 32769, 32770 and kPenTapMessage while the display is
    // off: true when the input goes on to its normal action.
    bool Filter(uint32_t message, uint32_t key);

    // The protection window, while it shows. The display counts as on then, so
    // the filter lets buttons through; taps go to OnTap first and the window
    // draws ProtectionPainter's picture instead of the skin.
    bool ProtectionShown() const { return shown_; }
    // A tap in window pixels; true when the protection window took it.
    bool OnTap(int32_t x, int32_t y);
    // True when the timer was the protection window's (then it is a tick).
    bool OnTimer(uint32_t id);
    // One second of the countdown; at 0 the window ends as timed out.
    void OnTick();
    // The main window's answer to 1036: unlocked leaves the display on and the
    // window restored; timed out switches it off again.
    void OnProtectionEnded(bool unlocked);

    int32_t Countdown() const { return countdown_; }
    int32_t Stage() const { return stage_; }
    int32_t Radius() const { return kBaseRadius * scale_; }
    int32_t CentreX() const { return stage_ == 0 ? 0 : width_ - 1; }
    int32_t CentreY() const { return stage_ == 0 ? 0 : height_ - 1; }
    int32_t ScreenWidth() const { return width_; }
    int32_t ScreenHeight() const { return height_; }
    int32_t Scale() const { return scale_; }

private:
    uint32_t LockSetting() const;
    void SwitchOn();
    void OpenProtection();
    void CloseProtection();
    void Repaint();

    WindowHost& host_;
    SettingsStore& settings_;
    Hooks hooks_;
    Backlight* backlight_;
    bool off_ = false;
    bool shown_ = false;
    int32_t countdown_ = kCountdownStart;
    int32_t stage_ = 0;
    int32_t width_ = 240;
    int32_t height_ = 320;
    int32_t scale_ = 1;
};

// 2 where a screen's shorter side has 480 pixels or more, else 1.
int32_t ProtectionScaleFor(int32_t width, int32_t height);

} // namespace tonilo
