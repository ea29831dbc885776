#include "platform/NotificationLed.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

namespace tonilo {

NotificationLed::NotificationLed(std::string name, std::string ledsFolder) {
    // A name is one folder entry, never a way out of the LED folder.
    if (!name.empty() && name.find('/') == std::string::npos && name != "." && name != "..")
        folder_ = ledsFolder + "/" + name;
}

bool NotificationLed::Present() const {
    return !folder_.empty() && ::access((folder_ + "/brightness").c_str(), W_OK) == 0;
}

bool NotificationLed::Blink() {
    return Present() && Write("trigger", "timer");
}

bool NotificationLed::Off() {
    return Present() && Write("trigger", "none") && Write("brightness", "0");
}

bool NotificationLed::Write(const char* file, const char* value) const {
    int fd = ::open((folder_ + "/" + file).c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    size_t length = std::strlen(value);
    bool written = ::write(fd, value, length) == static_cast<ssize_t>(length);
    ::close(fd);
    return written;
}

} // namespace tonilo
