// Contacts, messages and the call log through the exports against phonesim's
// small phone (Android 10) behind the real adb: failures midway, the rules of
// writes, and ids that are not ids.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "library_e2e.h"
#include "library_records.h"
#include "mobrelclient.h"
#include "store_files.h"

using namespace mobreltest;

namespace {

class SmallPhone : public SmallPhoneSuite {
protected:
    static std::filesystem::path store() { return sim().storePath(); }
    static StoreRecord newest(const char* category) { return storeById(store(), category).rbegin()->second; }
    static bool deleted(int (*remove)(const char*), const StoreRecord& record) {
        return remove(std::to_string(record.number("id")).c_str()) == 1;
    }
};

std::string repeatedTo(const std::string& piece, size_t length) {
    std::string text;
    while (text.size() < length) text += piece;
    return text.substr(0, length);
}

}  // namespace

TEST_F(SmallPhone, FailuresKeepWhatWasParsed) {
    // A count that fails, or a companion that closes every connection unanswered:
    // -1, the old copy gone, nothing counted.
    phonesim::Faults dropping;
    dropping.dropAfter = 1;
    const struct {
        int (*flush)();
        int (*count)();
        const char* countCommand;
    } categories[] = {{MobrelApi_FlushPerson, MobrelApi_GetPersonCount, "getcontactCount"},
                      {MobrelApi_FlushSMS, MobrelApi_GetSMSCount, "getsmsCount"},
                      {MobrelApi_FlushCallHistory, MobrelApi_GetCallHistoryCount, "getcalllogcount"}};
    for (const auto& category : categories) {
        for (const phonesim::Faults& faults : {spoiled(category.countCommand), spoiled(category.countCommand, "short"),
                                               dropping}) {
            SCOPED_TRACE(category.countCommand + (" " + phonesim::faultsToJson(faults)));
            ASSERT_EQ(category.flush(), 0);  // a copy to lose
            ScopedFaults spoil(sim(), faults);
            EXPECT_EQ(category.flush(), -1);
            EXPECT_EQ(category.count(), 0);
        }
    }
    EXPECT_TRUE(libraryContacts().empty());
    EXPECT_TRUE(libraryConversations().empty());
    EXPECT_TRUE(libraryCallGroups().empty());

    // Pages failing midway: the earlier pages' records are kept and counted. A fresh
    // install each time: phonesim counts a spoiled command's good replies from it.
    const auto midway = [](const phonesim::Faults& faults, int (*flush)()) {
        EXPECT_EQ(MobrelApi_ReadyTodoing(0), 0);
        ScopedFaults spoil(sim(), faults);
        EXPECT_EQ(flush(), -1);
    };
    midway(spoiled("getsmsPart10", "short", 3), MobrelApi_FlushSMS);
    const std::vector<Group> first15 = storeConversations(store(), 15);
    EXPECT_TRUE(sameGroups(libraryConversations(), first15));
    EXPECT_EQ(MobrelApi_GetSMSCount(), static_cast<int>(recordsIn(first15)));
    EXPECT_EQ(MobrelApi_getItemCurrentLoadedCount(1), 15);
    midway(spoiled("getcalllogpart10", "garbage", 2), MobrelApi_FlushCallHistory);
    EXPECT_TRUE(sameGroups(libraryCallGroups(), storeCallGroups(store(), 10)));
    midway(spoiled("getcontactpart10", "overlong", 1), MobrelApi_FlushPerson);
    EXPECT_TRUE(sameRecords(libraryContacts(), storeContacts(store(), 5)));
    EXPECT_EQ(MobrelApi_GetPersonCount(), 5);

    // The channel recovers: with the phone well again every flush is whole.
    EXPECT_EQ(MobrelApi_FlushPerson(), 0);
    EXPECT_TRUE(sameRecords(libraryContacts(), storeContacts(store())));
    EXPECT_EQ(MobrelApi_FlushSMS(), 0);
    EXPECT_TRUE(sameGroups(libraryConversations(), storeConversations(store())));
    EXPECT_EQ(MobrelApi_FlushCallHistory(), 0);
    EXPECT_TRUE(sameGroups(libraryCallGroups(), storeCallGroups(store())));
}

