#include "test_clients.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace adbtest {

namespace {

int connectLoopback(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool sendAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// 1: bytes, 0: closed, -1: time-out or error.
int recvSome(int fd, char* buffer, size_t size, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return -1;
    ssize_t n = ::recv(fd, buffer, size, 0);
    if (n > 0) return static_cast<int>(n);
    return n == 0 ? 0 : -1;
}

bool recvExact(int fd, char* buffer, size_t size, int timeoutMs) {
    size_t done = 0;
    while (done < size) {
        int n = recvSome(fd, buffer + done, size - done, timeoutMs);
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool waitClosed(int fd, int timeoutMs) {
    char buffer[4096];
    for (;;) {
        int n = recvSome(fd, buffer, sizeof buffer, timeoutMs);
        if (n == 0) return true;
        if (n < 0) return errno == ECONNRESET;
    }
}

}  // namespace

uint32_t le32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes.at(at + i))) << (8 * i);
    return v;
}

std::string le32Bytes(uint32_t value) {
    std::string out;
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    return out;
}

uint32_t id4(const char (&text)[5]) { return le32(std::string(text, 4), 0); }

RawHost::~RawHost() {
    if (fd_ >= 0) ::close(fd_);
}

bool RawHost::connect(int port) {
    fd_ = connectLoopback(port);
    return fd_ >= 0;
}

bool RawHost::send(const std::string& bytes) { return sendAll(fd_, bytes); }

bool RawHost::sendPacket(uint32_t command, uint32_t arg0, uint32_t arg1, const std::string& data) {
    std::string header = le32Bytes(command) + le32Bytes(arg0) + le32Bytes(arg1) +
                         le32Bytes(static_cast<uint32_t>(data.size())) + le32Bytes(0) + le32Bytes(~command);
    return send(header + data);
}

bool RawHost::readExact(char* buffer, size_t size, int timeoutMs) { return recvExact(fd_, buffer, size, timeoutMs); }

bool RawHost::read(RawPacket& out, int timeoutMs) {
    std::string header(24, '\0');
    if (!readExact(header.data(), header.size(), timeoutMs)) return false;
    out.command = le32(header, 0);
    out.arg0 = le32(header, 4);
    out.arg1 = le32(header, 8);
    uint32_t length = le32(header, 12);
    if (le32(header, 20) != ~out.command || length > (1u << 20)) return false;
    out.data.assign(length, '\0');
    return length == 0 || readExact(out.data.data(), length, timeoutMs);
}

bool RawHost::handshake(uint32_t maxData, RawPacket& reply) {
    if (!sendPacket(id4("CNXN"), 0x01000001, maxData, std::string("host::features=shell_v2,cmd,stat_v2,ls_v2") + '\0')) {
        return false;
    }
    return read(reply) && reply.command == id4("CNXN");
}

uint32_t RawHost::open(uint32_t localId, const std::string& service) {
    if (!sendPacket(id4("OPEN"), localId, 0, service + '\0')) return 0;
    RawPacket reply;
    if (!read(reply) || reply.arg1 != localId) return 0;
    return reply.command == id4("OKAY") ? reply.arg0 : 0;
}

bool RawHost::closedByPhone(int timeoutMs) { return waitClosed(fd_, timeoutMs); }

ServiceClient::~ServiceClient() {
    if (fd_ >= 0) ::close(fd_);
}

bool ServiceClient::connect() {
    fd_ = connectLoopback(25803);
    return fd_ >= 0;
}

bool ServiceClient::request(const std::string& command, std::string& reply, int timeoutMs) {
    if (!sendAll(fd_, command)) return false;
    char length[4];
    if (!recvExact(fd_, length, 4, timeoutMs)) return false;
    uint32_t size = le32(std::string(length, 4), 0);
    if (size > (1u << 24)) return false;
    reply.assign(size, '\0');
    return size == 0 || recvExact(fd_, reply.data(), size, timeoutMs);
}

bool ServiceClient::closedByPeer(int timeoutMs) { return waitClosed(fd_, timeoutMs); }

bool companionAnswers() {
    ServiceClient client;
    std::string reply;
    return client.connect() && client.request("hello-manager;", reply) && reply == "HI-PC";
}

}  // namespace adbtest
