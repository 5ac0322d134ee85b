// The companion in process on a socket pair: names that would leave the upload folder and
// malformed writes are refused (so a library sending them fails there) and change nothing.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "companion/companion.h"
#include "dataset/dataset.h"
#include "device_paths.h"
#include "faults.h"
#include "profile.h"
#include "test_util.h"

namespace phonesim {
namespace {

namespace fs = std::filesystem;
using mobreltest::hex;

// The reply to command as the wire carries it: a 4-byte little-endian length, then a
// little-endian number of that many bytes (4 or 8); -999 and a failure otherwise (or after 10 s).
int64_t ask(int fd, const std::string& command, size_t bytes = 4) {
    std::string reply(4 + bytes, '\0');
    const bool whole = ::send(fd, command.data(), command.size(), MSG_NOSIGNAL) == ssize_t(command.size()) &&
                       ::recv(fd, reply.data(), reply.size(), MSG_WAITALL) == ssize_t(reply.size());
    uint64_t v = 0;
    for (size_t i = reply.size(); i-- > 0;) v = v << 8 | static_cast<uint8_t>(reply[i]);
    if (!whole || (v & 0xFFFFFFFFu) != bytes) {
        ADD_FAILURE() << command;
        return -999;
    }
    v >>= 32;
    return bytes == 4 ? static_cast<int32_t>(static_cast<uint32_t>(v)) : static_cast<int64_t>(v);
}

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
        client = fds[0];
        const timeval tenSeconds{10, 0};
        ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &tenSeconds, sizeof tenSeconds);
    }
    void TearDown() override {
        if (companion) companion->stop();
        if (server.joinable()) server.join();
        if (client >= 0) ::close(client);
    }
    fs::path sdcard() const { return dir.path() / "sdcard"; }

    mobreltest::TempDir dir{"companion-test"};
    Profile profile = legacyProfile();
    DevicePaths paths{dir.path()};
    FaultSwitch faults{dir.path() / "faults.json"};
    std::unique_ptr<Companion> companion;
    std::thread server;
    int client = -1;
};

std::string sendSms(const std::string& date, const std::string& type) {
    return "SendSMS:" + hex("555") + "-" + hex("x") + "-" + hex(date) + "-" + hex("1") + "-2D31-" + hex(type) + ";";
}

TEST_F(CompanionTest, NamesNeverLeaveTheUploadFolder) {
    mobreltest::writeFile(sdcard() / "outside.png", "x");
    for (const std::string& name : std::vector<std::string>{"../outside.png", "..", "sub/x.png", "/etc/passwd", "",
                                                            std::string("a\0b.png", 7), "../../store/contacts.jsonl"}) {
        EXPECT_EQ(ask(client, "checkFileisExist:" + name + ";"), 0) << name;
        EXPECT_EQ(ask(client, "addphototodevice:" + hex(name) + ";"), 0) << name;
    }
    EXPECT_EQ(ask(client, "addphototodevice:ZZ;"), 0);
    EXPECT_EQ(ask(client, "flushphotolist;"), 0);
    EXPECT_EQ(ask(client, "getdcimcount;"), 30);
}

TEST_F(CompanionTest, MalformedWritesAreRefusedAndChangeNothing) {
    const std::string id = std::to_string(ask(client, "AddPerson:" + hex("Zoë") + ":;", 8));
    ASSERT_NE(id, "0");
    EXPECT_EQ(ask(client, "AddPerson::;", 8), 0);
    EXPECT_EQ(ask(client, "AddPerson:4G:;", 8), 0);
    for (const std::string& refused : std::vector<std::string>{
             "UpdatePerson:" + id + ":" + hex("x") + ":SHOESIZE;",
             "UpdatePerson:99999:" + hex("x") + ":NICKNAME;", "UpdatePerson:" + id + ":XZ:NICKNAME;",
             "UpdatePerson:" + id + ":" + hex("Zoë") + ":NAME;", "SendSMS:41-42-43;",
             sendSms("29.02.2024 10:00", "1"), sendSms("2024-02-30 10:00:00", "1"), sendSms("", "7"),
             "AddCallHistory:" + hex("1") + "-" + hex("yesterday") + "-" + hex("2") + "-;",
             "AddCallHistory:" + hex("1") + "-" + hex("") + "-" + hex("9") + "-;", "AddCallHistory:" + hex("1") + "-;",
             "DeleteOnePerson:abc;", "DeleteOnePerson:99999;", "DeleteOneSMS:-1;", "DeleteOneCallLog:0;"}) {
        EXPECT_EQ(ask(client, refused), 0) << refused;
    }
    EXPECT_EQ(ask(client, "getcontactCount;"), 41);
    EXPECT_EQ(ask(client, "getsmsCount;"), 300);
    EXPECT_EQ(ask(client, "getcalllogcount;"), 150);
}

}  // namespace
}  // namespace phonesim
