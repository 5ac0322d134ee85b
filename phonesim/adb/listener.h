// The phone's adb port: accepts adb server connections, one after another or
// several at once (every server probing the emulator ports connects).
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "thread_list.h"

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
    void acceptLoop();

    Phone& phone_;
    int fd_ = -1;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    ThreadList<std::unique_ptr<Connection>> connections_;
};

// Tells the adb server on serverPort that an emulator listens on port (what an
// emulator does when it starts after the server). False when no server took it.
bool registerWithServer(int serverPort, int port);

}  // namespace phonesim::adb
