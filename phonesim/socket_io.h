// Whole writes and reads on a socket, for the adb side and the companion alike,
// and a descriptor that closes with its holder.
#pragma once

#include <cstddef>
#include <utility>

namespace phonesim {

// Never raises SIGPIPE; false on error or end of stream.
bool writeAll(int fd, const char* data, size_t size);
bool readAll(int fd, char* data, size_t size);

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~UniqueFd();
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace phonesim
