// Which service answers which OPEN request, per profile.
#include <cstdlib>

#include "companion/protocol.h"
#include "phone.h"
#include "service.h"
#include "shell_service.h"
#include "shell_words.h"
#include "sync_service.h"
#include "tcp_relay.h"

namespace phonesim::adb {

namespace {

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// "shell:CMD" or "shell,ARG,ARG...:CMD" (v2, raw, pty, TERM=...).
std::unique_ptr<Service> openShell(const std::string& request, Phone& phone) {
    size_t colon = request.find(':');
    if (colon == std::string::npos) return nullptr;
    std::string args = request.substr(5, colon - 5);
    std::string command = request.substr(colon + 1);
    if (args.empty()) {
        // Without shell protocol: a 4.x phone ran every command in a pty.
        bool pty = !phone.profile().hasFeature("shell_v2");
        return std::make_unique<ShellService>(phone, command, pty ? ShellMode::Pty : ShellMode::Raw);
    }
    if (args[0] != ',' || !phone.profile().hasFeature("shell_v2")) return nullptr;
    bool v2 = false;
    size_t pos = 1;
    while (pos <= args.size()) {
        size_t comma = args.find(',', pos);
        if (comma == std::string::npos) comma = args.size();
        if (args.compare(pos, comma - pos, "v2") == 0) v2 = true;
        pos = comma + 1;
    }
    return std::make_unique<ShellService>(phone, command, v2 ? ShellMode::V2 : ShellMode::Raw);
}

// "package install [opts] -S N" (as words): a streamed install of N bytes.
std::unique_ptr<Service> openInstall(const std::vector<std::string>& words, Phone& phone) {
    if (words.size() < 2 || words[0] != "package" || words[1] != "install") return nullptr;
    for (size_t i = 2; i + 1 < words.size(); ++i) {
        if (words[i] != "-S") continue;
        const std::string& size = words[i + 1];
        if (size.empty() || size.size() > 12 || size.find_first_not_of("0123456789") != std::string::npos) {
            return nullptr;
        }
        return std::make_unique<InstallService>(phone, std::strtoull(size.c_str(), nullptr, 10));
    }
    return nullptr;
}

std::unique_ptr<Service> openTcp(const std::string& target, Phone& phone, StreamHost& host, uint32_t streamId,
                                 size_t maxPayload) {
    if (target.empty() || target.size() > 5 || target.find_first_not_of("0123456789") != std::string::npos) return nullptr;
    int fd = phone.openTcp(std::atoi(target.c_str()));
    if (fd < 0) return nullptr;
    return makeTcpRelay(fd, host, streamId, maxPayload);
}

}  // namespace

std::unique_ptr<Service> openService(const std::string& request, Phone& phone, StreamHost& host, uint32_t streamId,
                                     size_t maxPayload) {
    if (request == "sync:") return std::make_unique<SyncService>(phone.paths(), phone.faults(), maxPayload);
    if (startsWith(request, "shell:") || startsWith(request, "shell,")) return openShell(request, phone);
    if (startsWith(request, "tcp:")) return openTcp(request.substr(4), phone, host, streamId, maxPayload);

    // exec: and abb_exec: came with Android 5 and 9; the old phone refuses them.
    if (!phone.profile().hasFeature("cmd")) return nullptr;
    if (startsWith(request, "exec:")) {
        std::string command = request.substr(5);
        std::vector<std::string> words;
        if (splitShellWords(command, words) && words.size() > 1 && words[0] == "cmd") {
            words.erase(words.begin());
            if (auto install = openInstall(words, phone)) return install;
        }
        return std::make_unique<ShellService>(phone, command, ShellMode::Raw);
    }
    if (startsWith(request, "abb_exec:")) {
        std::vector<std::string> words = splitText(request.substr(9), '\0');
        if (auto install = openInstall(words, phone)) return install;
        std::string command = "cmd";
        for (const std::string& w : words) command += " " + singleQuote(w);
        return std::make_unique<ShellService>(phone, command, ShellMode::Raw);
    }
    return nullptr;
}

}  // namespace phonesim::adb
