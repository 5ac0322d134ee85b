// "sync:": the file transfer sub-protocol behind push, pull, ls and stat.
// Requests are an id, a little-endian length and a path; only the phone's
// mapped trees (DevicePaths) are reachable.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "device_paths.h"
#include "faults.h"
#include "service.h"

namespace phonesim::adb {

class SyncService final : public Service {
public:
    SyncService(const DevicePaths& paths, FaultSwitch& faults, size_t maxPayload);
    ~SyncService() override;
    SyncService(const SyncService&) = delete;
    SyncService& operator=(const SyncService&) = delete;

    bool onData(StreamIO& io, std::string_view bytes) override;
    void onReady(StreamIO& io) override;
    void onClose() override;

private:
    enum class State {
        Requests,    // waiting for the next request
        Receiving,   // SEND: DATA records into the file until DONE
        Discarding,  // SEND refused: the host's DATA records are dropped until DONE, then the stream ends
        Sending,     // RECV: the file goes out as the host takes it
        Over,        // the stream is closing
    };

    void process(StreamIO& io);
    void handleRequest(StreamIO& io, uint32_t id, const std::string& path);
    bool handleSendRecord(StreamIO& io, uint32_t id, uint32_t length, const char* data);
    void stat(StreamIO& io, uint32_t id, const std::string& path);
    void list(StreamIO& io, uint32_t id, const std::string& path);
    void beginSend(StreamIO& io, const std::string& request);
    void beginRecv(StreamIO& io, const std::string& path);
    void produce(StreamIO& io);
    int appendFileData(std::string& out, size_t size);  // 0, or the errno of a failed read
    void fail(StreamIO& io, const std::string& text);  // FAIL, then the stream ends
    void refuseSend(StreamIO& io, const std::string& text);
    void closeFile(bool removePartial);

    const DevicePaths& paths_;
    FaultSwitch& faults_;
    const size_t maxPayload_;
    State state_ = State::Requests;
    std::string in_;  // the host's bytes not yet taken; the first inPos_ are done
    size_t inPos_ = 0;
    int file_ = -1;
    std::filesystem::path filePath_;
    uint64_t remaining_ = 0;  // RECV: bytes still to send
    bool cutShort_ = false;   // RECV: after remaining_ nothing more comes, not even DONE
};

}  // namespace phonesim::adb
