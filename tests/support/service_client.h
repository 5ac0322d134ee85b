// A client of the companion service that reads replies exactly as the wire
// carries them: a 4-byte little-endian length, then the body. It talks over
// adb's forward (connect()) or over any socket it is given.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "loopback.h"

namespace mobreltest {

// Keys to decoded values of one record.
using Record = std::map<std::string, std::string>;

std::string hex(const std::string& bytes);  // upper-case, written apart from the library's and phonesim's encoders

class Client {
public:
    explicit Client(int fd);  // takes the socket
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Null when nobody listens on 127.0.0.1:port.
    static std::unique_ptr<Client> connect(int port = kServicePort);

    void send(const std::string& bytes);
    // The next reply's body; nothing when the connection ended (or 10 s passed).
    std::optional<std::string> reply();
    std::optional<std::string> ask(const std::string& command);
    // Ask and check that the reply has the expected kind (a failed check is a
    // test failure and yields -999, "<no reply>" or no records).
    int32_t askInt(const std::string& command);
    int64_t askInt64(const std::string& command);
    std::string askText(const std::string& command);
    std::vector<Record> askRecords(const std::string& command);
    // A whole category through its count and page commands, five records a page.
    std::vector<Record> allRecords(const std::string& countCommand, const std::string& pageCommand);

    bool closedByPeer(int timeoutMs = 5000);  // the connection ends with no further byte
    bool silentFor(int ms);  // no byte arrives within ms

private:
    int fd_;
};

}  // namespace mobreltest
