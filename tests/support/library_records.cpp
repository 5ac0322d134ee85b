#include "library_records.h"

#include <algorithm>
#include <ctime>
#include <sstream>

#include "mobrelclient.h"
#include "store_files.h"

namespace fs = std::filesystem;

namespace mobreltest {

namespace {

using Text = std::optional<std::string>;

// The library shows an empty or absent text as null.
Text shown(const StoreRecord& r, const char* key) {
    Text t = r.text(key);
    return t && !t->empty() ? t : std::nullopt;
}

std::string decimal(const StoreRecord& r, const char* key) { return std::to_string(r.number(key)); }

// Message and call types above 4 read as 4.
std::string clampedType(const StoreRecord& r) { return std::to_string(std::min(r.number("type"), 4LL)); }

Text libraryText(const char* text) { return text ? Text(text) : std::nullopt; }

// The phone's rule for the name shown with a number: a contact's mobile, home or
// work number with the same digits (a sender name such as "INFO" compared
// whole); the first contact by id wins.
std::string numberKey(const std::string& number) {
    std::string digits;
    for (char c : number) {
        if (c >= '0' && c <= '9') digits += c;
        else if (std::string(" +-()./").find(c) == std::string::npos) return number;
    }
    return digits.empty() ? number : digits;
}

std::map<std::string, std::string> namesByNumber(const fs::path& store) {
    std::map<std::string, std::string> names;
    for (const auto& [id, c] : storeById(store, "contacts")) {
        const Text name = shown(c, "name");
        if (!name) continue;
        for (const char* key : {"mobile", "homePhone", "workPhone"}) {
            if (const Text n = shown(c, key)) names.emplace(numberKey(*n), *name);
        }
    }
    return names;
}

Text nameFor(const std::map<std::string, std::string>& names, const Text& number) {
    if (!number) return std::nullopt;
    const auto found = names.find(numberKey(*number));
    return found == names.end() ? std::nullopt : Text(found->second);
}

// Records sorted by date (then id), oldest first or newest first, at most limit of them.
std::vector<StoreRecord> byDate(const fs::path& store, const char* category, bool newestFirst, size_t limit) {
    std::vector<StoreRecord> records = readStore(store, category);
    std::sort(records.begin(), records.end(), [newestFirst](const StoreRecord& a, const StoreRecord& b) {
        const auto ka = std::make_pair(a.number("date"), a.number("id"));
        const auto kb = std::make_pair(b.number("date"), b.number("id"));
        return newestFirst ? kb < ka : ka < kb;
    });
    if (records.size() > limit) records.resize(limit);
    return records;
}

// Appends record to the group keyed key, making the group at the end when it is new.
void addToGroup(std::vector<Group>& groups, const std::string& key, Fields record) {
    auto found = std::find_if(groups.begin(), groups.end(), [&](const Group& g) { return g.key == key; });
    if (found == groups.end()) found = groups.insert(groups.end(), Group{key, {}});
    found->records.push_back(std::move(record));
}

std::string show(const Text& t) { return t ? "\"" + *t + "\"" : "null"; }

}  // namespace

size_t recordsIn(const std::vector<Group>& groups) {
    size_t n = 0;
    for (const Group& g : groups) n += g.records.size();
    return n;
}

std::vector<Fields> storeContacts(const fs::path& store, size_t limit) {
    std::vector<Fields> expected;
    for (const auto& [id, c] : storeById(store, "contacts")) {
        if (expected.size() == limit) break;
        expected.push_back(Fields{
            {"contactId", decimal(c, "id")},           {"name", shown(c, "name")},
            {"nameExtra", std::nullopt},               {"nickname", shown(c, "nickname")},
            {"mobilePhone", shown(c, "mobile")},       {"homePhone", shown(c, "homePhone")},
            {"workPhone", shown(c, "workPhone")},      {"website", shown(c, "website")},
            {"homeEmail", shown(c, "homeEmail")},      {"birthday", shown(c, "birthday")},
            {"group", std::nullopt},                   {"note", shown(c, "note")},
            {"organization", shown(c, "organization")}, {"title", shown(c, "title")},
            {"extra14", std::nullopt},                 {"extra15", std::nullopt},
            {"homeAddress", shown(c, "homeAddress")},  {"workAddress", shown(c, "workAddress")},
            {"homeFax", shown(c, "homeFax")},          {"workFax", shown(c, "workFax")},
            {"workEmail", shown(c, "workEmail")},      {"highlightFlag", "0"},
            {"checkMark", "1"},
        });
    }
    std::reverse(expected.begin(), expected.end());  // the list reads from the last contact paged
    return expected;
}

std::vector<Group> storeConversations(const fs::path& store, size_t limit) {
    const std::map<std::string, std::string> names = namesByNumber(store);
    std::vector<Group> conversations;
    for (const StoreRecord& m : byDate(store, "messages", false, limit)) {
        if (m.number("type") == 3) continue;  // drafts are not kept
        const Text address = shown(m, "address");
        addToGroup(conversations, decimal(m, "thread"),
                   Fields{{"id", decimal(m, "id")},           {"person", nameFor(names, address)},
                          {"address", address},               {"body", shown(m, "body")},
                          {"date", localDate(m.number("date"))}, {"type", clampedType(m)},
                          {"read", decimal(m, "read")},       {"threadId", decimal(m, "thread")},
                          {"extra", std::nullopt},            {"sortKey", "0"},
                          {"highlightFlag", "0"},             {"checkMark", "1"}});
    }
    return conversations;
}

std::vector<Group> storeCallGroups(const fs::path& store, size_t limit) {
    const std::map<std::string, std::string> names = namesByNumber(store);
    std::vector<Group> groups;
    for (const StoreRecord& c : byDate(store, "calls", true, limit)) {
        const Text number = shown(c, "number");
        if (!number) continue;  // a private number: no NUMBER, not kept
        addToGroup(groups, *number,
                   Fields{{"id", decimal(c, "id")},           {"name", nameFor(names, number)},
                          {"number", number},                 {"date", localDate(c.number("date"))},
                          {"type", clampedType(c)},           {"duration", decimal(c, "duration")},
                          {"extra", std::nullopt},            {"sortKey", "0"},
                          {"highlightFlag", "0"},             {"checkMark", "1"},
                          {"groupLink", "own group"}});
    }
    return groups;
}

std::vector<Fields> libraryContacts() {
    MobrelContact* head = nullptr;
    MobrelApi_GetPerson(&head);
    std::vector<Fields> contacts;
    for (const MobrelContact* c = head; c; c = c->next) {
        contacts.push_back(Fields{
            {"contactId", libraryText(c->contactId)},    {"name", libraryText(c->name)},
            {"nameExtra", libraryText(c->nameExtra)},    {"nickname", libraryText(c->nickname)},
            {"mobilePhone", libraryText(c->mobilePhone)}, {"homePhone", libraryText(c->homePhone)},
            {"workPhone", libraryText(c->workPhone)},    {"website", libraryText(c->website)},
            {"homeEmail", libraryText(c->homeEmail)},    {"birthday", libraryText(c->birthday)},
            {"group", libraryText(c->group)},            {"note", libraryText(c->note)},
            {"organization", libraryText(c->organization)}, {"title", libraryText(c->title)},
            {"extra14", libraryText(c->extra14)},        {"extra15", libraryText(c->extra15)},
            {"homeAddress", libraryText(c->homeAddress)}, {"workAddress", libraryText(c->workAddress)},
            {"homeFax", libraryText(c->homeFax)},        {"workFax", libraryText(c->workFax)},
            {"workEmail", libraryText(c->workEmail)},    {"highlightFlag", std::to_string(c->highlightFlag)},
            {"checkMark", std::to_string(c->checkMark)},
        });
    }
    return contacts;
}

std::vector<Group> libraryConversations() {
    MobrelSmsThread* first = nullptr;
    MobrelApi_GetSMS(&first);
    std::vector<Group> conversations;
    for (const MobrelSmsThread* t = first; t; t = t->next) {
        Group group{t->threadId ? t->threadId : "(null)", {}};
        // The conversation shows its first message's own texts, not copies.
        EXPECT_TRUE(t->firstMessage && t->threadId == t->firstMessage->threadId &&
                    t->person == t->firstMessage->person && t->address == t->firstMessage->address &&
                    t->reserved == 0 && t->latestSortKey == 0)
            << "conversation " << group.key;
        const MobrelSms* last = nullptr;
        const MobrelSms* lastMessage = t->lastMessage;  // copied: a packed member is not bound by reference
        for (const MobrelSms* m = t->firstMessage; m; last = m, m = m->next) {
            group.records.push_back(Fields{
                {"id", libraryText(m->id)},           {"person", libraryText(m->person)},
                {"address", libraryText(m->address)}, {"body", libraryText(m->body)},
                {"date", libraryText(m->date)},       {"type", libraryText(m->type)},
                {"read", libraryText(m->read)},       {"threadId", libraryText(m->threadId)},
                {"extra", libraryText(m->extra)},     {"sortKey", std::to_string(m->sortKey)},
                {"highlightFlag", std::to_string(m->highlightFlag)}, {"checkMark", std::to_string(m->checkMark)}});
        }
        EXPECT_EQ(lastMessage, last) << "conversation " << group.key;
        conversations.push_back(std::move(group));
    }
    return conversations;
}

std::vector<Group> libraryCallGroups() {
    MobrelCallGroup* first = nullptr;
    MobrelApi_GetCallHistory(&first);
    std::vector<Group> groups;
    for (const MobrelCallGroup* g = first; g; g = g->next) {
        Group group{g->number ? g->number : "(null)", {}};
        EXPECT_TRUE(g->firstEntry && g->number == g->firstEntry->number && !g->reserved1 && !g->reserved2 &&
                    g->latestSortKey == 0)
            << "group " << group.key;
        for (const MobrelCallLog* e = g->firstEntry; e; e = e->next) {
            group.records.push_back(Fields{
                {"id", libraryText(e->id)},           {"name", libraryText(e->name)},
                {"number", libraryText(e->number)},   {"date", libraryText(e->date)},
                {"type", libraryText(e->type)},       {"duration", libraryText(e->duration)},
                {"extra", libraryText(e->extra)},     {"sortKey", std::to_string(e->sortKey)},
                {"highlightFlag", std::to_string(e->highlightFlag)}, {"checkMark", std::to_string(e->checkMark)},
                {"groupLink", e->group == g ? "own group" : "other group"}});
        }
        groups.push_back(std::move(group));
    }
    return groups;
}

::testing::AssertionResult sameRecords(const std::vector<Fields>& actual, const std::vector<Fields>& expected) {
    for (size_t i = 0; i < std::min(actual.size(), expected.size()); ++i) {
        if (actual[i] == expected[i]) continue;
        std::ostringstream out;
        for (const auto& [name, value] : expected[i]) {
            const auto found = actual[i].find(name);
            const Text got = found == actual[i].end() ? Text("(missing)") : found->second;
            if (got != value) out << "  " << name << ": library " << show(got) << ", phone " << show(value) << "\n";
        }
        return ::testing::AssertionFailure() << "record " << i << " differs:\n" << out.str();
    }
    if (actual.size() == expected.size()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the library has " << actual.size() << " records, the phone "
                                         << expected.size();
}

::testing::AssertionResult sameGroups(const std::vector<Group>& actual, const std::vector<Group>& expected) {
    for (size_t i = 0; i < std::min(actual.size(), expected.size()); ++i) {
        if (actual[i].key != expected[i].key) {
            return ::testing::AssertionFailure() << "group " << i << " is \"" << actual[i].key << "\", expected \""
                                                 << expected[i].key << "\"";
        }
        const ::testing::AssertionResult records = sameRecords(actual[i].records, expected[i].records);
        if (!records) return ::testing::AssertionFailure() << "group \"" << actual[i].key << "\": " << records.message();
    }
    if (actual.size() == expected.size()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the library has " << actual.size() << " groups, the phone "
                                         << expected.size();
}

std::string localDate(long long seconds) {
    const time_t t = static_cast<time_t>(seconds);
    struct tm local {};
    localtime_r(&t, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    return buffer;
}

}  // namespace mobreltest
