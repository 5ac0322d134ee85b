#include "service_client.h"

#include <gtest/gtest.h>
#include <unistd.h>


namespace mobreltest {

namespace {

// The reply of an integer command as a little-endian number of `bytes` bytes.
int64_t askNumber(Client& client, const std::string& command, size_t bytes) {
    const std::optional<std::string> body = client.ask(command);
    EXPECT_TRUE(body && body->size() == bytes) << command;
    if (!body || body->size() != bytes) return -999;
    uint64_t v = 0;
    for (size_t i = bytes; i-- > 0;) v = v * 256 + static_cast<unsigned char>((*body)[i]);
    return bytes == 4 ? static_cast<int32_t>(static_cast<uint32_t>(v)) : static_cast<int64_t>(v);
}

}  // namespace

std::string hex(const std::string& bytes) {
    std::string out;
    for (unsigned char b : bytes) {
        out += "0123456789ABCDEF"[b / 16];
        out += "0123456789ABCDEF"[b % 16];
    }
    return out;
}

Client::Client(int fd) : fd_(fd) {}

Client::~Client() { ::close(fd_); }

void Client::send(const std::string& bytes) { sendAll(fd_, bytes); }

std::optional<std::string> Client::reply() {
    // A hang fails the test instead of blocking it.
    std::string prefix(4, '\0');
    if (!recvExact(fd_, prefix.data(), 4, 10000)) return std::nullopt;
    const uint32_t length = readLe32(prefix, 0);
    if (length > 16u * 1024 * 1024) return std::nullopt;
    std::string body(length, '\0');
    if (!recvExact(fd_, body.data(), length, 10000)) return std::nullopt;
    return body;
}

std::optional<std::string> Client::ask(const std::string& command) {
    send(command);
    return reply();
}

int32_t Client::askInt(const std::string& command) { return static_cast<int32_t>(askNumber(*this, command, 4)); }

int64_t Client::askInt64(const std::string& command) { return askNumber(*this, command, 8); }

}  // namespace mobreltest
