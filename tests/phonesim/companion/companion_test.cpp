// The companion service in process, one end of a socket pair on its own thread,
// where the library's end-to-end tests do not go: names that would leave the
// upload folder, and malformed writes, which the phone refuses (so that a
// library writing them fails there) and which change nothing.
#include <gtest/gtest.h>
#include <sys/socket.h>

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
using mobreltest::hex;

// Android 4.3, the small phone: messages may be written without the messaging-app role.
class CompanionTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(generateDataset(dir.path(), "small", error)) << error;
        companion = std::make_unique<Companion>(dir.path(), profile, paths, faults);
        int fds[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
        server = std::thread([this, fd = fds[1]] { companion->serve(fd); });
        client = std::make_unique<mobreltest::Client>(fds[0]);
    }
    void TearDown() override {
        if (companion) companion->stop();
        if (server.joinable()) server.join();
    }
    fs::path sdcard() const { return dir.path() / "sdcard"; }

    mobreltest::TempDir dir{"companion-test"};
    Profile profile = legacyProfile();
    DevicePaths paths{dir.path()};
    FaultSwitch faults{dir.path() / "faults.json"};
    std::unique_ptr<Companion> companion;
    std::thread server;
    std::unique_ptr<mobreltest::Client> client;
};

std::string sendSms(const std::string& date, const std::string& type) {
    return "SendSMS:" + hex("555") + "-" + hex("x") + "-" + hex(date) + "-" + hex("1") + "-2D31-" + hex(type) + ";";
}

TEST_F(CompanionTest, NamesNeverLeaveTheUploadFolder) {
    mobreltest::writeFile(sdcard() / "outside.png", "x");
    for (const std::string& name : {std::string("../outside.png"), std::string(".."), std::string("sub/x.png"),
                                    std::string("/etc/passwd"), std::string(), std::string("a\0b.png", 7),
                                    std::string("../../store/contacts.jsonl")}) {
        EXPECT_EQ(client->askInt("checkFileisExist:" + name + ";"), 0) << name;
        EXPECT_EQ(client->askInt("addphototodevice:" + hex(name) + ";"), 0) << name;
    }
    EXPECT_EQ(client->askInt("addphototodevice:ZZ;"), 0);
    EXPECT_EQ(client->askInt("flushphotolist;"), 0);
    EXPECT_EQ(client->askInt("getdcimcount;"), 30);
}

TEST_F(CompanionTest, MalformedWritesAreRefusedAndChangeNothing) {
    const std::string id = std::to_string(client->askInt64("AddPerson:" + hex("Zoë") + ":;"));
    ASSERT_NE(id, "0");
    EXPECT_EQ(client->askInt64("AddPerson::;"), 0);
    EXPECT_EQ(client->askInt64("AddPerson:4G:;"), 0);
    for (const std::string& refused : std::vector<std::string>{
             "UpdatePerson:" + id + ":" + hex("x") + ":SHOESIZE;",
             "UpdatePerson:99999:" + hex("x") + ":NICKNAME;", "UpdatePerson:" + id + ":XZ:NICKNAME;",
             "UpdatePerson:" + id + ":" + hex("Zoë") + ":NAME;", "SendSMS:41-42-43;",
             sendSms("29.02.2024 10:00", "1"), sendSms("2024-02-30 10:00:00", "1"), sendSms("", "7"),
             "AddCallHistory:" + hex("1") + "-" + hex("yesterday") + "-" + hex("2") + "-;",
             "AddCallHistory:" + hex("1") + "-" + hex("") + "-" + hex("9") + "-;", "AddCallHistory:" + hex("1") + "-;",
             "DeleteOnePerson:abc;", "DeleteOnePerson:99999;", "DeleteOneSMS:-1;", "DeleteOneCallLog:0;"}) {
        EXPECT_EQ(client->askInt(refused), 0) << refused;
    }
    EXPECT_EQ(client->askInt("getcontactCount;"), 41);
    EXPECT_EQ(client->askInt("getsmsCount;"), 300);
    EXPECT_EQ(client->askInt("getcalllogcount;"), 150);
}

}  // namespace
}  // namespace phonesim
