#pragma once
// The menu of the soft-key bar's right key and the sort menu, as models the
// platform window shows. Before the Action menu shows, its checks are set: the
// sleep entry of the stored minutes (any value but 0, 30, 60 and 90 checks "120
// minutes") and "Auto Play Next".
#include <cstdint>

#include "platform/window/WindowHost.h"

namespace tonilo {

Menu BuildActionMenu();
Menu BuildSortMenu();
// The sleep entry checked for these minutes.
uint32_t SleepCommandForMinutes(uint32_t minutes);
// The minutes of a sleep entry (13073..13077).
uint32_t SleepMinutesForCommand(uint32_t command);
// Checks of the Action menu.
void PrepareActionMenu(Menu* menu, uint32_t sleepMinutes, bool autoPlayNext);
// The entry of that id anywhere in the menu; null when there is none.
MenuItem* FindMenuItem(Menu* menu, uint32_t id);
// The submenu titled with that text id's text.
MenuItem* FindSubmenu(Menu* menu, uint32_t textId);
bool ContainsCommand(const Menu& menu, uint32_t id);

} // namespace tonilo
