// The simulated phone as adb sees it: its profile, its packages and the
// services that adb streams reach. The adb transport calls into this.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "companion/companion.h"
#include "device_paths.h"
#include "faults.h"
#include "profile.h"
#include "socket_io.h"
#include "thread_list.h"

namespace phonesim {

inline constexpr const char* kCompanionActivity = "com.quenlo.mobrelphone.ui.MainActivity";
inline constexpr int kCompanionPort = 20148;

struct ShellResult {
    std::string out;
    std::string err;
    int exitCode = 0;
};

// The bytes of an apk as they arrive: how many, and whether they are the
// companion's package (its manifest names it; the marker is looked for in the raw bytes).
class ApkCheck {
public:
    void feed(std::string_view bytes);
    uint64_t size() const { return size_; }
    bool isCompanion() const { return found_; }

private:
    std::string tail_;  // the end of what came so far, for a marker split between two feeds
    uint64_t size_ = 0;
    bool found_ = false;
};

class Phone {
public:
    Phone(const std::filesystem::path& stateDir, Profile profile);
    ~Phone();
    Phone(const Phone&) = delete;
    Phone& operator=(const Phone&) = delete;

    const Profile& profile() const { return profile_; }
    const DevicePaths& paths() const { return paths_; }
    FaultSwitch& faults() { return faults_; }

    // A shell command line as adb sends it (words joined by blanks, quotes as
    // the phone's shell reads them). Never runs anything on the host.
    ShellResult runShell(const std::string& commandLine);

    // Package manager: "Success" or a "Failure [...]" text, without line end.
    // replace: an installed package may be replaced (pm -r; current phones always do).
    std::string install(const ApkCheck& apk, bool replace);
    std::string uninstall(const std::string& package);

    // A stream to tcp:PORT on the phone: a connected socket, or -1 when nothing
    // listens there (the companion is not installed or not started).
    int openTcp(int port);

private:

    ShellResult getprop(const std::vector<std::string>& args) const;
    ShellResult activityManager(const std::vector<std::string>& args);
    ShellResult packageManager(const std::vector<std::string>& args);
    ShellResult installFile(const std::vector<std::string>& args);
    ShellResult remove(const std::vector<std::string>& args);
    ShellResult makeDirectories(const std::vector<std::string>& args);
    void stopCompanionLocked();

    Profile profile_;
    DevicePaths paths_;
    FaultSwitch faults_;
    Companion companion_;
    std::mutex mutex_;  // the package state
    bool installed_ = false;
    bool running_ = false;
    // The connections the companion serves, each on a thread of its own, with a
    // duplicate of our end to cut it when the app stops.
    ThreadList<UniqueFd> serving_;
};

}  // namespace phonesim
