#include "Libs/ToniloLib/Src/engine/RecordingFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/AtomicFile.h"
#include "platform/PathParts.h"
#include "platform/PrivateFiles.h"

namespace tonilo {
namespace {

bool EndsWith(const std::string& text, const char* suffix) {
    size_t length = std::strlen(suffix);
    return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

// Makes a rename in the folder survive a crash.
void SyncFolderOf(const std::string& path) {
    int descriptor = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        fsync(descriptor);
        close(descriptor);
    }
}

} // namespace

RecordingFile::~RecordingFile() {
    if (lockDescriptor_ >= 0)
        close(lockDescriptor_);
    if (lengthDescriptor_ >= 0)
        close(lengthDescriptor_);
}

std::string RecordingFile::HiddenPathFor(const std::string& finalPath) {
    return FolderPrefixOf(finalPath) + "." + FileNameOf(finalPath) + kHiddenSuffix;
}

std::string RecordingFile::FinalPathFor(const std::string& hiddenPath) {
    const std::string name = FileNameOf(hiddenPath);
    size_t suffix = std::strlen(kHiddenSuffix);
    if (name.size() <= suffix + 1 || name[0] != '.' || !EndsWith(name, kHiddenSuffix))
        return "";
    return FolderPrefixOf(hiddenPath) + name.substr(1, name.size() - 1 - suffix);
}

std::string RecordingFile::RenameToFreeName(const std::string& from, const std::string& finalPath) {
    if (RenameNoReplace(from, finalPath))
        return finalPath;
    if (errno != EEXIST)
        return "";
    const std::string folder = FolderPrefixOf(finalPath);
    const std::string name = FileNameOf(finalPath);
    size_t dot = ExtensionDot(name);
    std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    std::string extension = stem.size() == name.size() ? "" : name.substr(dot);
    for (int number = 2; number < 10000; ++number) {
        std::string candidate = folder + stem + " (" + std::to_string(number) + ")" + extension;
        if (RenameNoReplace(from, candidate))
            return candidate;
        if (errno != EEXIST)
            return "";
    }
    return "";
}

int RecordingFile::Create(const std::string& finalPath, bool privateFile) {
    if (IsActive()) {
        errno = EBUSY;
        return -1;
    }
    struct stat existing;
    if (lstat(finalPath.c_str(), &existing) == 0) {
        errno = EEXIST;
        return -1;
    }
    std::string hidden = HiddenPathFor(finalPath);
    int descriptor =
        open(hidden.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kPrivateFileMode);
    if (descriptor < 0)
        return -1;
    // O_EXCL made the file just now with the mode above (or less, by the umask);
    // no chmod here, since FAT cards refuse one and the recording must start.
    finalMode_ = privateFile ? kPrivateFileMode : UsualFileMode();
    // A lock of its own, so it outlives the writer's descriptor until Finish.
    lockDescriptor_ = open(hidden.c_str(), O_RDONLY | O_CLOEXEC);
    if (lockDescriptor_ >= 0)
        flock(lockDescriptor_, LOCK_EX | LOCK_NB);
    finalPath_ = finalPath;
    hiddenPath_ = hidden;
    return descriptor;
}

bool RecordingFile::MarkGrown() {
    if (!IsActive())
        return false;
    if (lengthDescriptor_ < 0) {
        std::string side =
            hiddenPath_.substr(0, hiddenPath_.size() - std::strlen(kHiddenSuffix)) + kLengthSuffix;
        lengthDescriptor_ =
            open(side.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kPrivateFileMode);
    }
    if (lengthDescriptor_ < 0)
        return false;
    NoteLength(0);
    return true;
}

void RecordingFile::NoteLength(uint64_t bytes) {
    if (lengthDescriptor_ < 0)
        return;
    char text[24];
    int length =
        std::snprintf(text, sizeof text, "%20llu\n", static_cast<unsigned long long>(bytes));
    if (pwrite(lengthDescriptor_, text, static_cast<size_t>(length), 0) == length)
        fdatasync(lengthDescriptor_);
}

uint64_t RecordingFile::Size() const {
    struct stat status;
    if (!IsActive() || stat(hiddenPath_.c_str(), &status) != 0)
        return 0;
    return static_cast<uint64_t>(status.st_size);
}

std::string RecordingFile::Finish(bool keep) {
    if (!IsActive())
        return "";
    std::string result;
    if (keep) {
        // The lock descriptor is the file's own: the mode cannot land elsewhere.
        if (lockDescriptor_ >= 0)
            fchmod(lockDescriptor_, finalMode_);
        else
            chmod(hiddenPath_.c_str(), finalMode_);
        result = RenameToFreeName(hiddenPath_, finalPath_);
        if (!result.empty())
            SyncFolderOf(result);
    } else {
        unlink(hiddenPath_.c_str());
    }
    if (lengthDescriptor_ >= 0) {
        close(lengthDescriptor_);
        lengthDescriptor_ = -1;
        std::string side =
            hiddenPath_.substr(0, hiddenPath_.size() - std::strlen(kHiddenSuffix)) + kLengthSuffix;
        // A file that could not be renamed keeps its side file for recovery.
        if (!keep || !result.empty())
            unlink(side.c_str());
    }
    if (lockDescriptor_ >= 0) {
        close(lockDescriptor_);
        lockDescriptor_ = -1;
    }
    hiddenPath_.clear();
    finalPath_.clear();
    return result;
}

} // namespace tonilo
