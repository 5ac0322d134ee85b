#include "records_phone.h"

#include <arpa/inet.h>
#include <cjson/cJSON.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "mobrelclient.h"

namespace fs = std::filesystem;

namespace recordstest {

namespace {

using Text = std::optional<std::string>;
using Json = std::unique_ptr<cJSON, void (*)(cJSON*)>;

Json parse(const std::string& text) { return Json(cJSON_Parse(text.c_str()), cJSON_Delete); }

// The record objects of a store file (the header line left out), in file order.
std::vector<Json> readStore(const fs::path& state, const char* category) {
    std::vector<Json> records;
    std::ifstream in(state / "store" / (std::string(category) + ".jsonl"), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        Json object = parse(line);
        if (object && !cJSON_GetObjectItemCaseSensitive(object.get(), "store")) records.push_back(std::move(object));
    }
    return records;
}

Text text(const cJSON* object, const char* key) {
    const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
    if (!cJSON_IsString(item) || !item->valuestring[0]) return std::nullopt;
    return std::string(item->valuestring);
}

long long number(const cJSON* object, const char* key) {
    const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
    return cJSON_IsNumber(item) ? static_cast<long long>(item->valuedouble) : 0;
}

std::string decimal(const cJSON* object, const char* key) { return std::to_string(number(object, key)); }

// Message and call types above 4 read as 4.
std::string clampedType(const cJSON* object) { return std::to_string(std::min(number(object, "type"), 4LL)); }

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

std::map<std::string, std::string> namesByNumber(const fs::path& state) {
    std::vector<Json> contacts = readStore(state, "contacts");
    std::sort(contacts.begin(), contacts.end(),
              [](const Json& a, const Json& b) { return number(a.get(), "id") < number(b.get(), "id"); });
    std::map<std::string, std::string> names;
    for (const Json& c : contacts) {
        const Text name = text(c.get(), "name");
        if (!name) continue;
        for (const char* key : {"mobile", "homePhone", "workPhone"}) {
            if (const Text n = text(c.get(), key)) names.emplace(numberKey(*n), *name);
        }
    }
    return names;
}

Text nameFor(const std::map<std::string, std::string>& names, const Text& number) {
    if (!number) return std::nullopt;
    const auto found = names.find(numberKey(*number));
    return found == names.end() ? std::nullopt : Text(found->second);
}

// True when nothing listens on 127.0.0.1:port.
bool portFree(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;  // connections of a server gone a moment ago do not count
    if (fd >= 0) setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool free = fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) close(fd);
    return free;
}

Text libraryText(const char* text) { return text ? Text(text) : std::nullopt; }

// Appends record to the group keyed key, making the group at the end when it is new.
void addToGroup(std::vector<Group>& groups, const std::string& key, Fields record) {
    auto found = std::find_if(groups.begin(), groups.end(), [&](const Group& g) { return g.key == key; });
    if (found == groups.end()) found = groups.insert(groups.end(), Group {key, {}});
    found->records.push_back(std::move(record));
}

std::string show(const Fields& fields) {
    std::ostringstream out;
    for (const auto& [name, value] : fields) out << "  " << name << " = " << (value ? "\"" + *value + "\"" : "null") << "\n";
    return out.str();
}

std::string differences(const Fields& actual, const Fields& expected) {
    std::ostringstream out;
    for (const auto& [name, value] : expected) {
        const auto found = actual.find(name);
        const Text got = found == actual.end() ? Text("(missing)") : found->second;
        if (got != value) {
            out << "  " << name << ": library " << (got ? "\"" + *got + "\"" : "null") << ", phone "
                << (value ? "\"" + *value + "\"" : "null") << "\n";
        }
    }
    return out.str();
}

}  // namespace

