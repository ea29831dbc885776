#pragma once
// Reading one folder for the recording list: the visible entries (names not
// starting with a dot) whose extension is one of the given ones, and, when
// asked, the sub-folders. Symbolic links count as what they point to; broken
// ones are left out.
//
// Threads: any; the recording list reads on a worker thread.
#include <cstdint>
#include <string>
#include <vector>

namespace tonilo {

struct FolderEntry {
    std::string name;
    bool folder = false;
    int64_t size = 0;       // bytes; 0 for folders
    int64_t modifiedNs = 0; // modification time, nanoseconds since 1970
};

struct FolderListing {
    bool ok = false;
    int error = 0;                    // errno when !ok
    std::vector<FolderEntry> entries; // in the order the folder gave them
};

// `extensions` without dots, compared without regard to ASCII case.
FolderListing ReadFolder(const std::string& folder, const std::vector<std::string>& extensions,
                         bool includeFolders);

// Whether the name ends in "." and one of the extensions (ASCII case ignored).
bool HasExtension(const std::string& name, const std::vector<std::string>& extensions);

} // namespace tonilo
