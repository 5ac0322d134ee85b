// What runs behind an adb stream on the phone (shell, sync, install, tcp:PORT),
// and how it talks back to the host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace phonesim {
class Phone;
}

namespace phonesim::adb {

// One open stream, as seen by its service. Only used on the connection's own
// thread, inside the Service callbacks.
class StreamIO {
public:
    virtual ~StreamIO() = default;
    // Queues bytes for the host; they leave in packets of at most the connection's
    // payload size, one at a time, each after the host acknowledged the previous one.
    virtual void send(std::string_view bytes) = 0;
    // Closes the stream once everything queued has reached the host.
    virtual void finish() = 0;
};

// Thread-safe access to a connection's streams by id, for a service's worker thread.
class StreamHost {
public:
    virtual ~StreamHost() = default;
    // Each returns false when the stream is gone.
    virtual bool post(uint32_t streamId, std::string_view bytes) = 0;
    virtual bool acknowledge(uint32_t streamId) = 0;  // the host's last packet has been taken
    virtual bool finish(uint32_t streamId) = 0;
    // Runs work on a thread that the connection joins before it ends.
    virtual void spawn(std::function<void()> work) = 0;
};

class Service {
public:
    virtual ~Service() = default;
    // Bytes the host wrote. true: acknowledge them now; false: the service
    // acknowledges later through StreamHost::acknowledge.
    virtual bool onData(StreamIO& io, std::string_view bytes) = 0;
    // The host is ready and nothing is queued: a chance to send more.
    virtual void onReady(StreamIO& io) { (void)io; }
    // The stream is over (closed by either side, or the connection ended). Called once.
    virtual void onClose() {}
};

// The service for an OPEN request, or nothing when the phone refuses it.
// Called on the connection's thread; streamId is the id the new stream will get.
std::unique_ptr<Service> openService(const std::string& request, Phone& phone, StreamHost& host, uint32_t streamId,
                                     size_t maxPayload);

}  // namespace phonesim::adb
