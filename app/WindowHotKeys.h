#pragma once
// Hot keys on the desktop: a program cannot take keys from the whole desktop
// the way a handheld's shell hands them over, so a "registered" application
// button is one the program's own window reports as a hot key (WM_HOTKEY on
// press) instead of an ordinary key press.
#include <cstdint>
#include <set>

#include "app/HardwareButtons.h"

namespace tonilo {

class WindowHotKeys : public HotKeyPlatform {
public:
    bool Available() override { return true; }
    bool Register(ButtonOwner*, uint32_t key) override { return registered_.insert(key).second; }
    void Unregister(ButtonOwner*, uint32_t key) override { registered_.erase(key); }
    // For the window's key translation.
    bool IsRegistered(uint32_t key) const { return registered_.count(key) != 0; }

private:
    std::set<uint32_t> registered_;
};

} // namespace tonilo
