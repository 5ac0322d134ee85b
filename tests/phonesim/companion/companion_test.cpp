// The companion service in process, one end of a socket pair on its own thread:
// what the library's end-to-end tests do not reach: framing and hostile bytes,
// malformed writes, names that would leave the upload folder, the fault
// switches they do not use, the messaging-app role, and what outlives a new
// companion.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <chrono>
#include <thread>

#include "companion/companion.h"
#include "dataset/dataset.h"
#include "device_paths.h"
#include "faults.h"
#include "profile.h"
#include "service_client.h"
#include "test_util.h"

namespace phonesim {
namespace {

namespace fs = std::filesystem;
using mobreltest::Client;
using mobreltest::hex;
using mobreltest::Record;
using Clock = std::chrono::steady_clock;

class CompanionTest : public ::testing::Test {
protected:
    void SetUp() override { start(); }
    void TearDown() override { stopCompanion(); }

    // A companion on the state folder (the small phone, made once); a second
    // call stands for phonesim restarted on the same folder.
    void start(const Profile& p = modernProfile()) {
        stopCompanion();
        std::string error;
        ASSERT_TRUE(fs::exists(state() / "store") || generateDataset(state(), "small", error)) << error;
        profile = p;
        paths = std::make_unique<DevicePaths>(state());
        faultSwitch = std::make_unique<FaultSwitch>(state() / "faults.json");
        companion = std::make_unique<Companion>(state(), profile, *paths, *faultSwitch);
    }
    void stopCompanion() {
        if (companion) companion->stop();
        for (std::thread& t : servers) t.join();
        servers.clear();
        companion.reset();
    }
    std::unique_ptr<Client> connect() {
        int fds[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
        servers.emplace_back([c = companion.get(), fd = fds[1]] { c->serve(fd); });
        return std::make_unique<Client>(fds[0]);
    }
    void setFaults(const Faults& faults) { faultSwitch->write(faults); }
    fs::path state() const { return dir.path(); }
    fs::path sdcard() const { return state() / "sdcard"; }

    mobreltest::TempDir dir{"companion-test"};
    Profile profile;
    std::unique_ptr<DevicePaths> paths;
    std::unique_ptr<FaultSwitch> faultSwitch;
    std::unique_ptr<Companion> companion;
    std::vector<std::thread> servers;
};

std::string sendSms(const std::string& address, const std::string& body, const std::string& date,
                    const std::string& read, const std::string& type) {
    return "SendSMS:" + hex(address) + "-" + hex(body) + "-" + hex(date) + "-" + hex(read) + "-2D31-" + hex(type) + ";";
}

const Record* findBy(const std::vector<Record>& records, const std::string& key, const std::string& value) {
    for (const Record& r : records) {
        if (r.count(key) && r.at(key) == value) return &r;
    }
    return nullptr;
}

TEST_F(CompanionTest, FramingAndHostileBytes) {
    auto client = connect();
    // Two commands in one write, then one split over three writes: replies in order.
    client->send("hello-manager;getcontactCount;");
    EXPECT_EQ(client->reply().value_or(""), "HI-PC");
    EXPECT_EQ(client->reply().value_or("").size(), 4u);
    client->send("hello-");
    client->send("mana");
    EXPECT_TRUE(client->silentFor(100));
    client->send("ger;");
    EXPECT_EQ(client->reply().value_or(""), "HI-PC");
    // Unknown commands and pages past the end or at no position: an empty reply, and the connection goes on.
    for (const char* empty : {"noSuchCommand:1;", ";", "getcontactpart10:40;", "getcontactpart10:-5;",
                              "getcontactpart10:x;", "getcontactpart10;", "getfilepathForid:99999;"}) {
        EXPECT_EQ(client->ask(empty), std::optional<std::string>("")) << empty;
    }
    EXPECT_EQ(client->askText("getExternalStoragePath;"), "/storage/emulated/0");

    // Random bytes, NULs, separators and bad hex after every command head: each complete command is answered.
    uint64_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<unsigned>(seed >> 33);
    };
    const std::vector<std::string> heads = {"SendSMS:", "AddPerson:", "UpdatePerson:", "AddCallHistory:",
                                            "getsmsPart10:", "getdcimindexinfo:", "addphototodevice:",
                                            "checkFileisExist:", "getmusicthumb2:", "DeleteOneSMS:", "", std::string("\0", 1)};
    const std::string alphabet("0123456789ABCDEFabcXYZ-:.;/\0\xff", 30);
    for (int round = 0; round < 400; ++round) {
        std::string command = heads[next() % heads.size()];
        for (size_t i = 0, length = next() % 200; i < length; ++i) {
            const char c = alphabet[next() % alphabet.size()];
            if (c != ';') command += c;
        }
        ASSERT_TRUE(client->ask(command + ";").has_value()) << "round " << round;
    }
    EXPECT_EQ(client->askText("hello-manager;"), "HI-PC");
    EXPECT_GE(client->askInt("getcontactCount;"), 40);

