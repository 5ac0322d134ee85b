#include "store/jsonl.h"

#include <cjson/cJSON.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace phonesim {

namespace fs = std::filesystem;

namespace {

// ".<name>.part" in the same folder, so the rename never crosses file systems.
fs::path tempPathFor(const fs::path& target) {
    return target.parent_path() / ("." + target.filename().string() + ".part");
}

bool renameOver(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec) fs::remove(from, ec);
    return !ec;
}

}  // namespace

JsonlWriter::JsonlWriter(fs::path target) : target_(std::move(target)), temp_(tempPathFor(target_)) {
    std::error_code ec;
    fs::create_directories(target_.parent_path(), ec);
    out_.open(temp_, std::ios::binary | std::ios::trunc);
}

JsonlWriter::~JsonlWriter() {
    if (committed_) return;
    out_.close();
    std::error_code ec;
    fs::remove(temp_, ec);
}

void JsonlWriter::write(cJSON* object) {
    char* text = cJSON_PrintUnformatted(object);
    cJSON_Delete(object);
    if (!text) {
        out_.setstate(std::ios::failbit);
        return;
    }
    out_ << text << '\n';
    cJSON_free(text);
}

bool JsonlWriter::commit() {
    out_.flush();
    bool good = out_.good();
    out_.close();
    if (!good || out_.fail()) return false;
    committed_ = renameOver(temp_, target_);
    return committed_;
}

bool readJsonl(const fs::path& file, const std::function<void(const cJSON*)>& onHeader,
               const std::function<void(const cJSON*)>& onRecord, std::string& error) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return true;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "cannot read " + file.string();
        return false;
    }
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        cJSON* object = cJSON_ParseWithLength(line.data(), line.size());
        if (cJSON_IsObject(object)) {
            if (first) onHeader(object);
            else onRecord(object);
        }
        cJSON_Delete(object);
        first = false;
    }
    if (in.bad()) {
        error = "read error in " + file.string();
        return false;
    }
    return true;
}

bool appendJsonl(const fs::path& file, cJSON* object) {
    char* text = cJSON_PrintUnformatted(object);
    cJSON_Delete(object);
    if (!text) return false;
    std::string line = std::string(text) + '\n';
    cJSON_free(text);
    int fd = ::open(file.c_str(), O_RDWR | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    char last = 0;
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
              ::pread(fd, &last, 1, info.st_size - 1) == 1;
    // A line that an earlier run left unfinished must not swallow this one.
    if (ok && last != '\n') line.insert(line.begin(), '\n');
    for (size_t done = 0; ok && done < line.size();) {
        ssize_t n = ::write(fd, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else done += static_cast<size_t>(n);
    }
    if (!ok && S_ISREG(info.st_mode)) {
        // Nothing of a line that did not go in whole stays (should the cut fail, readers skip the broken line).
        [[maybe_unused]] int cut = ::ftruncate(fd, info.st_size);
    }
    ::close(fd);
    return ok;
}

bool writeFileAtomic(const fs::path& file, const std::string& bytes) {
    fs::path temp = tempPathFor(file);
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ec;
            fs::remove(temp, ec);
            return false;
        }
    }
    return renameOver(temp, file);
}

}  // namespace phonesim
