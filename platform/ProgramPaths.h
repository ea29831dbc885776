#pragma once
// Where the program and its files live. The program folder is the folder of the
// running executable (tonilo and tonilo-tool sit side by side), with Codecs/,
// Lang/ and Skins/ inside; its name makes the settings key.
#include <string>

namespace tonilo {

std::string ExecutablePath();
std::string ProgramFolder();
// Tests and tools run from elsewhere point the program at a program folder.
void SetProgramFolder(const std::string& folder);
// "Tonilo" for .../Tonilo; the settings key is "\Software\Zelto\" + this name.
std::string ProgramFolderName();
std::string CodecsFolder();
// Files kept beside the program (bookmarks, schedule): the program folder when it
// is writable, else $XDG_DATA_HOME/tonilo (~/.local/share/tonilo), created on demand.
std::string DataFolder();
// $XDG_CONFIG_HOME, else ~/.config: settings, autostart entries, user units.
std::string ConfigHomeFolder();
// The user's documents folder: `xdg-user-dir DOCUMENTS`, else ~/Documents.
std::string DocumentsFolder();

} // namespace tonilo
