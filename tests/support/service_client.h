// A client of the companion service that reads replies exactly as the wire
// carries them: a 4-byte little-endian length, then the body. It talks over
// the socket it is given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "loopback.h"

namespace mobreltest {

std::string hex(const std::string& bytes);  // upper-case, written apart from the library's and phonesim's encoders

class Client {
public:
    explicit Client(int fd);  // takes the socket
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    void send(const std::string& bytes);
    // The next reply's body; nothing when the connection ended (or 10 s passed).
    std::optional<std::string> reply();
    std::optional<std::string> ask(const std::string& command);
    // Ask and check that the reply is a number of that size (a failed check is
    // a test failure and yields -999).
    int32_t askInt(const std::string& command);
    int64_t askInt64(const std::string& command);

private:
    int fd_;
};

}  // namespace mobreltest
