// Clients the adb tests use besides the real adb: a bare adb host that speaks
// the transport protocol to phonesim's port itself (to send what adb never
// would), and a client of the forwarded service port.
#pragma once

#include <cstdint>
#include <string>

namespace adbtest {

// Reads little-endian words and builds packets on its own, independent of phonesim's code.
uint32_t le32(const std::string& bytes, size_t at);
std::string le32Bytes(uint32_t value);
uint32_t id4(const char (&text)[5]);

struct RawPacket {
    uint32_t command = 0;
    uint32_t arg0 = 0;
    uint32_t arg1 = 0;
    std::string data;
};

class RawHost {
public:
    ~RawHost();
    bool connect(int port);
    bool send(const std::string& bytes);
    bool sendPacket(uint32_t command, uint32_t arg0, uint32_t arg1, const std::string& data);
    // One packet; false on time-out, close or a malformed header.
    bool read(RawPacket& out, int timeoutMs = 5000);
    // CNXN with this packet size; true when the phone answered CNXN.
    bool handshake(uint32_t maxData, RawPacket& reply);
    // OPEN the service as stream localId: the phone's stream id, 0 when refused.
    uint32_t open(uint32_t localId, const std::string& service);
    // True when the phone closes the TCP connection within the time.
    bool closedByPhone(int timeoutMs = 5000);

private:
    bool readExact(char* buffer, size_t size, int timeoutMs);
    int fd_ = -1;
};

// A connection to 127.0.0.1:25803 (forwarded to the phone's service port).
class ServiceClient {
public:
    ~ServiceClient();
    bool connect();
    // Sends a command and reads one length-prefixed reply body.
    bool request(const std::string& command, std::string& reply, int timeoutMs = 10000);
    // True when the other side closed the connection (nothing more will come).
    bool closedByPeer(int timeoutMs = 5000);

private:
    int fd_ = -1;
};

// "hello-manager;" answered "HI-PC" through the forward.
bool companionAnswers();

}  // namespace adbtest
