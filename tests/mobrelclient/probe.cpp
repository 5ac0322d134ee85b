// A program the tests run as a separate process, for what happens once per
// process (the log, the work folder) and for adb found beside the program:
//   probe log-broken-pipe            logs with stderr a pipe nobody reads; prints "alive"
//   probe workdir                    prints the work folder that 8 threads found
//   probe wait ARGS                  prints the result of runAdbWait(ARGS)
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "log.h"
#include "runner.h"
#include "workdir.h"

namespace {

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
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "log-broken-pipe") return logToBrokenPipe();
    if (mode == "workdir") return printWorkDirectory();
    if (mode == "wait" && argc > 2) {
        std::printf("%d\n", mobrel::runAdbWait(argv[2]));
        return 0;
    }
    std::fprintf(stderr, "usage: probe log-broken-pipe|workdir|wait ...\n");
    return 2;
}
