#include "tcp_relay.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <string>
#include <vector>

namespace phonesim::adb {

namespace {

// The host's bytes waiting for the phone's service; adb has one packet (1 MiB at most) in flight.
constexpr size_t kMaxUntaken = 4 * 1024 * 1024;

// Shared by the stream's service (connection thread) and the relay thread.
struct RelayState {
    RelayState() {
        if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) wake[0] = wake[1] = -1;
    }
    ~RelayState() {
        if (wake[0] >= 0) ::close(wake[0]);
        if (wake[1] >= 0) ::close(wake[1]);
    }
    RelayState(const RelayState&) = delete;
    RelayState& operator=(const RelayState&) = delete;

    void notify() {
        char c = 0;
        [[maybe_unused]] ssize_t n = ::write(wake[1], &c, 1);  // a full pipe already wakes the thread
    }

    std::mutex mutex;
    std::string toPhone;    // the host's last packet, not yet written to the socket
    bool hostReady = true;  // the host took everything we sent: the socket may be read
    bool closed = false;    // the stream is over
    int wake[2];
};

class TcpRelay final : public Service {
public:
    explicit TcpRelay(std::shared_ptr<RelayState> state) : state_(std::move(state)) {}

    // The host's packet is acknowledged once it is all in the socket. A host
    // that writes on regardless is not adb: its stream is closed, not buffered.
    bool onData(StreamIO& io, std::string_view bytes) override {
        std::lock_guard<std::mutex> lock(state_->mutex);
        if (state_->toPhone.size() + bytes.size() > kMaxUntaken) {
            io.finish();
            return false;
        }
        state_->toPhone.append(bytes);
        state_->notify();
        return false;
    }
    void onReady(StreamIO&) override {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->hostReady = true;
        state_->notify();
    }
    void onClose() override {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->closed = true;
        state_->notify();
    }

private:
    std::shared_ptr<RelayState> state_;
};

// Never calls the host while holding the state's lock: the connection calls
// the service (and so takes that lock) while holding its own.
void relay(const std::shared_ptr<RelayState>& state, int sock, StreamHost& host, uint32_t id, size_t maxPayload) {
    std::vector<char> buffer(maxPayload);
    for (;;) {
        bool wantRead = false;
        bool wantWrite = false;
        {
            std::lock_guard<std::mutex> lock(state->mutex);
            if (state->closed) break;
            wantRead = state->hostReady;
            wantWrite = !state->toPhone.empty();
        }
        pollfd fds[2] = {{wantRead || wantWrite ? sock : -1,
                          static_cast<short>((wantRead ? POLLIN : 0) | (wantWrite ? POLLOUT : 0)), 0},
                         {state->wake[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            host.finish(id);
            break;
        }
        if (fds[1].revents != 0) {
            char sink[64];
            while (::read(state->wake[0], sink, sizeof sink) > 0) {
            }
        }
        short events = fds[0].revents;
        if (wantWrite && (events & (POLLOUT | POLLERR | POLLHUP))) {
            std::string chunk;
            {
                std::lock_guard<std::mutex> lock(state->mutex);
                chunk = state->toPhone;
            }
            ssize_t n = ::send(sock, chunk.data(), chunk.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                host.finish(id);  // the service closed its end
                break;
            }
            if (n > 0) {
                bool all = false;
                {
                    std::lock_guard<std::mutex> lock(state->mutex);
                    state->toPhone.erase(0, static_cast<size_t>(n));
                    all = state->toPhone.empty();
                }
                if (all) host.acknowledge(id);
            }
        }
        if (wantRead && (events & (POLLIN | POLLERR | POLLHUP))) {
            ssize_t n = ::recv(sock, buffer.data(), buffer.size(), MSG_DONTWAIT);
            if (n > 0) {
                {
                    std::lock_guard<std::mutex> lock(state->mutex);
                    state->hostReady = false;
                }
                if (!host.post(id, std::string_view(buffer.data(), static_cast<size_t>(n)))) break;
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                host.finish(id);  // the service closed the connection
                break;
            }
        }
    }
    ::close(sock);
}

}  // namespace

std::unique_ptr<Service> makeTcpRelay(int socket, StreamHost& host, uint32_t streamId, size_t maxPayload) {
    auto state = std::make_shared<RelayState>();
    if (state->wake[0] < 0) {
        ::close(socket);
        return nullptr;
    }
    host.spawn([state, socket, &host, streamId, maxPayload] { relay(state, socket, host, streamId, maxPayload); });
    return std::make_unique<TcpRelay>(state);
}

}  // namespace phonesim::adb
