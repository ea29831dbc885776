#include "ui/RecordButtonLaunch.h"

#include <cstdio>

#include "platform/RegistryKey.h"

namespace tonilo {
namespace {

// The default value of a key has no name.
constexpr const char* kCommandValue = "";

} // namespace

std::string ShellButtonKeyPath(uint32_t key) {
    char name[16];
    std::snprintf(name, sizeof name, "40%2x", key);
    return std::string("Software\\Microsoft\\Shell\\Keys\\") + name;
}

bool ButtonLaunchesProgram(uint32_t key, const std::string& programPath) {
    RegistryKey shell(ShellButtonKeyPath(key), HKEY_LOCAL_MACHINE);
    std::string command;
    if (!shell.Open() || !shell.ReadString(kCommandValue, &command, 2 * kMaxPath))
        return false;
    const std::string wanted = "\"" + programPath;
    return command.compare(0, wanted.size(), wanted) == 0;
}

bool LaunchProgramFromButton(uint32_t key, const std::string& programPath) {
    RegistryKey shell(ShellButtonKeyPath(key), HKEY_LOCAL_MACHINE);
    return shell.Open(nullptr, true) &&
           shell.WriteString(kCommandValue, "\"" + programPath + "\" -rec") &&
           shell.WriteString("WndCls", "") && shell.WriteNumber("BtnWnd", 0);
}

void RestoreButtonCommand(uint32_t key) {
    RegistryKey shell(ShellButtonKeyPath(key), HKEY_LOCAL_MACHINE);
    std::string command;
    if (shell.Open() && shell.ReadString("ResetCmd", &command, 2 * kMaxPath))
        shell.WriteString(kCommandValue, command);
}

} // namespace tonilo
