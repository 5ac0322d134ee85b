// Helpers shared by the device-link unit tests. Linking them also gives every
// test process its own HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR under a fresh
// temporary folder (set before main), so the log, the documents folder and the
// work folder never touch the user's own.
#pragma once

#include <string>
#include <vector>

#include "phonesim_fixture.h"
#include "test_util.h"

namespace mobrel::test {

using namespace mobreltest;  // files, environment and commands

// The stand-in adb (also the probe) and the recorded test data (from CMake).
std::string standInProgram();
std::string dataFile(const std::string& name);

// A fresh folder under the process's temporary root.
std::string makeTempDir(const std::string& tag);

// A folder holding "adb" (a link to the stand-in), first on PATH while this
// lives; every run of it is logged as one line of runs().
class StandInAdb {
public:
    StandInAdb();
    const std::string& folder() const { return folder_; }
    std::vector<std::string> runs() const;

private:
    std::string folder_;
    std::string log_;
    ScopedEnv path_;
    ScopedEnv logEnv_;
};

// Processes of the group that are still alive (zombies do not count), waiting
// up to waitMs for them to go.
std::vector<int> livingProcessesInGroup(int pgid, int waitMs);

}  // namespace mobrel::test
