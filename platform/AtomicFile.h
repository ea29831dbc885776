#pragma once
// Replacing a data file so that a crash, a power loss or a full disk in the middle
// of a save leaves either the old file or the new one, never a mixture: the new
// contents go to a hidden file in the same folder, are flushed to the disk, and
// the hidden file is renamed over the old one; the folder is flushed last so the
// rename itself survives a power loss.
#include <functional>
#include <string>

namespace tonilo {

// The steps of a replacement, in the order they happen.
enum class AtomicWriteStep {
    CreateTemporary,
    Write,
    Flush,
    Close,
    Rename,
    FlushFolder,
};

// Writes `bytes` as the new contents of `path`. Returns false when any step
// failed; `path` then still holds what it held before and no temporary is left.
// The temporary is 0600 while it is written; at the rename the file takes the
// permissions of the one it replaces (0644 less the umask for a file that did not
// exist).
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

// rename(2) that never replaces an existing `to`: renameat2's flag where the
// file system has it, else a hard link and an unlink. False with errno set
// (EEXIST when `to` exists).
bool RenameNoReplace(const std::string& from, const std::string& to);

// Deletes `path`; a file that does not exist counts as deleted.
bool RemoveFileIfPresent(const std::string& path);

// Test hook: called before each step; returning true makes that step fail as the
// system call would. Pass nothing to remove it. Not for use outside tests.
using AtomicWriteFaultHook = std::function<bool(AtomicWriteStep step)>;
void SetAtomicWriteFaultHook(AtomicWriteFaultHook hook);

} // namespace tonilo
