// TCP client sockets for the service channel. A failed or interrupted call never
// raises a signal (no SIGPIPE on a peer that went away).
#pragma once

#include <cstddef>
#include <cstdint>

namespace mobrel::platform {

using SocketHandle = int;
constexpr SocketHandle kNoSocket = -1;

struct SocketOptions {
    int receiveTimeoutMs;
    int sendTimeoutMs;
    int sendBufferBytes;
    int receiveBufferBytes;
};

// A TCP stream socket connected to address:port (dotted IPv4), or kNoSocket.
SocketHandle connectTcp(const char* address, uint16_t port);
bool setSocketOptions(SocketHandle s, const SocketOptions& options);

// Sends all of data (retrying short sends); the byte count, or -1 on failure.
long sendBytes(SocketHandle s, const void* data, size_t length);

// One receive call: the byte count, 0 when the peer closed, -1 on failure or
// time-out. waitAll asks the call to wait until length bytes arrived, the peer
// closed or the time-out passed.
long receiveBytes(SocketHandle s, void* buffer, size_t length, bool waitAll = false);

void closeSocket(SocketHandle s);

}  // namespace mobrel::platform
