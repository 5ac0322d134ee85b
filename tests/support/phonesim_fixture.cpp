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
#include <system_error>
#include <thread>

extern char** environ;

namespace mobreltest {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Spawns argv with stdin from /dev/null and stdout/stderr into the given
// descriptors (-1: inherit); a name without "/" is looked for on PATH. Returns the pid or -1.
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

// Reads whatever is there without waiting; false at end of file.
bool drain(int fd, std::string& out) {
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            out.append(buffer, static_cast<size_t>(n));
            continue;
        }
        return n < 0 && (errno == EAGAIN || errno == EINTR);
    }
}

// Ends a child of ours: SIGTERM, SIGKILL after graceMs; true when it exited by itself with status 0.
bool endChild(pid_t pid, int graceMs) {
    ::kill(pid, SIGTERM);
    int status = 0;
    for (auto deadline = Clock::now() + std::chrono::milliseconds(graceMs); Clock::now() < deadline;) {
        if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return false;
}

// True while the process exists and is not a zombie.
bool processAlive(pid_t pid) {
    if (pid <= 0) return false;
    const std::string text = readFile("/proc/" + std::to_string(pid) + "/stat");
    size_t paren = text.rfind(')');
    return paren != std::string::npos && paren + 2 < text.size() && text[paren + 2] != 'Z';
}

void clearLockFile(int fd) {
    if (::ftruncate(fd, 0) != 0) std::fprintf(stderr, "phonesim kit: cannot clear the lock file\n");
}

}  // namespace

