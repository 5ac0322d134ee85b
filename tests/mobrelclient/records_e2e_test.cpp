// Contacts, messages and the call log through the shared library's exports,
// against phonesim's small phone (Android 10) behind the real adb: every record
// byte for byte against the phone's store files, the counters while a flush
// runs, failures midway, writes read back, and ids that are not ids.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>
#include <tuple>

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

bool anyText(const std::vector<Group>& groups, const char* field, bool (*test)(const std::string&)) {
    for (const Group& g : groups) {
        for (const Fields& r : g.records) {
            const auto found = r.find(field);
            if (found != r.end() && found->second && test(*found->second)) return true;
        }
    }
    return false;
}

std::string repeatedTo(const std::string& piece, size_t length) {
    std::string text;
    while (text.size() < length) text += piece;
    return text.substr(0, length);
}

// The id of the newest record of a store file.
long long newestId(const std::filesystem::path& store, const char* category) {
    const auto objects = storeById(store, category);
    return objects.empty() ? 0 : objects.rbegin()->first;
}

}  // namespace

TEST_F(SmallPhone, EveryRecordArrivesExactly) {
    ASSERT_EQ(MobrelApi_FlushPerson(), 0);
    const std::vector<Fields> contacts = storeContacts(store());
    ASSERT_EQ(contacts.size(), 40u);
    EXPECT_TRUE(sameRecords(libraryContacts(), contacts));
    EXPECT_EQ(MobrelApi_GetPerson(nullptr), 40);
    EXPECT_EQ(MobrelApi_GetPersonCount(), 40);
    bool cjkName = false;
    for (const Fields& c : contacts) cjkName = cjkName || c.at("name")->find("小明") != std::string::npos;
    EXPECT_TRUE(cjkName);

    ASSERT_EQ(MobrelApi_FlushSMS(), 0);
    const std::vector<Group> conversations = storeConversations(store());
    EXPECT_TRUE(sameGroups(libraryConversations(), conversations));
    EXPECT_EQ(recordsIn(conversations), 296u);  // 300 less 4 drafts
    EXPECT_EQ(MobrelApi_GetSMS(nullptr), 296);
    EXPECT_EQ(MobrelApi_GetSMSCount(), 296);
    // The comparison covered what is easy to get wrong.
    EXPECT_TRUE(anyText(conversations, "body", [](const std::string& s) { return s.find('\n') != std::string::npos; }));
    EXPECT_TRUE(anyText(conversations, "body", [](const std::string& s) { return s.find("\xF0\x9F") != std::string::npos; }));
    EXPECT_TRUE(anyText(conversations, "body", [](const std::string& s) { return s.find("ありがとう") != std::string::npos; }));

    ASSERT_EQ(MobrelApi_FlushCallHistory(), 0);
    const std::vector<Group> callGroups = storeCallGroups(store());
    EXPECT_TRUE(sameGroups(libraryCallGroups(), callGroups));
    const size_t entries = recordsIn(callGroups);
    EXPECT_LT(callGroups.size(), entries);  // numbers shared by several calls
    EXPECT_EQ(MobrelApi_GetCallHistory(nullptr), static_cast<int>(entries));
    EXPECT_EQ(MobrelApi_GetCallHistoryCount(), static_cast<int>(entries));

    for (int type : {0, 1, 2}) EXPECT_EQ(MobrelApi_CheckItemisLoaded(type), 1) << type;
}

