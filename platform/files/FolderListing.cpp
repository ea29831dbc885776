#include "platform/files/FolderListing.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <strings.h>
#include <sys/stat.h>

namespace tonilo {

bool HasExtension(const std::string& name, const std::vector<std::string>& extensions) {
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return false;
    const char* extension = name.c_str() + dot + 1;
    for (const std::string& wanted : extensions) {
        if (!wanted.empty() && ::strcasecmp(extension, wanted.c_str()) == 0)
            return true;
    }
    return false;
}

FolderListing ReadFolder(const std::string& folder, const std::vector<std::string>& extensions,
                         bool includeFolders) {
    FolderListing listing;
    std::unique_ptr<DIR, int (*)(DIR*)> handle(::opendir(folder.c_str()), ::closedir);
    if (!handle) {
        listing.error = errno;
        return listing;
    }
    int fd = ::dirfd(handle.get());
    for (;;) {
        errno = 0; // readdir tells the end from a failure only by errno
        struct dirent* item = ::readdir(handle.get());
        if (!item)
            break;
        if (item->d_name[0] == '.')
            continue; // ".", ".." and hidden names, such as recordings being written
        bool maybeFolder =
            item->d_type == DT_DIR || item->d_type == DT_LNK || item->d_type == DT_UNKNOWN;
        if (!maybeFolder && !HasExtension(item->d_name, extensions))
            continue; // most files of a big folder are decided without a stat
        if (maybeFolder && !includeFolders && item->d_type == DT_DIR)
            continue;
        struct stat info;
        if (::fstatat(fd, item->d_name, &info, 0) != 0)
            continue;
        FolderEntry entry;
        entry.folder = S_ISDIR(info.st_mode);
        if (entry.folder ? !includeFolders
                         : !S_ISREG(info.st_mode) || !HasExtension(item->d_name, extensions))
            continue;
        entry.name = item->d_name;
        entry.size = entry.folder ? 0 : static_cast<int64_t>(info.st_size);
        entry.modifiedNs =
            static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
        listing.entries.push_back(std::move(entry));
    }
    if (errno != 0) {
        listing.error = errno;
        listing.entries.clear();
        return listing;
    }
    listing.ok = true;
    return listing;
}

} // namespace tonilo
