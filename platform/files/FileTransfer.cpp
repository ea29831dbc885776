#include "platform/files/FileTransfer.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/PathParts.h"

namespace tonilo {
namespace {

TransferResult Result(TransferStatus status, int error = 0) {
    TransferResult result;
    result.status = status;
    if (status == TransferStatus::Failed)
        result.error = std::strerror(error);
    return result;
}

TransferResult Failed(int error) {
    return Result(TransferStatus::Failed, error);
}

// Renames without replacing: false with EEXIST when the target exists.
bool RenameNoReplace(const std::string& source, const std::string& target) {
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the flag: check first, accepting the small window.
    if (PathExists(target)) {
        errno = EEXIST;
        return false;
    }
    return ::rename(source.c_str(), target.c_str()) == 0;
}

bool CopyBytes(int from, int to) {
    // copy_file_range lets the kernel (or the file system) do the copying.
    for (;;) {
        ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (copied == 0)
            return true;
        if (copied > 0)
            continue;
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            return false;
        break;
    }
    std::vector<char> buffer(1 << 16);
    for (;;) {
        ssize_t count = ::read(from, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        for (ssize_t done = 0; done < count;) {
            ssize_t written = ::write(to, buffer.data() + done, static_cast<size_t>(count - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            done += written;
        }
    }
}

struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

TransferResult CopyFileTo(const std::string& source, const struct stat& info,
                          const std::string& target, bool overwrite) {
    Descriptor in;
    in.fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in.fd < 0)
        return Failed(errno);
    std::string temporary = FolderPrefixOf(target) + "." + FileNameOf(target) + ".XXXXXX";
    if (FolderPrefixOf(target).empty())
        return Failed(EINVAL);
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    Descriptor out;
    out.fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (out.fd < 0)
        return Failed(errno);
    temporary = name.data();
    struct timespec times[2] = {info.st_atim, info.st_mtim};
    bool copied = CopyBytes(in.fd, out.fd) && ::fchmod(out.fd, info.st_mode & 07777) == 0 &&
                  ::futimens(out.fd, times) == 0 && ::fsync(out.fd) == 0;
    int error = errno;
    if (!copied) {
        ::unlink(temporary.c_str());
        return Failed(error);
    }
    bool placed = overwrite ? ::rename(temporary.c_str(), target.c_str()) == 0
                            : RenameNoReplace(temporary, target);
    error = errno;
    if (!placed) {
        ::unlink(temporary.c_str());
        return error == EEXIST ? Result(TransferStatus::Exists) : Failed(error);
    }
    return Result(TransferStatus::Done);
}

TransferResult CopyTree(const std::string& source, const std::string& target, bool overwrite) {
    struct stat info;
    if (::lstat(source.c_str(), &info) != 0)
        return Failed(errno);
    if (S_ISLNK(info.st_mode)) {
        std::vector<char> link(PATH_MAX + 1);
        ssize_t length = ::readlink(source.c_str(), link.data(), link.size() - 1);
        if (length < 0)
            return Failed(errno);
        std::string destination(link.data(), static_cast<size_t>(length));
        if (overwrite && PathExists(target) && !IsFolder(target))
            ::unlink(target.c_str());
        if (::symlink(destination.c_str(), target.c_str()) != 0)
            return errno == EEXIST ? Result(TransferStatus::Exists) : Failed(errno);
        return Result(TransferStatus::Done);
    }
    if (!S_ISDIR(info.st_mode)) {
        if (!S_ISREG(info.st_mode))
            return Failed(EPERM); // devices, pipes and sockets are not copied
        if (IsFolder(target))
            return overwrite ? Failed(EISDIR) : Result(TransferStatus::Exists);
        return CopyFileTo(source, info, target, overwrite);
    }
    if (::mkdir(target.c_str(), (info.st_mode & 07777) | 0700) != 0) {
        if (errno != EEXIST)
            return Failed(errno);
        if (!overwrite)
            return Result(TransferStatus::Exists);
        if (!IsFolder(target))
            return Failed(ENOTDIR);
    }
    std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(source.c_str()), ::closedir);
    if (!folder)
        return Failed(errno);
    while (struct dirent* entry = ::readdir(folder.get())) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        TransferResult inner = CopyTree(source + "/" + name, target + "/" + name, overwrite);
        if (inner.status != TransferStatus::Done)
            return inner.status == TransferStatus::Exists ? Failed(EEXIST) : inner;
    }
    return Result(TransferStatus::Done);
}

} // namespace

bool PathExists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

bool IsFolder(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsSameItem(const std::string& first, const std::string& second) {
    struct stat a, b;
    return ::lstat(first.c_str(), &a) == 0 && ::lstat(second.c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool IsWithin(const std::string& inner, const std::string& outer) {
    if (outer.empty())
        return false;
    std::string prefix = outer.back() == '/' ? outer : outer + "/";
    return inner == outer || inner.compare(0, prefix.size(), prefix) == 0;
}

TransferResult CopyItem(const std::string& source, const std::string& target, bool overwrite) {
    if (!PathExists(source))
        return Failed(ENOENT);
    if (IsSameItem(source, target))
        return Result(TransferStatus::SameItem);
    if (IsWithin(target, source))
        return Failed(EINVAL); // a folder into itself would never end
    return CopyTree(source, target, overwrite);
}

TransferResult MoveItem(const std::string& source, const std::string& target, bool overwrite) {
    if (!PathExists(source))
        return Failed(ENOENT);
    if (IsSameItem(source, target))
        return Result(TransferStatus::SameItem);
    if (IsWithin(target, source))
        return Failed(EINVAL);
    bool moved =
        overwrite ? ::rename(source.c_str(), target.c_str()) == 0 : RenameNoReplace(source, target);
    if (moved)
        return Result(TransferStatus::Done);
    if (errno == EEXIST && !overwrite)
        return Result(TransferStatus::Exists);
    if (errno != EXDEV)
        return Failed(errno);
    TransferResult copied = CopyItem(source, target, overwrite);
    if (copied.status != TransferStatus::Done)
        return copied;
    std::error_code error;
    std::filesystem::remove_all(source, error);
    if (error)
        return Failed(error.value()); // the copy stays: better two than none
    return copied;
}

std::string UniqueNameIn(const std::string& folder, const std::string& name) {
    std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    if (!PathExists(prefix + name))
        return name;
    size_t dot = name.rfind('.');
    if (dot == 0 || dot == std::string::npos)
        dot = name.size();
    for (int number = 2;; ++number) {
        std::string candidate =
            name.substr(0, dot) + " (" + std::to_string(number) + ")" + name.substr(dot);
        if (!PathExists(prefix + candidate))
            return candidate;
    }
}

std::string CreateNewFolder(const std::string& folder, const std::string& name,
                            std::string* error) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = folder + "/" + UniqueNameIn(folder, name);
        if (::mkdir(path.c_str(), 0777) == 0)
            return path;
        if (errno != EEXIST) {
            if (error)
                *error = std::strerror(errno);
            return "";
        }
    }
    if (error)
        *error = std::strerror(EEXIST);
    return "";
}

} // namespace tonilo
