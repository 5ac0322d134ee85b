// Contacts, messages, call log, device facts and the messaging-app role, driven
// through the wire protocol.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <set>
#include <thread>

#include "service_client.h"

namespace phonesim::test {
namespace {

using ::testing::Test;

const std::regex kDateText(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})");

std::string sendSms(const std::string& address, const std::string& body, const std::string& date,
                    const std::string& read, const std::string& type) {
    return "SendSMS:" + hex(address) + "-" + hex(body) + "-" + hex(date) + "-" + hex(read) + "-2D31-" + hex(type) +
           ";";
}

const Record* findBy(const std::vector<Record>& records, const std::string& key, const std::string& value) {
    for (const Record& r : records) {
        auto it = r.find(key);
        if (it != r.end() && it->second == value) return &r;
    }
    return nullptr;
}

class RecordsTest : public CompanionTest {};

TEST_F(RecordsTest, FramingHandshakeAndUnknownCommands) {
    start();
    auto client = connect();
    EXPECT_EQ(client->askText("hello-manager;"), "HI-PC");
    // Two commands in one write, then one split over three writes: replies in order.
    client->send("hello-manager;getcontactCount;");
    EXPECT_EQ(client->reply().value_or(""), "HI-PC");
    EXPECT_EQ(client->reply().value_or("").size(), 4u);
    client->send("hello-");
    client->send("mana");
    EXPECT_TRUE(client->silentFor(100));
    client->send("ger;");
    EXPECT_EQ(client->reply().value_or(""), "HI-PC");
    // Unknown commands get an empty reply and the connection goes on.
    EXPECT_EQ(client->ask("noSuchCommand:1;"), std::optional<std::string>(""));
    EXPECT_EQ(client->ask(";"), std::optional<std::string>(""));
    EXPECT_EQ(client->askText("hello-manager;"), "HI-PC");
    EXPECT_EQ(client->askText("getExternalStoragePath;"), "/storage/emulated/0");
}

TEST_F(RecordsTest, DeviceFactsFollowTheProfile) {
    for (const Profile& p : {modernProfile(), legacyProfile()}) {
        start(p);
        auto client = connect();
        std::optional<std::string> body = client->ask("GetandroidTempinfo;");
        ASSERT_TRUE(body);
        const std::vector<std::string> sizes = {"MEMTOTAL", "MEMAVAIL", "SDTOTAL", "SDAVAIL", "PHONETOTAL", "PHONEAVAIL"};
        auto records = parseRecords(*body, sizes);
        ASSERT_TRUE(records && records->size() == 1) << *body;
        Record facts = (*records)[0];
        EXPECT_EQ(facts["BRAND"], p.property("ro.product.brand"));
        EXPECT_EQ(facts["MODEL"], p.property("ro.product.model"));
        EXPECT_EQ(facts["ANDROIDVERSION"], p.property("ro.build.version.release"));
        EXPECT_EQ(facts["SERIAL"], p.property("ro.serialno"));
        for (const std::string& key : sizes) {
            ASSERT_FALSE(facts[key].empty()) << key;
            EXPECT_EQ(facts[key].find_first_not_of("0123456789"), std::string::npos) << key << "=" << facts[key];
        }
        // The dataset's files take room on the shared storage.
        EXPECT_LT(std::stoll(facts["SDAVAIL"]), std::stoll(facts["SDTOTAL"]));
        EXPECT_LE(std::stoll(facts["MEMAVAIL"]), std::stoll(facts["MEMTOTAL"]));
        EXPECT_GT(client->askInt("getappcount;"), 0);
        client.reset();
    }
}

TEST_F(RecordsTest, ContactPagesCarryEveryKeyAndNoEmptyValue) {
    start();
    auto client = connect();
    std::vector<Record> contacts = allRecords(*client, "getcontactCount;", "getcontactpart10");
    ASSERT_EQ(contacts.size(), 40u);
    std::set<std::string> ids, keys;
    for (const Record& c : contacts) {
        ASSERT_TRUE(c.count("CONTACTID"));
        ids.insert(c.at("CONTACTID"));
        for (const auto& [key, value] : c) {
            keys.insert(key);
            EXPECT_FALSE(value.empty()) << key;
        }
    }
    EXPECT_EQ(ids.size(), 40u);
    const std::set<std::string> expected = {"CONTACTID", "NAME", "NICKNAME", "PHONE_PHONE", "PHONE_HOME", "PHONE_WORK",
                                            "WEBSITE", "EMAIL_HOME", "BIRTHDAY", "NOTE", "ORG_NAME", "ORG_TITLE",
                                            "ADDRESS_HOME", "ADDRESS_WORK", "PHONE_HOMEFAX", "PHONE_WORKFAX", "EMAIL_WORK"};
    EXPECT_EQ(keys, expected);
    // Past the end, a negative or a non-numeric position: an empty reply.
    for (const char* bad : {"getcontactpart10:40;", "getcontactpart10:-5;", "getcontactpart10:x;", "getcontactpart10;"})
        EXPECT_EQ(client->ask(bad), std::optional<std::string>("")) << bad;
}

TEST_F(RecordsTest, AddUpdateAndDeleteAContact) {
    start();
    auto client = connect();
    int64_t id = client->askInt64("AddPerson:" + hex("Zoë Ødegård") + ":" + hex("+49 151 999") + ";");
    ASSERT_GT(id, 40);
    const std::string ids = std::to_string(id);
    const std::vector<std::pair<std::string, std::string>> updates = {
        {"NICKNAME", "Zo"}, {"HOMENUMBER", "030 1"}, {"WORKNUMBER", "089 2"}, {"HOMEPAGE", "https://z.example/"},
        {"HOMEEMAIL", "z@home"}, {"BIRTHDAY", "1990-02-03"}, {"GROUP", "Friends"}, {"NOTE", "two\nlines 🎉"},
        {"ORGANZATION", "Quenlo"}, {"DEPARTMENT", "Chief"}, {"HOMEADDRESS", "Weg 1"}, {"WORKADDRESS", "Platz 2"},
        {"HOMEFAX", "030 3"}, {"WORKFAX", "089 4"}, {"WORKEMAIL", "z@work"}, {"MOBILE", "+49 151 1000"}};
    for (const auto& [field, value] : updates)
        EXPECT_EQ(client->askInt("UpdatePerson:" + ids + ":" + hex(value) + ":" + field + ";"), 1) << field;
    // The same value again changes nothing; unknown fields and ids change nothing.
    EXPECT_EQ(client->askInt("UpdatePerson:" + ids + ":" + hex("Zo") + ":NICKNAME;"), 0);
    EXPECT_EQ(client->askInt("UpdatePerson:" + ids + ":" + hex("x") + ":SHOESIZE;"), 0);
    EXPECT_EQ(client->askInt("UpdatePerson:99999:" + hex("x") + ":NICKNAME;"), 0);
    EXPECT_EQ(client->askInt("UpdatePerson:" + ids + ":XZ:NICKNAME;"), 0);

    std::vector<Record> contacts = allRecords(*client, "getcontactCount;", "getcontactpart10");
    const Record* added = findBy(contacts, "CONTACTID", ids);
    ASSERT_NE(added, nullptr);
    const std::map<std::string, std::string> expected = {
        {"CONTACTID", ids}, {"NAME", "Zoë Ødegård"}, {"NICKNAME", "Zo"}, {"PHONE_PHONE", "+49 151 1000"},
        {"PHONE_HOME", "030 1"}, {"PHONE_WORK", "089 2"}, {"WEBSITE", "https://z.example/"},
        {"EMAIL_HOME", "z@home"}, {"BIRTHDAY", "1990-02-03"}, {"NOTE", "two\nlines 🎉"}, {"ORG_NAME", "Quenlo"},
        {"ORG_TITLE", "Chief"}, {"ADDRESS_HOME", "Weg 1"}, {"ADDRESS_WORK", "Platz 2"}, {"PHONE_HOMEFAX", "030 3"},
        {"PHONE_WORKFAX", "089 4"}, {"EMAIL_WORK", "z@work"}};
    EXPECT_EQ(*added, (Record(expected.begin(), expected.end())));

    // First and last name make up the shown name.
    EXPECT_EQ(client->askInt("UpdatePerson:" + ids + ":" + hex("Zoe") + ":FIRSTNAME;"), 1);
    EXPECT_EQ(client->askInt("UpdatePerson:" + ids + ":" + hex("Berg") + ":LASTNAME;"), 1);
    contacts = allRecords(*client, "getcontactCount;", "getcontactpart10");
    EXPECT_EQ(findBy(contacts, "CONTACTID", ids)->at("NAME"), "Zoe Berg");

    // A name alone is enough; nothing at all or bad hex is refused.
    EXPECT_GT(client->askInt64("AddPerson:" + hex("Solo") + ":;"), id);
    EXPECT_EQ(client->askInt64("AddPerson::;"), 0);
    EXPECT_EQ(client->askInt64("AddPerson:4G:;"), 0);
    EXPECT_EQ(client->askInt("getcontactCount;"), 42);

    EXPECT_EQ(client->askInt("DeleteOnePerson:" + ids + ";"), 1);
    EXPECT_EQ(client->askInt("DeleteOnePerson:" + ids + ";"), 0);
    EXPECT_EQ(client->askInt("DeleteOnePerson:abc;"), 0);
    EXPECT_EQ(client->askInt("getcontactCount;"), 41);
}

TEST_F(RecordsTest, MessagePagesCountEverythingTheyReturn) {
    start();
    auto client = connect();
    std::vector<Record> messages = allRecords(*client, "getsmsCount;", "getsmsPart10");
    ASSERT_EQ(messages.size(), 300u);
    std::set<std::string> threads, types;
    bool named = false, longBody = false, multiLine = false;
    for (const Record& m : messages) {
        for (const char* key : {"ID", "DATE", "TYPE", "READ", "THREAD_ID", "PROTOCOL", "STATUS"})
            ASSERT_TRUE(m.count(key)) << key;
        EXPECT_TRUE(std::regex_match(m.at("DATE"), kDateText)) << m.at("DATE");
        threads.insert(m.at("THREAD_ID"));
        types.insert(m.at("TYPE"));
        named = named || m.count("PERSON");
        longBody = longBody || (m.count("BODY") && m.at("BODY").size() > 300);
        multiLine = multiLine || (m.count("BODY") && m.at("BODY").find('\n') != std::string::npos);
    }
    EXPECT_EQ(threads.size(), 25u);
    EXPECT_EQ(types, (std::set<std::string>{"1", "2", "3", "4", "5", "6"}));
    EXPECT_TRUE(named && longBody && multiLine);
}

TEST_F(RecordsTest, SentMessageLandsInTheConversationOfItsAddress) {
    start(legacyProfile());  // Android 4.3: no messaging-app role needed
    auto client = connect();
    std::vector<Record> before = allRecords(*client, "getsmsCount;", "getsmsPart10");
    const Record* known = findBy(before, "TYPE", "1");
    ASSERT_NE(known, nullptr);
    const std::string address = known->at("ADDRESS");
    const std::string thread = known->at("THREAD_ID");

    std::string longBody;
    for (int i = 0; i < 150; ++i) longBody += "Zeile " + std::to_string(i % 10) + "…\n";
    ASSERT_GT(longBody.size(), 1500u);
    EXPECT_EQ(client->askInt(sendSms(address, longBody, "2024-02-29 23:59:58", "1", "1")), 1);
    EXPECT_EQ(client->askInt(sendSms("+99 000 111", "new person 👋", "2024-03-01 08:00:00", "0", "0")), 1);
    // Fields of the wrong number, a date of another shape, an unknown type: refused.
    EXPECT_EQ(client->askInt("SendSMS:41-42-43;"), 0);
    EXPECT_EQ(client->askInt(sendSms(address, "x", "29.02.2024 10:00", "1", "1")), 0);
    EXPECT_EQ(client->askInt(sendSms(address, "x", "2024-02-30 10:00:00", "1", "1")), 0);
    EXPECT_EQ(client->askInt(sendSms(address, "x", "", "1", "7")), 0);

    std::vector<Record> after = allRecords(*client, "getsmsCount;", "getsmsPart10");
    ASSERT_EQ(after.size(), before.size() + 2);
    const Record* sent = findBy(after, "BODY", longBody);
    ASSERT_NE(sent, nullptr);
    EXPECT_EQ(sent->at("THREAD_ID"), thread);
    EXPECT_EQ(sent->at("TYPE"), "2");
    EXPECT_EQ(sent->at("READ"), "1");
    EXPECT_EQ(sent->at("DATE"), "2024-02-29 23:59:58");
    const Record* received = findBy(after, "BODY", "new person 👋");
    ASSERT_NE(received, nullptr);
    EXPECT_EQ(received->at("TYPE"), "1");
    EXPECT_EQ(received->at("READ"), "0");
    for (const Record& m : before) EXPECT_NE(m.at("THREAD_ID"), received->at("THREAD_ID"));
}

TEST_F(RecordsTest, DeletingAConversationRemovesAllItsMessages) {
    start(legacyProfile());
    auto client = connect();
    std::vector<Record> before = allRecords(*client, "getsmsCount;", "getsmsPart10");
    std::map<std::string, int> perThread;
    for (const Record& m : before) ++perThread[m.at("THREAD_ID")];
    auto biggest = std::max_element(perThread.begin(), perThread.end(),
                                    [](const auto& a, const auto& b) { return a.second < b.second; });
    ASSERT_GT(biggest->second, 1);
    EXPECT_EQ(client->askInt("DeleteOneSMS:" + biggest->first + ";"), 1);
    EXPECT_EQ(client->askInt("DeleteOneSMS:" + biggest->first + ";"), 0);
    EXPECT_EQ(client->askInt("DeleteOneSMS:-1;"), 0);
    std::vector<Record> after = allRecords(*client, "getsmsCount;", "getsmsPart10");
    EXPECT_EQ(after.size(), before.size() - static_cast<size_t>(biggest->second));
    EXPECT_EQ(findBy(after, "THREAD_ID", biggest->first), nullptr);
}

TEST_F(RecordsTest, MessagingRoleGuardsWritesFromAndroid44) {
    start();  // Android 10
    Faults faults;
    faults.acceptDelayMs = 800;
    setFaults(faults);
    auto client = connect();
    const std::string write = sendSms("555", "hello", "", "", "1");
    EXPECT_EQ(client->askText("GetDefaultMessage_pkgName;"), "com.android.messaging");
    EXPECT_EQ(client->askInt(write), 0);
    EXPECT_EQ(client->askInt("DeleteOneSMS:1;"), 0);
    EXPECT_EQ(client->askInt("getsmsCount;"), 300);

    EXPECT_EQ(client->askInt("SetDefaultMessage;"), 1);
    EXPECT_EQ(client->askText("GetDefaultMessage_pkgName;"), "com.android.messaging");  // the user has not tapped yet
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_EQ(client->askText("GetDefaultMessage_pkgName;"), "com.quenlo.mobrelphone");
    EXPECT_EQ(client->askInt(write), 1);
    EXPECT_EQ(client->askInt("DeleteOneSMS:1;"), 1);

    EXPECT_EQ(client->askInt("ReSetDefaultMessage;"), 1);
    EXPECT_EQ(client->askText("GetDefaultMessage_pkgName;"), "com.android.messaging");
    EXPECT_EQ(client->askInt(write), 0);

    // A user who never accepts; and a fresh install forgets the role.
    faults.neverAccept = true;
    faults.acceptDelayMs = 0;
    setFaults(faults);
    EXPECT_EQ(client->askInt("SetDefaultMessage;"), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(client->askText("GetDefaultMessage_pkgName;"), "com.android.messaging");
    setFaults(Faults{});
    EXPECT_EQ(client->askInt("SetDefaultMessage;"), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(client->askText("GetDefaultMessage_pkgName;"), "com.quenlo.mobrelphone");
    companion->reset();
    EXPECT_EQ(client->askText("GetDefaultMessage_pkgName;"), "com.android.messaging");
}

TEST_F(RecordsTest, CallLogPagesAndWrites) {
    start();
    auto client = connect();
    std::vector<Record> calls = allRecords(*client, "getcalllogcount;", "getcalllogpart10");
    ASSERT_EQ(calls.size(), 150u);
    std::set<std::string> types;
    std::map<std::string, int> perNumber;
    int withoutNumber = 0, named = 0;
    for (const Record& c : calls) {
        EXPECT_TRUE(std::regex_match(c.at("DATE"), kDateText));
        EXPECT_EQ(c.at("DURATION").find_first_not_of("0123456789"), std::string::npos);
        types.insert(c.at("TYPE"));
        if (c.count("NUMBER")) ++perNumber[c.at("NUMBER")];
        else ++withoutNumber;
        named += c.count("NAME") ? 1 : 0;
    }
    EXPECT_EQ(types, (std::set<std::string>{"1", "2", "3", "4", "5", "6", "7"}));
    EXPECT_GT(withoutNumber, 0);
    EXPECT_GT(named, 0);
    EXPECT_LT(perNumber.size(), calls.size() - static_cast<size_t>(withoutNumber));  // numbers are shared

    // A call to a contact's number carries the contact's name.
    std::vector<Record> contacts = allRecords(*client, "getcontactCount;", "getcontactpart10");
    const Record* person = findBy(contacts, "PHONE_PHONE", contacts[3].at("PHONE_PHONE"));
    ASSERT_NE(person, nullptr);
    EXPECT_EQ(client->askInt("AddCallHistory:" + hex(person->at("PHONE_PHONE")) + "-" + hex("2024-05-06 07:08:09") +
                             "-" + hex("2") + "-" + hex("75") + ";"),
              1);
    EXPECT_EQ(client->askInt("AddCallHistory:-" + hex("2024-05-06 07:08:10") + "-" + hex("3") + "-;"), 1);
    EXPECT_EQ(client->askInt("AddCallHistory:" + hex("1") + "-" + hex("yesterday") + "-" + hex("2") + "-;"), 0);
    EXPECT_EQ(client->askInt("AddCallHistory:" + hex("1") + "-" + hex("") + "-" + hex("9") + "-;"), 0);
    EXPECT_EQ(client->askInt("AddCallHistory:" + hex("1") + "-;"), 0);

    calls = allRecords(*client, "getcalllogcount;", "getcalllogpart10");
    ASSERT_EQ(calls.size(), 152u);
    const Record* added = findBy(calls, "DATE", "2024-05-06 07:08:09");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->at("NUMBER"), person->at("PHONE_PHONE"));
    EXPECT_EQ(added->at("NAME"), person->at("NAME"));
    EXPECT_EQ(added->at("TYPE"), "2");
    EXPECT_EQ(added->at("DURATION"), "75");
    const Record* hidden = findBy(calls, "DATE", "2024-05-06 07:08:10");
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(hidden->count("NUMBER"), 0u);
    EXPECT_EQ(hidden->at("DURATION"), "0");

    EXPECT_EQ(client->askInt("DeleteOneCallLog:" + added->at("ID") + ";"), 1);
    EXPECT_EQ(client->askInt("DeleteOneCallLog:" + added->at("ID") + ";"), 0);
    EXPECT_EQ(client->askInt("getcalllogcount;"), 151);
}

TEST_F(RecordsTest, ContentSurvivesANewCompanionButAppStateDoesNot) {
    start(legacyProfile());
    {
        auto client = connect();
        int64_t id = client->askInt64("AddPerson:" + hex("Persist Ent") + ":" + hex("0123") + ";");
        ASSERT_GT(id, 0);
        EXPECT_EQ(client->askInt("UpdatePerson:" + std::to_string(id) + ":" + hex("kept") + ":NOTE;"), 1);
        EXPECT_EQ(client->askInt(sendSms("0123", "still here", "2024-01-01 12:00:00", "1", "0")), 1);
        EXPECT_EQ(client->askInt("AddCallHistory:" + hex("0123") + "-" + hex("2024-01-01 12:00:01") + "-" + hex("1") +
                                 "-" + hex("5") + ";"),
                  1);
        EXPECT_EQ(client->askInt("DeleteOneCallLog:1;"), 1);
        EXPECT_EQ(client->askInt("SetDefaultMessage;"), 1);
    }
    start(legacyProfile());  // phonesim restarted on the same state folder
    auto client = connect();
    EXPECT_EQ(client->askText("GetDefaultMessage_pkgName;"), "com.android.messaging");
    std::vector<Record> contacts = allRecords(*client, "getcontactCount;", "getcontactpart10");
    ASSERT_EQ(contacts.size(), 41u);
    const Record* person = findBy(contacts, "NAME", "Persist Ent");
    ASSERT_NE(person, nullptr);
    EXPECT_EQ(person->at("NOTE"), "kept");
    std::vector<Record> messages = allRecords(*client, "getsmsCount;", "getsmsPart10");
    const Record* message = findBy(messages, "BODY", "still here");
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->at("PERSON"), "Persist Ent");
    std::vector<Record> calls = allRecords(*client, "getcalllogcount;", "getcalllogpart10");
    EXPECT_EQ(calls.size(), 150u);
    EXPECT_NE(findBy(calls, "DATE", "2024-01-01 12:00:01"), nullptr);
    EXPECT_EQ(findBy(calls, "ID", "1"), nullptr);
    // A new id never repeats one that was handed out before.
    int64_t next = client->askInt64("AddPerson:" + hex("Next") + ":;");
    EXPECT_GT(next, std::stoll(person->at("CONTACTID")));
}

}  // namespace
}  // namespace phonesim::test
