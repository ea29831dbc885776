#pragma once
// A tiny threaded HTTP/1.1 server on 127.0.0.1 for tests that read over HTTP. Paths:
//   /file       200 with Content-Length and Accept-Ranges; honours "Range: bytes=N-"
//   /norange    200 with Content-Length; ignores Range
//   /ignorerange  like /norange, but claims Accept-Ranges
//   /nolength   200 without Content-Length; the body ends when the connection closes
//   /NAME       with ServeFilesFrom: the file NAME of that folder like /nolength,
//               as a radio stream or a dynamic page sends it; 404 when missing
//   /missing    404
//   /redirect   302 to /file
//   /stall      never answers
//   /stallbody  sends headers and half the body, then goes quiet
//   /drop       sends headers and half the body, then closes the connection
//   /latebody   sends headers and half the body, the rest after the late-body
//               delay (a server slower than one receive time-out)
// Stalled connections are released when the server is destroyed.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tonilo::testing {

class TestHttpServer {
public:
    explicit TestHttpServer(std::vector<uint8_t> body);
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    bool IsRunning() const { return listener_ >= 0; }
    std::string Url(const std::string& path) const;
    const std::vector<uint8_t>& Body() const { return body_; }
    // Also answers paths naming a file in folder (no '/' or ".." inside).
    void ServeFilesFrom(const std::string& folder);
    void SetLateBodyDelay(int milliseconds) { lateBodyDelayMs_ = milliseconds; }
    // Every request head received so far (request line and headers).
    std::vector<std::string> Requests();
    size_t RequestCount();
    int Connections();
    // Body bytes of /file handed to the sockets so far.
    size_t BodyBytesSent() const { return bodyBytesSent_; }

private:
    void AcceptLoop();
    void Serve(int client);
    bool Answer(int client, const std::string& head);
    // The bytes of the served file a path names; false when there is none.
    bool ReadServedFile(const std::string& path, std::vector<uint8_t>* bytes);
    void WaitForStop();
    // False when the server stops first.
    bool WaitForStopOrDelay(int milliseconds);

    std::vector<uint8_t> body_;
    std::string folder_; // of ServeFilesFrom; empty for none
    int listener_ = -1;
    uint16_t port_ = 0;
    std::thread acceptThread_;
    std::mutex mutex_;
    std::condition_variable stopped_;
    bool stop_ = false;
    std::vector<std::thread> clientThreads_;
    std::vector<int> clients_;
    std::vector<std::string> requests_;
    int connections_ = 0;
    std::atomic<int> lateBodyDelayMs_{1000};
    std::atomic<size_t> bodyBytesSent_{0};
};

} // namespace tonilo::testing
