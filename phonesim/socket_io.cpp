#include "socket_io.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace phonesim {

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool readAll(int fd, char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::recv(fd, data, size, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

UniqueFd::~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace phonesim
