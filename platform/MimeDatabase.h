#pragma once
// The desktop's file-type database as freedesktop.org defines it: which MIME type
// an extension has (shared-mime-info's globs2, aliases and subclasses), which
// application opens a type by default (the chain of mimeapps.list files), and
// the user's own mimeapps.list, which is the one file we change.
//
// Everything here reads files; nothing starts a process except
// RebuildUserMimeDatabase. Callers on any thread, but two processes changing the
// user's mimeapps.list at once keep only the later change (each replaces the file
// whole, atomically).
#include <string>
#include <vector>

namespace tonilo {

// The XDG base folders, taken once so that tests can point them at a scratch
// folder without touching the environment of the process.
struct XdgFolders {
    std::string configHome;              // $XDG_CONFIG_HOME, else ~/.config
    std::vector<std::string> configDirs; // $XDG_CONFIG_DIRS, else /etc/xdg
    std::string dataHome;                // $XDG_DATA_HOME, else ~/.local/share
    std::vector<std::string> dataDirs;   // $XDG_DATA_DIRS, else /usr/local/share:/usr/share
    std::vector<std::string> desktops;   // $XDG_CURRENT_DESKTOP, lower-cased

    // Relative entries are ignored, as the base-directory rules ask.
    static XdgFolders FromEnvironment();
    // dataHome first, then dataDirs.
    std::vector<std::string> AllDataDirs() const;
    // The one mimeapps.list written: $configHome/mimeapps.list.
    std::string UserMimeAppsList() const;
};

// The MIME type shared-mime-info gives a file name ending in ".extension"
// (without regard to case), "" when none. Of several types the highest glob
// weight wins; among equal weights a type another candidate is a subclass of
// gives way to that more specific one.
std::string MimeTypeForExtension(const XdgFolders& folders, const std::string& extension);

// The canonical type for an alias ("audio/wav" -> "audio/x-wav"); the type itself
// when it is no alias.
std::string UnaliasMimeType(const XdgFolders& folders, const std::string& mimeType);

// The desktop file id that opens the type by default: the first installed entry
// of the first [Default Applications] line naming the type (or one of its
// aliases) along the mimeapps.list chain; "" when none does.
std::string DefaultApplication(const XdgFolders& folders, const std::string& mimeType);

// The first entry the user's own mimeapps.list names for the type, installed or
// not; "" when the file has no such line.
std::string UserDefaultApplication(const XdgFolders& folders, const std::string& mimeType);

// Makes desktopId the default for the type in the user's mimeapps.list, keeping
// every other line as it was. False when the file could not be replaced.
bool SetUserDefaultApplication(const XdgFolders& folders, const std::string& mimeType,
                               const std::string& desktopId);

// Takes desktopId out of the type's line in the user's mimeapps.list (the line
// goes when nothing else is left on it). True when there was nothing to take.
bool RemoveUserDefaultApplication(const XdgFolders& folders, const std::string& mimeType,
                                  const std::string& desktopId);

// Path of the installed desktop file with this id (ids name sub-folders of
// applications/ with dashes: "kde4-a.desktop" may be kde4/a.desktop), "" when
// none is installed.
std::string FindDesktopFile(const XdgFolders& folders, const std::string& desktopId);

// Declares a type of our own for a glob in $dataHome/mime/packages/NAME.xml and
// rebuilds the user's MIME database with update-mime-database, so that the
// desktop recognises files no shared-mime-info package knows. False when the
// package could not be written or the database not rebuilt.
bool DeclareUserMimeType(const XdgFolders& folders, const std::string& packageName,
                         const std::string& mimeType, const std::string& comment,
                         const std::string& extension);

} // namespace tonilo
