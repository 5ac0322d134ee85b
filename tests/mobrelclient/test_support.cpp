#include "test_support.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/process.h"

namespace fs = std::filesystem;

namespace mobrel::test {
namespace {

// The private environment of this test process, made before main runs.
struct IsolatedEnvironment {
    std::string root;

    IsolatedEnvironment() {
        std::string pattern = (fs::temp_directory_path() / "mobrel-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        root = pattern;
        const std::string home = root + "/home";
        const std::string config = root + "/config";
        const std::string runtime = root + "/run";
        fs::create_directories(home);
        fs::create_directories(config);
        mkdir(runtime.c_str(), 0700);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        unsetenv("MOBREL_STANDIN_LOG");
    }
    ~IsolatedEnvironment() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

IsolatedEnvironment& isolated() {
    static IsolatedEnvironment environment;
    return environment;
}

// Made before main, so no test sees the user's own folders.
const bool kIsolatedAtStart = !isolated().root.empty();

}  // namespace

std::string standInProgram() { return MOBREL_STANDIN_PROGRAM; }
std::string probeProgram() { return MOBREL_PROBE_PROGRAM; }
std::string dataFile(const std::string& name) { return std::string(MOBREL_TEST_DATA) + "/" + name; }

std::string makeTempDir(const std::string& tag) {
    static int counter = 0;
    const std::string dir = isolated().root + "/" + tag + "-" + std::to_string(++counter);
    fs::create_directories(dir);
    return dir;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    if (value) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
}

ScopedEnv::~ScopedEnv() {
    if (had_) {
        setenv(name_.c_str(), old_.c_str(), 1);
    } else {
        unsetenv(name_.c_str());
    }
}

namespace {
std::string pathWithFirst(const std::string& folder) {
    const char* path = std::getenv("PATH");
    return folder + (path ? ":" + std::string(path) : "");
}
}  // namespace

StandInAdb::StandInAdb()
    : folder_(makeTempDir("standin")),
      log_(folder_ + "/runs.log"),
      path_("PATH", pathWithFirst(folder_).c_str()),
      logEnv_("MOBREL_STANDIN_LOG", log_.c_str()) {
    fs::create_symlink(standInProgram(), folder_ + "/adb");
}

std::vector<std::string> StandInAdb::runs() const { return splitLines(readFile(log_)); }

std::vector<int> livingProcessesInGroup(int pgid, int waitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        std::vector<int> living;
        for (const fs::directory_entry& e : fs::directory_iterator("/proc")) {
            const std::string name = e.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos) continue;
            const std::string stat = readFile(e.path().string() + "/stat");
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

int runProgram(const std::vector<std::string>& argv, std::string& output) {
    const std::string out = makeTempDir("run") + "/stdout";
    const platform::RunOutcome outcome = platform::runProcess(argv, "", &out, 120000);
    output = readFile(out);
    return outcome.status == platform::RunStatus::Exited ? outcome.exitCode : -1;
}

}  // namespace mobrel::test
