#pragma once
// Files only their owner may read, and the trust checks ssh makes before it uses
// a key: the settings database, call recordings and the temporaries of saves.
// Modes are set explicitly after creation, so they hold whatever the umask.
//
// Threads: any; nothing here changes the process's umask.
#include <sys/types.h>

#include <string>
#include <vector>

namespace tonilo {

constexpr mode_t kPrivateFileMode = 0600;
constexpr mode_t kPrivateFolderMode = 0700;

// The process's umask, read without changing it (Linux: /proc/self/status).
mode_t CurrentUmask();
// The mode a new file of an ordinary program gets: 0666 less the umask.
mode_t UsualFileMode();

// Creates `folder` and its missing parents; each folder created here gets
// `mode` exactly. True when the folder exists afterwards.
bool CreateFolders(const std::string& folder, mode_t mode);
// Creates an empty file with `mode` exactly when none exists. True when the
// file exists afterwards.
bool CreateFileWithMode(const std::string& path, mode_t mode);

enum class TrustProblem {
    None,
    OtherOwner,       // the file or folder belongs to someone else
    WritableByOthers, // group (not the user's own) or others may write
};

struct PathTrust {
    TrustProblem problem = TrustProblem::None;
    std::string path; // the file or folder at fault
    bool folder = false;
    bool Trusted() const { return problem == TrustProblem::None; }
};

// Checks each existing file of `files` and every folder on the path of the
// first one that lies below `home` (home itself excluded). A file must belong
// to the user; a folder to the user or root. Group write is allowed only for
// the user's private group (same name as the user, no other members).
PathTrust CheckTrustedPath(const std::vector<std::string>& files, const std::string& home);

// The home folder: $HOME, else the password database's entry.
std::string HomeFolderPath();
// The user's login name, for the fix a message proposes.
std::string UserName();

} // namespace tonilo
