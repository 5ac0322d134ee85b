#include "service_client.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace mobreltest {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;  // lower case is not what the companion sends
}

// The reply of an integer command as a little-endian number of `bytes` bytes.
int64_t askNumber(Client& client, const std::string& command, size_t bytes) {
    const std::optional<std::string> body = client.ask(command);
    EXPECT_TRUE(body && body->size() == bytes) << command;
    if (!body || body->size() != bytes) return -999;
    uint64_t v = 0;
    for (size_t i = bytes; i-- > 0;) v = v * 256 + static_cast<unsigned char>((*body)[i]);
    return bytes == 4 ? static_cast<int32_t>(static_cast<uint32_t>(v)) : static_cast<int64_t>(v);
}

// Record text to records, checked strictly: every item is KEY ":" upper-case hex
// ";" and every record ends with "."; nothing for any other text.
std::optional<std::vector<Record>> parseRecords(const std::string& text) {
    std::vector<Record> records;
    Record current;
    size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == '.') {
            records.push_back(current);
            current.clear();
            ++pos;
            continue;
        }
        const size_t colon = text.find(':', pos);
        const size_t semi = text.find(';', pos);
        if (colon == std::string::npos || semi == std::string::npos || colon > semi) return std::nullopt;
        const std::string key = text.substr(pos, colon - pos);
        const std::string value = text.substr(colon + 1, semi - colon - 1);
        if (key.empty() || key.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ_") != std::string::npos) return std::nullopt;
        if (value.size() % 2) return std::nullopt;
        std::string bytes;
        for (size_t i = 0; i < value.size(); i += 2) {
            const int high = hexDigit(value[i]), low = hexDigit(value[i + 1]);
            if (high < 0 || low < 0) return std::nullopt;
            bytes += static_cast<char>(high * 16 + low);
        }
        current[key] = bytes;
        pos = semi + 1;
    }
    if (!current.empty()) return std::nullopt;  // a record without its "."
    return records;
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

std::unique_ptr<Client> Client::connect(int port) {
    const int fd = connectLoopback(port);
    return fd < 0 ? nullptr : std::make_unique<Client>(fd);
}

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

std::string Client::askText(const std::string& command) {
    const std::optional<std::string> body = ask(command);
    EXPECT_TRUE(body.has_value()) << command;
    return body.value_or("<no reply>");
}

std::vector<Record> Client::askRecords(const std::string& command) {
    const std::optional<std::string> body = ask(command);
    EXPECT_TRUE(body.has_value()) << command;
    if (!body) return {};
    std::optional<std::vector<Record>> records = parseRecords(*body);
    EXPECT_TRUE(records.has_value()) << command << " gave " << *body;
    return records.value_or(std::vector<Record>{});
}

std::vector<Record> Client::allRecords(const std::string& countCommand, const std::string& pageCommand) {
    const int32_t count = askInt(countCommand);
    std::vector<Record> all;
    for (int32_t position = 0; position < count; position += 5) {
        const std::vector<Record> page = askRecords(pageCommand + ":" + std::to_string(position) + ";");
        EXPECT_EQ(page.size(), static_cast<size_t>(std::min(5, count - position))) << "page at " << position;
        all.insert(all.end(), page.begin(), page.end());
    }
    return all;
}

bool Client::closedByPeer(int timeoutMs) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return false;
    char byte;
    const ssize_t n = ::recv(fd_, &byte, 1, 0);
    return n == 0 || (n < 0 && errno == ECONNRESET);  // no byte came before the end
}

bool Client::silentFor(int ms) {
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, ms) == 0;
}

}  // namespace mobreltest
