// The single-instance socket: claiming, forwarding, and what it refuses.
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/InstanceChannel.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

// Collects what reached the handler.
struct Received {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::pair<InstanceRequest, std::string>> requests;

    InstanceServer::Handler Handler() {
        return [this](InstanceRequest request, const std::string& payload) {
            std::lock_guard<std::mutex> guard(mutex);
            requests.emplace_back(request, payload);
            arrived.notify_all();
            return request == InstanceRequest::Status ? std::string("mode: idle\n")
                                                      : std::string("ok");
        };
    }
    size_t Count() {
        std::lock_guard<std::mutex> guard(mutex);
        return requests.size();
    }
};

class InstanceChannelTest : public ::testing::Test {
protected:
    std::string SocketPath() const { return scratch_ / "ZeltoTonilo.socket"; }
    test::ScratchFolder scratch_;
};

// Raw bytes to the socket; true when the server answered with anything.
bool SendRaw(const std::string& path, const std::string& bytes) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    timeval time{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &time, sizeof time);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return false;
    }
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    ::shutdown(fd, SHUT_WR);
    char answer[16];
    ssize_t got = ::recv(fd, answer, sizeof answer, 0);
    ::close(fd);
    return got > 0;
}

std::string Frame(char type, uint32_t length, const std::string& payload) {
    std::string frame = {'T', 'N', type, '\0'};
    for (int i = 0; i < 4; ++i)
        frame += static_cast<char>(length >> (8 * i));
    return frame + payload;
}

TEST(InstanceArguments, RoundTripKeepsBlanksAndEmptyArguments) {
    std::vector<std::string> arguments = {"-rec", "-f", "/a dir/b c.wav", ""};
    std::vector<std::string> decoded;
    ASSERT_TRUE(DecodeArguments(EncodeArguments(arguments), &decoded));
    EXPECT_EQ(decoded, arguments);
    EXPECT_FALSE(DecodeArguments(std::string("-rec\0-b", 7), &decoded)); // not zero-ended
    std::string folder;
    ASSERT_TRUE(DecodeCommandLine(EncodeCommandLine("/home/ann", arguments), &folder, &decoded));
    EXPECT_EQ(folder, "/home/ann");
    EXPECT_EQ(decoded, arguments);
    EXPECT_FALSE(DecodeCommandLine(EncodeCommandLine("relative", arguments), &folder, &decoded));
    EXPECT_FALSE(DecodeCommandLine("", &folder, &decoded));
}

