#pragma once
// The screen's backlight through the kernel's backlight class
// (/sys/class/backlight/<device>/brightness): switched off while the display is
// off and given back its former brightness afterwards. Only phones and some
// laptops have one a user may write; elsewhere every call quietly fails and the
// window is only blanked.
//
// Threads: the user-interface thread.
#include <cstdint>
#include <string>

namespace tonilo {

class Backlight {
public:
    // `classFolder` holds one folder per backlight device; the first (by name)
    // whose brightness this user may write is used.
    explicit Backlight(std::string classFolder = "/sys/class/backlight");
    // Gives the brightness back if it is still off.
    ~Backlight();
    Backlight(const Backlight&) = delete;
    Backlight& operator=(const Backlight&) = delete;

    bool Available() const { return !brightnessFile_.empty(); }
    // Remembers the brightness and writes 0. False without a device or when the
    // write failed.
    bool SwitchOff();
    // Writes the remembered brightness back; false when it is not off.
    bool Restore();
    bool IsOff() const { return off_; }
    const std::string& Device() const { return device_; }

private:
    std::string device_;
    std::string brightnessFile_;
    uint32_t saved_ = 0;
    bool off_ = false;
};

} // namespace tonilo