TEST_F(SmallPhone, ContactWriteRules) {
    // A joined name and a note well past 512 bytes reach the phone whole; a lone
    // double quote and an empty value are not sent.
    std::string name = repeatedTo("Zoë Åsa ", 300), nameExtra = repeatedTo(" 小林 👩‍🔬", 304), quote = "\"", none;
    std::string note = "Zeile eins\nZeile zwei: ☎ 555\n" + repeatedTo("Notiz mit mehr Text. ", 1469);
    MobrelContact contact{};
    contact.name = name.data();
    contact.nameExtra = nameExtra.data();
    contact.note = note.data();
    contact.website = quote.data();
    contact.homeFax = none.data();
    ASSERT_EQ(MobrelApi_AddPerson(&contact), 0);
    const StoreRecord stored = newest("contacts");
    EXPECT_EQ(stored.text("name"), name + nameExtra);
    EXPECT_EQ(stored.text("note"), note);
    EXPECT_EQ(stored.text("website"), std::nullopt);
    EXPECT_EQ(stored.text("homeFax"), std::nullopt);
    EXPECT_TRUE(deleted(MobrelApi_DeletePerson, stored));

    // Only a name: no update. The caller's packed record may lie at any address.
    std::string onlyName = "Nur Name";
    alignas(8) unsigned char storage[sizeof(MobrelContact) + 1] = {};
    auto* named = reinterpret_cast<MobrelContact*>(storage + 1);
    named->name = onlyName.data();
    ASSERT_EQ(MobrelApi_AddPerson(named), 0);
    const StoreRecord added = newest("contacts");
    EXPECT_EQ(added.json, "{\"id\":" + std::to_string(added.number("id")) + ",\"name\":\"Nur Name\"}");
    EXPECT_TRUE(deleted(MobrelApi_DeletePerson, added));

    // No name, so no id from the phone to name the contact by: -1 and nothing sent after.
    MobrelContact unnamed{};
    unnamed.nickname = onlyName.data();
    const auto before = storeById(store(), "contacts");
    EXPECT_EQ(MobrelApi_AddPerson(&unnamed), -1);
    EXPECT_EQ(storeById(store(), "contacts"), before);
}

