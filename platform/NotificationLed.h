#pragma once
// The notification LED: /sys/class/leds/<name>, blinking through the "timer"
// trigger, off with brightness 0. With no name, or no such LED, nothing happens.
#include <string>

namespace tonilo {

class NotificationLed {
public:
    // `ledsFolder` is /sys/class/leds except in tests.
    explicit NotificationLed(std::string name, std::string ledsFolder = "/sys/class/leds");

    bool Present() const;
    // Both false when there is no LED or the kernel refused the value.
    bool Blink();
    bool Off();

private:
    bool Write(const char* file, const char* value) const;

    std::string folder_;
};

} // namespace tonilo
