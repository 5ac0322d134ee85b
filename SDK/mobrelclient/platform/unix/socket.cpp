#include "platform/socket.h"

#include <cerrno>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace mobrel::platform {
namespace {

timeval toTimeval(int ms) {
    timeval tv {};
    tv.tv_sec = ms / 1000;
    tv.tv_usec = (ms % 1000) * 1000;
    return tv;
}

}  // namespace

SocketHandle connectTcp(const char* address, uint16_t port) {
    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (inet_pton(AF_INET, address, &addr.sin_addr) != 1) return kNoSocket;

    const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) return kNoSocket;
    int rc;
    do {
        rc = connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) {
        close(s);
        return kNoSocket;
    }
    return s;
}

bool setSocketOptions(SocketHandle s, const SocketOptions& options) {
    const timeval rcv = toTimeval(options.receiveTimeoutMs);
    const timeval snd = toTimeval(options.sendTimeoutMs);
    return setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &rcv, sizeof rcv) == 0 &&
           setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &snd, sizeof snd) == 0 &&
           setsockopt(s, SOL_SOCKET, SO_SNDBUF, &options.sendBufferBytes, sizeof(int)) == 0 &&
           setsockopt(s, SOL_SOCKET, SO_RCVBUF, &options.receiveBufferBytes, sizeof(int)) == 0;
}

long sendBytes(SocketHandle s, const void* data, size_t length) {
    const char* p = static_cast<const char*>(data);
    size_t sent = 0;
    while (sent < length) {
        const ssize_t n = send(s, p + sent, length - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return -1;
        sent += static_cast<size_t>(n);
    }
    return static_cast<long>(sent);
}

long receiveBytes(SocketHandle s, void* buffer, size_t length, bool waitAll) {
    ssize_t n;
    do {
        n = recv(s, buffer, length, waitAll ? MSG_WAITALL : 0);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : static_cast<long>(n);
}

void closeSocket(SocketHandle s) {
    if (s != kNoSocket) close(s);
}

}  // namespace mobrel::platform
