// phonesim's content store read on its own with cJSON, apart from phonesim's
// code: <store>/<category>.jsonl holds a header line, then one record a line.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace mobreltest {

struct StoreRecord {
    std::string json;  // the compact text: two records are equal when it is
    std::map<std::string, std::string> texts;
    std::map<std::string, long long> numbers;

    std::optional<std::string> text(const std::string& key) const;  // nullopt when absent
    long long number(const std::string& key) const;                 // 0 when absent
};
inline bool operator==(const StoreRecord& a, const StoreRecord& b) { return a.json == b.json; }
inline std::ostream& operator<<(std::ostream& out, const StoreRecord& r) { return out << r.json; }

// A category's records ("contacts", "messages", "calls", "media") in file order, or keyed by their "id".
std::vector<StoreRecord> readStore(const std::filesystem::path& storeFolder, const std::string& category);
std::map<long long, StoreRecord> storeById(const std::filesystem::path& storeFolder, const std::string& category);

}  // namespace mobreltest
