// The simulated phone as adb sees it: its profile, its packages and the
// services that adb streams reach. The adb transport calls into this.
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "companion/companion.h"
#include "device_paths.h"
#include "faults.h"
#include "profile.h"

namespace phonesim {

inline constexpr const char* kCompanionPackage = "com.quenlo.mobrelphone";
inline constexpr const char* kCompanionActivity = "com.quenlo.mobrelphone.ui.MainActivity";
inline constexpr int kCompanionPort = 20148;

struct ShellResult {
    std::string out;
    std::string err;
    int exitCode = 0;
};

class Phone {
public:
    Phone(const std::filesystem::path& stateDir, Profile profile);
    ~Phone();

    const Profile& profile() const { return profile_; }
    const DevicePaths& paths() const { return paths_; }
    FaultSwitch& faults() { return faults_; }

    // A shell command line as adb sends it (words joined by blanks, single
    // quotes as the phone's shell reads them). Never runs anything on the host.
    ShellResult runShell(const std::string& commandLine);

    // Package manager: the bytes of an apk; "Success" or a "Failure [...]" text.
    std::string install(const std::string& apkBytes);
    std::string uninstall(const std::string& package);

    // A stream to tcp:PORT on the phone: a connected socket, or -1 when nothing
    // listens there (the companion is not installed or not started).
    int openTcp(int port);

private:
    Profile profile_;
    DevicePaths paths_;
    FaultSwitch faults_;
    Companion companion_;
    std::mutex mutex_;
    bool installed_ = false;
    bool running_ = false;
};

}  // namespace phonesim