TEST(InstanceSocket, PathIsAFileInTheRuntimeFolder) {
    ::setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    EXPECT_EQ(InstanceSocketPath("ZeltoTonilo"), "/run/user/4242/ZeltoTonilo.socket");
    EXPECT_EQ(InstanceSocketPath("../x"), "");
    EXPECT_EQ(InstanceSocketPath(""), "");
    ::unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(InstanceChannelTest, FirstClaimListensPrivatelyAndSecondFindsIt) {
    InstanceServer first;
    ASSERT_EQ(first.ClaimOrFind(SocketPath()), InstanceServer::Claim::First);
    struct stat info {};
    ASSERT_EQ(::stat(SocketPath().c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // Requests sent before Start wait in the backlog.
    InstanceServer second;
    EXPECT_EQ(second.ClaimOrFind(SocketPath()), InstanceServer::Claim::Running);
    Received received;
    std::string answer;
    std::thread sender([&] {
        EXPECT_TRUE(SendInstanceRequest(SocketPath(), InstanceRequest::CommandLine,
                                        EncodeArguments({"-rec", "-b"}), &answer));
    });
    first.Start(received.Handler());
    sender.join();
    EXPECT_EQ(answer, "ok");
    ASSERT_EQ(received.Count(), 1u);
    EXPECT_EQ(received.requests[0].first, InstanceRequest::CommandLine);
    EXPECT_EQ(received.requests[0].second, EncodeArguments({"-rec", "-b"}));

    first.Stop();
    EXPECT_NE(::access(SocketPath().c_str(), F_OK), 0) << "the socket is removed at the end";
    EXPECT_FALSE(SendInstanceRequest(SocketPath(), InstanceRequest::Status, "", &answer));
}

TEST_F(InstanceChannelTest, SocketOfAKilledInstanceIsTakenOver) {
    pid_t child = ::fork();
    if (child == 0) {
        InstanceServer server;
        _exit(server.ClaimOrFind(SocketPath()) == InstanceServer::Claim::First ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_EQ(::access(SocketPath().c_str(), F_OK), 0) << "the dead listener left its socket";

    InstanceServer server;
    EXPECT_EQ(server.ClaimOrFind(SocketPath()), InstanceServer::Claim::First);
    Received received;
    server.Start(received.Handler());
    std::string answer;
    EXPECT_TRUE(SendInstanceRequest(SocketPath(), InstanceRequest::Status, "", &answer));
    EXPECT_EQ(answer, "mode: idle\n");
}

TEST_F(InstanceChannelTest, SimultaneousClaimsGiveOneListener) {
    constexpr int kStarts = 6;
    int pipes[2];
    ASSERT_EQ(::pipe(pipes), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < kStarts; ++i) {
        pid_t child = ::fork();
        if (child == 0) {
            ::close(pipes[1]);
            char go;
            // All claim at the same moment, when the pipe closes.
            (void)!::read(pipes[0], &go, 1);
            InstanceServer server;
            InstanceServer::Claim claim = server.ClaimOrFind(SocketPath());
            if (claim != InstanceServer::Claim::First)
                _exit(claim == InstanceServer::Claim::Running ? 2 : 3);
            // The listener stays until asked for its status once.
            std::atomic<bool> asked{false};
            server.Start([&](InstanceRequest, const std::string&) {
                asked = true;
                return std::string("x");
            });
            for (int waited = 0; !asked && waited < 3000; ++waited)
                ::usleep(10000);
            _exit(0);
        }
        children.push_back(child);
    }
    ::close(pipes[0]);
    ::close(pipes[1]);
    // Those that found a listener end first; the listener ends once asked.
    int listeners = 0, followers = 0;
    for (size_t done = 0; done + 1 < children.size(); ++done) {
        int status = 0;
        pid_t ended = ::wait(&status);
        ASSERT_GT(ended, 0);
        if (WEXITSTATUS(status) == 2)
            ++followers;
        else if (WEXITSTATUS(status) == 0)
            ++listeners;
    }
    std::string answer;
    EXPECT_TRUE(SendInstanceRequest(SocketPath(), InstanceRequest::Status, "", &answer));
    int status = 0;
    ASSERT_GT(::wait(&status), 0);
    if (WEXITSTATUS(status) == 0)
        ++listeners;
    else if (WEXITSTATUS(status) == 2)
        ++followers;
    EXPECT_EQ(listeners, 1);
    EXPECT_EQ(followers, kStarts - 1);
}

TEST_F(InstanceChannelTest, MalformedFramesNeverReachTheHandler) {
    InstanceServer server;
    ASSERT_EQ(server.ClaimOrFind(SocketPath()), InstanceServer::Claim::First);
    Received received;
    server.Start(received.Handler());
    const std::string frames[] = {
        "",                                              // nothing at all
        "TN",                                            // a cut header
        Frame('C', 5, "-re"),                            // payload shorter than said
        Frame('X', 0, ""),                               // unknown request
        std::string("XY") + Frame('C', 0, "").substr(2), // wrong magic
        Frame('C', kMaxInstancePayload + 1, ""),         // over-long
        Frame('C', 0xFFFFFFFFu, "-rec"),
    };
    for (const std::string& frame : frames)
        EXPECT_FALSE(SendRaw(SocketPath(), frame)) << frame.size();
    EXPECT_EQ(received.Count(), 0u);
    EXPECT_EQ(server.Refused(), sizeof frames / sizeof frames[0]);
    // The server still answers a good request afterwards.
    std::string answer;
    EXPECT_TRUE(SendInstanceRequest(SocketPath(), InstanceRequest::Foreground, "", &answer));
    EXPECT_EQ(received.Count(), 1u);
    // Over-long requests are not even sent.
    EXPECT_FALSE(SendInstanceRequest(SocketPath(), InstanceRequest::CommandLine,
                                     std::string(kMaxInstancePayload + 1, 'a'), &answer));
}

TEST_F(InstanceChannelTest, AnotherUserIsRefused) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to become another user";
    const passwd* nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    InstanceServer server;
    ASSERT_EQ(server.ClaimOrFind(SocketPath()), InstanceServer::Claim::First);
    Received received;
    server.Start(received.Handler());
    // Let the other user reach the socket file, so that only the peer check stands.
    ::chmod(scratch_.Path().c_str(), 0755);
    ::chmod(SocketPath().c_str(), 0666);
    pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
            _exit(3);
        std::string answer;
        bool answered = SendInstanceRequest(SocketPath(), InstanceRequest::CommandLine,
                                            EncodeCommandLine("/", {"-exit"}), &answer) ||
                        SendRaw(SocketPath(), Frame('S', 0, ""));
        _exit(answered ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the other user's request was answered";
    EXPECT_EQ(received.Count(), 0u);
    EXPECT_EQ(server.Refused(), 2u);
}

} // namespace
} // namespace tonilo
