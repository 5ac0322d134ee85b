#include "phone.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <system_error>

#include "adb/shell_words.h"

namespace phonesim {

namespace fs = std::filesystem;

namespace {

const std::string kApkMarker = std::string("package=\"") + kCompanionPackage + "\"";

bool isOption(const std::string& word) { return word.size() > 1 && word[0] == '-'; }

// The words that are not options, skipping the argument of each option in withArgument.
std::vector<std::string> operands(const std::vector<std::string>& args, size_t from,
                                  const std::set<std::string>& withArgument) {
    std::vector<std::string> out;
    for (size_t i = from; i < args.size(); ++i) {
        if (!isOption(args[i])) {
            out.push_back(args[i]);
        } else if (withArgument.count(args[i])) {
            ++i;
        }
    }
    return out;
}

bool hasFlag(const std::vector<std::string>& args, char flag) {
    for (const std::string& a : args) {
        if (isOption(a) && a[1] != '-' && a.find(flag) != std::string::npos) return true;
    }
    return false;
}

ShellResult failure(const std::string& text, int code = 1) { return ShellResult{"", text + "\n", code}; }

}  // namespace

void ApkCheck::feed(std::string_view bytes) {
    size_ += bytes.size();
    if (found_) return;
    tail_.append(bytes);
    if (tail_.find(kApkMarker) != std::string::npos) {
        found_ = true;
        tail_.clear();
    } else if (tail_.size() >= kApkMarker.size()) {
        tail_.erase(0, tail_.size() - (kApkMarker.size() - 1));
    }
}

Phone::Phone(const fs::path& stateDir, Profile profile)
    : profile_(std::move(profile)),
      paths_(stateDir),
      faults_(stateDir / "faults.json"),
      companion_(stateDir, profile_, paths_, faults_) {}

Phone::~Phone() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopCompanionLocked();
    }
    serving_.joinAll();
}

// ---- packages

std::string Phone::install(const ApkCheck& apk, bool replace) {
    if (!apk.isCompanion()) {
        return "Failure [INSTALL_PARSE_FAILED_NOT_APK: Failed to parse /data/app/vmdl1.tmp/base.apk: "
               "no AndroidManifest.xml with a package name]";
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (installed_ && !replace) return "Failure [INSTALL_FAILED_ALREADY_EXISTS]";
    // Replacing a package ends its process first; a new install keeps nothing of the app's own.
    stopCompanionLocked();
    companion_.reset();
    installed_ = true;
    return "Success";
}

std::string Phone::uninstall(const std::string& package) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (package != kCompanionPackage || !installed_) return "Failure [DELETE_FAILED_INTERNAL_ERROR]";
    stopCompanionLocked();
    installed_ = false;
    return "Success";
}

void Phone::stopCompanionLocked() {
    running_ = false;
    companion_.stop();
    // Whatever the app does with its sockets, its connections end with its process.
    serving_.forEach([](UniqueFd& peer) { ::shutdown(peer.get(), SHUT_RDWR); });
}

// ---- the companion's port

int Phone::openTcp(int port) {
    serving_.joinFinished();
    std::lock_guard<std::mutex> lock(mutex_);
    if (port != kCompanionPort || !installed_ || !running_) return -1;
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return -1;
    UniqueFd peer(::fcntl(fds[0], F_DUPFD_CLOEXEC, 0));
    if (peer.get() < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return -1;
    }
    int theirs = fds[1];
    serving_.start(std::move(peer), [this, theirs] { companion_.serve(theirs); });
    return fds[0];
}

// ---- the shell

ShellResult Phone::runShell(const std::string& commandLine) {
    std::vector<std::string> words;
    if (!adb::splitShellWords(commandLine, words)) {
        return failure("/system/bin/sh: syntax error: unterminated quoted string");
    }
    if (words.empty()) return {};
    std::string command = words[0];
    if (command.rfind("/system/bin/", 0) == 0) command.erase(0, 12);
    std::vector<std::string> args(words.begin() + 1, words.end());

    if (command == "getprop") return getprop(args);
    if (command == "am") return activityManager(args);
    if (command == "pm") return packageManager(args);
    if (command == "rm") return remove(args);
    if (command == "mkdir") return makeDirectories(args);
    if (command == "echo") {
        std::string out;
        for (size_t i = 0; i < args.size(); ++i) out += (i ? " " : "") + args[i];
        return ShellResult{out + "\n", "", 0};
    }
    if (command == "cmd" && profile_.hasFeature("cmd")) {
        if (!args.empty() && args[0] == "package") return packageManager({args.begin() + 1, args.end()});
        return failure("cmd: Can't find service: " + (args.empty() ? std::string() : args[0]), 20);
    }
    return failure("/system/bin/sh: " + words[0] + ": inaccessible or not found", 127);
}

ShellResult Phone::getprop(const std::vector<std::string>& args) const {
    if (args.empty()) {
        std::string out;
        for (const auto& [key, value] : profile_.properties) out += "[" + key + "]: [" + value + "]\n";
        return ShellResult{out, "", 0};
    }
    std::string value = profile_.property(args[0]);
    if (value.empty() && args.size() > 1) value = args[1];
    return ShellResult{value + "\n", "", 0};
}

