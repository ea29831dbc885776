#include "Libs/ToniloLib/Src/engine/RecordingRecovery.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "Libs/ToniloLib/Src/engine/RecordingFile.h"
#include "codecs/include/ByteOrder.h"

namespace tonilo {
namespace {

bool WriteU32At(int descriptor, off_t offset, uint32_t value) {
    uint8_t bytes[4];
    WriteLe32(bytes, value);
    return pwrite(descriptor, bytes, 4, offset) == 4;
}

// The audio length a grown file's side file recorded; -1 when there is none.
long long RecordedLength(const std::string& sidePath) {
    int descriptor = open(sidePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return -1;
    char text[32] = {};
    ssize_t got = read(descriptor, text, sizeof text - 1);
    close(descriptor);
    if (got <= 0)
        return -1;
    return std::strtoll(text, nullptr, 10);
}

} // namespace

bool RepairWavSizes(const std::string& path) {
    int descriptor = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    struct stat status;
    uint8_t head[12];
    bool repaired = false;
    if (fstat(descriptor, &status) == 0 && pread(descriptor, head, 12, 0) == 12 &&
        std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0) {
        off_t offset = 12;
        uint32_t blockAlign = 1;
        uint8_t chunk[16];
        while (offset + 8 <= status.st_size && pread(descriptor, chunk, 8, offset) == 8) {
            if (std::memcmp(chunk, "data", 4) == 0)
                break;
            uint32_t size = ReadLe32(chunk + 4);
            uint8_t format[16];
            if (std::memcmp(chunk, "fmt ", 4) == 0 &&
                pread(descriptor, format, 16, offset + 8) == 16) {
                blockAlign = ReadLe16(format + 12);
                if (blockAlign == 0)
                    blockAlign = 1;
            }
            offset += 8 + size + (size & 1);
        }
        if (offset + 8 <= status.st_size && pread(descriptor, chunk, 4, offset) == 4 &&
            std::memcmp(chunk, "data", 4) == 0) {
            uint64_t available = static_cast<uint64_t>(status.st_size - offset - 8);
            available -= available % blockAlign;
            if (available > 0xFFFFFFFFull - 64)
                available = (0xFFFFFFFFull - 64) / blockAlign * blockAlign;
            repaired = WriteU32At(descriptor, offset + 4, static_cast<uint32_t>(available)) &&
                       WriteU32At(descriptor, 4, static_cast<uint32_t>(offset + available));
            fsync(descriptor);
        }
    }
    close(descriptor);
    return repaired;
}

std::vector<RecoveredRecording> RecoverRecordings(const std::string& folder) {
    std::vector<RecoveredRecording> recovered;
    DIR* directory = opendir(folder.empty() ? "." : folder.c_str());
    if (!directory)
        return recovered;
    std::vector<std::string> hidden;
    while (dirent* entry = readdir(directory)) {
        std::string path = (folder.empty() ? std::string() : folder + "/") + entry->d_name;
        if (!RecordingFile::FinalPathFor(path).empty())
            hidden.push_back(path);
    }
    closedir(directory);

    for (const std::string& path : hidden) {
        int lock = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (lock < 0)
            continue;
        if (flock(lock, LOCK_EX | LOCK_NB) != 0) {
            close(lock); // a recording in progress
            continue;
        }
        RecoveredRecording result;
        result.hiddenPath = path;
        std::string side = path.substr(0, path.size() - std::strlen(RecordingFile::kHiddenSuffix)) +
                           RecordingFile::kLengthSuffix;
        long long length = RecordedLength(side);
        struct stat status;
        if (length >= 0 && stat(path.c_str(), &status) == 0 && status.st_size > length)
            truncate(path.c_str(), length);
        RepairWavSizes(path);
        if (stat(path.c_str(), &status) != 0 || status.st_size == 0) {
            unlink(path.c_str());
            result.deleted = true;
        } else {
            result.finalPath =
                RecordingFile::RenameToFreeName(path, RecordingFile::FinalPathFor(path));
        }
        if (result.deleted || !result.finalPath.empty())
            unlink(side.c_str());
        close(lock);
        recovered.push_back(result);
    }
    return recovered;
}

} // namespace tonilo
