#pragma once
// Names new recordings: expands the name and subfolder templates, picks the base
// folder, numbers the name until it is unique and creates the folders on the way.
// It remembers the last path it produced (the file being recorded) and which
// folders that request created, so they can be removed again while still empty.
//
// Templates: %Y year, %M month, %D day, %h hour, %m minute (all from one reading
// of the local clock per request), %F %I %L the three ';'-separated pieces of
// the caller text. Subfolders expand only %Y %M %D. Any other "%x" stays as it is.
//
// Threads: the user-interface thread only.
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tonilo {

// The folder a recording directory setting names: "\My Documents" and
// "\My Documents\sub" mean the documents folder (and a folder in it).
std::string ResolveRecordingDirectory(const std::string& directory, const std::string& documents);

struct NamingRequest {
    std::optional<std::string> explicitPath; // when set, everything else is ignored
    std::optional<std::string> directory;    // absolute; "\My Documents" is the documents folder
    std::optional<std::string> nameTemplate;
    std::optional<std::string> subfolderTemplate;
    std::optional<std::string> extension; // without the dot
    std::optional<std::string> callerText;
    bool overwrite = false; // with an explicit path: delete an existing file first
    // A phone call: the folders created for it are the owner's alone (0700);
    // others follow the umask.
    bool phoneCall = false;
};

class RecordingNamer {
public:
    using Clock = std::function<std::tm()>;
    using FolderLookup = std::function<std::string()>;

    // The local clock and the user's documents folder, unless tests give others.
    explicit RecordingNamer(Clock clock = nullptr, FolderLookup documentsFolder = nullptr);
    ~RecordingNamer();
    RecordingNamer(const RecordingNamer&) = delete;
    RecordingNamer& operator=(const RecordingNamer&) = delete;

    // Resets, then produces and remembers a path. Fails for an incomplete request
    // and for a directory that is not absolute (error 13000 in the error log).
    bool MakeRecordingPath(const NamingRequest& request);
    const std::string& LastPath() const { return lastPath_; }
    // Removes the folders the last request created, deepest first, stopping at the
    // first that cannot be removed (not empty); then forgets the path.
    void Reset();

    // Folders of the last path that this namer created, outermost first.
    std::vector<std::string> CreatedFolders() const;

private:
    void CreateFolders(bool privateFolders);

    Clock clock_;
    FolderLookup documentsFolder_;
    std::string lastPath_;
    // The folder part of lastPath_ with the '/' in front of each folder this
    // request created replaced by '\0'.
    std::string createdRecord_;
};

// The nine characters a file name cannot hold: \ / : * ? " < > |
bool IsForbiddenNameCharacter(char c);
// True when the text holds none of them (the backslash allowed when asked). A
// refusal is reported in the error log as 13052, or 30190 with the backslash allowed.
bool ValidateName(const std::string& text, bool allowBackslash);

// Template expansion, exposed for the settings help and for tests. `time` is the
// request's local time; `callerText` is cleaned and cut into its pieces here.
std::string ExpandNameTemplate(const std::string& text, const std::tm& time,
                               const std::optional<std::string>& callerText);
std::string ExpandSubfolderTemplate(const std::string& text, const std::tm& time);

} // namespace tonilo
