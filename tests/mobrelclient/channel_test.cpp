// The service channel against a companion stand-in listening on 127.0.0.1:25803,
// with the stand-in adb first on PATH (it records the forward commands and
// starts no adb server).
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>

#include "channel.h"
#include "loopback.h"
#include "test_support.h"

using namespace mobrel;
using namespace mobrel::test;

namespace {

std::string le32(int32_t v) { return mobreltest::le32Bytes(static_cast<uint32_t>(v)); }

std::string le64(int64_t v) {
    return le32(static_cast<int32_t>(v & 0xFFFFFFFF)) + le32(static_cast<int32_t>(static_cast<uint64_t>(v) >> 32));
}

std::string framed(const std::string& body) { return le32(static_cast<int32_t>(body.size())) + body; }

// Bound to 127.0.0.1:25803, waiting while another test on this machine holds the port.
int bindServicePort() { return mobreltest::bindLoopback(mobreltest::kServicePort, 120000); }

struct Reply {
    std::string bytes;
    bool close = false;  // drop the connection after writing
};

// The companion app's side: reads commands (text up to ";") and answers each.
// It serves one connection after the other: the library replaces its
// connection, it never holds two.
class CompanionStandIn {
public:
    using Responder = std::function<Reply(const std::string& command, int connection)>;

    explicit CompanionStandIn(Responder responder) : responder_(std::move(responder)) {
        listenFd_ = bindServicePort();
        if (listenFd_ < 0 || listen(listenFd_, 16) != 0) throw std::runtime_error("port 25803 is taken");
        thread_ = std::thread([this] {
            for (int index = 0; !stop_;) {
                if (readable(listenFd_)) serve(accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC), index++);
            }
        });
    }

    ~CompanionStandIn() {
        stop_ = true;
        thread_.join();
        close(listenFd_);
    }

    // Connections accepted so far, and those the library closed (or that ended
    // on our side), after letting the stand-in catch up.
    int connections() { return settled(connectionCount_); }
    int ended() { return settled(endedCount_); }
    std::vector<std::string> commands() {
        std::lock_guard<std::mutex> g(mutex_);
        return commands_;
    }
    // Bytes that arrived without a closing ";".
    std::string stray() {
        std::lock_guard<std::mutex> g(mutex_);
        return stray_;
    }

private:
    int settled(const int& count) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::lock_guard<std::mutex> g(mutex_);
        return count;
    }

    // Waits a moment for a byte or a connection, so that the destructor is never kept waiting.
    bool readable(int fd) {
        pollfd p {fd, POLLIN, 0};
        return poll(&p, 1, 50) > 0;
    }

    void serve(int fd, int index) {
        if (fd < 0) return;
        {
            std::lock_guard<std::mutex> g(mutex_);
            ++connectionCount_;
        }
        std::string command;
        char c;
        while (!stop_) {
            if (!readable(fd)) continue;
            if (recv(fd, &c, 1, 0) != 1) break;
            command += c;
            if (c != ';') continue;
            {
                std::lock_guard<std::mutex> g(mutex_);
                commands_.push_back(command);
            }
            const Reply reply = responder_(command, index);
            command.clear();
            send(fd, reply.bytes.data(), reply.bytes.size(), MSG_NOSIGNAL);
            if (reply.close) break;
        }
        std::lock_guard<std::mutex> g(mutex_);
        ++endedCount_;
        stray_ += command;
        shutdown(fd, SHUT_RDWR);
        close(fd);
    }

    Responder responder_;
    int listenFd_ = -1;
    std::atomic<bool> stop_ {false};
    std::thread thread_;
    std::mutex mutex_;
    int connectionCount_ = 0;
    int endedCount_ = 0;
    std::vector<std::string> commands_;
    std::string stray_;
};

const std::string kRemoveAll = "[shell] [forward] [--remove-all]";
const std::string kForward = "[forward] [tcp:25803] [tcp:20148]";

class Channel : public ::testing::Test {
protected:
    // Port 25803 is the machine's: another run's forward must not answer here.
    static void SetUpTestSuite() { machineLock = mobreltest::takeMachineLock(); }
    static void TearDownTestSuite() { ::close(machineLock); }
    void SetUp() override { ASSERT_GE(machineLock, 0); }

    inline static int machineLock = -1;
    StandInAdb adb;
    ServiceChannel channel;

    int send(const std::string& command, char* buffer, int size) {
        return channel.send(command.c_str(), buffer, size, nullptr, 0, 0);
    }
};

}  // namespace

