// Helpers every test shares: files, temporary folders, environment variables.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace mobreltest {

std::string readFile(const std::filesystem::path& file);  // "" when it cannot be read
// Writes the bytes, making the folders on the way.
void writeFile(const std::filesystem::path& file, const std::string& bytes);
// Every regular file below folder: relative path to bytes.
std::map<std::string, std::string> treeContents(const std::filesystem::path& folder);
std::string hex(const std::string& bytes);  // upper-case, written apart from the library's and phonesim's encoders
// Width and height of a PNG whose chunks are whole with right CRCs (computed bit by
// bit, apart from any encoder's table), IHDR first and IEND last; {0, 0} otherwise.
std::pair<uint32_t, uint32_t> pngSize(const std::string& bytes);

// A fresh folder in the system's temporary folder, removed with the object.
class TempDir {
public:
    explicit TempDir(const std::string& tag = "mobrel-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Sets (with null: unsets) an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    bool had_;
    std::string old_;
};

}  // namespace mobreltest
