// Starts phonesim behind a private adb server for one test and stops both by PID.
//
//   mobreltest::PhoneSim sim;
//   ASSERT_TRUE(sim.start({.dataset = "small", .profile = "modern"})) << sim.error();
//   auto r = sim.adbDevice({"shell", "getprop", "ro.product.model"});
//
// start() gives the test process a fresh temporary folder (state/, home/, runtime/)
// and points HOME, XDG_CONFIG_HOME, XDG_RUNTIME_DIR there, and ANDROID_ADB_SERVER_PORT
// at a private port, so that every adb child (also those the library starts) uses
// the private server and keys. stop() (and the destructor) undoes all of it.
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
    std::string out;
    std::string err;
};

// Runs a program found on PATH with these arguments (no shell), stdin from
// /dev/null, and collects its output; killed after timeoutMs.
CommandResult runCommand(const std::vector<std::string>& argv, int timeoutMs = 120000);

// The host end of adb's forward to the companion; fixed, so such tests run one at a time.
constexpr int kServicePort = 25803;

// A socket bound to 127.0.0.1:port (SO_REUSEADDR), retried while someone else
// holds it, for up to waitMs; -1 when it never came free.
int bindLoopback(int port, int waitMs = 0);
bool portFree(int port);  // nobody listens there (lingering connections do not count)

// Waits for and takes the machine-wide lock of every run that uses the fixed
// forwarded port 25803 (phonesim runs, the channel's own tests, the demo):
// the descriptor to keep open while the port is in use, or -1.
int takeMachineLock();

struct SimOptions {
    // Every member has an initializer, so that designated initializers may name any few of them.
    std::string dataset{};           // "", "small" or "large"
    std::string profile = "modern";  // "modern" or "legacy"
    phonesim::Faults faults{};       // in force before the first adb server connects
};

// Options for a phone that adb lists as state: "unauthorized" or "offline".
SimOptions listedAs(const std::string& state);

class PhoneSim {
public:
    PhoneSim() = default;
    ~PhoneSim();
    PhoneSim(const PhoneSim&) = delete;
    PhoneSim& operator=(const PhoneSim&) = delete;

    // False with error() when anything did not come up in time; what did come up
    // is stopped again by stop().
    bool start(const SimOptions& options = {});
    // adb kill-server, then phonesim (SIGTERM, SIGKILL after a grace period), each by
    // PID; removes the temporary folder and restores the environment.
    void stop();

    // phonesim alone, on the same state folder (the adb server stays).
    bool stopPhone();   // true when phonesim exited by itself with status 0
    bool startPhone();  // waits for "listening", not for adb

    // adb with the process environment (the private server), and adb -s serial().
    CommandResult adb(const std::vector<std::string>& args) const;
    CommandResult adbDevice(const std::vector<std::string>& args) const;

    // The state `adb devices` lists for serial() ("" when absent).
    std::string deviceState() const;
    bool waitForState(const std::string& state, int timeoutMs = 30000) const;

    void setFaults(const phonesim::Faults& faults);  // phonesim reads them for each new server connection

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path statePath() const { return root_ / "state"; }
    std::filesystem::path storePath() const { return statePath() / "store"; }  // see store_files.h
    std::filesystem::path sdcardPath() const { return statePath() / "sdcard"; }
    std::filesystem::path homePath() const { return root_ / "home"; }
    std::string serial() const { return "emulator-" + std::to_string(port_ - 1); }
    int port() const { return port_; }
    int serverPort() const { return serverPort_; }
    // The adb server processes listening on the private port now.
    std::vector<pid_t> serverPids() const;
    const std::string& error() const { return error_; }

    static std::filesystem::path binDir();  // the folder of the running test program
    static std::filesystem::path apkPath();  // the companion package the build writes there

private:
    bool fail(const std::string& message);
    void setEnv(const char* name, const char* value);
    std::string expectedState() const;
    void recordServers();
    void stopLeftoverServers();

    SimOptions options_;
    std::filesystem::path root_;
    int port_ = 0;
    int serverPort_ = 0;
    pid_t phonePid_ = -1;
    int phoneOut_ = -1;  // phonesim's stdout, kept open until it ends
    int machineLock_ = -1;  // held from start to stop: one phonesim run on this machine at a time
    bool started_ = false;
    std::string error_;
    std::vector<std::unique_ptr<ScopedEnv>> env_;  // undone last first
};

}  // namespace mobreltest
