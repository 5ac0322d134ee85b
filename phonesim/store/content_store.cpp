#include "store/content_store.h"

#include <cjson/cJSON.h>

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "store/jsonl.h"

namespace phonesim {

namespace fs = std::filesystem;

namespace {

const char* categoryName(Category category) {
    switch (category) {
    case Category::Contacts: return "contacts";
    case Category::Messages: return "messages";
    case Category::Calls: return "calls";
    case Category::Media: return "media";
    }
    return "contacts";
}

void readCounter(const cJSON* header, const char* key, int64_t& out) {
    const cJSON* item = cJSON_GetObjectItemCaseSensitive(header, key);
    if (cJSON_IsNumber(item) && item->valuedouble >= 1 && item->valuedouble < 9.0e15)
        out = static_cast<int64_t>(std::floor(item->valuedouble));
}

template <typename Record>
bool readRecords(const fs::path& file, bool (*fromJson)(const cJSON*, Record&), std::vector<Record>& out,
                 Counters& counters, std::string& error) {
    std::vector<Record> records;
    std::unordered_map<int64_t, size_t> lineOf;
    Counters read;
    bool ok = readJsonl(
        file,
        [&](const cJSON* header) {
            readCounter(header, "nextId", read.nextId);
            readCounter(header, "nextThreadId", read.nextThreadId);
            readCounter(header, "nextAlbumId", read.nextAlbumId);
        },
        [&](const cJSON* object) {
            Record record;
            if (!fromJson(object, record)) return;
            // A later line of the same id is an edit of that record.
            const auto [at, added] = lineOf.emplace(record.id, records.size());
            if (added) records.push_back(std::move(record));
            else records[at->second] = std::move(record);
        },
        error);
    if (!ok) return false;
    // Never hand out an id that a record already has, whatever the header says.
    for (const Record& r : records) read.nextId = std::max(read.nextId, r.id + 1);
    out = std::move(records);
    counters = read;
    return true;
}

template <typename Record>
bool writeRecords(const fs::path& file, cJSON* header, const std::vector<Record>& records,
                  cJSON* (*toJson)(const Record&)) {
    JsonlWriter writer(file);
    writer.write(header);
    for (const Record& r : records) writer.write(toJson(r));
    return writer.commit();
}

template <typename Record>
bool eraseById(std::vector<Record>& records, int64_t id) {
    auto it = std::find_if(records.begin(), records.end(), [id](const Record& r) { return r.id == id; });
    if (it == records.end()) return false;
    records.erase(it);
    return true;
}

bool messageOrder(const Message& a, const Message& b) {
    return a.date != b.date ? a.date < b.date : a.id < b.id;
}

bool callOrder(const Call& a, const Call& b) {
    return a.date != b.date ? a.date > b.date : a.id > b.id;
}

}  // namespace

fs::path storeFile(const fs::path& storeDir, Category category) {
    return storeDir / (std::string(categoryName(category)) + ".jsonl");
}

cJSON* storeHeader(Category category, const Counters& counters) {
    cJSON* header = cJSON_CreateObject();
    cJSON_AddStringToObject(header, "store", categoryName(category));
    cJSON_AddNumberToObject(header, "version", 1);
    cJSON_AddNumberToObject(header, "nextId", static_cast<double>(counters.nextId));
    if (category == Category::Messages)
        cJSON_AddNumberToObject(header, "nextThreadId", static_cast<double>(counters.nextThreadId));
    if (category == Category::Media)
        cJSON_AddNumberToObject(header, "nextAlbumId", static_cast<double>(counters.nextAlbumId));
    return header;
}

std::string phoneKey(const std::string& number) {
    std::string digits;
    for (char c : number) {
        if (c >= '0' && c <= '9') digits += c;
        else if (std::string(" +-()./").find(c) == std::string::npos) return number;  // a sender name
    }
    return digits.empty() ? number : digits;
}

ContentStore::ContentStore(fs::path storeDir) : dir_(std::move(storeDir)) {}

bool ContentStore::load(std::string& error) {
    bool ok = true;
    for (Category c : {Category::Contacts, Category::Messages, Category::Calls, Category::Media}) {
        ok = loadCategory(c, error) && ok;
    }
    return ok;
}

bool ContentStore::loadCategory(Category category, std::string& error) {
    fs::path file = storeFile(dir_, category);
    switch (category) {
    case Category::Contacts:
        if (!readRecords(file, contactFromJson, contacts_, contactCounters_, error)) return false;
        std::sort(contacts_.begin(), contacts_.end(), [](const Contact& a, const Contact& b) { return a.id < b.id; });
        return true;
    case Category::Messages:
        if (!readRecords(file, messageFromJson, messages_, messageCounters_, error)) return false;
        std::sort(messages_.begin(), messages_.end(), messageOrder);
        indexAddresses();
        for (const Message& m : messages_)
            messageCounters_.nextThreadId = std::max(messageCounters_.nextThreadId, m.threadId + 1);
        return true;
    case Category::Calls:
        if (!readRecords(file, callFromJson, calls_, callCounters_, error)) return false;
        std::sort(calls_.begin(), calls_.end(), callOrder);
        return true;
    case Category::Media:
        if (!readRecords(file, mediaFromJson, media_, mediaCounters_, error)) return false;
        std::sort(media_.begin(), media_.end(), [](const MediaItem& a, const MediaItem& b) { return a.id < b.id; });
        for (const MediaItem& m : media_)
            mediaCounters_.nextAlbumId = std::max(mediaCounters_.nextAlbumId, m.albumId + 1);
        return true;
    }
    return false;
}

bool ContentStore::save(Category category) {
    std::error_code ec;
    fs::create_directories(dir_, ec);
    fs::path file = storeFile(dir_, category);
    switch (category) {
    case Category::Contacts:
        return writeRecords(file, storeHeader(category, contactCounters_), contacts_, contactToJson);
    case Category::Messages:
        return writeRecords(file, storeHeader(category, messageCounters_), messages_, messageToJson);
    case Category::Calls:
        return writeRecords(file, storeHeader(category, callCounters_), calls_, callToJson);
    case Category::Media:
        return writeRecords(file, storeHeader(category, mediaCounters_), media_, mediaToJson);
    }
    return false;
}

bool ContentStore::persist(Category category, cJSON* added) {
    // After an append the header's counters may lag behind the records; loading
    // takes them up to the records again. Edits go in as lines of their own
    // until they outnumber the records; then the file is written afresh.
    if (added && category == Category::Contacts && ++contactEdits_ > contacts_.size()) {
        cJSON_Delete(added);
        added = nullptr;
    }
    if (added && appendJsonl(storeFile(dir_, category), added)) return true;
    if (category == Category::Contacts) contactEdits_ = 0;
    if (save(category)) return true;
    std::string error;
    loadCategory(category, error);
    return false;
}

int64_t ContentStore::addContact(Contact contact) {
    contact.id = contactCounters_.nextId++;
    int64_t id = contact.id;
    contacts_.push_back(std::move(contact));
    return persist(Category::Contacts, contactToJson(contacts_.back())) ? id : 0;
}

bool ContentStore::editContact(int64_t id, const std::function<bool(Contact&)>& edit) {
    for (Contact& c : contacts_) {
        if (c.id == id) return edit(c) && persist(Category::Contacts, contactToJson(c));
    }
    return false;
}

bool ContentStore::deleteContact(int64_t id) {
    return eraseById(contacts_, id) && persist(Category::Contacts);
}

int64_t ContentStore::addMessage(Message message) {
    const std::string key = phoneKey(message.address);
    auto first = firstOfAddress_.find(key);
    if (message.threadId == 0) {
        message.threadId = first != firstOfAddress_.end() ? first->second.threadId : messageCounters_.nextThreadId++;
    }
    messageCounters_.nextThreadId = std::max(messageCounters_.nextThreadId, message.threadId + 1);
    message.id = messageCounters_.nextId++;
    int64_t id = message.id;
    if (first == firstOfAddress_.end()) firstOfAddress_.emplace(key, message);
    else if (messageOrder(message, first->second)) first->second = message;
    cJSON* added = messageToJson(message);
    messages_.insert(std::upper_bound(messages_.begin(), messages_.end(), message, messageOrder), std::move(message));
    return persist(Category::Messages, added) ? id : 0;
}

bool ContentStore::deleteThread(int64_t threadId) {
    size_t before = messages_.size();
    messages_.erase(std::remove_if(messages_.begin(), messages_.end(),
                                   [threadId](const Message& m) { return m.threadId == threadId; }),
                    messages_.end());
    if (messages_.size() == before) return false;
    indexAddresses();
    return persist(Category::Messages);
}

void ContentStore::indexAddresses() {
    firstOfAddress_.clear();
    for (const Message& m : messages_) firstOfAddress_.emplace(phoneKey(m.address), m);
}

int64_t ContentStore::addCall(Call call) {
    call.id = callCounters_.nextId++;
    int64_t id = call.id;
    cJSON* added = callToJson(call);
    calls_.insert(std::upper_bound(calls_.begin(), calls_.end(), call, callOrder), std::move(call));
    return persist(Category::Calls, added) ? id : 0;
}

bool ContentStore::deleteCall(int64_t id) {
    return eraseById(calls_, id) && persist(Category::Calls);
}

int64_t ContentStore::addMedia(MediaItem item) {
    if (item.kind == MediaKind::Music && item.albumId == 0) {
        for (const MediaItem& m : media_) {
            if (m.kind == MediaKind::Music && m.album == item.album && m.albumId) {
                item.albumId = m.albumId;
                break;
            }
        }
        if (item.albumId == 0) item.albumId = mediaCounters_.nextAlbumId++;
    }
    item.id = mediaCounters_.nextId++;
    int64_t id = item.id;
    media_.push_back(std::move(item));
    return persist(Category::Media, mediaToJson(media_.back())) ? id : 0;
}

bool ContentStore::removeMedia(const std::vector<int64_t>& ids) {
    size_t before = media_.size();
    media_.erase(std::remove_if(media_.begin(), media_.end(),
                                [&ids](const MediaItem& m) {
                                    return std::find(ids.begin(), ids.end(), m.id) != ids.end();
                                }),
                 media_.end());
    return media_.size() != before && persist(Category::Media);
}

}  // namespace phonesim
