#pragma once
// The three registry notifications that start the program with the call verbs
// as the phone state changes.
#include <cstdint>
#include <string>

namespace tonilo {

constexpr const char* kPhoneStateKey = "System\\State\\Phone";
constexpr const char* kActiveCallCountValue = "Active Call Count";
constexpr const char* kPhoneStatusValue = "Status";
constexpr uint32_t kPhoneStatusTalking = 0x20000000u;

// Registers "Tonilo-callprepare", "Tonilo-callstart" and "Tonilo-callstop" for
// the program at `programPath`. Succeeds when all three are registered or were
// already; otherwise removes all three and fails.
bool RegisterCallNotifications(const std::string& programPath);
// Succeeds when all three are removed or none was registered.
bool UnregisterCallNotifications();

} // namespace tonilo
