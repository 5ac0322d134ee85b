// A stand-in for adb that the tests put first on PATH (as a symlink named adb)
// or beside a copied program. It appends its arguments to $MOBREL_STANDIN_LOG,
// one line per run with every argument in brackets, and then acts on argv[1]:
//   echo-args A B ...   writes each argument followed by a NUL byte to stdout
//   print TEXT          writes TEXT to stdout and some noise to stderr; fails if stdin is not empty
//   fds                 lists the descriptors above 2 it was given, one "N -> target" line each
//   where FILE          writes "exe=<its executable>\ncwd=<working folder>\n" into FILE
//   hang FILE           writes "<pid>\n" into FILE, starts a grandchild, and both sleep for 10 minutes
// The same program is the tests' probe of what happens once per process (the
// log, the work folder) and of adb found beside the program:
//   log-broken-pipe     logs with stderr a pipe nobody reads; prints "alive"
//   workdir             prints the work folder that 8 threads found
//   wait ARGS           prints the result of runAdbWait(ARGS)
// Anything else (the channel's forward commands, for example) exits 0.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "log.h"
#include "runner.h"
#include "workdir.h"

namespace {

void writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

void writeFile(const char* path, const std::string& text) {
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) std::exit(3);
    writeAll(fd, text);
    close(fd);
}

void logArguments(int argc, char** argv) {
    const char* log = std::getenv("MOBREL_STANDIN_LOG");
    if (!log) return;
    std::string line;
    for (int i = 1; i < argc; ++i) line += std::string(i > 1 ? " [" : "[") + argv[i] + "]";
    line += "\n";
    const int fd = open(log, O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0) return;
    writeAll(fd, line);  // one write: concurrent runs append whole lines
    close(fd);
}

std::string listDescriptors() {
    std::string out;
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return "cannot list\n";
    while (dirent* e = readdir(dir)) {
        const int fd = std::atoi(e->d_name);
        if (e->d_name[0] == '.' || fd <= 2 || fd == dirfd(dir)) continue;
        char target[PATH_MAX] = {};
        const std::string link = std::string("/proc/self/fd/") + e->d_name;
        readlink(link.c_str(), target, sizeof target - 1);
        out += std::string(e->d_name) + " -> " + target + "\n";
    }
    closedir(dir);
    return out;
}

int logToBrokenPipe() {
    int fds[2];
    if (pipe(fds) != 0 || dup2(fds[1], 2) < 0) return 3;
    close(fds[0]);
    mobrel::logMessage("nobody reads this copy\n");
    std::printf("alive\n");
    return 0;
}

int printWorkDirectory() {
    std::vector<std::string> seen(8);
    std::vector<std::thread> workers;
    for (size_t i = 0; i < seen.size(); ++i) workers.emplace_back([&seen, i] { seen[i] = mobrel::workDirectory(); });
    for (std::thread& w : workers) w.join();
    for (const std::string& s : seen) {
        if (s != seen[0]) {
            std::printf("threads disagree: %s / %s\n", seen[0].c_str(), s.c_str());
            return 1;
        }
    }
    std::printf("%s\n", seen[0].c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    logArguments(argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "";

    if (mode == "echo-args") {
        for (int i = 2; i < argc; ++i) writeAll(1, std::string(argv[i]) + '\0');
    } else if (mode == "print" && argc > 2) {
        char c;
        if (read(0, &c, 1) != 0) return 4;
        writeAll(2, "noise on stderr\n");
        writeAll(1, argv[2]);
    } else if (mode == "fds") {
        writeAll(1, listDescriptors());
    } else if (mode == "where" && argc > 2) {
        char exe[PATH_MAX] = {};
        char cwd[PATH_MAX] = {};
        readlink("/proc/self/exe", exe, sizeof exe - 1);
        if (!getcwd(cwd, sizeof cwd)) return 3;
        writeFile(argv[2], std::string("exe=") + exe + "\ncwd=" + cwd + "\n");
    } else if (mode == "hang" && argc > 2) {
        writeFile(argv[2], std::to_string(getpid()) + "\n");
        if (fork() == 0) {
            sleep(600);
            _exit(0);
        }
        sleep(600);
    } else if (mode == "log-broken-pipe") {
        return logToBrokenPipe();
    } else if (mode == "workdir") {
        return printWorkDirectory();
    } else if (mode == "wait" && argc > 2) {
        std::printf("%d\n", mobrel::runAdbWait(argv[2]));
    }
    return 0;
}
