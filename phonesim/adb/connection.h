// One connection from an adb server: the connect/auth handshake, then the
// streams the host opens, under adb's flow control (one packet in flight per
// direction and stream).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <variant>

#include "packet.h"
#include "service.h"
#include "thread_list.h"

namespace phonesim {
class Phone;
}

namespace phonesim::adb {

class Connection final : public StreamHost {
public:
    Connection(int fd, Phone& phone);  // takes the socket
    ~Connection() override;            // after run() returned
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Serves the connection until the host goes away or shutdown() is called.
    void run();
    // Makes run() return soon; callable from any thread.
    void shutdown();

    bool post(uint32_t streamId, std::string_view bytes) override;
    bool acknowledge(uint32_t streamId) override;
    bool finish(uint32_t streamId) override;
    void spawn(std::function<void()> work) override;

private:
    struct Stream;

    void handshake(const Packet& packet);
    void dispatch(const Packet& packet);
    void openStream(const Packet& packet);
    void sendPacket(uint32_t command, uint32_t arg0, uint32_t arg1, std::string data = std::string());
    void sendAuthToken();
    void pump(Stream& stream);
    void dropStream(uint32_t localId);
    Stream* find(uint32_t localId, uint32_t remoteId);
    void teardown();

    const int fd_;
    Phone& phone_;
    const uint32_t ownVersion_;
    const size_t ownMaxPayload_;

    std::mutex mutex_;  // everything below, and every write to the socket
    std::map<uint32_t, std::unique_ptr<Stream>> streams_;
    uint32_t nextId_ = 1;
    uint32_t version_;
    size_t maxPayload_;
    bool unauthorized_ = false;
    bool online_ = false;
    bool broken_ = false;

    ThreadList<std::monostate> workers_;
};

}  // namespace phonesim::adb
