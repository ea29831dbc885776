#pragma once
// Launching the program with "-rec" from an application button: the
// desktop's key table under HKEY_LOCAL_MACHINE "Software\Microsoft\Shell\Keys"
// holds, per button, the command the button starts (the key's default
// value) and the command to go back to ("ResetCmd").
#include <cstdint>
#include <string>

namespace tonilo {

// "Software\Microsoft\Shell\Keys\40c1" for application button 193.
std::string ShellButtonKeyPath(uint32_t key);
// Whether the button's command starts this program: it begins with a double
// quote and the program's path.
bool ButtonLaunchesProgram(uint32_t key, const std::string& programPath);
// The button starts "\"PROGRAM\" -rec".
bool LaunchProgramFromButton(uint32_t key, const std::string& programPath);
// The button's own command back, when it left one in "ResetCmd".
void RestoreButtonCommand(uint32_t key);

} // namespace tonilo
