#include "connection.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <random>

#include "phone.h"
#include "socket_io.h"

namespace phonesim::adb {

namespace {

// A 4.x phone speaks the first protocol version with 4 KiB packets; a current
// one the checksum-free version with 256 KiB packets.
bool playsOldTransport(const Profile& profile) { return profile.name == "legacy"; }

// The smallest packet size any adb ever used; a host offering less is not adb.
constexpr size_t kMinPayload = 4096;

std::string bannerValue(std::string value) {
    // ':' ';' '=' would break the host's parse of the banner.
    std::replace_if(value.begin(), value.end(), [](char c) { return c == ':' || c == ';' || c == '='; }, '_');
    return value;
}

std::string connectBanner(const Profile& profile) {
    auto prop = [&](const char* key, const char* fallback) {
        std::string value = profile.property(key);
        return bannerValue(value.empty() ? fallback : value);
    };
    return "device::ro.product.name=" + prop("ro.product.name", "simphone") +
           ";ro.product.model=" + prop("ro.product.model", "SimPhone") +
           ";ro.product.device=" + prop("ro.product.device", "simphone") + ";features=" + profile.features;
}

}  // namespace

struct Connection::Stream final : StreamIO {
    Stream(uint32_t localId, uint32_t remoteId, std::unique_ptr<Service> s)
        : local(localId), remote(remoteId), service(std::move(s)) {}

    void send(std::string_view bytes) override {
        if (!finishing) out.append(bytes);
    }
    void finish() override { finishing = true; }
    size_t pending() const { return out.size() - sent; }

    const uint32_t local;
    const uint32_t remote;
    std::unique_ptr<Service> service;
    std::string out;   // queued for the host; the first `sent` bytes are gone
    size_t sent = 0;
    bool ready = true;  // the host's OPEN counts as its first ready
    bool finishing = false;
};

Connection::Connection(int fd, Phone& phone)
    : fd_(fd),
      phone_(phone),
      ownVersion_(playsOldTransport(phone.profile()) ? kVersionChecksummed : kVersionCurrent),
      ownMaxPayload_(playsOldTransport(phone.profile()) ? 4096 : 256 * 1024),
      version_(ownVersion_),
      maxPayload_(ownMaxPayload_) {}

Connection::~Connection() { ::close(fd_); }

void Connection::shutdown() { ::shutdown(fd_, SHUT_RDWR); }

void Connection::run() {
    Faults faults = phone_.faults().current();
    if (faults.offline) {
        // Take the connection and never answer: adb lists the phone "offline".
        char sink[4096];
        while (::recv(fd_, sink, sizeof sink, 0) > 0) {
        }
    } else {
        unauthorized_ = faults.unauthorized;
        Packet packet;
        while (readPacket(fd_, packet) == ReadResult::Ok) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (broken_) break;
            if (online_) {
                dispatch(packet);
            } else {
                handshake(packet);
            }
        }
    }
    teardown();
}

void Connection::handshake(const Packet& packet) {
    if (packet.command == A_CNXN) {
        version_ = std::min(ownVersion_, packet.arg0);
        maxPayload_ = std::min<size_t>(ownMaxPayload_, packet.arg1);
        if (maxPayload_ < kMinPayload) {
            broken_ = true;
            shutdown();
            return;
        }
        if (unauthorized_) {
            sendAuthToken();
        } else {
            sendPacket(A_CNXN, version_, static_cast<uint32_t>(ownMaxPayload_), connectBanner(phone_.profile()));
            online_ = true;
        }
    } else if (packet.command == A_AUTH && packet.arg0 == kAuthSignature && unauthorized_) {
        // No key is ever accepted: ask again. After the host offers its public
        // key the phone stays silent, as if the user never answered the dialog.
        sendAuthToken();
    }
}

void Connection::sendAuthToken() {
    std::random_device random;
    std::string token;
    for (int i = 0; i < 20; ++i) token.push_back(static_cast<char>(random() & 0xff));
    sendPacket(A_AUTH, kAuthToken, 0, token);
}