ShellResult Phone::activityManager(const std::vector<std::string>& args) {
    std::string sub = args.empty() ? std::string() : args[0];
    if (sub == "force-stop") {
        std::vector<std::string> packages = operands(args, 1, {"--user"});
        if (packages.empty()) return failure("Error: no package specified");
        std::lock_guard<std::mutex> lock(mutex_);
        if (packages[0] == kCompanionPackage) stopCompanionLocked();
        return {};
    }
    if (sub != "start") return failure("Error: Unknown command: " + sub);

    std::string component;
    for (size_t i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "-n") component = args[i + 1];
    }
    if (component.empty()) return failure("Error: Activity not started, unable to resolve Intent");
    size_t slash = component.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == component.size()) {
        return failure("Error: Bad component name: " + component);
    }
    std::string package = component.substr(0, slash);
    std::string activity = component.substr(slash + 1);
    if (activity[0] == '.') activity = package + activity;

    ShellResult result{"Starting: Intent { cmp=" + component + " }\n", "", 0};
    std::lock_guard<std::mutex> lock(mutex_);
    if (installed_ && package == kCompanionPackage && activity == kCompanionActivity) {
        running_ = true;
        return result;
    }
    result.err = "Error type 3\nError: Activity class {" + package + "/" + activity + "} does not exist.\n";
    result.exitCode = 1;
    return result;
}

ShellResult Phone::packageManager(const std::vector<std::string>& args) {
    std::string sub = args.empty() ? std::string() : args[0];
    if (sub == "install") return installFile(args);
    if (sub == "uninstall") {
        std::vector<std::string> packages = operands(args, 1, {"--user", "--versionCode"});
        if (packages.empty()) return failure("Error: package name not specified");
        std::string text = uninstall(packages.back());
        return ShellResult{text + "\n", "", text == "Success" ? 0 : 1};
    }
    if (sub.empty()) return failure("usage: pm [list|path|install|uninstall] ...");
    return failure("Unknown command: " + sub);
}

ShellResult Phone::installFile(const std::vector<std::string>& args) {
    std::vector<std::string> files =
        operands(args, 1, {"-i", "--user", "--install-location", "--abi", "-S", "--originating-uri", "--referrer"});
    if (files.empty()) return failure("Error: no package specified");
    const std::string& path = files.back();
    // Current phones always replace; an old one only when asked with -r.
    bool replace = profile_.hasFeature("cmd") || hasFlag(args, 'r');
    std::string text;
    auto host = paths_.toHost(path);
    std::ifstream in;
    if (host) in.open(*host, std::ios::binary);
    if (!in) {
        text = "Failure [INSTALL_FAILED_INVALID_URI]";
    } else {
        ApkCheck apk;
        std::vector<char> buffer(64 * 1024);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
            apk.feed(std::string_view(buffer.data(), static_cast<size_t>(in.gcount())));
        }
        text = install(apk, replace);
    }
    std::string out = profile_.hasFeature("cmd") ? std::string() : "\tpkg: " + path + "\n";
    return ShellResult{out + text + "\n", "", text == "Success" ? 0 : 1};
}

// ---- files

ShellResult Phone::remove(const std::vector<std::string>& args) {
    bool force = hasFlag(args, 'f');
    bool recursive = hasFlag(args, 'r') || hasFlag(args, 'R');
    std::vector<std::string> targets = operands(args, 0, {});
    if (targets.empty()) return failure("rm: Needs 1 argument");
    ShellResult result;
    auto complain = [&](const std::string& path, const std::string& why) {
        result.err += "rm: " + path + ": " + why + "\n";
        result.exitCode = 1;
    };
    for (const std::string& path : targets) {
        auto host = paths_.toHost(path);
        // The two trees themselves are mount points: never removed.
        if (!host || *host == paths_.sdcard() || *host == paths_.tmp()) {
            complain(path, "Permission denied");
            continue;
        }
        std::error_code ec;
        fs::file_status status = fs::symlink_status(*host, ec);
        if (!fs::exists(status)) {
            if (!force) complain(path, "No such file or directory");
            continue;
        }
        if (fs::is_directory(status) && !recursive) {
            complain(path, "Is a directory");
            continue;
        }
        fs::remove_all(*host, ec);  // removes a symbolic link itself, never what it points to
        if (ec) complain(path, ec.message());
    }
    return result;
}

ShellResult Phone::makeDirectories(const std::vector<std::string>& args) {
    bool parents = hasFlag(args, 'p');
    std::vector<std::string> targets = operands(args, 0, {"-m"});
    if (targets.empty()) return failure("mkdir: Needs 1 argument");
    ShellResult result;
    for (const std::string& path : targets) {
        auto host = paths_.toHost(path);
        std::error_code ec;
        std::string why;
        if (!host) {
            why = "Permission denied";
        } else if (fs::exists(*host, ec)) {
            if (!parents) why = "File exists";
        } else if (parents) {
            fs::create_directories(*host, ec);
        } else {
            fs::create_directory(*host, ec);
        }
        if (ec) why = ec.message();
        if (!why.empty()) {
            result.err += "mkdir: '" + path + "': " + why + "\n";
            result.exitCode = 1;
        }
    }
    return result;
}

}  // namespace phonesim
