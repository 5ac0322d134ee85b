#include "test_support.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include <sys/stat.h>


namespace fs = std::filesystem;

namespace mobrel::test {
namespace {

// The private environment of this test process, made before main runs.
struct IsolatedEnvironment {
    mobreltest::TempDir root{"mobrel-test"};

    IsolatedEnvironment() {
        const fs::path& r = root.path();
        fs::create_directories(r / "home");
        fs::create_directories(r / "config");
        fs::create_directories(r / "run");
        chmod((r / "run").c_str(), 0700);
        setenv("HOME", (r / "home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (r / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (r / "run").c_str(), 1);
        unsetenv("MOBREL_STANDIN_LOG");
    }
};

IsolatedEnvironment& isolated() {
    static IsolatedEnvironment environment;
    return environment;
}

// Made before main, so no test sees the user's own folders.
const bool kIsolatedAtStart = !isolated().root.path().empty();

std::string pathWithFirst(const std::string& folder) {
    const char* path = std::getenv("PATH");
    return folder + (path ? ":" + std::string(path) : "");
}

}  // namespace

std::string standInProgram() { return MOBREL_STANDIN_PROGRAM; }
std::string dataFile(const std::string& name) { return std::string(MOBREL_TEST_DATA) + "/" + name; }

std::string makeTempDir(const std::string& tag) {
    static int counter = 0;
    const std::string dir = isolated().root.path().string() + "/" + tag + "-" + std::to_string(++counter);
    fs::create_directories(dir);
    return dir;
}

StandInAdb::StandInAdb()
    : folder_(makeTempDir("standin")),
      log_(folder_ + "/runs.log"),
      path_("PATH", pathWithFirst(folder_).c_str()),
      logEnv_("MOBREL_STANDIN_LOG", log_.c_str()) {
    fs::create_symlink(standInProgram(), folder_ + "/adb");
}

std::vector<std::string> StandInAdb::runs() const {
    std::istringstream lines(readFile(log_));
    std::vector<std::string> runs;
    for (std::string line; std::getline(lines, line);) runs.push_back(line);
    return runs;
}

std::vector<int> livingProcessesInGroup(int pgid, int waitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        std::vector<int> living;
        for (const fs::directory_entry& e : fs::directory_iterator("/proc")) {
            const std::string name = e.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos) continue;
            const std::string stat = readFile(e.path() / "stat");
            const size_t paren = stat.rfind(')');
            if (paren == std::string::npos) continue;
            std::istringstream fields(stat.substr(paren + 2));
            char state = 0;
            int ppid = 0;
            int group = 0;
            fields >> state >> ppid >> group;
            if (group == pgid && state != 'Z' && state != 'X') living.push_back(std::stoi(name));
        }
        if (living.empty() || std::chrono::steady_clock::now() >= deadline) return living;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace mobrel::test
