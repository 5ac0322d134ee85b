// Running child programs: started directly (never through a shell), in their
// own process group, always reaped, with nothing of ours leaking into them.
#pragma once

#include <string>
#include <vector>

namespace mobrel::platform {

enum class RunStatus {
    NotStarted,  // missing program, exec failure, unusable working folder or capture file
    Exited,      // the child ended on its own
    TimedOut,    // the child (and its whole process group) was killed at the limit
};

struct RunOutcome {
    RunStatus status = RunStatus::NotStarted;
    int exitCode = -1;  // exit status when Exited; the signal number + 128 when killed by one
};

// Runs argv[0] with argv. stdin and stderr are /dev/null; stdout goes to
// *stdoutFile (opened for writing, created if missing, never truncated: callers
// delete it first) or to /dev/null when stdoutFile is null. timeoutMs < 0 waits
// without limit. The environment is the caller's.
RunOutcome runProcess(const std::vector<std::string>& argv, const std::string& workingDir,
                      const std::string* stdoutFile, int timeoutMs);

// True when path names a regular file we may execute.
bool isExecutableFile(const std::string& path);

// The first "<dir>/<name>" along $PATH that is executable, or "" when none is.
std::string findInPath(const std::string& name);

}  // namespace mobrel::platform
