// The phone's content on disk: one JSON-lines file per category under
// <state>/store (contacts.jsonl, messages.jsonl, calls.jsonl, media.jsonl). A new
// record is added as one more line, and so is an edited contact (a later line of
// an id replaces the earlier one); any other change rewrites the file through a
// temporary file. The media files themselves live in the shared storage tree;
// the store only registers them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "store/records.h"

struct cJSON;

namespace phonesim {

enum class Category { Contacts, Messages, Calls, Media };

// Ids handed out next; they only grow, so an id is never given to a second record.
struct Counters {
    int64_t nextId = 1;
    int64_t nextThreadId = 1;  // messages
    int64_t nextAlbumId = 1;   // media
};

std::filesystem::path storeFile(const std::filesystem::path& storeDir, Category category);
// The first line of a category file.
cJSON* storeHeader(Category category, const Counters& counters);

// The comparable form of a phone number: its digits ("+49 (30) 123-4" and "4930 1234"
// are the same). A sender name such as "INFO12" stays as it is.
std::string phoneKey(const std::string& number);

// Not thread-safe: the companion serialises access.
class ContentStore {
public:
    explicit ContentStore(std::filesystem::path storeDir);

    // Reads every category file; false with a reason when one exists but cannot be read.
    bool load(std::string& error);

    const std::vector<Contact>& contacts() const { return contacts_; }  // by id
    const std::vector<Message>& messages() const { return messages_; }  // by date, then id
    const std::vector<Call>& calls() const { return calls_; }  // newest first
    const std::vector<MediaItem>& media() const { return media_; }  // by id, all kinds

    // Every change is written through. A change whose file cannot be written is
    // undone (the category is read back) and reported: 0 or false.
    int64_t addContact(Contact contact);  // the new id
    // edit returns whether it changed the contact; false when nothing changed.
    bool editContact(int64_t id, const std::function<bool(Contact&)>& edit);
    bool deleteContact(int64_t id);

    // threadId 0 files the message in the conversation of its address (a new one
    // when no message has that address). Returns the new id.
    int64_t addMessage(Message message);
    bool deleteThread(int64_t threadId);

    int64_t addCall(Call call);
    bool deleteCall(int64_t id);

    // A music item without album id gets the id of its album name. Returns the new id.
    int64_t addMedia(MediaItem item);
    // Drops the items with these ids; false when none was there.
    bool removeMedia(const std::vector<int64_t>& ids);

private:
    bool loadCategory(Category category, std::string& error);
    bool save(Category category);
    // Writes a change through: added (deleted here) goes at the end of the file,
    // else the file is rewritten. On failure the category is read back.
    bool persist(Category category, cJSON* added = nullptr);
    void indexAddresses();

    std::filesystem::path dir_;
    Counters contactCounters_, messageCounters_, callCounters_, mediaCounters_;
    std::vector<Contact> contacts_;
    std::vector<Message> messages_;
    std::vector<Call> calls_;
    std::vector<MediaItem> media_;
    // The first message (in the order above) of each address, by phoneKey: a new
    // message without thread joins that message's conversation.
    std::unordered_map<std::string, Message> firstOfAddress_;
    size_t contactEdits_ = 0;  // contact lines appended since the file was last written whole
};

}  // namespace phonesim
