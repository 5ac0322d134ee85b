// Helpers of the device-link unit tests. Linking them gives the process its own
// HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR (set before main): never the user's.
#pragma once

#include <string>
#include <vector>

#include "phonesim_fixture.h"
#include "test_util.h"

namespace mobrel::test {

using namespace mobreltest;

std::string standInProgram();                      // the stand-in adb, also the once-per-process probe
std::string dataFile(const std::string& name);     // recorded test data
std::string makeTempDir(const std::string& tag);  // a fresh folder under the process's root

// "adb" (a link to the stand-in) first on PATH while this lives; runs() lists its runs, a line each.
class StandInAdb {
public:
    StandInAdb();
    std::vector<std::string> runs() const;

private:
    std::string folder_, log_;
    ScopedEnv path_, logEnv_;
};

// Processes of the group still alive (zombies do not count), waiting up to waitMs for them to go.
std::vector<int> livingProcessesInGroup(int pgid, int waitMs);

}  // namespace mobrel::test
