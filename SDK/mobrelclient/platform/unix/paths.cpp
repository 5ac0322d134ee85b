#include "platform/paths.h"

#include <cstdlib>
#include <fstream>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mobrel::platform {
namespace {

// A real folder (not a symlink) of ours that nobody else may enter.
bool isPrivateFolder(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
           (st.st_mode & 077) == 0 && access(path.c_str(), W_OK | X_OK) == 0;
}

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return home;
    const passwd* pw = getpwuid(getuid());
    return pw && pw->pw_dir ? pw->pw_dir : "";
}

// The value of XDG_DOCUMENTS_DIR in user-dirs.dirs: "$HOME/..." or an absolute path.
std::string documentsFromUserDirs(const std::string& home) {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const std::string config =
        configHome && configHome[0] == '/' ? std::string(configHome) : home + "/.config";
    std::ifstream in(config + "/user-dirs.dirs");
    const std::string key = "XDG_DOCUMENTS_DIR=\"";
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, key.size(), key) != 0) continue;
        const size_t end = line.find('"', key.size());
        if (end == std::string::npos) return {};
        std::string value = line.substr(key.size(), end - key.size());
        if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
        while (value.size() > 1 && value.back() == '/') value.pop_back();
        return !value.empty() && value[0] == '/' ? value : std::string();
    }
    return {};
}

}  // namespace

std::string privateFolderIn(const std::string& parent) {
    const std::string name = parent + "/mobrel-" + std::to_string(geteuid());
    mkdir(name.c_str(), 0700);  // fails harmlessly when the name exists; checked next
    if (isPrivateFolder(name)) return name + "/";
    std::string pattern = name + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) return {};
    return std::string(buffer.data()) + "/";
}

std::string privateTempFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && isPrivateFolder(runtime)) {
        std::string folder = runtime;
        if (folder.back() != '/') folder += '/';
        return folder;
    }
    return privateFolderIn("/tmp");
}

std::string documentsFolder() {
    const std::string home = homeFolder();
    const std::string fromUserDirs = documentsFromUserDirs(home);
    return fromUserDirs.empty() ? home + "/Documents" : fromUserDirs;
}

}  // namespace mobrel::platform
