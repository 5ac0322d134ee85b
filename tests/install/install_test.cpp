// cmake --install into a fresh prefix, then the program started as its menu entry starts it, with a
// clean environment, against phonesim: it runs from its own folder with the library, fonts and
// companion package installed there.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "phonesim_fixture.h"

namespace fs = std::filesystem;
using mobreltest::runCommand;

namespace {

std::set<std::string> names(const fs::path& folder) {
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) found.insert(entry.path().filename().string());
    return found;
}

// The value of "Key=" in the desktop entry, outer quotes removed.
std::string desktopValue(const fs::path& file, const std::string& key) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(key + "=", 0) != 0) continue;
        const std::string value = line.substr(key.size() + 1);
        const bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
        return quoted ? value.substr(1, value.size() - 2) : value;
    }
    return {};
}

// The program with only what a desktop session gives it: offscreen instead of a display,
// and the test's private HOME, runtime folder, adb server and PATH.
pid_t startProgram(const fs::path& launcher, const fs::path& log) {
    std::vector<std::string> env{"QT_QPA_PLATFORM=offscreen"};
    for (const char* name : {"HOME", "XDG_RUNTIME_DIR", "ANDROID_ADB_SERVER_PORT", "PATH"})
        if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string path = launcher.string();
    char* argv[] = {path.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv, envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

bool waitFor(const std::function<bool()>& done, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    return true;
}

}  // namespace

TEST(Install, InstalledProgramRunsFromItsOwnFolder) {
    mobreltest::PhoneSim sim;
    ASSERT_TRUE(sim.start()) << sim.error();
    const fs::path prefix = sim.root() / "prefix";
    const auto install = runCommand({MOBREL_CMAKE, "--install", MOBREL_BUILD_DIR, "--prefix", prefix.string()});
    ASSERT_EQ(install.exitCode, 0) << install.out << install.err;

    // Everything the program looks for beside itself, and nothing of the tests or phonesim.
    const fs::path folder = prefix / "lib/mobrel";
    EXPECT_EQ(names(folder), (std::set<std::string>{"Mobrel", "libmobrelclient.so", "mobrelcore.apk", "font",
                                                    "resource"}));
    for (const char* file : {"resource/index.html", "resource/favicon.ico", "resource/Script"})
        EXPECT_TRUE(fs::exists(folder / file)) << file;
    EXPECT_EQ(names(prefix / "bin"), std::set<std::string>{"mobrel"});

    const fs::path desktop = prefix / "share/applications/mobrel.desktop";
    const auto valid = runCommand({MOBREL_DESKTOP_FILE_VALIDATE, desktop.string()});
    EXPECT_TRUE(valid.exitCode == 0 && valid.out.empty()) << valid.out << valid.err;
    EXPECT_TRUE(fs::is_regular_file(prefix / "share/icons/hicolor/128x128/apps" /
                                    (desktopValue(desktop, "Icon") + ".png")));

    const fs::path launcher = desktopValue(desktop, "Exec");
    ASSERT_EQ(launcher, prefix / "bin/mobrel");
    // Qt's idea of the program's folder (where it also finds the viewer template): the fonts it opens.
    const int fontWatch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(fontWatch, (folder / "font").c_str(), IN_OPEN), 0);
    const pid_t pid = startProgram(launcher, sim.root() / "mobrel.log");
    ASSERT_GT(pid, 0);
    const std::string proc = "/proc/" + std::to_string(pid);

    // The companion can be started only once the program has installed the package.
    int status = 0;
    bool ended = false;  // by itself
    const bool installed = waitFor([&] {
        ended = ::waitpid(pid, &status, WNOHANG) == pid;
        return ended ||
               sim.adbDevice({"shell", "am", "start", "-n", "com.quenlo.mobrelphone/.ui.MainActivity"}).exitCode == 0;
    }, 120) && !ended;
    std::error_code ec;
    EXPECT_EQ(fs::read_symlink(proc + "/exe", ec), fs::canonical(folder / "Mobrel"));
    std::set<std::string> libraries;
    std::ifstream maps(proc + "/maps");
    for (std::string line; std::getline(maps, line);)
        if (line.find("libmobrelclient") != std::string::npos) libraries.insert(line.substr(line.find('/')));
    EXPECT_EQ(libraries, std::set<std::string>{fs::canonical(folder / "libmobrelclient.so").string()});
    std::set<std::string> opened;
    alignas(inotify_event) char events[4096];
    const ssize_t size = ::read(fontWatch, events, sizeof events);
    for (ssize_t at = 0; at < size;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events + at);
        if (event->len > 0) opened.insert(event->name);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
    ::close(fontWatch);
    EXPECT_EQ(opened, (std::set<std::string>{"Arial.ttf", "custom.ttf", "customBold.ttf"}));

    if (!ended) ::kill(pid, SIGTERM);
    if (!ended && !waitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, 10)) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    EXPECT_TRUE(installed) << "the program never installed the companion package:\n"
                           << mobreltest::readFile(sim.root() / "mobrel.log");
}
