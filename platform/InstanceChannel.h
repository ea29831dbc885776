#pragma once
// One running instance per user. The first instance listens on a Unix-domain
// socket in $XDG_RUNTIME_DIR named after the application id (a file, mode
// 0600, never the abstract namespace, which every user can reach) and answers
// only peers of its own user id. Later starts hand their request to it.
//
// Claiming: connect; if nobody answers, take an flock on "<socket>.lock",
// connect once more (another start may have won meanwhile), then remove a
// socket a killed instance left, bind and listen, and let the lock go. Two
// starts at the same moment therefore give one listener, and a start that
// waited for the lock finds the new listener.
//
// Frames, little-endian: 'T' 'N' type 0 length(u32) payload; the answer is
// length(u32) payload. Payloads over kMaxInstancePayload end the connection.
//
// Threads: the server accepts and answers on a thread of its own; the handler
// runs there and must hand work to the owner's thread itself.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace tonilo {

enum class InstanceRequest : uint8_t {
    CommandLine = 'C', // payload: EncodeCommandLine
    Foreground = 'F',  // empty payload
    Status = 'S',      // empty payload; the answer is the status text
};

constexpr uint32_t kMaxInstancePayload = 4096;

// "$XDG_RUNTIME_DIR/<appId>.socket"; without XDG_RUNTIME_DIR a private folder
// /tmp/tonilo-<uid> (mode 0700) stands in. Empty when the id cannot name a file.
std::string InstanceSocketPath(const std::string& appId);

std::string EncodeArguments(const std::vector<std::string>& arguments);
// False for a payload that is not zero-ended pieces.
bool DecodeArguments(const std::string& payload, std::vector<std::string>* arguments);
// A command line travels with the sender's working folder in front, so that
// relative paths in it mean what they meant where it was typed.
std::string EncodeCommandLine(const std::string& workingFolder,
                              const std::vector<std::string>& arguments);
// False unless the payload holds an absolute folder and zero-ended pieces.
bool DecodeCommandLine(const std::string& payload, std::string* workingFolder,
                       std::vector<std::string>* arguments);

// Sends one request to the instance at the path and reads its answer. False
// when none listens or it did not answer within the time.
bool SendInstanceRequest(const std::string& socketPath, InstanceRequest request,
                         const std::string& payload, std::string* answer,
                         uint32_t timeoutMs = 5000);

class InstanceServer {
public:
    enum class Claim { First, Running, Failed };
    // Called on the server's thread; returns the answer's payload.
    using Handler = std::function<std::string(InstanceRequest, const std::string& payload)>;

    InstanceServer() = default;
    ~InstanceServer();
    InstanceServer(const InstanceServer&) = delete;
    InstanceServer& operator=(const InstanceServer&) = delete;

    // First: this process now listens (requests wait until Start). Running:
    // another instance listens there. Failed: neither (no folder, no socket).
    Claim ClaimOrFind(const std::string& socketPath);
    void Start(Handler handler);
    // Stops accepting and removes the socket file if it is still this one's.
    void Stop();

    // Connections refused for their user id or a malformed frame, for tests.
    uint32_t Refused() const { return refused_; }

private:
    void Serve();
    void Answer(int connection);

    std::string path_;
    int listener_ = -1;
    uint64_t inode_ = 0;
    Handler handler_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<uint32_t> refused_{0};
};

} // namespace tonilo
