#include "listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "connection.h"
#include "socket_io.h"

namespace phonesim::adb {

namespace {

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

}  // namespace

Listener::Listener(Phone& phone) : phone_(phone) {}

Listener::~Listener() { stop(); }

bool Listener::open(int port, std::string& error) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        error = std::strerror(errno);
        return false;
    }
    int on = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address = loopback(port);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd_, 16) != 0) {
        error = std::strerror(errno);
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

void Listener::start() { thread_ = std::thread([this] { acceptLoop(); }); }

void Listener::acceptLoop() {
    while (!stopping_) {
        int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            if (stopping_) break;
            if (errno != EINTR && errno != ECONNABORTED) std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        // Small packets (OKAY, short replies) must not wait for Nagle.
        int on = 1;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        connections_.joinFinished();
        auto connection = std::make_unique<Connection>(client, phone_);
        Connection* raw = connection.get();
        connections_.start(std::move(connection), [raw] { raw->run(); });
    }
}

void Listener::stop() {
    stopping_ = true;
    if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);  // wakes accept()
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    // The accept loop has ended: no connection is added any more.
    connections_.forEach([](std::unique_ptr<Connection>& c) { c->shutdown(); });
    connections_.joinAll();
}

bool registerWithServer(int serverPort, int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in address = loopback(serverPort);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (ok) {
        std::string text = "host:emulator:" + std::to_string(port);
        char length[8];
        std::snprintf(length, sizeof length, "%04zx", text.size());
        std::string request = length + text;
        ok = writeAll(fd, request.data(), request.size());
        // The server answers nothing and closes once it has taken the request.
        timeval timeout{2, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        char sink[64];
        while (ok && ::recv(fd, sink, sizeof sink, 0) > 0) {
        }
    }
    ::close(fd);
    return ok;
}

}  // namespace phonesim::adb
