// Helpers every test shares: files, temporary folders, environment variables.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace mobreltest {

std::string readFile(const std::filesystem::path& file);                  // "" when it cannot be read
void writeFile(const std::filesystem::path& file, const std::string& bytes);  // making the folders on the way
std::map<std::string, std::string> treeContents(const std::filesystem::path& folder);  // relative path to bytes
std::string hex(const std::string& bytes);  // upper case, apart from the library's and phonesim's encoders
// Width and height of a PNG whose chunks are whole with right CRCs (computed apart
// from any encoder), IHDR first and IEND last; {0, 0} otherwise.
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
    void set(const char* value) { value ? ::setenv(name_.c_str(), value, 1) : ::unsetenv(name_.c_str()); }

    std::string name_;
    bool had_;
    std::string old_;
};

}  // namespace mobreltest
