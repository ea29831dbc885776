#include "tests/support/TestHttpServer.h"

#include <chrono>

#include <arpa/inet.h>
#include <cstring>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tonilo::testing {

namespace {

bool SendAll(int socket, const void* data, size_t length, std::atomic<size_t>* counter = nullptr) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (length > 0) {
        const ssize_t sent = ::send(socket, bytes, length, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        if (counter != nullptr)
            *counter += static_cast<size_t>(sent);
        bytes += sent;
        length -= static_cast<size_t>(sent);
    }
    return true;
}

bool SendText(int socket, const std::string& text) {
    return SendAll(socket, text.data(), text.size());
}

// The value of a header in a request head, empty when absent.
std::string HeaderValue(const std::string& head, const char* name) {
    size_t line = head.find("\r\n");
    while (line != std::string::npos && line + 2 < head.size()) {
        const size_t start = line + 2;
        const size_t end = head.find("\r\n", start);
        const std::string text = head.substr(start, end - start);
        const size_t colon = text.find(':');
        if (colon != std::string::npos && strncasecmp(text.c_str(), name, colon) == 0 &&
            std::strlen(name) == colon) {
            size_t value = colon + 1;
            while (value < text.size() && text[value] == ' ')
                ++value;
            return text.substr(value);
        }
        line = end;
    }
    return {};
}

} // namespace

TestHttpServer::TestHttpServer(std::vector<uint8_t> body) : body_(std::move(body)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0)
        return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listener_);
        listener_ = -1;
        return;
    }
    port_ = ntohs(address.sin_port);
    acceptThread_ = std::thread(&TestHttpServer::AcceptLoop, this);
}

TestHttpServer::~TestHttpServer() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
        for (int client : clients_)
            ::shutdown(client, SHUT_RDWR);
    }
    stopped_.notify_all();
    if (listener_ >= 0)
        ::shutdown(listener_, SHUT_RDWR);
    if (acceptThread_.joinable())
        acceptThread_.join();
    for (auto& thread : clientThreads_)
        thread.join();
    if (listener_ >= 0)
        ::close(listener_);
}

std::string TestHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void TestHttpServer::ServeFilesFrom(const std::string& folder) {
    std::lock_guard<std::mutex> lock(mutex_);
    folder_ = folder;
}

bool TestHttpServer::ReadServedFile(const std::string& path, std::vector<uint8_t>* bytes) {
    std::string folder;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        folder = folder_;
    }
    const std::string name = path.substr(1);
    if (folder.empty() || name.empty() || name.find('/') != std::string::npos ||
        name.find("..") != std::string::npos)
        return false;
    std::ifstream file(folder + "/" + name, std::ios::binary);
    if (!file)
        return false;
    bytes->assign(std::istreambuf_iterator<char>(file), {});
    return true;
}

std::vector<std::string> TestHttpServer::Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

size_t TestHttpServer::RequestCount() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_.size();
}

int TestHttpServer::Connections() {
    std::lock_guard<std::mutex> lock(mutex_);
    return connections_;
}

void TestHttpServer::AcceptLoop() {
    for (;;) {
        pollfd waiting{listener_, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, 100);
        std::lock_guard<std::mutex> lock(mutex_);
        if (stop_)
            return;
        if (ready <= 0)
            continue;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        ++connections_;
        clients_.push_back(client);
        clientThreads_.emplace_back(&TestHttpServer::Serve, this, client);
    }
}

void TestHttpServer::WaitForStop() {
    std::unique_lock<std::mutex> lock(mutex_);
    stopped_.wait(lock, [this] { return stop_; });
}

bool TestHttpServer::WaitForStopOrDelay(int milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    return !stopped_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                              [this] { return stop_; });
}

void TestHttpServer::Serve(int client) {
    std::string received;
    char buffer[4096];
    for (;;) {
        const size_t end = received.find("\r\n\r\n");
        if (end != std::string::npos) {
            const std::string head = received.substr(0, end + 2);
            received.erase(0, end + 4);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.push_back(head);
            }
            if (!Answer(client, head))
                break;
            continue;
        }
        const ssize_t got = ::recv(client, buffer, sizeof(buffer), 0);
        if (got <= 0)
            break;
        received.append(buffer, static_cast<size_t>(got));
    }
    // The socket is closed by whoever removes it from the list, exactly once.
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = clients_.begin(); it != clients_.end(); ++it) {
        if (*it == client) {
            clients_.erase(it);
            ::close(client);
            break;
        }
    }
}

// Answers one request; false closes the connection.
bool TestHttpServer::Answer(int client, const std::string& head) {
    const size_t pathStart = head.find(' ') + 1;
    const std::string path = head.substr(pathStart, head.find(' ', pathStart) - pathStart);
    const std::string length = std::to_string(body_.size());
    if (path == "/file" || path == "/norange" || path == "/ignorerange") {
        size_t start = 0;
        const std::string range = HeaderValue(head, "Range");
        if (path == "/file" && range.rfind("bytes=", 0) == 0)
            start = std::stoul(range.substr(6));
        if (start > 0 && start < body_.size()) {
            SendText(client, "HTTP/1.1 206 Partial Content\r\nAccept-Ranges: bytes\r\n"
                             "Content-Range: bytes " +
                                 std::to_string(start) + "-" + std::to_string(body_.size() - 1) +
                                 "/" + length + "\r\nContent-Length: " +
                                 std::to_string(body_.size() - start) + "\r\n\r\n");
        } else {
            SendText(client, std::string("HTTP/1.1 200 OK\r\n") +
                                 (path != "/norange" ? "Accept-Ranges: bytes\r\n" : "") +
                                 "Content-Length: " + length + "\r\n\r\n");
            start = 0;
        }
        return SendAll(client, body_.data() + start, body_.size() - start, &bodyBytesSent_);
    }
    if (path == "/nolength") {
        SendText(client, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
        SendAll(client, body_.data(), body_.size());
        return false;
    }
    if (path == "/redirect")
        return SendText(client,
                        "HTTP/1.1 302 Found\r\nLocation: /file\r\nContent-Length: 0\r\n\r\n");
    if (path == "/stall") {
        WaitForStop();
        return false;
    }
    if (path == "/stallbody" || path == "/drop") {
        SendText(client, "HTTP/1.1 200 OK\r\nContent-Length: " + length + "\r\n\r\n");
        SendAll(client, body_.data(), body_.size() / 2);
        if (path == "/stallbody")
            WaitForStop();
        return false;
    }
    if (path == "/latebody") {
        SendText(client, "HTTP/1.1 200 OK\r\nContent-Length: " + length + "\r\n\r\n");
        SendAll(client, body_.data(), body_.size() / 2);
        if (WaitForStopOrDelay(lateBodyDelayMs_))
            SendAll(client, body_.data() + body_.size() / 2, body_.size() - body_.size() / 2);
        return false;
    }
    std::vector<uint8_t> file;
    if (ReadServedFile(path, &file)) {
        SendText(client, "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                         "Connection: close\r\n\r\n");
        SendAll(client, file.data(), file.size());
        return false;
    }
    const std::string text = "Not Found";
    SendText(client, "HTTP/1.1 404 Not Found\r\nContent-Length: " + std::to_string(text.size()) +
                         "\r\n\r\n" + text);
    return true;
}

} // namespace tonilo::testing
