#include "ui/ToggleMessages.h"

#include <array>

#include "platform/LanguageResources.h"

namespace tonilo {
namespace {

constexpr uint32_t kOnString = 30152;
constexpr uint32_t kOffString = 30153;
constexpr uint32_t kDisplayOffTimeoutString = 30202;
constexpr std::array<uint32_t, 5> kTimeouts{5, 7, 10, 20, 30};

} // namespace

std::string ToggleMessage(uint32_t nameId, bool on) {
    return LoadResourceString(nameId) + ": " + LoadResourceString(on ? kOnString : kOffString);
}

std::string DisplayOffTimeoutMessage(uint32_t seconds) {
    std::string text = LoadResourceString(kDisplayOffTimeoutString) + ": ";
    return text + (seconds == 0 ? LoadResourceString(kOffString) : std::to_string(seconds));
}

uint32_t NextDisplayOffTimeout(uint32_t seconds) {
    size_t index = kTimeouts.size(); // "off" and unknown values
    for (size_t i = 0; i < kTimeouts.size(); ++i)
        if (kTimeouts[i] == seconds)
            index = i;
    size_t next = (index + 1) % (kTimeouts.size() + 1);
    return next == kTimeouts.size() ? 0 : kTimeouts[next];
}

} // namespace tonilo