void Connection::dispatch(const Packet& packet) {
    switch (packet.command) {
        case A_OPEN:
            openStream(packet);
            break;
        case A_OKAY:
            if (Stream* s = find(packet.arg1, packet.arg0)) {
                s->ready = true;
                pump(*s);
            }
            break;
        case A_WRTE:
            // Streams already closed here still get writes (a shell client's close-stdin): ignored.
            if (Stream* s = find(packet.arg1, packet.arg0)) {
                if (s->service->onData(*s, packet.data)) sendPacket(A_OKAY, s->local, s->remote);
                pump(*s);
            }
            break;
        case A_CLSE:
            if (Stream* s = find(packet.arg1, packet.arg0)) dropStream(s->local);
            break;
        default:  // a second CNXN, AUTH or anything unknown: nothing to do
            break;
    }
}

void Connection::openStream(const Packet& packet) {
    if (packet.arg0 == 0) return;
    std::string request = packet.data;
    while (!request.empty() && request.back() == '\0') request.pop_back();
    uint32_t id = nextId_++;
    if (nextId_ == 0) nextId_ = 1;
    std::unique_ptr<Service> service = openService(request, phone_, *this, id, maxPayload_);
    if (!service) {
        sendPacket(A_CLSE, 0, packet.arg0);
        return;
    }
    auto stream = std::make_unique<Stream>(id, packet.arg0, std::move(service));
    Stream& ref = *stream;
    streams_[id] = std::move(stream);
    sendPacket(A_OKAY, id, packet.arg0);
    pump(ref);
}

Connection::Stream* Connection::find(uint32_t localId, uint32_t remoteId) {
    auto it = streams_.find(localId);
    if (it == streams_.end()) return nullptr;
    if (remoteId != 0 && it->second->remote != remoteId) return nullptr;
    return it->second.get();
}

void Connection::pump(Stream& s) {
    if (!s.ready) return;
    if (s.pending() == 0 && !s.finishing) s.service->onReady(s);
    if (s.pending() > 0) {
        size_t n = std::min(s.pending(), maxPayload_);
        sendPacket(A_WRTE, s.local, s.remote, s.out.substr(s.sent, n));
        s.sent += n;
        if (s.sent == s.out.size()) {
            s.out.clear();
            s.sent = 0;
        }
        s.ready = false;
        return;
    }
    if (s.finishing) {
        sendPacket(A_CLSE, s.local, s.remote);
        dropStream(s.local);
    }
}

void Connection::dropStream(uint32_t localId) {
    auto it = streams_.find(localId);
    if (it == streams_.end()) return;
    std::unique_ptr<Stream> stream = std::move(it->second);
    streams_.erase(it);
    stream->service->onClose();
}

void Connection::sendPacket(uint32_t command, uint32_t arg0, uint32_t arg1, std::string data) {
    if (broken_) return;
    std::string bytes = encodePacket(Packet{command, arg0, arg1, std::move(data)}, version_ < kVersionCurrent);
    if (!writeAll(fd_, bytes.data(), bytes.size())) {
        broken_ = true;
        shutdown();
    }
}

bool Connection::post(uint32_t streamId, std::string_view bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    Stream* s = find(streamId, 0);
    if (!s || s->finishing) return false;
    s->send(bytes);
    pump(*s);
    return true;
}

bool Connection::acknowledge(uint32_t streamId) {
    std::lock_guard<std::mutex> lock(mutex_);
    Stream* s = find(streamId, 0);
    if (!s) return false;
    sendPacket(A_OKAY, s->local, s->remote);
    return true;
}

bool Connection::finish(uint32_t streamId) {
    std::lock_guard<std::mutex> lock(mutex_);
    Stream* s = find(streamId, 0);
    if (!s) return false;
    s->finish();
    pump(*s);
    return true;
}

void Connection::spawn(std::function<void()> work) {
    workers_.joinFinished();
    workers_.start({}, std::move(work));
}

void Connection::teardown() {
    shutdown();  // the host sees the end now; the descriptor stays ours until the destructor
    {
        std::lock_guard<std::mutex> lock(mutex_);
        broken_ = true;
        while (!streams_.empty()) dropStream(streams_.begin()->first);
    }
    workers_.joinAll();  // each ends once its stream is dropped
}

}  // namespace phonesim::adb
