#include "platform/power/Backlight.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace tonilo {
namespace {

bool ReadNumber(const std::string& path, uint32_t* value) {
    std::ifstream in(path);
    long long number = -1;
    if (!(in >> number) || number < 0 || number > 0x7FFFFFFF)
        return false;
    *value = static_cast<uint32_t>(number);
    return true;
}

bool WriteNumber(const std::string& path, uint32_t value) {
    // Sysfs takes the number in one write; the stream is flushed by close.
    std::ofstream out(path, std::ios::trunc);
    out << value << '\n';
    out.close();
    return !out.fail();
}

} // namespace

Backlight::Backlight(std::string classFolder) {
    std::error_code error;
    std::vector<std::string> devices;
    for (const auto& entry : std::filesystem::directory_iterator(classFolder, error))
        devices.push_back(entry.path().filename().string());
    std::sort(devices.begin(), devices.end());
    for (const std::string& device : devices) {
        std::string file = classFolder + "/" + device + "/brightness";
        uint32_t value = 0;
        if (ReadNumber(file, &value) && ::access(file.c_str(), W_OK) == 0) {
            device_ = device;
            brightnessFile_ = file;
            break;
        }
    }
}

Backlight::~Backlight() {
    Restore();
}

bool Backlight::SwitchOff() {
    if (!Available())
        return false;
    if (off_)
        return true;
    uint32_t value = 0;
    if (!ReadNumber(brightnessFile_, &value))
        return false;
    saved_ = value;
    if (!WriteNumber(brightnessFile_, 0))
        return false;
    off_ = true;
    return true;
}

bool Backlight::Restore() {
    if (!off_)
        return false;
    off_ = false;
    return WriteNumber(brightnessFile_, saved_);
}

} // namespace tonilo
