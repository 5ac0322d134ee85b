// A stand-in adb for the tests (first on PATH, or beside a copied program). It
// appends its arguments, each in brackets, as one line to $MOBREL_STANDIN_LOG, then:
//   echo-args A B ...  each argument and a NUL to stdout
//   print TEXT         TEXT to stdout, noise to stderr; fails if stdin is not empty
//   fds                "N -> target" for each descriptor above 2 it was given
//   where FILE         "exe=<its executable>\ncwd=<working folder>\n" into FILE
//   hang FILE          its pid into FILE, then it and a grandchild sleep 10 minutes
// and, as the probe of what happens once per process:
//   log-broken-pipe    logs with stderr a pipe nobody reads, then prints "alive"
//   workdir            the work folder as 8 threads found it
//   wait ARGS          the result of runAdbWait(ARGS)
// Anything else (the channel's forwards) exits 0.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "log.h"
#include "runner.h"
#include "workdir.h"

namespace {

// One write: concurrent runs append whole lines.
void writeTo(const char* path, const std::string& text, int flags) {
    const int fd = open(path, O_WRONLY | O_CREAT | flags, 0600);
    if (fd < 0) return;
    if (write(fd, text.data(), text.size()) < 0) std::perror("stand-in adb");
    close(fd);
}

std::string listDescriptors() {
    std::string out;
    DIR* dir = opendir("/proc/self/fd");
    while (dirent* e = dir ? readdir(dir) : nullptr) {
        if (e->d_name[0] == '.' || std::atoi(e->d_name) <= 2 || std::atoi(e->d_name) == dirfd(dir)) continue;
        char target[PATH_MAX] = {};
        readlink((std::string("/proc/self/fd/") + e->d_name).c_str(), target, sizeof target - 1);
        out += std::string(e->d_name) + " -> " + target + "\n";
    }
    if (dir) closedir(dir);
    return out;
}

std::string workDirectoryOfThreads() {
    std::vector<std::string> seen(8);
    std::vector<std::thread> workers;
    for (size_t i = 0; i < seen.size(); ++i) workers.emplace_back([&seen, i] { seen[i] = mobrel::workDirectory(); });
    for (std::thread& w : workers) w.join();
    for (const std::string& s : seen) {
        if (s != seen[0]) return "threads disagree: " + seen[0] + " / " + s;
    }
    return seen[0];
}

}  // namespace

int main(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) line += std::string(i > 1 ? " [" : "[") + argv[i] + "]";
    if (const char* log = std::getenv("MOBREL_STANDIN_LOG")) writeTo(log, line + "\n", O_APPEND);
    const std::string mode = argc > 1 ? argv[1] : "";
    const std::string arg = argc > 2 ? argv[2] : "";
    std::string out;
    if (mode == "echo-args") {
        for (int i = 2; i < argc; ++i) out += std::string(argv[i]) + '\0';
    } else if (mode == "print") {
        char c;
        if (read(0, &c, 1) != 0) return 4;
        std::fputs("noise on stderr\n", stderr);
        out = arg;
    } else if (mode == "fds") {
        out = listDescriptors();
    } else if (mode == "where") {
        char exe[PATH_MAX] = {}, cwd[PATH_MAX] = {};
        if (readlink("/proc/self/exe", exe, sizeof exe - 1) < 0 || !getcwd(cwd, sizeof cwd)) return 3;
        writeTo(arg.c_str(), std::string("exe=") + exe + "\ncwd=" + cwd + "\n", O_TRUNC);
    } else if (mode == "hang") {
        writeTo(arg.c_str(), std::to_string(getpid()) + "\n", O_TRUNC);
        fork();  // the grandchild sleeps as well
        sleep(600);
    } else if (mode == "log-broken-pipe") {
        int fds[2];
        if (pipe(fds) != 0 || dup2(fds[1], 2) < 0) return 3;
        close(fds[0]);
        mobrel::logMessage("nobody reads this copy\n");
        out = "alive\n";
    } else if (mode == "workdir") {
        out = workDirectoryOfThreads() + "\n";
    } else if (mode == "wait") {
        out = std::to_string(mobrel::runAdbWait(arg)) + "\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
