#pragma once
// Copying, moving and renaming files and folders for the recording list. A
// file is copied under a hidden temporary name beside its target and renamed
// into place, so a failed copy never leaves half a file and never damages the
// file it was to overwrite. Without overwrite, nothing existing is replaced,
// even when another program creates the target meanwhile.
//
// Threads: any; nothing here keeps state.
#include <string>

namespace tonilo {

enum class TransferStatus {
    Done,
    Exists,   // the target exists and overwriting was not asked for
    SameItem, // source and target are one file
    Failed,   // see the error text
};

struct TransferResult {
    TransferStatus status = TransferStatus::Failed;
    std::string error; // for the user, when Failed
};

// Whether anything (a file, folder or link) has that path.
bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);
// Whether both paths name the same file (same device and inode).
bool IsSameItem(const std::string& first, const std::string& second);
// Whether `inner` lies inside folder `outer` (or is it).
bool IsWithin(const std::string& inner, const std::string& outer);

// Copies a file or a whole folder to `target` (the full new path).
TransferResult CopyItem(const std::string& source, const std::string& target, bool overwrite);
// Moves a file or folder to `target`: a rename on one file system, a copy and
// a delete across file systems.
TransferResult MoveItem(const std::string& source, const std::string& target, bool overwrite);

// A name not yet taken in the folder: `name`, else "stem (2).ext", "stem (3).ext"...
std::string UniqueNameIn(const std::string& folder, const std::string& name);
// Creates a new folder named `name` (numbered as above when taken) in `folder`;
// its path, or "" with the error text.
std::string CreateNewFolder(const std::string& folder, const std::string& name, std::string* error);

} // namespace tonilo
