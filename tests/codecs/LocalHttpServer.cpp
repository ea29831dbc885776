#include "tests/codecs/LocalHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "tests/codecs/CodecTestSupport.h"

namespace tonilo::test {
namespace {

bool SendAll(int connection, const void* bytes, size_t count) {
    auto* data = static_cast<const char*>(bytes);
    while (count > 0) {
        ssize_t sent = send(connection, data, count, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        count -= static_cast<size_t>(sent);
    }
    return true;
}

} // namespace

LocalHttpServer::LocalHttpServer(std::string folder) : folder_(std::move(folder)) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    if (listener_ < 0)
        return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 8) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

LocalHttpServer::~LocalHttpServer() {
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
    if (listener_ >= 0)
        close(listener_);
}

std::string LocalHttpServer::Address(const std::string& name) const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + name;
}

void LocalHttpServer::Serve() {
    while (!stopping_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (poll(&waiting, 1, 50) <= 0)
            continue;
        int connection = accept(listener_, nullptr, nullptr);
        if (connection < 0)
            continue;
        Answer(connection);
        close(connection);
    }
}

void LocalHttpServer::Answer(int connection) {
    std::string request;
    char chunk[1024];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
        ssize_t got = recv(connection, chunk, sizeof chunk, 0);
        if (got <= 0)
            return;
        request.append(chunk, static_cast<size_t>(got));
    }
    size_t pathStart = request.find(' ');
    size_t pathEnd = request.find(' ', pathStart + 1);
    if (request.compare(0, 4, "GET ") != 0 || pathEnd == std::string::npos)
        return;
    std::string name = request.substr(pathStart + 2, pathEnd - pathStart - 2);
    std::vector<uint8_t> body;
    if (name.find('/') == std::string::npos && name.find("..") == std::string::npos)
        body = ReadWholeFile(folder_ + "/" + name);
    if (body.empty()) {
        const char notFound[] = "HTTP/1.0 404 Not Found\r\n\r\n";
        SendAll(connection, notFound, sizeof notFound - 1);
        return;
    }
    const char found[] = "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n";
    if (SendAll(connection, found, sizeof found - 1))
        SendAll(connection, body.data(), body.size());
    shutdown(connection, SHUT_WR);
}

} // namespace tonilo::test
