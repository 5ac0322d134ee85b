#include "test_util.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace mobreltest {

namespace fs = std::filesystem;

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const fs::path& file, const std::string& bytes) {
    std::error_code ec;
    if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

std::map<std::string, std::string> treeContents(const fs::path& folder) {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file()) files[fs::relative(it->path(), folder).string()] = readFile(it->path());
    }
    return files;
}

std::string hex(const std::string& bytes) {
    std::string out;
    for (unsigned char b : bytes) out += std::string(1, "0123456789ABCDEF"[b / 16]) + "0123456789ABCDEF"[b % 16];
    return out;
}

std::pair<uint32_t, uint32_t> pngSize(const std::string& bytes) {
    const auto be32 = [&bytes](size_t at) {
        uint32_t v = 0;
        for (size_t i = at; i < at + 4; ++i) v = v << 8 | static_cast<uint8_t>(bytes[i]);
        return v;
    };
    if (bytes.compare(0, 8, std::string("\x89PNG\r\n\x1a\n", 8)) != 0) return {0, 0};
    for (size_t pos = 8; pos + 12 <= bytes.size();) {
        const uint32_t length = be32(pos);
        if (length > bytes.size() - pos - 12) break;
        uint32_t crc = 0xFFFFFFFFu;
        for (size_t i = pos + 4; i < pos + 8 + length; ++i) {
            crc ^= static_cast<uint8_t>(bytes[i]);
            for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        const std::string type = bytes.substr(pos + 4, 4);
        if (~crc != be32(pos + 8 + length) || (pos == 8) != (type == "IHDR") || (type == "IHDR" && length != 13)) break;
        pos += 12 + length;
        if (type == "IEND") return pos == bytes.size() ? std::make_pair(be32(16), be32(20)) : std::make_pair(0u, 0u);
    }
    return {0, 0};
}

TempDir::TempDir(const std::string& tag) {
    std::string pattern = (fs::temp_directory_path() / (tag + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name), had_(std::getenv(name) != nullptr) {
    if (had_) old_ = std::getenv(name);
    set(value);
}

ScopedEnv::~ScopedEnv() { set(had_ ? old_.c_str() : nullptr); }

}  // namespace mobreltest
