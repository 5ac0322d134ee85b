// phonesim behind a private adb server for one test, both stopped by PID:
//   PhoneSim sim;
//   ASSERT_TRUE(sim.start({.dataset = "small"})) << sim.error();
//   auto r = sim.adbDevice({"shell", "getprop", "ro.product.model"});
// start() points HOME, XDG_CONFIG_HOME, XDG_RUNTIME_DIR at a fresh temporary
// folder and ANDROID_ADB_SERVER_PORT at a private port, so every adb child (also
// the library's) uses the private server and keys; stop() undoes all of it.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "faults.h"
#include "test_util.h"

namespace mobreltest {

struct CommandResult {
    int exitCode = -1;  // -1: not started, killed by a signal or timed out
    std::string out, err;
};

// A program on PATH with these arguments (no shell, stdin /dev/null), killed after timeoutMs.
CommandResult runCommand(const std::vector<std::string>& argv, int timeoutMs = 120000);

// The host end of adb's forward to the companion; fixed, so such tests run one at a time.
constexpr int kServicePort = 25803;

// A socket bound to 127.0.0.1:port (SO_REUSEADDR), retried for up to waitMs; -1 when it never came free.
int bindLoopback(int port, int waitMs = 0);
bool portFree(int port);  // nobody listens there (lingering connections do not count)

// Waits for the machine-wide lock of every user of port 25803; the descriptor to keep open, or -1.
int takeMachineLock();

struct SimOptions {
    // Every member is initialized, so designated initializers may name any few of them.
    std::string dataset{};           // "", "small" or "large"
    std::string profile = "modern";  // or "legacy"
    phonesim::Faults faults{};       // in force before the first adb server connects
};

SimOptions listedAs(const std::string& state);  // a phone adb lists "unauthorized" or "offline"

class PhoneSim {
public:
    PhoneSim() = default;
    ~PhoneSim() { stop(); }
    PhoneSim(const PhoneSim&) = delete;
    PhoneSim& operator=(const PhoneSim&) = delete;

    // False with error() when anything did not come up in time (stop() stops what did).
    bool start(const SimOptions& options = {});
    // adb kill-server, then phonesim, by PID; removes the folder and restores the environment.
    void stop();
    bool stopPhone();   // phonesim alone (the server stays); true when it exited by itself with status 0
    bool startPhone();  // again on the same state folder; waits for "listening", not for adb

    CommandResult adb(const std::vector<std::string>& args) const;  // with the private server
    CommandResult adbDevice(const std::vector<std::string>& args) const;  // adb -s serial()
    bool waitForState(const std::string& state, int timeoutMs = 30000) const;  // as `adb devices` lists it, "" absent
    void setFaults(const phonesim::Faults& faults);  // read for each new server connection

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path statePath() const { return root_ / "state"; }
    std::filesystem::path storePath() const { return statePath() / "store"; }  // see store_files.h
    std::filesystem::path sdcardPath() const { return statePath() / "sdcard"; }
    std::string serial() const { return "emulator-" + std::to_string(port_ - 1); }
    int port() const { return port_; }
    int serverPort() const { return serverPort_; }
    std::vector<pid_t> serverPids() const;  // adb servers listening on the private port now
    pid_t phonePid() const { return phonePid_; }
    const std::string& error() const { return error_; }

    static std::filesystem::path binDir();   // the running test program's folder
    static std::filesystem::path apkPath();  // the companion package the build writes there

private:
    bool fail(const std::string& message);
    std::string deviceState() const;
    void recordServers();
    void stopLeftoverServers();

    SimOptions options_;
    std::filesystem::path root_;
    int port_ = 0, serverPort_ = 0;
    pid_t phonePid_ = -1;
    int phoneOut_ = -1;     // phonesim's stdout, open until it ends
    int machineLock_ = -1;  // held from start to stop
    bool started_ = false;
    std::string error_;
    std::vector<std::unique_ptr<ScopedEnv>> env_;  // undone last first
};

}  // namespace mobreltest
