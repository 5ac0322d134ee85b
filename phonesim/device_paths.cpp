#include "device_paths.h"

#include <system_error>

namespace phonesim {

namespace fs = std::filesystem;

namespace {

// "rest" of "/prefix/rest" when the text starts with the prefix as a whole component.
bool stripPrefix(const std::string& path, const std::string& prefix, std::string& rest) {
    if (path.compare(0, prefix.size(), prefix) != 0) return false;
    if (path.size() == prefix.size()) {
        rest.clear();
        return true;
    }
    if (path[prefix.size()] != '/') return false;
    rest = path.substr(prefix.size() + 1);
    return true;
}

bool isWithin(const fs::path& root, const fs::path& candidate) {
    auto r = root.begin();
    auto c = candidate.begin();
    for (; r != root.end(); ++r, ++c) {
        if (c == candidate.end() || *r != *c) return false;
    }
    return true;
}

}  // namespace

DevicePaths::DevicePaths(const fs::path& stateDir)
    : sdcard_(fs::weakly_canonical(stateDir / "sdcard")), tmp_(fs::weakly_canonical(stateDir / "tmp")) {
    std::error_code ec;
    fs::create_directories(sdcard_, ec);
    fs::create_directories(tmp_, ec);
}

std::optional<fs::path> DevicePaths::toHost(const std::string& devicePath) const {
    if (devicePath.find('\0') != std::string::npos) return std::nullopt;
    std::string rest;
    const fs::path* root = nullptr;
    for (const char* prefix : {"/sdcard", kExternalStoragePath, "/storage/self/primary", "/mnt/sdcard"}) {
        if (stripPrefix(devicePath, prefix, rest)) {
            root = &sdcard_;
            break;
        }
    }
    if (!root && stripPrefix(devicePath, "/data/local/tmp", rest)) root = &tmp_;
    if (!root) return std::nullopt;

    fs::path relative(rest);
    for (const auto& part : relative) {
        if (part == "..") return std::nullopt;
    }
    fs::path host = (*root / relative).lexically_normal();
    // Resolve the symlinks of whatever already exists and insist that the result stays inside.
    std::error_code ec;
    fs::path resolved = fs::weakly_canonical(host, ec);
    if (ec || !isWithin(*root, resolved)) return std::nullopt;
    // weakly_canonical takes a link to nothing for a missing name; creating the
    // file would then follow it out of the tree.
    fs::path walk = *root;
    for (const auto& part : relative) {
        walk /= part;
        if (fs::is_symlink(fs::symlink_status(walk, ec)) && !fs::exists(walk, ec)) return std::nullopt;
    }
    if (!host.empty() && !host.has_filename()) host = host.parent_path();  // "dir/" names the directory
    return host;
}

}  // namespace phonesim
