// Contacts, messages and the call log through the shared library's exports,
// against phonesim's small phone (Android 10) behind the real adb: failures
// midway, the rules of writes, and ids that are not ids. (Every record against
// the store files, and the counters while flushes run, are the concurrency and
// large-phone tests'.)
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "mobrelclient.h"
#include "library_e2e.h"
#include "library_records.h"
#include "store_files.h"

using namespace mobreltest;

namespace {

class SmallPhone : public SmallPhoneSuite {
protected:
    static void setFaults(const phonesim::Faults& faults) { sim().setFaults(faults); }
    // A fresh bring-up with the phone well, then the switches: phonesim counts
    // the good replies of a spoiled command from the companion's install on.
    static bool reinstalledWith(const phonesim::Faults& faults) {
        setFaults(phonesim::Faults {});
        if (MobrelApi_ReadyTodoing(0) != 0) return false;
        setFaults(faults);
        return true;
    }
    static std::filesystem::path store() { return sim().storePath(); }
};

std::string repeatedTo(const std::string& piece, size_t length) {
    std::string text;
    while (text.size() < length) text += piece;
    return text.substr(0, length);
}

// The newest record of a store file.
StoreRecord newest(const std::filesystem::path& store, const char* category) {
    return storeById(store, category).rbegin()->second;
}

}  // namespace

TEST_F(SmallPhone, FailuresKeepWhatWasParsed) {
    // A count that fails, or a companion that reads every command and closes the
    // connection unanswered: -1, the old copy gone, and nothing counted.
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
            setFaults(faults);
            EXPECT_EQ(category.flush(), -1);
            EXPECT_EQ(category.count(), 0);
            setFaults(phonesim::Faults {});
        }
    }
    EXPECT_TRUE(libraryContacts().empty());
    EXPECT_TRUE(libraryConversations().empty());
    EXPECT_TRUE(libraryCallGroups().empty());

    // Pages that fail midway: what the earlier pages held is kept and counted.
    ASSERT_TRUE(reinstalledWith(spoiled("getsmsPart10", "short", 3)));
    EXPECT_EQ(MobrelApi_FlushSMS(), -1);
    const std::vector<Group> first15 = storeConversations(store(), 15);
    EXPECT_TRUE(sameGroups(libraryConversations(), first15));
    EXPECT_EQ(MobrelApi_GetSMSCount(), static_cast<int>(recordsIn(first15)));
    EXPECT_EQ(MobrelApi_getItemCurrentLoadedCount(1), 15);

    ASSERT_TRUE(reinstalledWith(spoiled("getcalllogpart10", "garbage", 2)));
    EXPECT_EQ(MobrelApi_FlushCallHistory(), -1);
    EXPECT_TRUE(sameGroups(libraryCallGroups(), storeCallGroups(store(), 10)));

    ASSERT_TRUE(reinstalledWith(spoiled("getcontactpart10", "overlong", 1)));
    EXPECT_EQ(MobrelApi_FlushPerson(), -1);
    EXPECT_TRUE(sameRecords(libraryContacts(), storeContacts(store(), 5)));
    EXPECT_EQ(MobrelApi_GetPersonCount(), 5);

    // The channel recovers: with the phone well again every flush is whole.
    setFaults(phonesim::Faults {});
    EXPECT_EQ(MobrelApi_FlushPerson(), 0);
    EXPECT_TRUE(sameRecords(libraryContacts(), storeContacts(store())));
    EXPECT_EQ(MobrelApi_FlushSMS(), 0);
    EXPECT_TRUE(sameGroups(libraryConversations(), storeConversations(store())));
    EXPECT_EQ(MobrelApi_FlushCallHistory(), 0);
    EXPECT_TRUE(sameGroups(libraryCallGroups(), storeCallGroups(store())));
}

