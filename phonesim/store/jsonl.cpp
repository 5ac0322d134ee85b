#include "store/jsonl.h"

#include <cjson/cJSON.h>

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
