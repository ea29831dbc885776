#pragma once
// The main window on a desktop or phone display: the SDL window with its
// overlay, the skin system with text through SDL2_ttf, and the main window's
// logic on top. Made by the program's entry for the application object.
#include <memory>

#include "app/ProgramWindow.h"

namespace tonilo {

// Null when there is no display to show a window on (no video driver, or only
// the offscreen and dummy drivers) or no skin can be loaded.
std::unique_ptr<ProgramWindow> MakeDesktopWindow(const ProgramWindowContext& context);

} // namespace tonilo
