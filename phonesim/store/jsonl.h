// The store's file format: a header object on the first line, then one record
// object per line (JSON lines). Files are written beside their target and renamed
// over it, so a reader sees either the old or the new file, never half of one.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

struct cJSON;

namespace phonesim {

class JsonlWriter {
public:
    explicit JsonlWriter(std::filesystem::path target);
    ~JsonlWriter();  // drops the temporary file unless commit() succeeded
    JsonlWriter(const JsonlWriter&) = delete;
    JsonlWriter& operator=(const JsonlWriter&) = delete;

    // Writes the object as one line and deletes it; the first line is the header.
    void write(cJSON* object);
    // Renames the finished file over the target; false when any write failed.
    bool commit();

private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
    std::ofstream out_;
    bool committed_ = false;
};

// Reads a file written by JsonlWriter. A missing file is an empty one (true, no
// calls). Lines that are not JSON objects are skipped; false only when the file
// exists but cannot be read.
bool readJsonl(const std::filesystem::path& file, const std::function<void(const cJSON*)>& onHeader,
               const std::function<void(const cJSON*)>& onRecord, std::string& error);

// Adds the object (and deletes it) as the last line of a file JsonlWriter made.
// False, with the file as it was, when the file is missing or empty or the write fails.
bool appendJsonl(const std::filesystem::path& file, cJSON* object);

// Writes bytes to a file the same way (beside, then renamed over it).
bool writeFileAtomic(const std::filesystem::path& file, const std::string& bytes);

}  // namespace phonesim
