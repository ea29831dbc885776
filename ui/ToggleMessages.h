#pragma once
// The short texts the window shows in its info line when a setting is flipped
// from a button: "Noise filter: on", "Display Off Timeout: 10".
#include <cstdint>
#include <string>

namespace tonilo {

// The string of nameId, ": " and "on" or "off".
std::string ToggleMessage(uint32_t nameId, bool on);
// "Display Off Timeout: off" for 0, else with the seconds.
std::string DisplayOffTimeoutMessage(uint32_t seconds);
// The next display-off timeout after `seconds`: 5, 7, 10, 20, 30, then 0 (off);
// from off or a value not in that list, 5.
uint32_t NextDisplayOffTimeout(uint32_t seconds);

} // namespace tonilo
