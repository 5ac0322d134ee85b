#include "workdir.h"

#include <filesystem>
#include <mutex>
#include <vector>

#include "platform/paths.h"

namespace mobrel {
namespace fs = std::filesystem;
namespace {

std::string& workDirectoryStorage() {
    static std::string folder;
    return folder;
}

}  // namespace

bool buildWorkDirectory() {
    static std::once_flag once;
    std::call_once(once, [] {
        const std::string temp = platform::privateTempFolder();
        if (temp.empty()) return;
        std::error_code ec;
        fs::create_directory(temp + "Tolvane", ec);
        const std::string mobrel = temp + "Tolvane/mobrel";
        deleteTree(mobrel);
        fs::create_directory(mobrel, ec);
        workDirectoryStorage() = mobrel + "/";
    });
    return !workDirectoryStorage().empty();
}

const std::string& workDirectory() {
    buildWorkDirectory();
    return workDirectoryStorage();
}

const std::string& adbDirectory() {
    static const std::string folder = platform::programFolder();
    return folder;
}

void deleteTree(const std::string& path) {
    std::string name = path;
    while (name.size() > 1 && name.back() == '/') name.pop_back();  // "link/" would resolve the link
    const fs::path dir(name);
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(dir, ec);
    if (fs::is_symlink(status)) {
        fs::remove(dir, ec);
        return;
    }
    if (!fs::is_directory(status)) return;
    if (fs::remove(dir, ec)) return;  // it was empty

    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        entries.push_back(*it);
    }
    for (const fs::directory_entry& entry : entries) {
        const std::string leaf = entry.path().filename().string();
        if (leaf.empty() || leaf[0] == '.') continue;
        std::error_code entryEc;
        if (fs::is_directory(entry.symlink_status(entryEc))) {
            deleteTree(entry.path().string());
        } else {
            fs::remove(entry.path(), entryEc);
        }
    }
    fs::remove(dir, ec);
}

void makeDirsAlongPath(const std::string& path) {
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] != '/') continue;
        std::error_code ec;
        fs::create_directory(path.substr(0, i + 1), ec);
    }
}

}  // namespace mobrel
