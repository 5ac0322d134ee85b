#include "phonesim_fixture.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cjson/cJSON.h>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <thread>

extern char** environ;

namespace mobreltest {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

// argv (looked for on PATH) with stdin /dev/null and stdout/stderr to the descriptors (-1: inherit); pid or -1.
pid_t spawn(const std::vector<std::string>& argv, int outFd, int errFd) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (outFd >= 0) posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    if (errFd >= 0) posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// Reads what is there without waiting; false at end of file.
bool drain(int fd, std::string& out) {
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(n));
    return n < 0 && (errno == EAGAIN || errno == EINTR);
}

// True while the process exists and is no zombie.
bool processAlive(pid_t pid) {
    const std::string text = pid > 0 ? readFile("/proc/" + std::to_string(pid) + "/stat") : "";
    const size_t paren = text.rfind(')');
    return paren != std::string::npos && paren + 2 < text.size() && text[paren + 2] != 'Z';
}

bool isAdbServer(const std::string& cmdline) {
    return cmdline.find(std::string("\0fork-server\0", 13)) != std::string::npos;
}

void writeLockFile(int fd, const std::string& text) {
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) {
        std::fprintf(stderr, "phonesim kit: cannot write the lock file\n");
    }
}

}  // namespace

CommandResult runCommand(const std::vector<std::string>& argv, int timeoutMs) {
    CommandResult result;
    int outPipe[2], errPipe[2];
    if (argv.empty() || ::pipe2(outPipe, O_CLOEXEC | O_NONBLOCK) != 0) return result;
    if (::pipe2(errPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        return result;
    }
    const pid_t pid = spawn(argv, outPipe[1], errPipe[1]);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    // An adb server started on the way may keep our pipes: the child's exit ends the wait.
    const auto deadline = Clock::now() + milliseconds(timeoutMs);
    int status = -1;
    for (bool exited = pid < 0; !exited;) {
        pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
        ::poll(fds, 2, 20);
        drain(outPipe[0], result.out);
        drain(errPipe[0], result.err);
        exited = ::waitpid(pid, &status, WNOHANG) == pid;
        if (!exited && Clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            status = -1;
            break;
        }
    }
    drain(outPipe[0], result.out);
    drain(errPipe[0], result.err);
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    if (status != -1 && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}

int bindLoopback(int port, int waitMs) {
    const auto deadline = Clock::now() + milliseconds(waitMs);
    for (;;) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
        ::close(fd);
        if (Clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(milliseconds(200));
    }
}

bool portFree(int port) {
    const int fd = bindLoopback(port);
    if (fd >= 0) ::close(fd);
    return fd >= 0;
}

int takeMachineLock() {
    const int fd = ::open("/tmp/mobrel-phonesim.lock", O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0 && ::flock(fd, LOCK_EX) == 0) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

SimOptions listedAs(const std::string& state) {
    SimOptions options;
    options.faults.unauthorized = state == "unauthorized";
    options.faults.offline = state == "offline";
    return options;
}

fs::path PhoneSim::binDir() {
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec).parent_path();
}

fs::path PhoneSim::apkPath() { return binDir() / "mobrelcore.apk"; }

bool PhoneSim::fail(const std::string& message) {
    error_ = message;
    return false;
}

bool PhoneSim::start(const SimOptions& options) {
    if (started_) return fail("already started");
    started_ = true;
    options_ = options;
    error_.clear();
    // Port 25803 is fixed and every adb server probes the emulator ports: runs of
    // other builds or checkouts on this machine would meet ours, so wait for them.
    if ((machineLock_ = takeMachineLock()) < 0) return fail("cannot take /tmp/mobrel-phonesim.lock");
    stopLeftoverServers();

    std::string pattern = (fs::temp_directory_path() / "phonesim-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return fail("cannot make a temporary folder");
    root_ = pattern;
    std::error_code ec;
    fs::create_directories(root_ / "home" / ".config", ec);
    fs::create_directories(root_ / "runtime", ec);
    fs::permissions(root_ / "runtime", fs::perms::owner_all, ec);

    // The phone on the lowest free emulator port; the server on a free private port
    // from a random place in the range, so that parallel runs rarely meet.
    for (int p = 5555; p <= 5585 && !port_; p += 2) port_ = portFree(p) ? p : 0;
    const int offset = static_cast<int>(std::mt19937(std::random_device{}())() % 63);
    for (int i = 0; i < 63 && !serverPort_; ++i) {
        const int p = 15037 + (offset + i) % 63;
        serverPort_ = portFree(p) ? p : 0;
    }
    if (!port_ || !serverPort_) return fail("no free port for phonesim or the adb server");
    // Another checkout's run may hold the forwarded port for a while.
    for (auto until = Clock::now() + std::chrono::seconds(120); !portFree(kServicePort) && Clock::now() < until;) {
        std::this_thread::sleep_for(milliseconds(500));
    }

    const auto setEnv = [this](const char* name, const std::string* value) {
        env_.push_back(std::make_unique<ScopedEnv>(name, value ? value->c_str() : nullptr));
    };
    const std::string home = (root_ / "home").string(), config = home + "/.config";
    const std::string runtime = (root_ / "runtime").string(), server = std::to_string(serverPort_);
    const std::string maxPort = std::to_string(port_);
    setEnv("HOME", &home);
    setEnv("XDG_CONFIG_HOME", &config);
    setEnv("XDG_RUNTIME_DIR", &runtime);
    setEnv("ANDROID_ADB_SERVER_PORT", &server);
    setEnv("ADB_LOCAL_TRANSPORT_MAX_PORT", &maxPort);  // probes up to our phone only
    for (const char* name : {"ANDROID_SERIAL", "ADB_VENDOR_KEYS", "ANDROID_SDK_HOME", "ANDROID_ADB_SERVER_ADDRESS"}) {
        setEnv(name, nullptr);  // no other phone through a user's variables
    }

    if (!startPhone()) return false;
    if (adb({"start-server"}).exitCode != 0) return fail("adb start-server failed");
    recordServers();
    const std::string state = options_.faults.offline        ? "offline"
                              : options_.faults.unauthorized ? "unauthorized"
                                                             : "device";
    return waitForState(state) ||
           fail("adb does not list " + serial() + " as " + state + " (now: \"" + deviceState() + "\")");
}

// The lock file names the adb servers of the run holding it: a run that crashed
// (its server keeping 25803 forwarded) has them stopped by the next one.
void PhoneSim::recordServers() {
    std::string pids;
    for (pid_t pid : serverPids()) pids += std::to_string(pid) + "\n";
    writeLockFile(machineLock_, pids);
}

void PhoneSim::stopLeftoverServers() {
    char text[256] = {};
    const ssize_t n = ::pread(machineLock_, text, sizeof text - 1, 0);
    std::istringstream lines(std::string(text, n > 0 ? static_cast<size_t>(n) : 0));
    for (pid_t pid = 0; lines >> pid;) {
        // Anyone may write the shared file: stop only an adb server that is ours.
        const std::string proc = "/proc/" + std::to_string(pid);
        struct stat owner {};
        if (pid > 0 && ::stat(proc.c_str(), &owner) == 0 && owner.st_uid == ::geteuid() &&
            isAdbServer(readFile(proc + "/cmdline"))) {
            ::kill(pid, SIGKILL);
        }
    }
    writeLockFile(machineLock_, "");
}

bool PhoneSim::startPhone() {
    std::vector<std::string> argv{(binDir() / "phonesim").string(), "--parent-pid", std::to_string(::getpid()),
                                  "--state", statePath().string(), "--port", std::to_string(port_),
                                  "--adb-port", std::to_string(serverPort_), "--profile", options_.profile};
    if (!options_.dataset.empty()) argv.insert(argv.end(), {"--dataset", options_.dataset});
    // The switches go on the command line: phonesim writes them before it listens.
    const std::string faultsJson = phonesim::faultsToJson(options_.faults);
    cJSON* faults = faultsJson != phonesim::faultsToJson(phonesim::Faults{}) ? cJSON_Parse(faultsJson.c_str()) : nullptr;
    for (cJSON* item = faults ? faults->child : nullptr; item; item = item->next) {
        const std::string value = cJSON_IsString(item) ? item->valuestring
                                  : cJSON_IsBool(item) ? (cJSON_IsTrue(item) ? "true" : "false")
                                                       : std::to_string(item->valueint);
        argv.insert(argv.end(), {"--fault", std::string(item->string) + "=" + value});
    }
    cJSON_Delete(faults);

    int out[2];
    if (::pipe2(out, O_CLOEXEC | O_NONBLOCK) != 0) return fail("pipe failed");
    phonePid_ = spawn(argv, out[1], -1);
    ::close(out[1]);
    phoneOut_ = out[0];
    if (phonePid_ < 0) return fail("cannot start " + argv[0]);
    // Generating the large dataset under the sanitizers takes a while.
    const auto deadline = Clock::now() + std::chrono::seconds(300);
    std::string said;
    while (said.find("phonesim: listening on 127.0.0.1:" + std::to_string(port_)) == std::string::npos) {
        pollfd fd{phoneOut_, POLLIN, 0};
        ::poll(&fd, 1, 50);
        if (!drain(phoneOut_, said) || !processAlive(phonePid_) || Clock::now() >= deadline) {
            return fail("phonesim did not start listening (it said: \"" + said + "\")");
        }
    }
    return true;
}

bool PhoneSim::stopPhone() {
    bool clean = false;
    if (phonePid_ > 0) {
        ::kill(phonePid_, SIGTERM);
        int status = 0;
        bool reaped = false;
        for (auto deadline = Clock::now() + std::chrono::seconds(10); !reaped && Clock::now() < deadline;) {
            reaped = ::waitpid(phonePid_, &status, WNOHANG) == phonePid_;
            if (!reaped) std::this_thread::sleep_for(milliseconds(20));
        }
        clean = reaped && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (!reaped && ::kill(phonePid_, SIGKILL) == 0) ::waitpid(phonePid_, &status, 0);
    }
    phonePid_ = -1;
    if (phoneOut_ >= 0) ::close(phoneOut_);
    phoneOut_ = -1;
    return clean;
}

void PhoneSim::stop() {
    if (!started_) return;
    started_ = false;
    const std::vector<pid_t> servers = serverPids();
    if (serverPort_) adb({"kill-server"});
    for (pid_t pid : servers) {
        for (auto deadline = Clock::now() + std::chrono::seconds(5); processAlive(pid) && Clock::now() < deadline;) {
            std::this_thread::sleep_for(milliseconds(20));
        }
        if (processAlive(pid)) ::kill(pid, SIGKILL);
    }
    stopPhone();
    std::error_code ec;
    if (!root_.empty()) fs::remove_all(root_, ec);
    while (!env_.empty()) env_.pop_back();
    root_.clear();
    port_ = serverPort_ = 0;
    if (machineLock_ >= 0) {
        writeLockFile(machineLock_, "");  // nothing of ours is left to stop
        ::close(machineLock_);            // releases the lock
    }
    machineLock_ = -1;
}

std::vector<pid_t> PhoneSim::serverPids() const {
    std::vector<pid_t> pids;
    if (!serverPort_) return pids;
    // "adb -L tcp:PORT fork-server server --reply-fd N", NUL-separated.
    const std::string listen = std::string(1, '\0') + "tcp:" + std::to_string(serverPort_) + std::string(1, '\0');
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string cmdline = readFile(entry.path() / "cmdline");
        if (isAdbServer(cmdline) && cmdline.find(listen) != std::string::npos && processAlive(std::stoi(name))) {
            pids.push_back(std::stoi(name));
        }
    }
    return pids;
}

CommandResult PhoneSim::adb(const std::vector<std::string>& args) const {
    std::vector<std::string> argv{"adb"};
    argv.insert(argv.end(), args.begin(), args.end());
    return runCommand(argv);
}

CommandResult PhoneSim::adbDevice(const std::vector<std::string>& args) const {
    std::vector<std::string> all{"-s", serial()};
    all.insert(all.end(), args.begin(), args.end());
    return adb(all);
}

std::string PhoneSim::deviceState() const {
    std::istringstream lines(adb({"devices"}).out);
    const std::string prefix = serial() + "\t";
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
    }
    return "";
}

bool PhoneSim::waitForState(const std::string& state, int timeoutMs) const {
    const auto deadline = Clock::now() + milliseconds(timeoutMs);
    while (deviceState() != state) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(milliseconds(100));
    }
    return true;
}

void PhoneSim::setFaults(const phonesim::Faults& faults) {
    options_.faults = faults;
    phonesim::FaultSwitch(statePath() / "faults.json").write(faults);
}

}  // namespace mobreltest
