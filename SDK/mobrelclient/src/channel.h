// The service channel: one TCP connection to the companion app, reached through
// adb's forward of 127.0.0.1:25803 to the phone's port 20148. Requests are
// command texts ending in ";"; each reply is a 32-bit little-endian length and
// that many bytes. A command lock makes every exchange (send, length, body, and
// the reconnect after a failure) whole with respect to the other threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/socket.h"

namespace mobrel {

class ServiceChannel {
public:
    ServiceChannel() = default;
    ~ServiceChannel();
    ServiceChannel(const ServiceChannel&) = delete;
    ServiceChannel& operator=(const ServiceChannel&) = delete;

    // Removes the forwards, forwards the port again (naming the current device
    // when one is set), connects and sets the socket options. 0 or -1.
    int open();
    // Marks the channel not connected and closes the connection.
    void close();

    // Sends command (and payload, if given) and reads the reply body into buffer.
    // The result is the number of body bytes (0 for an empty reply, which also
    // stores a 32-bit 0 at the start of the buffer), or -1. A failed exchange is
    // logged, the channel reconnected and the command tried again, three tries in
    // all (tryCount 0, 1 and 2); callers pass 0.
    int send(const char* command, char* buffer, int bufferSize, const char* payload, int payloadLength,
             int tryCount);

    // The device every later forward names; "" for none.
    void setDeviceSerial(const std::string& serial);

    // Request/reply exchanges tried on the socket since start-up (for measurements).
    uint64_t exchangeCount() const { return exchanges_; }

private:
    int openLocked();
    void closeLocked();
    void takeCommandLock();
    int exchange(const char* command, char* buffer, int bufferSize, const char* payload, int payloadLength);
    std::string deviceSerial();

    std::mutex commandLock_;
    std::mutex connectMutex_;  // one connect at a time; taken after commandLock_ when both are held
    std::mutex serialMutex_;
    std::string serial_;
    std::atomic<platform::SocketHandle> sock_ {platform::kNoSocket};
    std::atomic<bool> connected_ {false};
    std::atomic<uint64_t> exchanges_ {0};
};

// The process-wide channel (never destroyed) and the library's entry points to it.
ServiceChannel& serviceChannel();
int openServiceChannel();
void closeServiceChannel();
int SendCommandToAndroidServices(const char* command, char* buffer, int bufferSize, const char* payload,
                                 int payloadLength, int tryCount);

}  // namespace mobrel
