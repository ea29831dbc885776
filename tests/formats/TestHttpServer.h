#pragma once
// A tiny threaded HTTP/1.1 server on 127.0.0.1 for the HTTP stream tests. Paths:
//   /file       200 with Content-Length and Accept-Ranges; honours "Range: bytes=N-"
//   /norange    200 with Content-Length; ignores Range
//   /ignorerange  like /norange, but claims Accept-Ranges
//   /nolength   200 without Content-Length; the body ends when the connection closes
//   /missing    404
//   /redirect   302 to /file
//   /stall      never answers
//   /stallbody  sends headers and half the body, then goes quiet
//   /drop       sends headers and half the body, then closes the connection
// Stalled connections are released when the server is destroyed.
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
    // Every request head received so far (request line and headers).
    std::vector<std::string> Requests();
    size_t RequestCount();
    int Connections();

private:
    void AcceptLoop();
    void Serve(int client);
    bool Answer(int client, const std::string& head);
    void WaitForStop();

    std::vector<uint8_t> body_;
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
};

} // namespace tonilo::testing
