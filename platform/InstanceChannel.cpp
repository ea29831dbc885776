#include "platform/InstanceChannel.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tonilo {
namespace {

constexpr uint32_t kServerReadTimeoutMs = 2000;

bool FillAddress(const std::string& path, sockaddr_un* address) {
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    // A leading zero byte would mean the abstract namespace: only real paths.
    if (path.empty() || path[0] != '/' || path.size() >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, path.c_str(), path.size());
    return true;
}

void SetTimeouts(int fd, uint32_t milliseconds) {
    timeval time{};
    time.tv_sec = milliseconds / 1000;
    time.tv_usec = static_cast<suseconds_t>((milliseconds % 1000) * 1000);
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &time, sizeof time);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &time, sizeof time);
}

bool WriteAll(int fd, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = ::send(fd, bytes, size, MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool ReadAll(int fd, void* data, size_t size) {
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
        ssize_t got = ::recv(fd, bytes, size, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

void PutU32(uint8_t* out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetU32(const uint8_t* in) {
    return in[0] | (in[1] << 8) | (in[2] << 16) | (static_cast<uint32_t>(in[3]) << 24);
}

// A connected socket, or -1.
int Connect(const std::string& path, uint32_t timeoutMs) {
    sockaddr_un address;
    if (!FillAddress(path, &address))
        return -1;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    SetTimeouts(fd, timeoutMs);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool ReadPayload(int fd, std::string* payload) {
    uint8_t length[4];
    if (!ReadAll(fd, length, sizeof length))
        return false;
    uint32_t size = GetU32(length);
    if (size > kMaxInstancePayload)
        return false;
    payload->assign(size, '\0');
    return size == 0 || ReadAll(fd, &(*payload)[0], size);
}

bool KnownRequest(uint8_t type) {
    return type == static_cast<uint8_t>(InstanceRequest::CommandLine) ||
           type == static_cast<uint8_t>(InstanceRequest::Foreground) ||
           type == static_cast<uint8_t>(InstanceRequest::Status);
}

} // namespace

std::string InstanceSocketPath(const std::string& appId) {
    if (appId.empty() || appId.find('/') != std::string::npos || appId == "." || appId == "..")
        return "";
    std::string folder;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
        folder = runtime;
    } else {
        folder = "/tmp/tonilo-" + std::to_string(::getuid());
        ::mkdir(folder.c_str(), 0700);
        struct stat info {};
        // Someone else's folder of that name must not be used.
        if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
            info.st_uid != ::getuid() || (info.st_mode & 077) != 0)
            return "";
    }
    return folder + "/" + appId + ".socket";
}

std::string EncodeArguments(const std::vector<std::string>& arguments) {
    std::string payload;
    for (const std::string& argument : arguments) {
        payload += argument;
        payload += '\0';
    }
    return payload;
}

bool DecodeArguments(const std::string& payload, std::vector<std::string>* arguments) {
    arguments->clear();
    if (!payload.empty() && payload.back() != '\0')
        return false;
    size_t start = 0;
    while (start < payload.size()) {
        size_t end = payload.find('\0', start);
        arguments->push_back(payload.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

std::string EncodeCommandLine(const std::string& workingFolder,
                              const std::vector<std::string>& arguments) {
    return EncodeArguments({workingFolder}) + EncodeArguments(arguments);
}

bool DecodeCommandLine(const std::string& payload, std::string* workingFolder,
                       std::vector<std::string>* arguments) {
    std::vector<std::string> pieces;
    if (!DecodeArguments(payload, &pieces) || pieces.empty() || pieces[0].empty() ||
        pieces[0][0] != '/')
        return false;
    *workingFolder = pieces[0];
    arguments->assign(pieces.begin() + 1, pieces.end());
    return true;
}

bool SendInstanceRequest(const std::string& socketPath, InstanceRequest request,
                         const std::string& payload, std::string* answer, uint32_t timeoutMs) {
    if (payload.size() > kMaxInstancePayload)
        return false;
    int fd = Connect(socketPath, timeoutMs);
    if (fd < 0)
        return false;
    uint8_t header[8] = {'T', 'N', static_cast<uint8_t>(request), 0};
    PutU32(header + 4, static_cast<uint32_t>(payload.size()));
    std::string reply;
    bool done = WriteAll(fd, header, sizeof header) &&
                (payload.empty() || WriteAll(fd, payload.data(), payload.size())) &&
                ReadPayload(fd, &reply);
    ::close(fd);
    if (done && answer)
        *answer = reply;
    return done;
}

InstanceServer::~InstanceServer() {
    Stop();
}

InstanceServer::Claim InstanceServer::ClaimOrFind(const std::string& socketPath) {
    sockaddr_un address;
    if (!FillAddress(socketPath, &address))
        return Claim::Failed;
    if (int probe = Connect(socketPath, 1000); probe >= 0) {
        ::close(probe);
        return Claim::Running;
    }
    std::string lockPath = socketPath + ".lock";
    int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock < 0)
        return Claim::Failed;
    while (::flock(lock, LOCK_EX) != 0 && errno == EINTR) {
    }
    Claim claim = Claim::Failed;
    if (int probe = Connect(socketPath, 1000); probe >= 0) {
        ::close(probe);
        claim = Claim::Running;
    } else {
        // Nobody answers: whatever socket file is there was left by a dead instance.
        ::unlink(socketPath.c_str());
        int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        mode_t oldMask = ::umask(077);
        bool bound =
            fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::umask(oldMask);
        struct stat info {};
        if (bound && ::chmod(socketPath.c_str(), 0600) == 0 &&
            ::stat(socketPath.c_str(), &info) == 0 && ::listen(fd, 64) == 0) {
            listener_ = fd;
            inode_ = info.st_ino;
            path_ = socketPath;
            claim = Claim::First;
        } else if (fd >= 0) {
            ::close(fd);
        }
    }
    ::flock(lock, LOCK_UN);
    ::close(lock);
    return claim;
}

void InstanceServer::Start(Handler handler) {
    if (listener_ < 0 || thread_.joinable())
        return;
    handler_ = std::move(handler);
    thread_ = std::thread([this] { Serve(); });
}

void InstanceServer::Stop() {
    if (listener_ < 0)
        return;
    stopping_ = true;
    // Wakes the blocked accept.
    ::shutdown(listener_, SHUT_RDWR);
    if (thread_.joinable())
        thread_.join();
    struct stat info {};
    if (::stat(path_.c_str(), &info) == 0 && info.st_ino == inode_)
        ::unlink(path_.c_str());
    ::close(listener_);
    listener_ = -1;
}

void InstanceServer::Serve() {
    while (!stopping_) {
        int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            if (errno == EINTR || errno == ECONNABORTED || errno == EMFILE || errno == ENFILE)
                continue;
            return;
        }
        Answer(connection);
        ::close(connection);
    }
}

void InstanceServer::Answer(int connection) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 ||
        peer.uid != ::geteuid()) {
        ++refused_;
        return;
    }
    SetTimeouts(connection, kServerReadTimeoutMs);
    uint8_t header[8];
    if (!ReadAll(connection, header, sizeof header) || header[0] != 'T' || header[1] != 'N' ||
        !KnownRequest(header[2]) || header[3] != 0 || GetU32(header + 4) > kMaxInstancePayload) {
        ++refused_;
        return;
    }
    std::string payload(GetU32(header + 4), '\0');
    if (!payload.empty() && !ReadAll(connection, &payload[0], payload.size())) {
        ++refused_;
        return;
    }
    std::string answer = handler_ ? handler_(static_cast<InstanceRequest>(header[2]), payload) : "";
    if (answer.size() > kMaxInstancePayload)
        answer.resize(kMaxInstancePayload);
    uint8_t length[4];
    PutU32(length, static_cast<uint32_t>(answer.size()));
    if (WriteAll(connection, length, sizeof length) && !answer.empty())
        WriteAll(connection, answer.data(), answer.size());
}

} // namespace tonilo
