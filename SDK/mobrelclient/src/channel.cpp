#include "channel.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>

#include "commands.h"
#include "log.h"
#include "runner.h"

namespace mobrel {
namespace {

constexpr int kRetry = -1;  // exchange result: take the error path
constexpr int kTries = 3;
constexpr int kZeroReceivesAllowed = 5;
constexpr platform::SocketOptions kSocketOptions {40000, 10000, 10240, 10240};

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void storeZero(char* buffer, int bufferSize) {
    if (buffer && bufferSize > 0) std::memset(buffer, 0, static_cast<size_t>(std::min(bufferSize, 4)));
}

}  // namespace

ServiceChannel::~ServiceChannel() { platform::closeSocket(sock_); }

int ServiceChannel::open() {
    takeCommandLock();
    std::lock_guard<std::mutex> unlock(commandLock_, std::adopt_lock);
    std::lock_guard<std::mutex> connecting(connectMutex_);
    return openLocked();
}

void ServiceChannel::close() {
    takeCommandLock();
    std::lock_guard<std::mutex> unlock(commandLock_, std::adopt_lock);
    std::lock_guard<std::mutex> connecting(connectMutex_);
    closeLocked();
}

void ServiceChannel::setDeviceSerial(const std::string& serial) {
    std::lock_guard<std::mutex> guard(serialMutex_);
    serial_ = serial;
}

std::string ServiceChannel::deviceSerial() {
    std::lock_guard<std::mutex> guard(serialMutex_);
    return serial_;
}

int ServiceChannel::openLocked() {
    platform::closeSocket(sock_.exchange(platform::kNoSocket));  // replaced, never leaked
    connected_ = true;
    runAdbWait(adbargs::kRemoveAllForwards);
    sleepMs(300);
    runAdbWait(adbargs::forward(deviceSerial()));
    sleepMs(300);

    const platform::SocketHandle s = platform::connectTcp("127.0.0.1", kServiceHostPort);
    if (s == platform::kNoSocket) {
        connected_ = false;
        return -1;
    }
    platform::setSocketOptions(s, kSocketOptions);
    sock_ = s;
    return 0;
}

void ServiceChannel::closeLocked() {
    connected_ = false;
    platform::closeSocket(sock_.exchange(platform::kNoSocket));
}

// The lock is taken by trying, with 10 ms sleeps while another exchange holds it.
void ServiceChannel::takeCommandLock() {
    while (!commandLock_.try_lock()) sleepMs(10);
}

int ServiceChannel::send(const char* command, char* buffer, int bufferSize, const char* payload,
                         int payloadLength, int tryCount) {
    for (;; ++tryCount) {
        {
            // Threads that find the channel closed at once connect one after the
            // other; the later ones find it open and go on.
            std::lock_guard<std::mutex> connecting(connectMutex_);
            if (!connected_) openLocked();
        }
        if (!command) return -1;
        const platform::SocketHandle sock = sock_;
        if (command[0] == '\0' || tryCount >= kTries || sock == platform::kNoSocket) {
            logMessage("error SendCommandToAndroidServices cmd = %s, m_sockSrv =%d, try_count = %d\n", command,
                       sock == platform::kNoSocket ? 0 : sock, tryCount);
            return -1;
        }

        takeCommandLock();
        std::lock_guard<std::mutex> unlock(commandLock_, std::adopt_lock);
        const int result = exchange(command, buffer, bufferSize, payload, payloadLength);
        if (result != kRetry) return result;

        logMessage("SendCommandToAndroidServices error:cmd=%s\n", command);
        std::lock_guard<std::mutex> connecting(connectMutex_);
        closeLocked();
        openLocked();
        // Both locks are released here, so another thread's command may run before the next try.
    }
}

int ServiceChannel::exchange(const char* command, char* buffer, int bufferSize, const char* payload,
                             int payloadLength) {
    const platform::SocketHandle sock = sock_;  // read again under the lock
    ++exchanges_;
    if (bufferSize < 0) bufferSize = 0;
    const long sent = platform::sendBytes(sock, command, std::strlen(command));
    if (sent > 0 && payload && payloadLength > 0) {
        platform::sendBytes(sock, payload, static_cast<size_t>(payloadLength));
    }
    if (sent <= 0) return kRetry;

    // The length comes whole or not at all: a part of it cannot be read as a
    // length, so fewer than 4 bytes is a failed exchange.
    unsigned char prefix[4];
    if (platform::receiveBytes(sock, prefix, sizeof prefix, true) != static_cast<long>(sizeof prefix)) {
        return kRetry;
    }
    const int32_t length = static_cast<int32_t>(static_cast<uint32_t>(prefix[0]) |
                                                static_cast<uint32_t>(prefix[1]) << 8 |
                                                static_cast<uint32_t>(prefix[2]) << 16 |
                                                static_cast<uint32_t>(prefix[3]) << 24);
    if (length > bufferSize) {
        // Too long for the caller: take what fits once, then drop the connection.
        platform::receiveBytes(sock, buffer, static_cast<size_t>(bufferSize));
        return kRetry;
    }
    if (length <= 0) {
        storeZero(buffer, bufferSize);
        return 0;
    }

    int received = 0;
    int zeroReceives = 0;
    while (received < length) {
        const long n = platform::receiveBytes(sock, buffer + received, static_cast<size_t>(length - received));
        if (n < 0) break;  // error or time-out: what arrived so far is the result
        if (n == 0) {
            sleepMs(1000);
            if (++zeroReceives == kZeroReceivesAllowed) return kRetry;
            continue;
        }
        zeroReceives = 0;
        received += static_cast<int>(n);
    }
    if (received == 0) storeZero(buffer, bufferSize);
    return received;
}

ServiceChannel& serviceChannel() {
    static ServiceChannel* const channel = new ServiceChannel;
    return *channel;
}

int openServiceChannel() { return serviceChannel().open(); }

void closeServiceChannel() { serviceChannel().close(); }

int SendCommandToAndroidServices(const char* command, char* buffer, int bufferSize, const char* payload,
                                 int payloadLength, int tryCount) {
    return serviceChannel().send(command, buffer, bufferSize, payload, payloadLength, tryCount);
}

}  // namespace mobrel
