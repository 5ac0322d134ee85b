// The fault switches of the companion and its behaviour on hostile input.
#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "service_client.h"

namespace phonesim::test {
namespace {

using Clock = std::chrono::steady_clock;

class FaultsTest : public CompanionTest {
protected:
    void SetUp() override {
        CompanionTest::SetUp();
        start();
    }
};

TEST_F(FaultsTest, HandshakeFaults) {
    Faults faults;
    faults.handshake = "silent";
    setFaults(faults);
    {
        auto client = connect();
        client->send("hello-manager;");
        EXPECT_TRUE(client->silentFor(300));
        // The silent companion keeps reading: the next command gets the next reply.
        EXPECT_EQ(client->askInt("getcontactCount;"), 40);
    }
    faults.handshake = "wrong";
    setFaults(faults);
    {
        auto client = connect();
        EXPECT_EQ(client->askText("hello-manager;"), "HELLO");
    }
    faults.handshake = "close";
    setFaults(faults);
    auto client = connect();
    client->send("hello-manager;");
    EXPECT_TRUE(client->closedByPeer());
}

TEST_F(FaultsTest, DelayHoldsEveryReplyBack) {
    Faults faults;
    faults.delayMs = 400;
    setFaults(faults);
    auto client = connect();
    auto begin = Clock::now();
    EXPECT_EQ(client->askText("hello-manager;"), "HI-PC");
    EXPECT_EQ(client->askInt("getsmsCount;"), 300);
    EXPECT_GE(Clock::now() - begin, std::chrono::milliseconds(800));
    // Switched off while connected: the file is read again.
    setFaults(Faults{});
    begin = Clock::now();
    EXPECT_EQ(client->askText("hello-manager;"), "HI-PC");
    EXPECT_LT(Clock::now() - begin, std::chrono::milliseconds(400));
}

TEST_F(FaultsTest, DropAfterClosesBeforeTheKthReply) {
    Faults faults;
    faults.dropAfter = 3;
    setFaults(faults);
    auto client = connect();
    EXPECT_EQ(client->askText("hello-manager;"), "HI-PC");
    EXPECT_EQ(client->askInt("getcontactCount;"), 40);
    client->send("AddPerson:" + hex("Never") + ":;");
    EXPECT_FALSE(client->reply().has_value());
    setFaults(Faults{});
    auto again = connect();
    EXPECT_EQ(again->askInt("getcontactCount;"), 40);  // the dropped command was not carried out
}

TEST_F(FaultsTest, BadRepliesSpoilOnlyTheChosenCommand) {
    Faults faults;
    faults.badCommand = "getsmsPart10";
    faults.badReply = "garbage";
    setFaults(faults);
    {
        auto client = connect();
        std::optional<std::string> body = client->ask("getsmsPart10:0;");
        ASSERT_TRUE(body && !body->empty());
        EXPECT_FALSE(parseRecords(*body).has_value()) << *body;
        EXPECT_EQ(client->askRecords("getcalllogpart10:0;").size(), 5u);
        EXPECT_EQ(client->askRecords("getcontactpart10:0;").size(), 5u);
    }
    faults.badReply = "short";
    setFaults(faults);
    {
        auto client = connect();
        std::optional<std::string> body = client->ask("getsmsPart10:0;");
        ASSERT_TRUE(body);
        EXPECT_EQ(body->size(), 1u);
        EXPECT_EQ(client->askText("hello-manager;"), "HI-PC");
    }
    faults.badReply = "overlong";
    setFaults(faults);
    auto client = connect();
    client->send("getsmsPart10:0;");
    std::string prefix = client->receive(4);
    ASSERT_EQ(prefix.size(), 4u);
    uint32_t length = static_cast<uint8_t>(prefix[0]) | static_cast<uint8_t>(prefix[1]) << 8 |
                      static_cast<uint8_t>(prefix[2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(prefix[3])) << 24;
    EXPECT_EQ(length, 100000000u);
    std::string rest = client->receive(1000);  // a few bytes, then the end
    EXPECT_GT(rest.size(), 0u);
    EXPECT_LT(rest.size(), 100u);
}

TEST_F(FaultsTest, BadAfterSpoilsTheCommandOnlyOnceItWasAnsweredEnough) {
    Faults faults;
    faults.badCommand = "getsmsPart10";
    faults.badReply = "short";
    faults.badAfter = 2;
    setFaults(faults);
    auto client = connect();
    EXPECT_EQ(client->askRecords("getsmsPart10:0;").size(), 5u);
    EXPECT_EQ(client->askRecords("getsmsPart10:5;").size(), 5u);
    EXPECT_EQ(client->ask("getsmsPart10:10;")->size(), 1u);
    auto retry = connect();  // a client's retry on a new connection fails too
    EXPECT_EQ(retry->ask("getsmsPart10:10;")->size(), 1u);
    companion->reset();  // a fresh install counts again
    EXPECT_EQ(retry->askRecords("getsmsPart10:0;").size(), 5u);
}

TEST_F(FaultsTest, StopEndsEveryConnectionPromptly) {
    Faults faults;
    faults.handshake = "silent";
    setFaults(faults);
    auto waiting = connect();
    waiting->send("hello-manager;");
    faults.handshake = "answer";
    faults.delayMs = 60000;
    setFaults(faults);
    auto delayed = connect();
    delayed->send("hello-manager;");
    EXPECT_TRUE(delayed->silentFor(200));
    auto begin = Clock::now();
    companion->stop();
    EXPECT_TRUE(waiting->closedByPeer());
    EXPECT_TRUE(delayed->closedByPeer());
    for (std::thread& t : servers) t.join();
    servers.clear();
    EXPECT_LT(Clock::now() - begin, std::chrono::seconds(5));
}

TEST_F(FaultsTest, HostileInputNeverBreaksTheService) {
    // An endless command without ';' is cut off.
    {
        auto client = connect();
        client->send(std::string(4 * 1024 * 1024 + 4096, 'A'));
        EXPECT_TRUE(client->closedByPeer());
    }
    // Random bytes, NULs, separators and bad hex: every complete command gets a reply.
    uint64_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<unsigned>(seed >> 33);
    };
    const std::vector<std::string> heads = {"SendSMS:", "AddPerson:", "UpdatePerson:", "AddCallHistory:",
                                            "getsmsPart10:", "getdcimindexinfo:", "addphototodevice:",
                                            "checkFileisExist:", "getmusicthumb2:", "DeleteOneSMS:", "", std::string("\0", 1)};
    const std::string alphabet("0123456789ABCDEFabcXYZ-:.;/\0\xff", 30);
    auto client = connect();
    for (int round = 0; round < 400; ++round) {
        std::string command = heads[next() % heads.size()];
        size_t length = next() % 200;
        for (size_t i = 0; i < length; ++i) {
            char c = alphabet[next() % alphabet.size()];
            if (c != ';') command += c;
        }
        command += ';';
        EXPECT_TRUE(client->ask(command).has_value()) << "round " << round;
    }
    EXPECT_EQ(client->askText("hello-manager;"), "HI-PC");
    EXPECT_GE(client->askInt("getcontactCount;"), 40);
}

}  // namespace
}  // namespace phonesim::test
