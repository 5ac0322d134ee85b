#include "companion/companion.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>

#include "companion/companion_impl.h"
#include "companion/protocol.h"
#include "socket_io.h"

namespace phonesim {

namespace {

// A command longer than this without its ';' is not one: the connection is dropped.
// Values travel whole, so a long note or body makes a long command.
constexpr size_t kMaxCommandBytes = 4 * 1024 * 1024;
// The length announced by an "overlong" reply: far beyond any reply buffer.
constexpr int32_t kOverlongLength = 100 * 1000 * 1000;

std::string framed(const std::string& body) {
    return intBody(static_cast<int32_t>(body.size())) + body;
}

// What goes back for one command: the bytes to send (none for a silent phone) and
// whether the connection ends after them.
struct Outcome {
    bool reply = true;
    std::string bytes;
    bool close = false;
};

Outcome spoiled(const std::string& body, const std::string& how) {
    if (how == "overlong") return {true, intBody(kOverlongLength) + "0123", true};
    if (how == "short") return {true, framed(body.empty() ? std::string("X") : body.substr(0, 1)), false};
    // Keys with values that are no hex, no record end, bytes that are no text.
    return {true, framed("ID:XYZ;NAME:not-hex;TILTE:4;\xff\xfe garbage"), false};
}

}  // namespace

Companion::Impl::Impl(const std::filesystem::path& stateDir, const Profile& profile_, const DevicePaths& paths_,
                      FaultSwitch& faults_)
    : profile(profile_), paths(paths_), faultSwitch(faults_), store(stateDir / "store") {
    buildCommandTable();
    std::string error;
    if (!store.load(error)) std::cerr << "phonesim: content store: " << error << '\n';
}

Companion::Companion(const std::filesystem::path& stateDir, const Profile& profile, const DevicePaths& paths,
                     FaultSwitch& faults)
    : impl_(std::make_unique<Impl>(stateDir, profile, paths, faults)) {}

Companion::~Companion() {
    stop();
}

void Companion::reset() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->messagingApp = kSystemMessagingPackage;
    impl_->rolePending = false;
    impl_->badCommandCount = 0;
    for (auto& list : impl_->mediaLists) list.reset();
}

void Companion::stop() {
    std::lock_guard<std::mutex> lock(impl_->connectionMutex);
    for (Impl::Connection* c : impl_->connections) {
        c->stopped = true;
        ::shutdown(c->fd, SHUT_RDWR);  // a blocked recv returns at once
    }
    impl_->connectionWake.notify_all();
}

void Companion::serve(int fd) {
    Impl::Connection connection{fd};
    {
        std::lock_guard<std::mutex> lock(impl_->connectionMutex);
        impl_->connections.push_back(&connection);
    }

    std::string pending;
    size_t scanned = 0;  // pending has no ';' before this, so each byte is searched once
    char chunk[4096];
    int commandCount = 0;
    while (!connection.stopped) {
        size_t end = pending.find(';', scanned);
        if (end == std::string::npos) {
            scanned = pending.size();
            if (pending.size() > kMaxCommandBytes) break;
            ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            pending.append(chunk, static_cast<size_t>(n));
            continue;
        }
        Command command = splitCommand(pending.substr(0, end + 1));
        pending.erase(0, end + 1);
        scanned = 0;

        Faults faults = impl_->faultSwitch.current();
        // The K-th command is read but neither carried out nor answered.
        if (faults.dropAfter > 0 && ++commandCount >= faults.dropAfter) break;

        const std::string& name = command.name;
        Outcome outcome;
        if (name == "hello-manager" && faults.handshake == "silent") {
            outcome.reply = false;
        } else if (name == "hello-manager" && faults.handshake == "close") {
            break;
        } else if (name == "hello-manager" && faults.handshake == "wrong") {
            outcome.bytes = framed("HELLO");
        } else {
            std::string body = impl_->handle(command, faults);
            const bool bad = !faults.badCommand.empty() && name == faults.badCommand &&
                             impl_->badCommandCount++ >= faults.badAfter;
            outcome = bad ? spoiled(body, faults.badReply) : Outcome{true, framed(body), false};
        }
        if (!outcome.reply) continue;
        if (faults.delayMs > 0) {
            std::unique_lock<std::mutex> lock(impl_->connectionMutex);
            impl_->connectionWake.wait_for(lock, std::chrono::milliseconds(faults.delayMs),
                                           [&connection] { return connection.stopped.load(); });
            if (connection.stopped) break;
        }
        if (!writeAll(fd, outcome.bytes.data(), outcome.bytes.size()) || outcome.close) break;
    }

    {
        std::lock_guard<std::mutex> lock(impl_->connectionMutex);
        impl_->connections.remove(&connection);
    }
    ::close(fd);
}

}  // namespace phonesim