// The rules of a contact's write. (Every field written and read back is the
// restore's round trip; deletes are the browser's.)
TEST_F(SmallPhone, ContactWriteRules) {
    // A joined name and a note well past 512 bytes reach the phone whole; a lone
    // double quote and an empty value are not sent.
    std::string name = repeatedTo("Zoë Åsa ", 300);       // 10 bytes a piece
    std::string nameExtra = repeatedTo(" 小林 👩‍🔬", 304);  // 19 bytes a piece
    std::string note = "Zeile eins\nZeile zwei: ☎ 555\n" + repeatedTo("Notiz mit mehr Text. ", 1469);
    std::string quote = "\"", none;
    MobrelContact contact {};
    contact.name = name.data();
    contact.nameExtra = nameExtra.data();
    contact.note = note.data();
    contact.website = quote.data();
    contact.homeFax = none.data();
    ASSERT_EQ(MobrelApi_AddPerson(&contact), 0);
    const StoreRecord stored = newest(store(), "contacts");
    EXPECT_EQ(stored.text("name"), name + nameExtra);
    EXPECT_EQ(stored.text("note"), note);
    EXPECT_EQ(stored.text("website"), std::nullopt);
    EXPECT_EQ(stored.text("homeFax"), std::nullopt);
    EXPECT_EQ(MobrelApi_DeletePerson(std::to_string(stored.number("id")).c_str()), 1);

    // A contact with only a name gets no update. Records are byte-packed, so
    // the caller's may lie at any address.
    std::string onlyName = "Nur Name";
    alignas(8) unsigned char storage[sizeof(MobrelContact) + 1] = {};
    auto* named = reinterpret_cast<MobrelContact*>(storage + 1);
    named->name = onlyName.data();
    ASSERT_EQ(MobrelApi_AddPerson(named), 0);
    const StoreRecord added = newest(store(), "contacts");
    EXPECT_EQ(added.json, "{\"id\":" + std::to_string(added.number("id")) + ",\"name\":\"Nur Name\"}");
    EXPECT_EQ(MobrelApi_DeletePerson(std::to_string(added.number("id")).c_str()), 1);

    // No id from the phone (nothing to name the contact by): -1 and nothing sent after.
    MobrelContact empty {};
    std::string nickname = "nobody";
    empty.nickname = nickname.data();
    const auto beforeEmpty = storeById(store(), "contacts");
    EXPECT_EQ(MobrelApi_AddPerson(&empty), -1);
    EXPECT_EQ(storeById(store(), "contacts"), beforeEmpty);
}

