#pragma once
// A one-thread HTTP server on 127.0.0.1 for stream tests: answers every GET
// with the bytes of the file named by the path (404 when missing), as
// HTTP/1.0 without Content-Length, the connection's end marking the body's
// end, like a radio stream or a dynamic page.
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace tonilo::test {

class LocalHttpServer {
public:
    // Serves files from folder; Port() is 0 when the server could not start.
    explicit LocalHttpServer(std::string folder);
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    uint16_t Port() const { return port_; }
    std::string Address(const std::string& name) const;

private:
    void Serve();
    void Answer(int connection);

    std::string folder_;
    int listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

} // namespace tonilo::test