    // An endless command without ';' is cut off.
    auto endless = connect();
    endless->send(std::string(4 * 1024 * 1024 + 4096, 'A'));
    EXPECT_TRUE(endless->closedByPeer());
}

TEST_F(CompanionTest, MalformedWritesChangeNothing) {
    start(legacyProfile());  // Android 4.3: messages may be written without the messaging-app role
    auto client = connect();
    const std::string id = std::to_string(client->askInt64("AddPerson:" + hex("Zoë") + ":;"));
    EXPECT_EQ(client->askInt64("AddPerson::;"), 0);
    EXPECT_EQ(client->askInt64("AddPerson:4G:;"), 0);
    for (const std::string& refused : std::vector<std::string>{
             "UpdatePerson:" + id + ":" + hex("x") + ":SHOESIZE;", "UpdatePerson:99999:" + hex("x") + ":NICKNAME;",
          "UpdatePerson:" + id + ":XZ:NICKNAME;", "UpdatePerson:" + id + ":" + hex("Zoë") + ":NAME;",
          "SendSMS:41-42-43;", sendSms("555", "x", "29.02.2024 10:00", "1", "1"),
          sendSms("555", "x", "2024-02-30 10:00:00", "1", "1"), sendSms("555", "x", "", "1", "7"),
          "AddCallHistory:" + hex("1") + "-" + hex("yesterday") + "-" + hex("2") + "-;",
          "AddCallHistory:" + hex("1") + "-" + hex("") + "-" + hex("9") + "-;", "AddCallHistory:" + hex("1") + "-;",
          "DeleteOnePerson:abc;", "DeleteOnePerson:99999;", "DeleteOneSMS:-1;", "DeleteOneCallLog:0;"}) {
        EXPECT_EQ(client->askInt(refused), 0) << refused;
    }
    EXPECT_EQ(client->askInt("getcontactCount;"), 41);
    EXPECT_EQ(client->askInt("getsmsCount;"), 300);
    EXPECT_EQ(client->askInt("getcalllogcount;"), 150);
    EXPECT_EQ(client->askInt("DeleteOneSMS:1;"), 1);  // no messaging-app role needed on Android 4.3
    // The same value again changes nothing; first and last name make up the shown name.
    EXPECT_EQ(client->askInt("UpdatePerson:" + id + ":" + hex("Zo") + ":NICKNAME;"), 1);
    EXPECT_EQ(client->askInt("UpdatePerson:" + id + ":" + hex("Zo") + ":NICKNAME;"), 0);
    EXPECT_EQ(client->askInt("UpdatePerson:" + id + ":" + hex("Zoe") + ":FIRSTNAME;"), 1);
    EXPECT_EQ(client->askInt("UpdatePerson:" + id + ":" + hex("Berg") + ":LASTNAME;"), 1);
    const std::vector<Record> contacts = client->allRecords("getcontactCount;", "getcontactpart10");
    const Record* added = findBy(contacts, "CONTACTID", id);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(*added, (Record{{"CONTACTID", id}, {"NAME", "Zoe Berg"}, {"NICKNAME", "Zo"}}));
}

TEST_F(CompanionTest, NamesNeverLeaveTheUploadFolder) {
    auto client = connect();
    mobreltest::writeFile(sdcard() / "outside.png", "x");
    for (const std::string& name : {std::string("../outside.png"), std::string(".."), std::string("sub/x.png"),
                                    std::string("/etc/passwd"), std::string(), std::string("a\0b.png", 7),
                                    std::string("../../store/contacts.jsonl")}) {
        EXPECT_EQ(client->askInt("checkFileisExist:" + name + ";"), 0) << name;
        EXPECT_EQ(client->askInt("addphototodevice:" + hex(name) + ";"), 0) << name;
    }
    EXPECT_EQ(client->askInt("addphototodevice:ZZ;"), 0);
    // The thumbnail file is no medium, and its name is never free for an upload;
    // an unknown id answers 1 and writes no file.
    ASSERT_EQ(client->askInt("getdcimthumb2:1;"), 0);
    EXPECT_EQ(client->askInt("checkFileisExist:tmp.png;"), 1);
    EXPECT_EQ(client->askInt("addphototodevice:" + hex("tmp.png") + ";"), 0);
    fs::remove(sdcard() / "Images" / "tmp.png");
    EXPECT_EQ(client->askInt("getdcimthumb2:987654;"), 1);
    EXPECT_FALSE(fs::exists(sdcard() / "Images" / "tmp.png"));
    EXPECT_EQ(client->askInt("flushphotolist;"), 0);
    EXPECT_EQ(client->askInt("getdcimcount;"), 30);
}

TEST_F(CompanionTest, SwitchesOfTheConnection) {
    setFaults({.handshake = "silent", .badCommand = {}});
    auto silent = connect();
    silent->send("hello-manager;");
    EXPECT_TRUE(silent->silentFor(300));
    EXPECT_EQ(silent->askInt("getcontactCount;"), 40);  // it keeps reading: the next command is answered
    setFaults({.handshake = "close", .badCommand = {}});
    auto closing = connect();
    closing->send("hello-manager;");
    EXPECT_TRUE(closing->closedByPeer());

    setFaults({.dropAfter = 3, .badCommand = {}});
    auto client = connect();
    EXPECT_EQ(client->askText("hello-manager;"), "HI-PC");
    EXPECT_EQ(client->askInt("getcontactCount;"), 40);
    client->send("AddPerson:" + hex("Never") + ":;");
    EXPECT_TRUE(client->closedByPeer());
    setFaults(Faults{});
    EXPECT_EQ(connect()->askInt("getcontactCount;"), 40);  // the dropped command was not carried out
}

TEST_F(CompanionTest, StopEndsEveryConnectionPromptly) {
    setFaults({.handshake = "silent", .badCommand = {}});
    auto waiting = connect();
    waiting->send("hello-manager;");
    setFaults({.delayMs = 60000, .badCommand = {}});
    auto delayed = connect();
    delayed->send("hello-manager;");
    EXPECT_TRUE(delayed->silentFor(200));
    const auto begin = Clock::now();
    companion->stop();
    EXPECT_TRUE(waiting->closedByPeer());
    EXPECT_TRUE(delayed->closedByPeer());
    stopCompanion();
    EXPECT_LT(Clock::now() - begin, std::chrono::seconds(5));
}

// Android 10 lets only the default messaging app write messages. (Asking for the
// role and writing with it are the library's end-to-end tests' part; a user who
// never accepts, the browser's and the restore's.)
TEST_F(CompanionTest, MessagingRoleWaitsForTheUserAndGoesWithAnInstall) {
    setFaults({.badCommand = {}, .acceptDelayMs = 800});
    auto client = connect();
    auto role = [&] { return client->askText("GetDefaultMessage_pkgName;"); };
    EXPECT_EQ(client->askInt("DeleteOneSMS:1;"), 0);  // deletes are guarded like writes
    EXPECT_EQ(client->askInt("SetDefaultMessage;"), 1);
    EXPECT_EQ(role(), "com.android.messaging");  // the user has not tapped yet
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_EQ(role(), "com.quenlo.mobrelphone");
    EXPECT_EQ(client->askInt("DeleteOneSMS:1;"), 1);
    companion->reset();  // a fresh install
    EXPECT_EQ(role(), "com.android.messaging");
}

TEST_F(CompanionTest, ContentOutlivesANewCompanionButAppStateDoesNot) {
    start(legacyProfile());
    std::string longName;
    while (longName.size() < 240) longName += "Ü";
    {
        auto client = connect();
        const int64_t id = client->askInt64("AddPerson:" + hex("Persist Ent") + ":" + hex("0123") + ";");
        EXPECT_EQ(client->askInt("UpdatePerson:" + std::to_string(id) + ":" + hex("kept") + ":NOTE;"), 1);
        EXPECT_EQ(client->askInt(sendSms("0123", "still here", "2024-01-01 12:00:00", "1", "0")), 1);
        EXPECT_EQ(client->askInt("AddCallHistory:" + hex("0123") + "-" + hex("2024-01-01 12:00:01") + "-" + hex("1") +
                                 "-" + hex("5") + ";"),
                  1);
        EXPECT_EQ(client->askInt("DeleteOneCallLog:1;"), 1);
        EXPECT_EQ(client->askInt("SetDefaultMessage;"), 1);
        // A photo whose file is gone is dropped; a long name still gives a record
        // that fits the library's buffer (the title is shortened).
        EXPECT_EQ(client->askInt("flushphotolist;"), 0);
        const std::vector<Record> photo = client->askRecords("getdcimindexinfo:4;");
        ASSERT_EQ(photo.size(), 1u);
        fs::remove(sdcard() / photo[0].at("PATH").substr(std::string("/storage/emulated/0/").size()));
        mobreltest::writeFile(sdcard() / "Images" / (longName + ".png"), "x");
        EXPECT_EQ(client->askInt("addphototodevice:" + hex(longName + ".png") + ";"), 1);
    }
    start(legacyProfile());  // phonesim restarted on the same state folder
    auto client = connect();
    EXPECT_EQ(client->askText("GetDefaultMessage_pkgName;"), "com.android.messaging");
    const std::vector<Record> contacts = client->allRecords("getcontactCount;", "getcontactpart10");
    ASSERT_EQ(contacts.size(), 41u);
    const Record* person = findBy(contacts, "NAME", "Persist Ent");
    ASSERT_NE(person, nullptr);
    EXPECT_EQ(person->at("NOTE"), "kept");
    const std::vector<Record> messages = client->allRecords("getsmsCount;", "getsmsPart10");
    const Record* message = findBy(messages, "BODY", "still here");
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->at("PERSON"), "Persist Ent");
    const std::vector<Record> calls = client->allRecords("getcalllogcount;", "getcalllogpart10");
    EXPECT_EQ(calls.size(), 150u);
    EXPECT_NE(findBy(calls, "DATE", "2024-01-01 12:00:01"), nullptr);
    EXPECT_EQ(findBy(calls, "ID", "1"), nullptr);
    // A new id never repeats one handed out before.
    EXPECT_GT(client->askInt64("AddPerson:" + hex("Next") + ":;"), std::stoll(person->at("CONTACTID")));

    EXPECT_EQ(client->askInt("flushphotolist;"), 0);
    ASSERT_EQ(client->askInt("getdcimcount;"), 30);
    const std::vector<Record> last = client->askRecords("getdcimindexinfo:29;");
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0].at("PATH"), "/storage/emulated/0/Images/" + longName + ".png");
    EXPECT_LT(last[0].at("TILTE").size(), longName.size());
}

}  // namespace
}  // namespace phonesim
