#include "dataset/dataset.h"

#include <system_error>

#include "dataset/dataset_parts.h"

namespace phonesim {

namespace fs = std::filesystem;

namespace {

// contacts, messages, conversations, calls, photos, videos, songs, photo side range
const DatasetSize kSmall{40, 300, 25, 150, 30, 10, 15, 16, 160};
const DatasetSize kLarge{5000, 20000, 1000, 5000, 2000, 60, 300, 16, 96};

}  // namespace

bool generateDataset(const fs::path& stateDir, const std::string& size, std::string& error) {
    const DatasetSize* chosen = size == "small" ? &kSmall : size == "large" ? &kLarge : nullptr;
    if (!chosen) {
        error = "unknown dataset size \"" + size + "\" (small, large)";
        return false;
    }
    // One fixed seed per size: the same phone on every run.
    const uint64_t seed = size == "small" ? 0x5EED5A11ull : 0x5EED1A26Eull;
    const fs::path store = stateDir / "store";
    const fs::path sdcard = stateDir / "sdcard";
    std::error_code ec;
    fs::remove_all(store, ec);
    if (!ec) fs::remove_all(sdcard, ec);
    for (const char* folder : {"DCIM/Camera", "Pictures", "Download", "Movies", "Images", "Videos", "Music"}) {
        if (!ec) fs::create_directories(sdcard / folder, ec);
    }
    if (!ec) fs::create_directories(store, ec);
    if (ec) {
        error = "cannot prepare " + stateDir.string() + ": " + ec.message();
        return false;
    }
    if (!writeContacts(store, *chosen, seed + 1) || !writeMessages(store, *chosen, seed + 2) ||
        !writeCalls(store, *chosen, seed + 3) || !writeMedia(store, sdcard, *chosen, seed + 4)) {
        error = "cannot write the dataset into " + stateDir.string();
        return false;
    }
    return true;
}

}  // namespace phonesim