::testing::AssertionResult bringUp(mobreltest::PhoneSim& sim, const mobreltest::SimOptions& options, int* index) {
    if (!sim.start(options)) return ::testing::AssertionFailure() << "phonesim: " << sim.error();
    // The forwarded port is the machine's: while another adb server holds it,
    // the library would reach that server's phone.
    if (!portFree(25803)) return ::testing::AssertionFailure() << "127.0.0.1:25803 is held by another program";
    MobrelApi_Init();
    // Another phone left running on a lower port may be listed first: ours is
    // found by its serial, so that nothing is ever written to someone else's phone.
    int mine = -1;
    for (int attempt = 0; attempt < 20 && mine < 0; ++attempt) {
        if (MobrelApi_CheckDeviceDetected(0) != -1) {
            for (int i = 0; i < 5 && mine < 0; ++i) {
                MobrelDeviceInfo info {};
                if (MobrelApi_GetAndroidDevicesInfo(&info, i) == 0 && sim.serial() == info.serial) mine = i;
            }
        }
        if (mine < 0) std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    if (mine < 0) return ::testing::AssertionFailure() << "adb does not list " << sim.serial();
    if (mine != 0 && MobrelApi_CheckDeviceDetected(mine) != 0) {
        return ::testing::AssertionFailure() << sim.serial() << " is not ready";
    }
    if (MobrelApi_ReadyTodoing(mine) != 0) return ::testing::AssertionFailure() << "bring-up failed";
    if (index) *index = mine;
    return ::testing::AssertionSuccess();
}

std::vector<Fields> storeContacts(const fs::path& state, size_t limit) {
    std::vector<Json> contacts = readStore(state, "contacts");
    std::sort(contacts.begin(), contacts.end(),
              [](const Json& a, const Json& b) { return number(a.get(), "id") < number(b.get(), "id"); });
    if (contacts.size() > limit) contacts.erase(contacts.begin() + static_cast<long>(limit), contacts.end());
    std::vector<Fields> expected;
    for (const Json& json : contacts) {
        const cJSON* c = json.get();
        expected.push_back(Fields {
            {"contactId", decimal(c, "id")},          {"name", text(c, "name")},
            {"nameExtra", std::nullopt},              {"nickname", text(c, "nickname")},
            {"mobilePhone", text(c, "mobile")},       {"homePhone", text(c, "homePhone")},
            {"workPhone", text(c, "workPhone")},      {"website", text(c, "website")},
            {"homeEmail", text(c, "homeEmail")},      {"birthday", text(c, "birthday")},
            {"group", std::nullopt},                  {"note", text(c, "note")},
            {"organization", text(c, "organization")}, {"title", text(c, "title")},
            {"extra14", std::nullopt},                {"extra15", std::nullopt},
            {"homeAddress", text(c, "homeAddress")},  {"workAddress", text(c, "workAddress")},
            {"homeFax", text(c, "homeFax")},          {"workFax", text(c, "workFax")},
            {"workEmail", text(c, "workEmail")},      {"highlightFlag", "0"},
            {"checkMark", "1"},
        });
    }
    std::reverse(expected.begin(), expected.end());  // the list reads from the last contact paged
    return expected;
}

std::vector<Group> storeConversations(const fs::path& state, size_t limit) {
    const std::map<std::string, std::string> names = namesByNumber(state);
    std::vector<Json> messages = readStore(state, "messages");
    std::sort(messages.begin(), messages.end(), [](const Json& a, const Json& b) {
        const long long da = number(a.get(), "date");
        const long long db = number(b.get(), "date");
        return da != db ? da < db : number(a.get(), "id") < number(b.get(), "id");
    });
    if (messages.size() > limit) messages.erase(messages.begin() + static_cast<long>(limit), messages.end());
    std::vector<Group> conversations;
    for (const Json& json : messages) {
        const cJSON* m = json.get();
        if (number(m, "type") == 3) continue;  // drafts are not kept
        const Text address = text(m, "address");
        addToGroup(conversations, decimal(m, "thread"),
                   Fields {{"id", decimal(m, "id")},         {"person", nameFor(names, address)},
                           {"address", address},             {"body", text(m, "body")},
                           {"date", localDate(number(m, "date"))}, {"type", clampedType(m)},
                           {"read", decimal(m, "read")},     {"threadId", decimal(m, "thread")},
                           {"extra", std::nullopt},          {"sortKey", "0"},
                           {"highlightFlag", "0"},           {"checkMark", "1"}});
    }
    return conversations;
}

std::vector<Group> storeCallGroups(const fs::path& state, size_t limit) {
    const std::map<std::string, std::string> names = namesByNumber(state);
    std::vector<Json> calls = readStore(state, "calls");
    std::sort(calls.begin(), calls.end(), [](const Json& a, const Json& b) {
        const long long da = number(a.get(), "date");
        const long long db = number(b.get(), "date");
        return da != db ? da > db : number(a.get(), "id") > number(b.get(), "id");
    });
    if (calls.size() > limit) calls.erase(calls.begin() + static_cast<long>(limit), calls.end());
    std::vector<Group> groups;
    for (const Json& json : calls) {
        const cJSON* c = json.get();
        const Text callNumber = text(c, "number");
        if (!callNumber) continue;  // a private number: no NUMBER, not kept
        addToGroup(groups, *callNumber,
                   Fields {{"id", decimal(c, "id")},          {"name", nameFor(names, callNumber)},
                           {"number", callNumber},            {"date", localDate(number(c, "date"))},
                           {"type", clampedType(c)},          {"duration", decimal(c, "duration")},
                           {"extra", std::nullopt},           {"sortKey", "0"},
                           {"highlightFlag", "0"},            {"checkMark", "1"},
                           {"groupLink", "own group"}});
    }
    return groups;
}

std::vector<Fields> libraryContacts() {
    MobrelContact* head = nullptr;
    MobrelApi_GetPerson(&head);
    std::vector<Fields> contacts;
    for (const MobrelContact* c = head; c; c = c->next) {
        contacts.push_back(Fields {
            {"contactId", libraryText(c->contactId)},  {"name", libraryText(c->name)},
            {"nameExtra", libraryText(c->nameExtra)},  {"nickname", libraryText(c->nickname)},
            {"mobilePhone", libraryText(c->mobilePhone)}, {"homePhone", libraryText(c->homePhone)},
            {"workPhone", libraryText(c->workPhone)},  {"website", libraryText(c->website)},
            {"homeEmail", libraryText(c->homeEmail)},  {"birthday", libraryText(c->birthday)},
            {"group", libraryText(c->group)},          {"note", libraryText(c->note)},
            {"organization", libraryText(c->organization)}, {"title", libraryText(c->title)},
            {"extra14", libraryText(c->extra14)},      {"extra15", libraryText(c->extra15)},
            {"homeAddress", libraryText(c->homeAddress)}, {"workAddress", libraryText(c->workAddress)},
            {"homeFax", libraryText(c->homeFax)},      {"workFax", libraryText(c->workFax)},
            {"workEmail", libraryText(c->workEmail)},  {"highlightFlag", std::to_string(c->highlightFlag)},
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
        Group group {t->threadId ? t->threadId : "(null)", {}};
        // The conversation shows its first message's own texts, not copies.
        EXPECT_TRUE(t->firstMessage && t->threadId == t->firstMessage->threadId &&
                    t->person == t->firstMessage->person && t->address == t->firstMessage->address)
            << "conversation " << group.key;
        const MobrelSms* last = nullptr;
        const MobrelSms* lastMessage = t->lastMessage;  // copied: a packed member is not bound by reference
        for (const MobrelSms* m = t->firstMessage; m; last = m, m = m->next) {
            group.records.push_back(Fields {
                {"id", libraryText(m->id)},         {"person", libraryText(m->person)},
                {"address", libraryText(m->address)}, {"body", libraryText(m->body)},
                {"date", libraryText(m->date)},     {"type", libraryText(m->type)},
                {"read", libraryText(m->read)},     {"threadId", libraryText(m->threadId)},
                {"extra", libraryText(m->extra)},   {"sortKey", std::to_string(m->sortKey)},
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
        Group group {g->number ? g->number : "(null)", {}};
        EXPECT_TRUE(g->firstEntry && g->number == g->firstEntry->number && !g->reserved1 && !g->reserved2)
            << "group " << group.key;
        for (const MobrelCallLog* e = g->firstEntry; e; e = e->next) {
            group.records.push_back(Fields {
                {"id", libraryText(e->id)},         {"name", libraryText(e->name)},
                {"number", libraryText(e->number)}, {"date", libraryText(e->date)},
                {"type", libraryText(e->type)},     {"duration", libraryText(e->duration)},
                {"extra", libraryText(e->extra)},   {"sortKey", std::to_string(e->sortKey)},
                {"highlightFlag", std::to_string(e->highlightFlag)}, {"checkMark", std::to_string(e->checkMark)},
                {"groupLink", e->group == g ? "own group" : "other group"}});
        }
        groups.push_back(std::move(group));
    }
    return groups;
}

::testing::AssertionResult sameRecords(const std::vector<Fields>& actual, const std::vector<Fields>& expected) {
    for (size_t i = 0; i < std::min(actual.size(), expected.size()); ++i) {
        if (actual[i] != expected[i]) {
            return ::testing::AssertionFailure() << "record " << i << " differs:\n"
                                                 << differences(actual[i], expected[i]) << "phone's record:\n"
                                                 << show(expected[i]);
        }
    }
    if (actual.size() != expected.size()) {
        return ::testing::AssertionFailure() << "the library has " << actual.size() << " records, the phone "
                                             << expected.size();
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult sameGroups(const std::vector<Group>& actual, const std::vector<Group>& expected) {
    for (size_t i = 0; i < std::min(actual.size(), expected.size()); ++i) {
        if (actual[i].key != expected[i].key) {
            return ::testing::AssertionFailure() << "group " << i << " is \"" << actual[i].key << "\", expected \""
                                                 << expected[i].key << "\"";
        }
        ::testing::AssertionResult records = sameRecords(actual[i].records, expected[i].records);
        if (!records) return ::testing::AssertionFailure() << "group \"" << actual[i].key << "\": " << records.message();
    }
    if (actual.size() != expected.size()) {
        return ::testing::AssertionFailure() << "the library has " << actual.size() << " groups, the phone "
                                             << expected.size();
    }
    return ::testing::AssertionSuccess();
}

std::map<long long, std::string> storeObjects(const fs::path& state, const char* category) {
    std::map<long long, std::string> objects;
    for (const Json& json : readStore(state, category)) {
        char* printed = cJSON_PrintUnformatted(json.get());
        objects[number(json.get(), "id")] = printed;
        cJSON_free(printed);
    }
    return objects;
}

std::optional<std::string> storeText(const std::string& objectJson, const char* key) {
    const Json json = parse(objectJson);
    const cJSON* item = cJSON_GetObjectItemCaseSensitive(json.get(), key);
    return cJSON_IsString(item) ? Text(item->valuestring) : std::nullopt;
}

long long storeNumber(const std::string& objectJson, const char* key) { return number(parse(objectJson).get(), key); }

std::string localDate(long long seconds) {
    const time_t t = static_cast<time_t>(seconds);
    struct tm local {};
    localtime_r(&t, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    return buffer;
}

}  // namespace recordstest
