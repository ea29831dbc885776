#include "platform/files/Trash.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/PathParts.h"

namespace tonilo {
namespace {

std::string ErrorText(int error) {
    return std::strerror(error);
}

bool MakeFolder(const std::string& path, mode_t mode) {
    return ::mkdir(path.c_str(), mode) == 0 || errno == EEXIST;
}

// Creates every missing folder of the path.
bool MakeFolders(const std::string& path, mode_t mode) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        if (!MakeFolder(path.substr(0, slash), mode))
            return false;
    }
    return MakeFolder(path, mode);
}

bool IsPrivateFolderOfMine(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && !S_ISLNK(info.st_mode);
}

// The mount point the path lies on: the last ancestor on the same device.
std::string TopDirectoryOf(const std::string& path, dev_t device) {
    std::string top = FolderOf(path);
    while (top != "/") {
        std::string parent = FolderOf(top);
        struct stat info;
        if (::stat(parent.c_str(), &info) != 0 || info.st_dev != device)
            break;
        top = parent;
    }
    return top;
}

std::string DeletionDate(std::time_t now) {
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// "name.ext" → "name.2.ext"; names without an extension (or hidden names whose
// only dot leads) get the number at their end.
std::string NumberedName(const std::string& name, int number) {
    size_t dot = name.rfind('.');
    std::string suffix = "." + std::to_string(number);
    if (dot == std::string::npos || dot == 0)
        return name + suffix;
    return name.substr(0, dot) + suffix + name.substr(dot);
}

bool WriteAll(int fd, const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        ssize_t count = ::write(fd, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += static_cast<size_t>(count);
    }
    return true;
}

// Moves the item into one trash folder; false with errno EXDEV when the trash
// lies on another file system.
bool TrashInto(const std::string& trash, const std::string& path, const std::string& infoPathText,
               std::time_t now, TrashResult* result) {
    std::string files = trash + "/files";
    std::string info = trash + "/info";
    if (!MakeFolders(files, 0700) || !MakeFolders(info, 0700)) {
        result->error = ErrorText(errno);
        return false;
    }
    std::string name = FileNameOf(path);
    std::string contents =
        "[Trash Info]\nPath=" + infoPathText + "\nDeletionDate=" + DeletionDate(now) + "\n";
    for (int number = 1; number < 100000; ++number) {
        std::string candidate = number == 1 ? name : NumberedName(name, number);
        std::string infoFile = info + "/" + candidate + ".trashinfo";
        int fd = ::open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            result->error = ErrorText(errno);
            return false;
        }
        bool written = WriteAll(fd, contents) && ::fsync(fd) == 0;
        int writeError = errno;
        ::close(fd);
        std::string target = files + "/" + candidate;
        struct stat existing;
        if (written && ::lstat(target.c_str(), &existing) == 0) {
            // A leftover without its info file: keep it, take the next name.
            ::unlink(infoFile.c_str());
            continue;
        }
        if (!written) {
            ::unlink(infoFile.c_str());
            result->error = ErrorText(writeError);
            return false;
        }
        if (::rename(path.c_str(), target.c_str()) != 0) {
            int renameError = errno;
            ::unlink(infoFile.c_str());
            errno = renameError;
            result->error = ErrorText(renameError);
            return false;
        }
        result->ok = true;
        result->trashFolder = trash;
        result->trashedPath = target;
        result->infoPath = infoFile;
        return true;
    }
    result->error = ErrorText(EEXIST);
    return false;
}

} // namespace

std::string HomeTrashFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/')
        return std::string(data) + "/Trash";
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : "/") + "/.local/share/Trash";
}

std::string EscapeTrashPath(const std::string& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    for (unsigned char c : path) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '_' || c == '.' || c == '~' || c == '/';
        if (plain) {
            escaped += static_cast<char>(c);
        } else {
            escaped += '%';
            escaped += kHex[c >> 4];
            escaped += kHex[c & 15];
        }
    }
    return escaped;
}

TrashResult MoveToTrash(const std::string& path, std::time_t now) {
    TrashResult result;
    if (now == 0)
        now = std::time(nullptr);
    struct stat item;
    if (path.empty() || path[0] != '/' || ::lstat(path.c_str(), &item) != 0) {
        result.error = ErrorText(path.empty() || path[0] != '/' ? EINVAL : errno);
        return result;
    }
    std::string home = HomeTrashFolder();
    // The home trash serves when it is (or will be) on the item's file system.
    std::string probe = home;
    struct stat homeInfo;
    while (::stat(probe.c_str(), &homeInfo) != 0 && probe != "/")
        probe = FolderOf(probe);
    if (homeInfo.st_dev == item.st_dev) {
        if (TrashInto(home, path, EscapeTrashPath(path), now, &result) || errno != EXDEV)
            return result;
    }
    // Another file system: its own trash, with paths relative to its top.
    std::string top = TopDirectoryOf(path, item.st_dev);
    std::string trash = (top == "/" ? "" : top) + "/.Trash-" + std::to_string(::getuid());
    if (!MakeFolder(trash, 0700)) {
        result.error = ErrorText(errno);
        return result;
    }
    if (!IsPrivateFolderOfMine(trash)) {
        result.error = ErrorText(EPERM); // someone else's, or a link: never trust it
        return result;
    }
    std::string relative = path.substr(top == "/" ? 1 : top.size() + 1);
    TrashInto(trash, path, EscapeTrashPath(relative), now, &result);
    return result;
}

} // namespace tonilo
