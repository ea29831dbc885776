#pragma once
// Deleting into the freedesktop trash, so the desktop's file manager can show
// and restore what the recording list deleted. Items on the home file system go
// to $XDG_DATA_HOME/Trash (~/.local/share/Trash); items on another file system
// go to that file system's $topdir/.Trash-$uid. Each item gets an info file,
// info/NAME.trashinfo, holding the original path (percent-escaped) and the
// deletion time; the name is made unique within the trash.
//
// Threads: any; two processes trashing the same name at once still get two
// names (the info file is created exclusively before the item moves).
#include <ctime>
#include <string>

namespace tonilo {

struct TrashResult {
    bool ok = false;
    std::string trashFolder; // the trash used: the folder holding files/ and info/
    std::string trashedPath; // where the item went, inside files/
    std::string infoPath;    // its .trashinfo
    std::string error;       // why not, for the user, when !ok
};

// The home trash: $XDG_DATA_HOME/Trash, else ~/.local/share/Trash.
std::string HomeTrashFolder();

// Moves a file or folder (absolute path) into the trash. `now` stamps the
// deletion; 0 means the current time.
TrashResult MoveToTrash(const std::string& path, std::time_t now = 0);

// Path= text of an info file: every byte outside the unreserved set and '/'
// escaped as %XX.
std::string EscapeTrashPath(const std::string& path);

} // namespace tonilo
