// Where the phone's file system lives on the host. The phone's shared storage
// (/sdcard, also reachable as /storage/emulated/0 and /storage/self/primary)
// is <state>/sdcard; /data/local/tmp is <state>/tmp. Nothing else exists.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace phonesim {

inline constexpr const char* kExternalStoragePath = "/storage/emulated/0";

class DevicePaths {
public:
    explicit DevicePaths(const std::filesystem::path& stateDir);

    // The host path of a phone path, or nothing when the path is outside the two
    // trees, holds a ".." or a NUL, or an existing part of it (a symlink) leads
    // outside its tree. The path need not exist.
    std::optional<std::filesystem::path> toHost(const std::string& devicePath) const;

    const std::filesystem::path& sdcard() const { return sdcard_; }
    const std::filesystem::path& tmp() const { return tmp_; }

private:
    std::filesystem::path sdcard_;
    std::filesystem::path tmp_;
};

}  // namespace phonesim
