// The companion app as phonesim plays it: the service behind the phone's port
// 20148 that answers the command protocol from the phone's content store.
#pragma once

#include <filesystem>
#include <memory>

namespace phonesim {

inline constexpr const char* kCompanionPackage = "com.quenlo.mobrelphone";

class FaultSwitch;
class DevicePaths;
struct Profile;

class Companion {
public:
    // The profile gives the device facts and the Android version (writes to messages
    // need the default-messaging-app role from 4.4 on). All three outlive the Companion.
    Companion(const std::filesystem::path& stateDir, const Profile& profile, const DevicePaths& paths,
              FaultSwitch& faults);
    ~Companion();
    Companion(const Companion&) = delete;
    Companion& operator=(const Companion&) = delete;

    // A fresh install: everything the app keeps for itself (its media lists, the
    // pending messaging-app switch) is forgotten; the phone's content stays.
    void reset();

    // The app's process ends (force-stop, uninstall): open connections are closed.
    void stop();

    // Serves one connection until the peer closes it or stop() is called.
    // Blocking; phonesim calls it on a thread of its own for each connection.
    // Takes ownership of fd.
    void serve(int fd);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace phonesim
