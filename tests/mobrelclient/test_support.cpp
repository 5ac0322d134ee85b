#include "test_support.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace mobrel::test {
namespace {

const fs::path& isolatedRoot() {
    static const TempDir root{"mobrel-test"};
    static const bool once = [] {
        const fs::path& r = root.path();
        for (const char* sub : {"home", "config", "run"}) fs::create_directories(r / sub);
        chmod((r / "run").c_str(), 0700);
        setenv("HOME", (r / "home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (r / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (r / "run").c_str(), 1);
        unsetenv("MOBREL_STANDIN_LOG");
        return true;
    }();
    (void)once;
    return root.path();
}

const bool kIsolatedAtStart = !isolatedRoot().empty();  // before main: no test sees the user's folders

std::vector<std::string> lines(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

}  // namespace

std::string standInProgram() { return MOBREL_STANDIN_PROGRAM; }
std::string dataFile(const std::string& name) { return std::string(MOBREL_TEST_DATA) + "/" + name; }

std::string makeTempDir(const std::string& tag) {
    static int counter = 0;
    const std::string dir = (isolatedRoot() / (tag + "-" + std::to_string(++counter))).string();
    fs::create_directories(dir);
    return dir;
}

StandInAdb::StandInAdb()
    : folder_(makeTempDir("standin")),
      log_(folder_ + "/runs.log"),
      path_("PATH", (folder_ + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "")).c_str()),
      logEnv_("MOBREL_STANDIN_LOG", log_.c_str()) {
    fs::create_symlink(standInProgram(), folder_ + "/adb");
}

std::vector<std::string> StandInAdb::runs() const { return lines(readFile(log_)); }

std::vector<int> livingProcessesInGroup(int pgid, int waitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        std::vector<int> living;
        for (const fs::directory_entry& e : fs::directory_iterator("/proc")) {
            const std::string name = e.path().filename().string();
            const std::string stat = readFile(e.path() / "stat");  // "pid (name) S ppid pgid ..."
            const size_t paren = stat.rfind(')');
            if (name.find_first_not_of("0123456789") != std::string::npos || paren == std::string::npos) continue;
            std::istringstream fields(stat.substr(paren + 2));
            char state = 0;
            int ppid = 0, group = 0;
            fields >> state >> ppid >> group;
            if (group == pgid && state != 'Z' && state != 'X') living.push_back(std::stoi(name));
        }
        if (living.empty() || std::chrono::steady_clock::now() >= deadline) return living;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace mobrel::test