TEST_F(SmallPhone, MessageWrittenWithTheMessagingRole) {
    // A body well past 1024 bytes; no read state (two dashes in a row: the phone chooses); sent.
    std::string address = "+49 170 5550199", date = "2024-02-29 23:59:58", noReadState, sent = "1";
    std::string body = "Lange Nachricht 📨\nzweite Zeile\n" + repeatedTo("Wir sehen uns am Bahnhof. ", 1466);
    MobrelSms message{};
    message.address = address.data();
    message.body = body.data();
    message.date = date.data();
    message.read = noReadState.data();
    message.type = sent.data();

    // A fresh install is not the default messaging app: Android 10 refuses it the write.
    EXPECT_EQ(MobrelApi_CheckDefaultMessangeOK(), -1);
    const auto before = storeById(store(), "messages");
    EXPECT_EQ(MobrelApi_AddSMS(&message), 0);
    EXPECT_EQ(storeById(store(), "messages"), before);

    EXPECT_EQ(MobrelApi_SetDefaultMessage(), 1);
    int ok = -1;
    for (int attempt = 0; attempt < 100 && (ok = MobrelApi_CheckDefaultMessangeOK()) != 0; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_EQ(ok, 0) << "the simulated user never accepted";
    EXPECT_EQ(MobrelApi_AddSMS(&message), 1);
    const StoreRecord stored = newest("messages");
    EXPECT_EQ(storeById(store(), "messages").size(), before.size() + 1);
    EXPECT_EQ(stored.text("body"), body);
    EXPECT_EQ(stored.text("address"), address);
    EXPECT_EQ(localDate(stored.number("date")), date);
    EXPECT_EQ(stored.number("type"), 2);  // sent
    EXPECT_EQ(stored.number("read"), 1);  // a sent message without read state is read

    // "DeleteOneSMS:" removes the whole conversation.
    EXPECT_EQ(MobrelApi_DeleteSMS(std::to_string(stored.number("thread")).c_str()), 1);
    EXPECT_EQ(storeById(store(), "messages"), before);
    EXPECT_EQ(MobrelApi_ReSetDefaultMessage(), 1);
    EXPECT_EQ(MobrelApi_CheckDefaultMessangeOK(), -1);
    EXPECT_EQ(MobrelApi_AddSMS(&message), 0);
}

// An id goes into the command as plain text: one holding ";" would be a second
// command. Nothing of such an id, nor of a null record, reaches the phone.
TEST_F(SmallPhone, IdsThatAreNotIdsAndNoRecordsAreRefused) {
    const auto contacts = storeById(store(), "contacts"), messages = storeById(store(), "messages"),
               calls = storeById(store(), "calls");
    for (int (*remove)(const char*) : {MobrelApi_DeletePerson, MobrelApi_DeleteSMS, MobrelApi_DeleteCallHistory}) {
        for (const char* id : {"1;DeleteOnePerson:2", "2;", "", "-1", " 3", "3 ", "4:5", "0x10", "١٢",
                               "12345678901234567890", static_cast<const char*>(nullptr)}) {
            EXPECT_EQ(remove(id), -1) << (id ? id : "null");
        }
    }
    EXPECT_EQ(MobrelApi_AddPerson(nullptr), -1);
    EXPECT_EQ(MobrelApi_AddSMS(nullptr), -1);
    EXPECT_EQ(MobrelApi_AddCallHistory(nullptr), -1);
    EXPECT_EQ(storeById(store(), "contacts"), contacts);
    EXPECT_EQ(storeById(store(), "messages"), messages);
    EXPECT_EQ(storeById(store(), "calls"), calls);

    // Still in step: a real id deletes its record, an unknown one nothing.
    EXPECT_TRUE(deleted(MobrelApi_DeleteCallHistory, calls.begin()->second));
    EXPECT_EQ(storeById(store(), "calls").size(), calls.size() - 1);
    EXPECT_EQ(MobrelApi_DeleteCallHistory("999999"), 0);
}

// An answer that is no integer of the right size never passes for a record the phone took.
TEST_F(SmallPhone, SpoiledWriteAnswersAreFailures) {
    std::string number = "+49 30 5550178", date = "2024-01-02 03:04:05", type = "1", name = "Ann";
    MobrelContact contact{};
    contact.name = name.data();
    MobrelSms message{};
    message.address = number.data();
    message.body = name.data();
    message.date = date.data();
    message.type = type.data();
    MobrelCallLog call{};
    call.number = number.data();
    call.date = date.data();
    call.type = type.data();
    const std::pair<const char*, std::function<int()>> writes[] = {
        {"AddPerson", [&] { return MobrelApi_AddPerson(&contact); }},
        {"SendSMS", [&] { return MobrelApi_AddSMS(&message); }},
        {"AddCallHistory", [&] { return MobrelApi_AddCallHistory(&call); }},
        {"DeleteOneCallLog", [] { return MobrelApi_DeleteCallHistory("999999"); }}};
    for (const auto& [command, write] : writes) {
        for (const char* how : {"garbage", "short"}) {
            ScopedFaults spoil(sim(), spoiled(command, how));
            EXPECT_EQ(write(), -1) << command << " " << how;
        }
    }
    // Answered well, a call without a duration goes in with 0.
    ASSERT_EQ(MobrelApi_AddCallHistory(&call), 1);
    const StoreRecord stored = newest("calls");
    EXPECT_EQ(stored.number("duration"), 0);
    EXPECT_TRUE(deleted(MobrelApi_DeleteCallHistory, stored));
}
