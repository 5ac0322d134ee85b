#include "service_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "dataset/dataset.h"

namespace phonesim::test {

namespace fs = std::filesystem;

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;  // lower case is not what the companion sends
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

std::optional<std::vector<Record>> parseRecords(const std::string& text, const std::vector<std::string>& plainKeys) {
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
        size_t colon = text.find(':', pos);
        size_t semi = text.find(';', pos);
        if (colon == std::string::npos || semi == std::string::npos || colon > semi) return std::nullopt;
        std::string key = text.substr(pos, colon - pos);
        std::string value = text.substr(colon + 1, semi - colon - 1);
        if (key.empty()) return std::nullopt;
        for (char c : key) {
            if (!((c >= 'A' && c <= 'Z') || c == '_')) return std::nullopt;
        }
        bool plain = false;
        for (const std::string& k : plainKeys) plain = plain || k == key;
        if (plain) {
            current[key] = value;
        } else {
            if (value.size() % 2) return std::nullopt;
            std::string bytes;
            for (size_t i = 0; i < value.size(); i += 2) {
                int high = hexDigit(value[i]), low = hexDigit(value[i + 1]);
                if (high < 0 || low < 0) return std::nullopt;
                bytes += static_cast<char>(high * 16 + low);
            }
            current[key] = bytes;
        }
        pos = semi + 1;
    }
    if (!current.empty()) return std::nullopt;  // a record without its "."
    return records;
}

Client::Client(int fd) : fd_(fd) {
    timeval timeout{10, 0};  // a hang fails the test instead of blocking it
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
}

Client::~Client() {
    ::close(fd_);
}

void Client::send(const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

std::string Client::receive(size_t n) {
    std::string out;
    char buffer[65536];
    while (out.size() < n) {
        ssize_t got = ::recv(fd_, buffer, std::min(sizeof buffer, n - out.size()), 0);
        if (got <= 0) break;
        out.append(buffer, static_cast<size_t>(got));
    }
    return out;
}

std::optional<std::string> Client::reply() {
    std::string prefix = receive(4);
    if (prefix.size() != 4) return std::nullopt;
    uint32_t length = 0;
    for (int i = 3; i >= 0; --i) length = length * 256 + static_cast<unsigned char>(prefix[static_cast<size_t>(i)]);
    if (length > 16u * 1024 * 1024) return std::nullopt;
    std::string body = receive(length);
    if (body.size() != length) return std::nullopt;
    return body;
}

std::optional<std::string> Client::ask(const std::string& command) {
    send(command);
    return reply();
}

// The reply of an integer command as a little-endian number of `bytes` bytes.
static int64_t askNumber(Client& client, const std::string& command, size_t bytes) {
    std::optional<std::string> body = client.ask(command);
    EXPECT_TRUE(body && body->size() == bytes) << command;
    if (!body || body->size() != bytes) return -999;
    uint64_t v = 0;
    for (size_t i = bytes; i-- > 0;) v = v * 256 + static_cast<unsigned char>((*body)[i]);
    return bytes == 4 ? static_cast<int32_t>(static_cast<uint32_t>(v)) : static_cast<int64_t>(v);
}

int32_t Client::askInt(const std::string& command) {
    return static_cast<int32_t>(askNumber(*this, command, 4));
}

int64_t Client::askInt64(const std::string& command) {
    return askNumber(*this, command, 8);
}

std::string Client::askText(const std::string& command) {
    std::optional<std::string> body = ask(command);
    EXPECT_TRUE(body.has_value()) << command;
    return body.value_or("<no reply>");
}

std::vector<Record> Client::askRecords(const std::string& command) {
    std::optional<std::string> body = ask(command);
    EXPECT_TRUE(body.has_value()) << command;
    if (!body) return {};
    std::optional<std::vector<Record>> records = parseRecords(*body);
    EXPECT_TRUE(records.has_value()) << command << " gave " << *body;
    return records.value_or(std::vector<Record>{});
}

bool Client::closedByPeer() {
    char byte;
    ssize_t n = ::recv(fd_, &byte, 1, 0);
    // A peer that closes with our bytes still unread resets the connection.
    return n == 0 || (n < 0 && errno == ECONNRESET);
}

bool Client::silentFor(int ms) {
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, ms) == 0;
}

void CompanionTest::SetUp() {
    std::string pattern = (fs::temp_directory_path() / "companion-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    state = pattern;
}

void CompanionTest::TearDown() {
    stopCompanion();
    std::error_code ec;
    fs::remove_all(state, ec);
}

void CompanionTest::start(const Profile& p, bool withDataset) {
    stopCompanion();
    if (withDataset && !fs::exists(state / "store")) {
        std::string error;
        ASSERT_TRUE(generateDataset(state, "small", error)) << error;
    }
    profile = p;
    paths = std::make_unique<DevicePaths>(state);
    faultSwitch = std::make_unique<FaultSwitch>(state / "faults.json");
    companion = std::make_unique<Companion>(state, profile, *paths, *faultSwitch);
}

void CompanionTest::stopCompanion() {
    if (companion) companion->stop();
    for (std::thread& t : servers) t.join();
    servers.clear();
    companion.reset();
}

std::unique_ptr<Client> CompanionTest::connect() {
    int fds[2];
    EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
    Companion* c = companion.get();
    servers.emplace_back([c, fd = fds[1]] { c->serve(fd); });
    return std::make_unique<Client>(fds[0]);
}

std::vector<Record> CompanionTest::allRecords(Client& client, const std::string& countCommand,
                                              const std::string& pageCommand) {
    int32_t count = client.askInt(countCommand);
    std::vector<Record> all;
    for (int32_t position = 0; position < count; position += 5) {
        std::vector<Record> page = client.askRecords(pageCommand + ":" + std::to_string(position) + ";");
        EXPECT_EQ(page.size(), static_cast<size_t>(std::min(5, count - position))) << "page at " << position;
        all.insert(all.end(), page.begin(), page.end());
    }
    return all;
}

}  // namespace phonesim::test
