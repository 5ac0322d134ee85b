// Child programs through posix_spawn: the C library reports a failed exec as an
// error of the spawn itself, so "could not start" is never mistaken for a run.
#include "platform/process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace mobrel::platform {
namespace {

int statusCode(int waitStatus) {
    if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
    return -1;
}

// Reaps pid, waiting as long as it takes; -1 when someone else already reaped it.
int reap(pid_t pid) {
    int waitStatus = 0;
    while (waitpid(pid, &waitStatus, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return statusCode(waitStatus);
}

// The spawn attributes and file actions, released whatever happens.
class SpawnSetup {
public:
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attr);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
};

bool prepare(SpawnSetup& s, int stdoutFd, const std::string& workingDir) {
    bool ok = true;
    // stdout first: if our own fd 0 or 2 was closed, the capture file may sit there.
    if (stdoutFd >= 0) {
        ok = ok && posix_spawn_file_actions_adddup2(&s.actions, stdoutFd, 1) == 0;
    } else {
        ok = ok && posix_spawn_file_actions_addopen(&s.actions, 1, "/dev/null", O_WRONLY, 0) == 0;
    }
    ok = ok && posix_spawn_file_actions_addopen(&s.actions, 0, "/dev/null", O_RDONLY, 0) == 0;
    ok = ok && posix_spawn_file_actions_addopen(&s.actions, 2, "/dev/null", O_WRONLY, 0) == 0;
    // Whatever another part of the process opened without O_CLOEXEC stays ours.
    ok = ok && posix_spawn_file_actions_addclosefrom_np(&s.actions, 3) == 0;
    if (!workingDir.empty()) {
        ok = ok && posix_spawn_file_actions_addchdir_np(&s.actions, workingDir.c_str()) == 0;
    }

    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);  // the host program may ignore it; the child must not inherit that
    ok = ok && posix_spawnattr_setsigmask(&s.attr, &none) == 0;
    ok = ok && posix_spawnattr_setsigdefault(&s.attr, &defaults) == 0;
    ok = ok && posix_spawnattr_setpgroup(&s.attr, 0) == 0;  // its own group, so a time-out kills all of it
    ok = ok && posix_spawnattr_setflags(&s.attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                                     POSIX_SPAWN_SETSIGDEF) == 0;
    return ok;
}

}  // namespace

RunOutcome runProcess(const std::vector<std::string>& argv, const std::string& workingDir,
                      const std::string* stdoutFile, int timeoutMs) {
    RunOutcome outcome;
    if (argv.empty()) return outcome;

    int stdoutFd = -1;
    if (stdoutFile) {
        stdoutFd = open(stdoutFile->c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600);
        if (stdoutFd < 0) return outcome;
    }

    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    pid_t pid = -1;
    int spawnError = EINVAL;
    {
        SpawnSetup setup;
        if (prepare(setup, stdoutFd, workingDir)) {
            spawnError = posix_spawn(&pid, argv[0].c_str(), &setup.actions, &setup.attr,
                                     args.data(), environ);
        }
    }
    if (stdoutFd >= 0) close(stdoutFd);
    if (spawnError != 0) return outcome;

    if (timeoutMs < 0) {
        outcome.status = RunStatus::Exited;
        outcome.exitCode = reap(pid);
        return outcome;
    }

    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int waitStatus = 0;
        const pid_t done = waitpid(pid, &waitStatus, WNOHANG);
        if (done == pid || (done < 0 && errno == ECHILD)) {
            outcome.status = RunStatus::Exited;
            outcome.exitCode = done == pid ? statusCode(waitStatus) : -1;
            return outcome;
        }
        const Clock::time_point now = Clock::now();
        if (now >= deadline) break;
        std::this_thread::sleep_for(
            std::min<Clock::duration>(std::chrono::milliseconds(10), deadline - now));
    }
    kill(-pid, SIGKILL);
    outcome.status = RunStatus::TimedOut;
    outcome.exitCode = reap(pid);
    return outcome;
}

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string findInPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (!path) return {};
    const std::string dirs = path;
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = dirs.substr(start, end - start);
        // Relative entries would be resolved against the child's working folder.
        if (!dir.empty() && dir[0] == '/') {
            const std::string candidate = dir + "/" + name;
            if (isExecutableFile(candidate)) return candidate;
        }
        start = end + 1;
    }
    return {};
}

}  // namespace mobrel::platform