TEST_F(SmallPhone, MessageWrittenWithTheMessagingRole) {
    // A body well past 1024 bytes; no read state (two dashes in a row: the phone chooses); sent.
    std::string address = "+49 170 5550199", date = "2024-02-29 23:59:58", noReadState, sent = "1";
    std::string body = "Lange Nachricht 📨\nzweite Zeile\n" + repeatedTo("Wir sehen uns am Bahnhof. ", 1466);
    ASSERT_EQ(body.size(), 1500u);
    MobrelSms message {};
    message.address = address.data();
    message.body = body.data();
    message.date = date.data();
    message.read = noReadState.data();
    message.type = sent.data();

    // A fresh install is not the default messaging app, and Android 10 refuses it the write.
    EXPECT_EQ(MobrelApi_CheckDefaultMessangeOK(), -1);
    const auto before = storeById(store(), "messages");
    EXPECT_EQ(MobrelApi_AddSMS(&message), 0);
    EXPECT_EQ(storeById(store(), "messages"), before);

    EXPECT_EQ(MobrelApi_SetDefaultMessage(), 1);
    int ok = -1;
    for (int attempt = 0; attempt < 100 && ok != 0; ++attempt) {
        ok = MobrelApi_CheckDefaultMessangeOK();
        if (ok != 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_EQ(ok, 0) << "the simulated user never accepted";

    EXPECT_EQ(MobrelApi_AddSMS(&message), 1);
    const auto after = storeById(store(), "messages");
    ASSERT_EQ(after.size(), before.size() + 1);
    const StoreRecord& stored = after.rbegin()->second;
    EXPECT_EQ(stored.text("body"), body);  // whole
    EXPECT_EQ(stored.text("address"), address);
    EXPECT_EQ(localDate(stored.number("date")), date);
    EXPECT_EQ(stored.number("type"), 2);  // sent
    EXPECT_EQ(stored.number("read"), 1);  // a sent message left without read state is read

    // "DeleteOneSMS:" removes the whole conversation.
    EXPECT_EQ(MobrelApi_DeleteSMS(std::to_string(stored.number("thread")).c_str()), 1);
    EXPECT_EQ(storeById(store(), "messages"), before);

    EXPECT_EQ(MobrelApi_ReSetDefaultMessage(), 1);
    EXPECT_EQ(MobrelApi_CheckDefaultMessangeOK(), -1);
    EXPECT_EQ(MobrelApi_AddSMS(&message), 0);
}

TEST_F(SmallPhone, IdsThatAreNotIdsAndNoRecordsAreRefused) {
    // An id goes into the command as plain text: one holding ";" would be a
    // second command. Nothing of such an id reaches the phone.
    const auto contacts = storeById(store(), "contacts");
    const auto messages = storeById(store(), "messages");
    const auto calls = storeById(store(), "calls");
    for (const char* id : {"1;DeleteOnePerson:2", "2;", "", "-1", " 3", "3 ", "4:5", "0x10", "١٢",
                           "12345678901234567890"}) {
        EXPECT_EQ(MobrelApi_DeletePerson(id), -1) << id;
        EXPECT_EQ(MobrelApi_DeleteSMS(id), -1) << id;
        EXPECT_EQ(MobrelApi_DeleteCallHistory(id), -1) << id;
    }
    EXPECT_EQ(MobrelApi_DeletePerson(nullptr), -1);
    EXPECT_EQ(MobrelApi_DeleteSMS(nullptr), -1);
    EXPECT_EQ(MobrelApi_DeleteCallHistory(nullptr), -1);
    EXPECT_EQ(MobrelApi_AddPerson(nullptr), -1);
    EXPECT_EQ(MobrelApi_AddSMS(nullptr), -1);
    EXPECT_EQ(MobrelApi_AddCallHistory(nullptr), -1);
    EXPECT_EQ(storeById(store(), "contacts"), contacts);
    EXPECT_EQ(storeById(store(), "messages"), messages);
    EXPECT_EQ(storeById(store(), "calls"), calls);

    // The channel is still in step: a real id deletes its record, an unknown one nothing.
    const std::string firstCall = std::to_string(calls.begin()->first);
    EXPECT_EQ(MobrelApi_DeleteCallHistory(firstCall.c_str()), 1);
    EXPECT_EQ(storeById(store(), "calls").size(), calls.size() - 1);
    EXPECT_EQ(MobrelApi_DeleteCallHistory("999999"), 0);
}

TEST_F(SmallPhone, SpoiledWriteAnswersAreFailures) {
    // An answer that is no integer of the right size never passes for a
    // record the phone took.
    std::string number = "+49 30 5550178", date = "2024-01-02 03:04:05", type = "1", name = "Ann";
    MobrelContact contact {};
    contact.name = name.data();
    MobrelSms message {};
    message.address = number.data();
    message.body = name.data();
    message.date = date.data();
    message.type = type.data();
    MobrelCallLog call {};
    call.number = number.data();
    call.date = date.data();
    call.type = type.data();
    for (const char* how : {"garbage", "short"}) {
        SCOPED_TRACE(how);
        ScopedFaults spoil(sim(), spoiled("AddPerson", how));
        EXPECT_EQ(MobrelApi_AddPerson(&contact), -1);
        sim().setFaults(spoiled("SendSMS", how));
        EXPECT_EQ(MobrelApi_AddSMS(&message), -1);
        sim().setFaults(spoiled("AddCallHistory", how));
        EXPECT_EQ(MobrelApi_AddCallHistory(&call), -1);
        sim().setFaults(spoiled("DeleteOneCallLog", how));
        EXPECT_EQ(MobrelApi_DeleteCallHistory("999999"), -1);
    }
    // Answered well, a call without a duration goes in with 0. (Calls written
    // and read back are the restore's round trip.)
    ASSERT_EQ(MobrelApi_AddCallHistory(&call), 1);
    const StoreRecord stored = newest(store(), "calls");
    EXPECT_EQ(stored.number("duration"), 0);
    EXPECT_EQ(MobrelApi_DeleteCallHistory(std::to_string(stored.number("id")).c_str()), 1);
}
