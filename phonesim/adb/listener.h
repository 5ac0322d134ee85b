// The phone's adb port: accepts adb server connections, one after another or
// several at once (every server probing the emulator ports connects).
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace phonesim {
class Phone;
}

namespace phonesim::adb {

class Connection;

class Listener {
public:
    explicit Listener(Phone& phone);
    ~Listener();  // stop()
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // Binds 127.0.0.1:port; false with the reason.
    bool open(int port, std::string& error);
    // Serves connections on a thread of its own until stop().
    void start();
    // Closes the port and every connection, and joins all threads.
    void stop();

private:
    struct Entry {
        std::unique_ptr<Connection> connection;
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    void acceptLoop();
    void reap(bool all);

    Phone& phone_;
    int fd_ = -1;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;  // entries_
    std::vector<Entry> entries_;
};

// Tells the adb server on serverPort that an emulator listens on port (what an
// emulator does when it starts after the server). False when no server took it.
bool registerWithServer(int serverPort, int port);

}  // namespace phonesim::adb
