#include "loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace mobreltest {

namespace {

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int tryBind(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in address = loopback(port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
    ::close(fd);
    return -1;
}

// Bytes read (> 0), 0 at end of file, -1 on time-out or error.
int recvSome(int fd, char* buffer, size_t size, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) {
        errno = ETIMEDOUT;
        return -1;
    }
    const ssize_t n = ::recv(fd, buffer, size, 0);
    return n >= 0 ? static_cast<int>(n) : -1;
}

}  // namespace

int bindLoopback(int port, int waitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        const int fd = tryBind(port);
        if (fd >= 0 || std::chrono::steady_clock::now() >= deadline) return fd;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

bool portFree(int port) {
    const int fd = tryBind(port);
    if (fd >= 0) ::close(fd);
    return fd >= 0;
}

bool sendAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool recvExact(int fd, char* buffer, size_t size, int timeoutMs) {
    for (size_t done = 0; done < size;) {
        const int n = recvSome(fd, buffer + done, size - done, timeoutMs);
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool waitClosed(int fd, int timeoutMs) {
    char buffer[4096];
    for (;;) {
        const int n = recvSome(fd, buffer, sizeof buffer, timeoutMs);
        if (n == 0) return true;
        // A peer that closes with our bytes still unread resets the connection.
        if (n < 0) return errno == ECONNRESET;
    }
}

uint32_t readLe32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes.at(at + i))) << (8 * i);
    return v;
}

std::string le32Bytes(uint32_t value) {
    std::string out;
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    return out;
}

}  // namespace mobreltest
