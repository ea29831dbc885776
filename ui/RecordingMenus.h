#pragma once
// The recording list's menus, built afresh each time one opens: the sort menu,
// the View submenu (Mode, Show Folders, Show Column), the file commands of the
// context menu and of the Action menu's "Files" ("File") submenu, and the
// Action menu's browse item.
#include <string>
#include <vector>

#include "platform/window/WindowHost.h"
#include "ui/RecordingEntries.h"

namespace tonilo {

struct RecordingMenuState {
    bool showFolders = false;
    SortKey sort = SortKey::Name;
    SecondColumn column = SecondColumn::None;
    ListMode mode = ListMode::Details;
    // The list lives on a files page that is not open: the commands act on
    // the current file.
    bool currentFileMode = false;
    bool fileOpen = false; // a file is open for playback
};

Menu SortMenu(SortKey key);
MenuItem ViewMenu(const RecordingMenuState& state);
// The file commands for these items (the selection, or the current file).
// "Send To" appears only where xdg-email is installed, and only with "E-mail / MMS".
Menu FileMenuItems(const std::vector<std::string>& items, const RecordingMenuState& state);
// Fills the "Files" submenu ("File" in current-file mode, enabled only while a
// file is open for playback), replacing its previous items.
void FillFilesSubmenu(MenuItem* files, const std::vector<std::string>& items,
                      const RecordingMenuState& state);
// "Browse Folder" (13119), or "Browse" (13121) in current-file mode.
MenuItem BrowseItem(bool currentFileMode);

} // namespace tonilo
