#pragma once
// What the pieces of other windows do for the main window: the recording list,
// the bookmarks and the dialogs. Each command hook returns whether it took the
// command; an unset hook leaves the command without a visible effect.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/window/WindowHost.h"

namespace tonilo {

struct BoundElements;

struct MainWindowSeams {
    // Offered every command first (the recording list).
    std::function<bool(uint32_t command)> listCommand;
    // Previous (-1) or next (+1) recording; false when there is no list.
    std::function<bool(int32_t direction, bool autoPlayNext)> listStep;
    // The list's part of the Action menu ("Files" submenu) and the sort menu.
    std::function<void(Menu* menu)> listMenu;
    // A file became current (selected, folder changed); the folder must be read again.
    std::function<void(const std::string& path)> listCurrentFile;
    std::function<void()> listRefresh;
    // Shell changes (33025) and the protection window's end (1036).
    std::function<void(uint32_t message, uintptr_t w, intptr_t l)> listMessage;
    // What plays, for the desktop's media controls: status 0 stopped, 1 playing,
    // 2 paused; an empty path means nothing is open.
    std::function<void(int32_t status, const std::string& path, int64_t lengthMs)> playback;
    // The dialogs (settings, filters, equalizer, scheduler, about ...).
    std::function<bool(uint32_t command)> dialog;
    // After every skin load: the list and the track bar's marks bind again.
    std::function<void(const BoundElements& bound)> bind;
};

} // namespace tonilo