TEST_F(Channel, RepliesOfEveryKind) {
    CompanionStandIn phone([](const std::string& command, int) {
        if (command == "getsmsCount;") return Reply {le32(0)};
        if (command == "getcontactCount;") return Reply {framed(le32(-123456))};
        if (command == "AddPerson:416E6E61:;") return Reply {framed(le64(0x0102030405060708))};
        if (command == "hello-manager;") return Reply {framed("HI-PC")};
        return Reply {le32(-1)};
    });
    // An empty reply (also a negative length) gives 0 and a zero integer in the buffer.
    const std::pair<const char*, std::string> cases[] = {
        {"getsmsCount;", le32(0)}, {"negative;", le32(0)}, {"getcontactCount;", le32(-123456)},
        {"AddPerson:416E6E61:;", le64(0x0102030405060708)}, {"hello-manager;", "HI-PC"}};
    for (const auto& [command, body] : cases) {
        char buffer[1024];
        std::memset(buffer, 0x55, sizeof buffer);
        const bool empty = body == le32(0);
        EXPECT_EQ(send(command, buffer, body.size() == 8 ? 8 : sizeof buffer), empty ? 0 : static_cast<int>(body.size()))
            << command;
        EXPECT_EQ(std::string(buffer, body.size() + 1), body + "\x55") << command;
    }

    EXPECT_EQ(phone.connections(), 1);
    EXPECT_EQ(adb.runs(), (std::vector<std::string> {kRemoveAll, kForward}));
}

TEST_F(Channel, ReplyLongerThanTheBufferIsTriedThreeTimesThenFails) {
    CompanionStandIn phone([](const std::string&, int) { return Reply {framed(std::string(2000, 'x'))}; });
    char buffer[1024];
    EXPECT_EQ(send("getdcimindexinfo:777;", buffer, sizeof buffer), -1);

    EXPECT_EQ(phone.commands(), std::vector<std::string>(3, "getdcimindexinfo:777;"));
    EXPECT_EQ(phone.connections(), 4);  // the first connect and one reconnect after each try
    std::vector<std::string> expected;
    for (int i = 0; i < 4; ++i) expected.insert(expected.end(), {kRemoveAll, kForward});
    EXPECT_EQ(adb.runs(), expected);
}

TEST_F(Channel, PeerClosingMidBodyOrMidLengthIsRetriedOnANewConnection) {
    CompanionStandIn phone([](const std::string&, int connection) {
        if (connection == 0) return Reply {le32(10) + "abcd", true};
        if (connection == 1) return Reply {std::string("\x04\x00", 2), true};
        return Reply {framed("abcdefghij")};
    });
    char buffer[1024] = {};
    EXPECT_EQ(send("getfilepathForid:5;", buffer, sizeof buffer), 10);
    EXPECT_EQ(std::string(buffer, 10), "abcdefghij");
    EXPECT_EQ(phone.connections(), 3);
}

TEST_F(Channel, EmptyCommandsPayloadsAndOpeningAgain) {
    CompanionStandIn phone([](const std::string& command, int) {
        return command == "put;" ? Reply {} : Reply {framed(le32(9))};
    });
    // An empty command: nothing is sent.
    char buffer[16] = {};
    EXPECT_EQ(send("", buffer, sizeof buffer), -1);
    EXPECT_EQ(channel.send(nullptr, buffer, sizeof buffer, nullptr, 0, 0), -1);
    // A payload follows the command text: the stand-in reads up to each ";", so it shows as a second text.
    const char payload[] = "BYTES;";
    EXPECT_EQ(channel.send("put;", buffer, sizeof buffer, payload, 6, 0), 4);
    EXPECT_EQ(buffer[0], 9);
    EXPECT_EQ(phone.commands(), (std::vector<std::string> {"put;", "BYTES;"}));  // the first bytes the phone sees

    // Opening again closes the first connection; it does not leave it behind.
    EXPECT_EQ(channel.open(), 0);
    EXPECT_EQ(phone.connections(), 2);
    EXPECT_EQ(phone.ended(), 1);
    EXPECT_EQ(phone.stray(), "");
    EXPECT_EQ(send("getappcount;", buffer, sizeof buffer), 4);
}

TEST_F(Channel, NoCompanionListeningFailsAfterOneConnect) {
    const int reserved = bindServicePort();  // bound, not listening: connects are refused
    ASSERT_GE(reserved, 0);
    char buffer[16];
    EXPECT_EQ(send("getvideocount;", buffer, sizeof buffer), -1);
    close(reserved);
    EXPECT_EQ(adb.runs(), (std::vector<std::string> {kRemoveAll, kForward}));
}

TEST_F(Channel, ForwardNamesTheCurrentDevice) {
    CompanionStandIn phone([](const std::string&, int) { return Reply {framed(le32(1))}; });
    channel.setDeviceSerial("emulator-5554");
    char buffer[16];
    EXPECT_EQ(send("getmusiccount;", buffer, sizeof buffer), 4);

    // A serial is adb's text, not ours: it stays one argument whatever it holds.
    const std::string odd = "R58 \"x\"; $(id) `id`\\";
    channel.close();
    channel.setDeviceSerial(odd);
    EXPECT_EQ(channel.open(), 0);
    EXPECT_EQ(adb.runs(), (std::vector<std::string> {kRemoveAll, "[-s] [emulator-5554] " + kForward, kRemoveAll,
                                                     "[-s] [" + odd + "] " + kForward}));
}
