// The service channel on 127.0.0.1:25803 with the stand-in adb first on PATH (it
// records the forwards and starts no server): what the phone tests cannot make happen.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "channel.h"
#include "test_support.h"

using namespace mobrel;
using namespace mobrel::test;

namespace {

class Channel : public ::testing::Test {
protected:
    // Port 25803 is the machine's: another run's forward must not answer here.
    static void SetUpTestSuite() { machineLock = takeMachineLock(); }
    static void TearDownTestSuite() { ::close(machineLock); }
    void SetUp() override {
        ASSERT_GE(machineLock, 0);
        ASSERT_GE(port = bindLoopback(kServicePort, 120000), 0);  // refuses connects until it listens
    }
    void TearDown() override { ::close(port); }

    inline static int machineLock = -1;
    int port = -1;
    StandInAdb adb;
    ServiceChannel channel;
};

}  // namespace

// A length below zero from the phone is an empty reply, never a size to read.
TEST_F(Channel, NegativeLengthIsAnEmptyReply) {
    ASSERT_EQ(listen(port, 1), 0);
    std::thread phone([this] {
        const int fd = accept(port, nullptr, nullptr);
        char c = 0;
        while (c != ';' && recv(fd, &c, 1, 0) == 1) {
        }
        const int32_t length = -123;  // little-endian on this machine, as on the wire
        send(fd, &length, sizeof length, MSG_NOSIGNAL);
        while (recv(fd, &c, 1, 0) > 0) {  // until the channel closes
        }
        ::close(fd);
    });
    char buffer[8];
    std::memset(buffer, 0x55, sizeof buffer);
    EXPECT_EQ(channel.send("getsmsCount;", buffer, sizeof buffer, nullptr, 0, 0), 0);
    EXPECT_EQ(std::string(buffer, 5), std::string("\0\0\0\0\x55", 5));
    channel.close();
    phone.join();
}

// No companion: one connect, no retries. A serial is adb's text: one argument of the forward whatever it holds.
TEST_F(Channel, NoCompanionFailsAtOnceAndTheForwardNamesTheDevice) {
    char buffer[16];
    EXPECT_EQ(channel.send("getvideocount;", buffer, sizeof buffer, nullptr, 0, 0), -1);
    const std::string odd = "R58 \"x\"; $(id) `id`\\";
    channel.setDeviceSerial(odd);
    EXPECT_EQ(channel.open(), -1);
    const std::string removeAll = "[shell] [forward] [--remove-all]", forward = "[forward] [tcp:25803] [tcp:20148]";
    EXPECT_EQ(adb.runs(), (std::vector<std::string>{removeAll, forward, removeAll, "[-s] [" + odd + "] " + forward}));
}