TEST_F(SmallPhone, CountersMoveWhileAFlushRuns) {
    ASSERT_EQ(MobrelApi_FlushSMS(), 0);  // the counters now hold 300 and 296 from this flush
    MobrelApi_SetItemisUnLoaded(1);
    ASSERT_EQ(MobrelApi_CheckItemisLoaded(1), 0);
    phonesim::Faults slow;
    slow.delayMs = 20;
    setFaults(slow);

    using Sample = std::tuple<int, int, int>;  // loaded, current, total
    std::vector<Sample> samples;
    std::atomic<bool> done {false};
    std::thread poller([&] {
        while (!done) {
            const Sample s {MobrelApi_CheckItemisLoaded(1), MobrelApi_getItemCurrentLoadedCount(1),
                            MobrelApi_getItemTotalLoadedCount(1)};
            if (samples.empty() || samples.back() != s) samples.push_back(s);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    const int result = MobrelApi_FlushSMS();
    done = true;
    poller.join();
    ASSERT_EQ(result, 0);

    // Once the flag is up the counters belong to this flush: both start from 0,
    // the total is the phone's count, and current moves by five per page.
    std::vector<int> currents;
    bool sawZero = false, totalWasCount = false;
    for (const auto& [loaded, current, total] : samples) {
        if (!loaded) continue;
        sawZero = sawZero || (current == 0 && total == 0);
        EXPECT_TRUE(total == 0 || total == 300) << "total " << total;
        if (currents.empty() || currents.back() != current) currents.push_back(current);
        totalWasCount = totalWasCount || total == 300;
    }
    EXPECT_TRUE(sawZero);
    EXPECT_TRUE(totalWasCount);
    ASSERT_GE(currents.size(), 30u) << "pages seen moving";
    EXPECT_EQ(currents.front(), 0);
    for (size_t i = 1; i < currents.size(); ++i) {
        EXPECT_EQ(currents[i] % 5, 0) << currents[i];
        EXPECT_GT(currents[i], currents[i - 1]);
    }
    EXPECT_EQ(MobrelApi_getItemCurrentLoadedCount(1), 300);
    EXPECT_EQ(MobrelApi_getItemTotalLoadedCount(1), 296);  // the records kept
}

TEST_F(SmallPhone, DroppedCommandsListAndCountNothing) {
    // The companion reads every command and closes the connection unanswered.
    phonesim::Faults dropping;
    dropping.dropAfter = 1;
    ASSERT_EQ(MobrelApi_FlushPerson(), 0);
    ASSERT_EQ(MobrelApi_FlushSMS(), 0);
    ASSERT_GT(MobrelApi_GetCallHistoryCount(), 0);  // the phone's raw number from the bring-up
    {
        ScopedFaults dropped(sim(), dropping);
        EXPECT_EQ(MobrelApi_FlushPerson(), -1);
        EXPECT_EQ(MobrelApi_FlushSMS(), -1);
        EXPECT_EQ(MobrelApi_FlushCallHistory(), -1);
    }
    EXPECT_EQ(MobrelApi_GetPersonCount(), 0);
    EXPECT_EQ(MobrelApi_GetSMSCount(), 0);
    EXPECT_EQ(MobrelApi_GetCallHistoryCount(), 0);
    EXPECT_TRUE(libraryContacts().empty());
    EXPECT_TRUE(libraryConversations().empty());

    // The channel comes back with the companion.
    EXPECT_EQ(MobrelApi_FlushPerson(), 0);
    EXPECT_GT(MobrelApi_GetPersonCount(), 0);
}

TEST_F(SmallPhone, TwoCategoriesFlushAtOnce) {
    // The flushes share the one page buffer; each still gets its own pages whole.
    for (int round = 0; round < 3; ++round) {
        int messages = -9;
        int calls = -9;
        std::thread other([&] { calls = MobrelApi_FlushCallHistory(); });
        messages = MobrelApi_FlushSMS();
        other.join();
        ASSERT_EQ(messages, 0);
        ASSERT_EQ(calls, 0);
        EXPECT_TRUE(sameGroups(libraryConversations(), storeConversations(store())));
        EXPECT_TRUE(sameGroups(libraryCallGroups(), storeCallGroups(store())));
    }
}

TEST_F(SmallPhone, FailuresKeepWhatWasParsed) {
    // A count that fails: -1, the old copy gone, and nothing counted.
    ASSERT_EQ(MobrelApi_FlushSMS(), 0);
    setFaults(spoiled("getsmsCount"));
    EXPECT_EQ(MobrelApi_FlushSMS(), -1);
    MobrelSmsThread* conversations = reinterpret_cast<MobrelSmsThread*>(1);
    EXPECT_EQ(MobrelApi_GetSMS(&conversations), 0);
    EXPECT_EQ(conversations, nullptr);

    setFaults(spoiled("getcalllogcount", "short"));
    EXPECT_EQ(MobrelApi_FlushCallHistory(), -1);
    EXPECT_EQ(MobrelApi_GetCallHistoryCount(), 0);
    setFaults(spoiled("getcontactCount", "short"));
    EXPECT_EQ(MobrelApi_FlushPerson(), -1);
    EXPECT_TRUE(libraryContacts().empty());
    EXPECT_EQ(MobrelApi_GetPersonCount(), 0);

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

TEST_F(SmallPhone, ContactAddedReadBackAndDeleted) {
    // Every field, a joined name and a note well past 512 bytes: both reach the phone whole.
    std::string name = repeatedTo("Zoë Åsa ", 300);       // 10 bytes a piece
    std::string nameExtra = repeatedTo(" 小林 👩‍🔬", 304);  // 19 bytes a piece
    std::string note = "Zeile eins\nZeile zwei: ☎ 555\n" + repeatedTo("Notiz mit mehr Text. ", 1469);
    ASSERT_EQ(note.size(), 1500u);
    std::string fields[] = {"", "", "Zoë", "+49 170 5550101", "+49 30 5550102", "+49 89 5550103",
                            "\"", "zoe@example.org", "1990-02-28", "Familie", "", "Acme", "Chefin",
                            "x14", "x15", "Hauptstraße 1\n10115 Berlin", "Werkweg 2\n80331 München", "",
                            "+49 89 5550104", "zoe@work.example.com"};
    MobrelContact contact {};
    contact.name = name.data();
    contact.nameExtra = nameExtra.data();
    char** slots[] = {&contact.contactId, &contact.name, &contact.nickname, &contact.mobilePhone,
                      &contact.homePhone, &contact.workPhone, &contact.website, &contact.homeEmail,
                      &contact.birthday, &contact.group, &contact.note, &contact.organization, &contact.title,
                      &contact.extra14, &contact.extra15, &contact.homeAddress, &contact.workAddress,
                      &contact.homeFax, &contact.workFax, &contact.workEmail};
    for (size_t i = 2; i < std::size(slots); ++i) *slots[i] = fields[i].data();
    contact.note = note.data();
    const long long lastBefore = newestId(store(), "contacts");

    ASSERT_EQ(MobrelApi_AddPerson(&contact), 0);
    const auto objects = storeById(store(), "contacts");
    ASSERT_GT(objects.rbegin()->first, lastBefore);
    const StoreRecord& stored = objects.rbegin()->second;
    EXPECT_EQ(stored.text("name"), name + nameExtra);
    EXPECT_EQ(stored.text("note"), note);
    EXPECT_EQ(stored.text("nickname"), "Zoë");
    EXPECT_EQ(stored.text("mobile"), "+49 170 5550101");
    EXPECT_EQ(stored.text("group"), "Familie");
    EXPECT_EQ(stored.text("title"), "Chefin");
    EXPECT_EQ(stored.text("homeAddress"), "Hauptstraße 1\n10115 Berlin");
    EXPECT_EQ(stored.text("workEmail"), "zoe@work.example.com");
    EXPECT_EQ(stored.text("website"), std::nullopt);  // a lone double quote is not sent
    EXPECT_EQ(stored.text("homeFax"), std::nullopt);  // nor an empty value

    // Read back whole, the newest contact first.
    ASSERT_EQ(MobrelApi_FlushPerson(), 0);
    EXPECT_TRUE(sameRecords(libraryContacts(), storeContacts(store())));
    MobrelContact* head = nullptr;
    MobrelApi_GetPerson(&head);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(std::stoll(head->contactId), objects.rbegin()->first);

    const std::string id = head->contactId;
    EXPECT_EQ(MobrelApi_DeletePerson(id.c_str()), 1);
    EXPECT_EQ(storeById(store(), "contacts").count(std::stoll(id)), 0u);

    // A contact with only a name gets no update. Records are byte-packed, so
    // the caller's may lie at any address.
    std::string onlyName = "Nur Name";
    alignas(8) unsigned char storage[sizeof(MobrelContact) + 1] = {};
    auto* named = reinterpret_cast<MobrelContact*>(storage + 1);
    named->name = onlyName.data();
    ASSERT_EQ(MobrelApi_AddPerson(named), 0);
    const auto afterNamed = storeById(store(), "contacts");
    EXPECT_EQ(afterNamed.rbegin()->second.json,
              "{\"id\":" + std::to_string(afterNamed.rbegin()->first) + ",\"name\":\"Nur Name\"}");
    EXPECT_EQ(MobrelApi_DeletePerson(std::to_string(afterNamed.rbegin()->first).c_str()), 1);

    // No id from the phone (nothing to name the contact by): -1 and nothing sent after.
    MobrelContact empty {};
    std::string nickname = "nobody";
    empty.nickname = nickname.data();
    const auto beforeEmpty = storeById(store(), "contacts");
    EXPECT_EQ(MobrelApi_AddPerson(&empty), -1);
    EXPECT_EQ(MobrelApi_AddPerson(nullptr), -1);
    EXPECT_EQ(storeById(store(), "contacts"), beforeEmpty);
}

TEST_F(SmallPhone, MessageWrittenWithTheMessagingRole) {
    // A body well past 1024 bytes; no read state (two dashes in a row: the phone chooses); sent.
    SmsToAdd toAdd{"+49 170 5550199",
                   "Lange Nachricht 📨\nzweite Zeile\n" + repeatedTo("Wir sehen uns am Bahnhof. ", 1466),
                   "2024-02-29 23:59:58", "", "1"};
    ASSERT_EQ(toAdd.body.size(), 1500u);
    MobrelSms message = toAdd.record();

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
    EXPECT_EQ(stored.text("body"), toAdd.body);  // whole
    EXPECT_EQ(stored.text("address"), toAdd.address);
    EXPECT_EQ(localDate(stored.number("date")), toAdd.date);
    EXPECT_EQ(stored.number("type"), 2);  // sent
    EXPECT_EQ(stored.number("read"), 1);  // a sent message left without read state is read

    ASSERT_EQ(MobrelApi_FlushSMS(), 0);
    EXPECT_TRUE(sameGroups(libraryConversations(), storeConversations(store())));  // read back whole

    // "DeleteOneSMS:" removes the whole conversation.
    EXPECT_EQ(MobrelApi_DeleteSMS(std::to_string(stored.number("thread")).c_str()), 1);
    EXPECT_EQ(storeById(store(), "messages"), before);

    EXPECT_EQ(MobrelApi_ReSetDefaultMessage(), 1);
    EXPECT_EQ(MobrelApi_CheckDefaultMessangeOK(), -1);
    EXPECT_EQ(MobrelApi_AddSMS(&message), 0);
    EXPECT_EQ(MobrelApi_AddSMS(nullptr), -1);
}

TEST_F(SmallPhone, CallAddedReadBackAndDeleted) {
    std::string number = "+49 30 5550177";
    std::string date = "2024-01-02 03:04:05";
    std::string missed = "3";
    MobrelCallLog entry {};
    entry.number = number.data();
    entry.date = date.data();
    entry.type = missed.data();  // no duration: an empty field, the phone takes 0

    const long long lastBefore = newestId(store(), "calls");
    ASSERT_EQ(MobrelApi_AddCallHistory(&entry), 1);
    const auto objects = storeById(store(), "calls");
    const long long id = objects.rbegin()->first;
    ASSERT_GT(id, lastBefore);
    EXPECT_EQ(objects.rbegin()->second.text("number"), number);
    EXPECT_EQ(objects.rbegin()->second.number("type"), 3);
    EXPECT_EQ(objects.rbegin()->second.number("duration"), 0);

    ASSERT_EQ(MobrelApi_FlushCallHistory(), 0);
    EXPECT_TRUE(sameGroups(libraryCallGroups(), storeCallGroups(store())));  // read back whole

    EXPECT_EQ(MobrelApi_DeleteCallHistory(std::to_string(id).c_str()), 1);
    EXPECT_EQ(storeById(store(), "calls").count(id), 0u);
    EXPECT_EQ(MobrelApi_AddCallHistory(nullptr), -1);
}

TEST_F(SmallPhone, IdsThatAreNotIdsAreRefused) {
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
}