CommandResult runCommand(const std::vector<std::string>& argv, int timeoutMs) {
    CommandResult result;
    int outPipe[2];
    int errPipe[2];
    if (argv.empty() || ::pipe2(outPipe, O_CLOEXEC | O_NONBLOCK) != 0) return result;
    if (::pipe2(errPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        return result;
    }
    pid_t pid = spawn(argv, outPipe[1], errPipe[1]);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    // An adb server started on the way may keep our pipes: the child's exit, not
    // the end of its output, ends the wait.
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    bool exited = pid < 0;
    while (!exited) {
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
    if (pid >= 0 && status != -1 && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}

int bindLoopback(int port, int waitMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
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
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
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

PhoneSim::~PhoneSim() { stop(); }

fs::path PhoneSim::binDir() {
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec).parent_path();
}

fs::path PhoneSim::apkPath() { return binDir() / "mobrelcore.apk"; }

bool PhoneSim::fail(const std::string& message) {
    error_ = message;
    return false;
}

void PhoneSim::setEnv(const char* name, const char* value) { env_.push_back(std::make_unique<ScopedEnv>(name, value)); }

std::string PhoneSim::expectedState() const {
    if (options_.faults.offline) return "offline";
    if (options_.faults.unauthorized) return "unauthorized";
    return "device";
}

bool PhoneSim::start(const SimOptions& options) {
    if (started_) return fail("already started");
    started_ = true;
    options_ = options;
    error_.clear();

    // Port 25803 is fixed and every adb server probes the emulator ports, so runs
    // from other builds or checkouts on this machine would meet ours: wait for them.
    machineLock_ = takeMachineLock();
    if (machineLock_ < 0) return fail("cannot take /tmp/mobrel-phonesim.lock");
    stopLeftoverServers();

    std::string pattern = (fs::temp_directory_path() / "phonesim-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return fail("cannot make a temporary folder");
    root_ = pattern;
    std::error_code ec;
    fs::create_directories(homePath() / ".config", ec);
    fs::create_directories(root_ / "runtime", ec);
    fs::permissions(root_ / "runtime", fs::perms::owner_all, ec);

    // The phone on the lowest free emulator port; the adb server on a free private
    // port, from a random place in the range so that parallel runs rarely meet.
    for (int p = 5555; p <= 5585 && !port_; p += 2) {
        if (portFree(p)) port_ = p;
    }
    std::mt19937 random(std::random_device{}());
    int offset = static_cast<int>(random() % 63);
    for (int i = 0; i < 63 && !serverPort_; ++i) {
        int p = 15037 + (offset + i) % 63;
        if (portFree(p)) serverPort_ = p;
    }
    if (!port_ || !serverPort_) return fail("no free port for phonesim or the adb server");
    // The forwarded host port is fixed: a run of another checkout may hold it for a while.
    auto busyUntil = Clock::now() + std::chrono::seconds(120);
    while (!portFree(kServicePort) && Clock::now() < busyUntil) std::this_thread::sleep_for(std::chrono::milliseconds(500));

    setEnv("HOME", homePath().c_str());
    setEnv("XDG_CONFIG_HOME", (homePath() / ".config").c_str());
    setEnv("XDG_RUNTIME_DIR", (root_ / "runtime").c_str());
    setEnv("ANDROID_ADB_SERVER_PORT", std::to_string(serverPort_).c_str());
    // The server probes the emulator ports up to ours only; no other phone is seen
    // through a user's variables.
    setEnv("ADB_LOCAL_TRANSPORT_MAX_PORT", std::to_string(port_).c_str());
    for (const char* name : {"ANDROID_SERIAL", "ADB_VENDOR_KEYS", "ANDROID_SDK_HOME", "ANDROID_ADB_SERVER_ADDRESS"}) {
        setEnv(name, nullptr);
    }

    if (!startPhone()) return false;
    if (adb({"start-server"}).exitCode != 0) return fail("adb start-server failed");
    recordServers();
    if (!waitForState(expectedState())) {
        return fail("adb does not list " + serial() + " as " + expectedState() + " (now: \"" + deviceState() + "\")");
    }
    return true;
}

// The lock file names the adb servers of the run that holds it. A run that
// crashed could not stop its server, which would keep port 25803 forwarded;
// whoever takes the lock next stops it by that PID.
void PhoneSim::recordServers() {
    std::string pids;
    for (pid_t pid : serverPids()) pids += std::to_string(pid) + "\n";
    clearLockFile(machineLock_);
    if (::pwrite(machineLock_, pids.data(), pids.size(), 0) != static_cast<ssize_t>(pids.size())) {
        std::fprintf(stderr, "phonesim kit: cannot record the adb server in the lock file\n");
    }
}

void PhoneSim::stopLeftoverServers() {
    char text[256] = {};
    const ssize_t n = ::pread(machineLock_, text, sizeof text - 1, 0);
    std::istringstream lines(std::string(text, n > 0 ? static_cast<size_t>(n) : 0));
    for (pid_t pid = 0; lines >> pid;) {
        // Anyone may write the shared file: stop only an adb server that is ours.
        const std::string proc = "/proc/" + std::to_string(pid);
        struct stat owner {};
        if (pid <= 0 || ::stat(proc.c_str(), &owner) != 0 || owner.st_uid != ::geteuid()) continue;
        const std::string cmdline = readFile(proc + "/cmdline");
        if (cmdline.find(std::string("\0fork-server\0", 13)) != std::string::npos) ::kill(pid, SIGKILL);
    }
    clearLockFile(machineLock_);
}

bool PhoneSim::startPhone() {
    std::vector<std::string> argv{(binDir() / "phonesim").string(), "--parent-pid", std::to_string(::getpid()),
                                  "--state", statePath().string(),
                                  "--port", std::to_string(port_), "--adb-port", std::to_string(serverPort_),
                                  "--profile", options_.profile};
    if (!options_.dataset.empty()) argv.insert(argv.end(), {"--dataset", options_.dataset});
    // The switches go in on the command line: phonesim writes them before it listens.
    std::string faultsJson = phonesim::faultsToJson(options_.faults);
    bool anyFault = faultsJson != phonesim::faultsToJson(phonesim::Faults{});
    cJSON* faults = anyFault ? cJSON_Parse(faultsJson.c_str()) : nullptr;
    for (cJSON* item = faults ? faults->child : nullptr; item; item = item->next) {
        std::string value = cJSON_IsString(item) ? item->valuestring
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
    auto deadline = Clock::now() + std::chrono::seconds(300);
    std::string said;
    const std::string expected = "phonesim: listening on 127.0.0.1:" + std::to_string(port_);
    while (said.find(expected) == std::string::npos) {
        pollfd fd{phoneOut_, POLLIN, 0};
        ::poll(&fd, 1, 50);
        bool open = drain(phoneOut_, said);
        if (!open || !processAlive(phonePid_) || Clock::now() >= deadline) {
            return fail("phonesim did not start listening (it said: \"" + said + "\")");
        }
    }
    return true;
}

bool PhoneSim::stopPhone() {
    bool clean = false;
    if (phonePid_ > 0) clean = endChild(phonePid_, 10000);
    phonePid_ = -1;
    if (phoneOut_ >= 0) ::close(phoneOut_);
    phoneOut_ = -1;
    return clean;
}

void PhoneSim::stop() {
    if (!started_) return;
    started_ = false;
    if (serverPort_) {
        std::vector<pid_t> servers = serverPids();
        adb({"kill-server"});
        for (pid_t pid : servers) {
            auto deadline = Clock::now() + std::chrono::seconds(5);
            while (processAlive(pid) && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (processAlive(pid)) ::kill(pid, SIGKILL);
        }
    }
    stopPhone();
    std::error_code ec;
    if (!root_.empty()) fs::remove_all(root_, ec);
    while (!env_.empty()) env_.pop_back();
    root_.clear();
    port_ = serverPort_ = 0;
    if (machineLock_ >= 0) {
        clearLockFile(machineLock_);  // nothing of ours is left to stop
        ::close(machineLock_);  // releases the lock
    }
    machineLock_ = -1;
}

std::vector<pid_t> PhoneSim::serverPids() const {
    std::vector<pid_t> pids;
    if (!serverPort_) return pids;
    const std::string listen = "tcp:" + std::to_string(serverPort_);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        // "adb -L tcp:PORT fork-server server --reply-fd N", NUL-separated.
        std::string cmdline = readFile(entry.path() / "cmdline");
        bool server = cmdline.find(std::string("\0fork-server\0", 13)) != std::string::npos;
        bool ours = cmdline.find(std::string(1, '\0') + listen + std::string(1, '\0')) != std::string::npos;
        pid_t pid = std::atoi(name.c_str());
        if (server && ours && processAlive(pid)) pids.push_back(pid);
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
    CommandResult r = adb({"devices"});
    std::istringstream lines(r.out);
    std::string line;
    const std::string prefix = serial() + "\t";
    while (std::getline(lines, line)) {
        if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
    }
    return std::string();
}

bool PhoneSim::waitForState(const std::string& state, int timeoutMs) const {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (deviceState() == state) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

void PhoneSim::setFaults(const phonesim::Faults& faults) {
    options_.faults = faults;
    phonesim::FaultSwitch(statePath() / "faults.json").write(faults);
}

}  // namespace mobreltest
