#include "store_files.h"

#include <cjson/cJSON.h>

#include <fstream>

namespace mobreltest {

std::optional<std::string> StoreRecord::text(const std::string& key) const {
    const auto found = texts.find(key);
    return found == texts.end() ? std::nullopt : std::optional<std::string>(found->second);
}

long long StoreRecord::number(const std::string& key) const {
    const auto found = numbers.find(key);
    return found == numbers.end() ? 0 : found->second;
}

std::vector<StoreRecord> readStore(const std::filesystem::path& storeFolder, const std::string& category) {
    std::vector<StoreRecord> records;
    std::map<long long, size_t> lineOf;  // a later line of an id is an edit of that record
    std::ifstream in(storeFolder / (category + ".jsonl"), std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        cJSON* object = cJSON_Parse(line.c_str());
        if (cJSON_IsObject(object) && !cJSON_GetObjectItemCaseSensitive(object, "store")) {
            char* compact = cJSON_PrintUnformatted(object);
            StoreRecord record{compact, {}, {}};
            cJSON_free(compact);
            for (const cJSON* item = object->child; item; item = item->next) {
                if (cJSON_IsString(item)) record.texts[item->string] = item->valuestring;
                if (cJSON_IsNumber(item)) record.numbers[item->string] = static_cast<long long>(item->valuedouble);
            }
            const long long id = record.number("id");
            const auto [at, added] = lineOf.emplace(id, records.size());
            if (added || id <= 0) records.push_back(std::move(record));  // a line without id stays a line
            else records[at->second] = std::move(record);
        }
        cJSON_Delete(object);
    }
    return records;
}

std::map<long long, StoreRecord> storeById(const std::filesystem::path& storeFolder, const std::string& category) {
    std::map<long long, StoreRecord> byId;
    for (StoreRecord& record : readStore(storeFolder, category)) byId.emplace(record.number("id"), std::move(record));
    return byId;
}

}  // namespace mobreltest
