// Plain TCP on 127.0.0.1 for the tests' own clients and servers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mobreltest {

// The host end of adb's forward to the companion; fixed, so such tests run one at a time.
constexpr int kServicePort = 25803;

// A socket bound to the port (SO_REUSEADDR), retried while someone else holds
// it, for up to waitMs; -1 when it never came free.
int bindLoopback(int port, int waitMs = 0);
bool portFree(int port);  // nobody listens there (lingering connections do not count)

bool sendAll(int fd, const std::string& bytes);
// Exactly size bytes; false on end of file, error, or no byte for timeoutMs.
bool recvExact(int fd, char* buffer, size_t size, int timeoutMs);
// Reads on until the peer closes (or resets) the connection; false on time-out.
bool waitClosed(int fd, int timeoutMs);

uint32_t readLe32(const std::string& bytes, size_t at);
std::string le32Bytes(uint32_t value);

}  // namespace mobreltest
