#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <vector>

#include "platform/PathParts.h"
#include "platform/PrivateFiles.h"

namespace tonilo {
namespace {

std::mutex& HookMutex() {
    static std::mutex mutex;
    return mutex;
}

AtomicWriteFaultHook& Hook() {
    static AtomicWriteFaultHook hook;
    return hook;
}

bool Injected(AtomicWriteStep step) {
    std::lock_guard<std::mutex> guard(HookMutex());
    return Hook() && Hook()(step);
}

bool WriteAll(int descriptor, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = ::write(descriptor, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

mode_t ModeForNewFile(const std::string& path) {
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0)
        return existing.st_mode & 07777;
    return 0644 & ~CurrentUmask();
}

bool FlushFolder(const std::string& folder) {
    int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    // Some file systems refuse to sync a directory; the rename is done either way.
    int result = ::fsync(descriptor);
    bool ok = result == 0 || errno == EINVAL || errno == EROFS;
    ::close(descriptor);
    return ok;
}

// Temporaries of writers that died (a crash, a power loss) would pile up beside
// the file; those untouched for an hour belong to no running writer.
void RemoveAbandonedTemporaries(const std::string& folder, const std::string& fileName) {
    const std::string prefix = "." + fileName + ".";
    const auto now = std::filesystem::file_time_type::clock::now();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        std::error_code ignored;
        auto modified = entry.last_write_time(ignored);
        if (!ignored && now - modified > std::chrono::hours(1) && entry.is_regular_file(ignored))
            std::filesystem::remove(entry.path(), ignored);
    }
}

} // namespace

bool WriteFileAtomically(const std::string& requestedPath, const std::string& bytes) {
    if (requestedPath.empty())
        return false;
    // A user who links the file elsewhere keeps the link: the target is replaced.
    std::string path = requestedPath;
    std::error_code error;
    if (std::filesystem::is_symlink(path, error)) {
        std::filesystem::path target = std::filesystem::weakly_canonical(path, error);
        if (!error)
            path = target.string();
    }
    const std::string folder = FolderOf(path);
    std::string pattern = folder + "/." + FileNameOf(path) + ".XXXXXX";
    std::vector<char> temporaryName(pattern.begin(), pattern.end());
    temporaryName.push_back('\0');

    if (Injected(AtomicWriteStep::CreateTemporary))
        return false;
    int descriptor = ::mkostemp(temporaryName.data(), O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const std::string temporary(temporaryName.data());
    auto abandon = [&](bool closeFirst) {
        if (closeFirst)
            ::close(descriptor);
        ::unlink(temporary.c_str());
        return false;
    };

    // Nobody reads the new contents before they are complete; the final mode
    // comes just before the rename.
    if (::fchmod(descriptor, kPrivateFileMode) != 0)
        return abandon(true);
    if (Injected(AtomicWriteStep::Write) || !WriteAll(descriptor, bytes))
        return abandon(true);
    if (Injected(AtomicWriteStep::Flush) || ::fsync(descriptor) != 0)
        return abandon(true);
    if (::fchmod(descriptor, ModeForNewFile(path)) != 0)
        return abandon(true);
    if (Injected(AtomicWriteStep::Close)) {
        ::close(descriptor);
        return abandon(false);
    }
    if (::close(descriptor) != 0)
        return abandon(false);
    if (Injected(AtomicWriteStep::Rename) || std::rename(temporary.c_str(), path.c_str()) != 0)
        return abandon(false);
    RemoveAbandonedTemporaries(folder, FileNameOf(path));
    // The new contents are in place; a failure to flush the folder only means the
    // rename may not survive a power loss, so it is reported but not undone.
    return !Injected(AtomicWriteStep::FlushFolder) && FlushFolder(folder);
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    ::unlink(from.c_str());
    return true;
}

bool RemoveFileIfPresent(const std::string& path) {
    if (::unlink(path.c_str()) != 0)
        return errno == ENOENT;
    FlushFolder(FolderOf(path)); // best effort: the file is gone either way
    return true;
}

void SetAtomicWriteFaultHook(AtomicWriteFaultHook hook) {
    std::lock_guard<std::mutex> guard(HookMutex());
    Hook() = std::move(hook);
}

} // namespace tonilo
