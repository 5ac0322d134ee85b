// Helpers shared by the device-link tests. Linking them also gives every test
// process its own HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR under a fresh
// temporary folder (set before main), so the log, the documents folder and the
// work folder never touch the user's own.
#pragma once

#include <string>
#include <vector>

namespace mobrel::test {

// The stand-in adb, the probe program and the recorded test data (from CMake).
std::string standInProgram();
std::string probeProgram();
std::string dataFile(const std::string& name);

// A fresh folder under the process's temporary root.
std::string makeTempDir(const std::string& tag);
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);
std::vector<std::string> splitLines(const std::string& text);

// Sets (or with null, unsets) an environment variable until the end of the scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    bool had_;
    std::string old_;
};

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

// Runs program with args, stdout into a file; returns the exit code (or -1)
// and the output.
int runProgram(const std::vector<std::string>& argv, std::string& output);

}  // namespace mobrel::test
