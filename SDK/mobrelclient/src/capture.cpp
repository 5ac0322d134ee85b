#include "capture.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "workdir.h"

namespace mobrel {

std::string countCapturePath() { return workDirectory() + "sdlkcount"; }

std::string nextCapturePath() {
    static std::atomic<int> sequence {0};
    char name[32];
    std::snprintf(name, sizeof name, "sdlk%06d", sequence.fetch_add(1));
    return workDirectory() + name;
}

bool readCaptureFile(const std::string& path, std::string& text) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string raw(kCaptureFileLimit + 1, '\0');
    in.read(&raw[0], static_cast<std::streamsize>(raw.size()));
    if (in.bad()) return false;
    raw.resize(static_cast<size_t>(in.gcount()));
    if (raw.size() > kCaptureFileLimit) return false;

    text.clear();
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        text += raw[i];
    }
    return true;
}

}  // namespace mobrel
