#pragma once
// The folder, name and extension of a path, split the one way the program
// splits them. Paths are '/'-separated; names that came from Windows may ask
// for '\\' to count as well. Header-only: the engine and plug-ins use it too.
#include <string>

namespace tonilo {

constexpr const char* kPathSeparators = "/";
constexpr const char* kAnyPathSeparators = "/\\";

// Where the file name starts: just after the last separator, 0 without one.
inline size_t FileNameStart(const std::string& path, const char* separators = kPathSeparators) {
    size_t slash = path.find_last_of(separators);
    return slash == std::string::npos ? 0 : slash + 1;
}

inline std::string FileNameOf(const std::string& path, const char* separators = kPathSeparators) {
    return path.substr(FileNameStart(path, separators));
}

// The folder with its trailing separator, "" for a bare name: what a sibling's
// name is appended to.
inline std::string FolderPrefixOf(const std::string& path) {
    return path.substr(0, FileNameStart(path));
}

// The folder to open: "." for a bare name, "/" for a file in the root.
inline std::string FolderOf(const std::string& path) {
    size_t start = FileNameStart(path);
    if (start == 0)
        return ".";
    return start == 1 ? "/" : path.substr(0, start - 1);
}

// The position of the extension's dot, npos when the file name has none.
// Only the name's dots count: folders such as ~/.local have dots too.
inline size_t ExtensionDot(const std::string& path, const char* separators = kPathSeparators) {
    size_t dot = path.rfind('.');
    return dot == std::string::npos || dot < FileNameStart(path, separators) ? std::string::npos
                                                                             : dot;
}

// The extension without its dot, "" when there is none.
inline std::string ExtensionOf(const std::string& path, const char* separators = kPathSeparators) {
    size_t dot = ExtensionDot(path, separators);
    return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

// The extension of a file name or an address ("http://host/a.mp3?x=1"): an
// address's query and fragment are left out, and '\\' separates too.
inline std::string ExtensionOfName(const std::string& name) {
    size_t scheme = name.find("://");
    if (scheme == std::string::npos)
        return ExtensionOf(name, kAnyPathSeparators);
    return ExtensionOf(name.substr(0, name.find_first_of("?#", scheme + 3)), kAnyPathSeparators);
}

} // namespace tonilo
