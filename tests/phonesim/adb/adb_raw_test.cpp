// The transport seen from a bare host that sends what adb never would:
// malformed packets, unknown ids, abuse of sync, a flood that ignores flow
// control. phonesim must survive all of it and write nothing outside its trees.
#include <gtest/gtest.h>
#include <unistd.h>

#include <random>

#include "loopback.h"
#include "phonesim_fixture.h"

namespace {

using mobreltest::le32Bytes;
using mobreltest::PhoneSim;
using mobreltest::readLe32;
namespace fs = std::filesystem;

uint32_t id4(const char (&text)[5]) { return readLe32(std::string(text, 4), 0); }

struct RawPacket {
    uint32_t command = 0, arg0 = 0, arg1 = 0;
    std::string data;
};

// A host that speaks adb's transport protocol to phonesim's port itself, with
// packets built here, independent of phonesim's code.
class RawHost {
public:
    ~RawHost() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool connect(int port) { return (fd_ = mobreltest::connectLoopback(port)) >= 0; }
    bool send(const std::string& bytes) { return mobreltest::sendAll(fd_, bytes); }
    bool sendPacket(uint32_t command, uint32_t arg0, uint32_t arg1, const std::string& data) {
        return send(le32Bytes(command) + le32Bytes(arg0) + le32Bytes(arg1) + le32Bytes(static_cast<uint32_t>(data.size())) +
                    le32Bytes(0) + le32Bytes(~command) + data);
    }
    // One packet; false on time-out, close or a malformed header.
    bool read(RawPacket& out, int timeoutMs = 5000) {
        std::string header(24, '\0');
        if (!mobreltest::recvExact(fd_, header.data(), header.size(), timeoutMs)) return false;
        out.command = readLe32(header, 0);
        out.arg0 = readLe32(header, 4);
        out.arg1 = readLe32(header, 8);
        const uint32_t length = readLe32(header, 12);
        if (readLe32(header, 20) != ~out.command || length > (1u << 20)) return false;
        out.data.assign(length, '\0');
        return length == 0 || mobreltest::recvExact(fd_, out.data.data(), length, timeoutMs);
    }
    // CNXN with this packet size; true when the phone answered CNXN.
    bool handshake(uint32_t maxData, RawPacket& reply) {
        return sendPacket(id4("CNXN"), 0x01000001, maxData, std::string("host::features=shell_v2,cmd,stat_v2,ls_v2") + '\0') &&
               read(reply) && reply.command == id4("CNXN");
    }
    // OPEN the service as stream localId: the phone's stream id, 0 when refused.
    uint32_t open(uint32_t localId, const std::string& service) {
        RawPacket reply;
        if (!sendPacket(id4("OPEN"), localId, 0, service + '\0') || !read(reply) || reply.arg1 != localId) return 0;
        return reply.command == id4("OKAY") ? reply.arg0 : 0;
    }
    bool closedByPhone() { return mobreltest::waitClosed(fd_, 5000); }

private:
    int fd_ = -1;
};

const uint32_t OKAY = id4("OKAY");
const uint32_t WRTE = id4("WRTE");
const uint32_t CLSE = id4("CLSE");

std::string syncRequest(const char (&id)[5], const std::string& path) {
    return std::string(id, 4) + le32Bytes(static_cast<uint32_t>(path.size())) + path;
}

// The phone's packets on one stream until a CLSE or nothing more comes; each WRTE acknowledged.
std::string collect(RawHost& host, uint32_t local, uint32_t remote, bool& closed, int quietMs = 1000) {
    std::string bytes;
    closed = false;
    RawPacket p;
    while (host.read(p, quietMs)) {
        if (p.command == WRTE) {
            bytes += p.data;
            host.sendPacket(OKAY, local, remote, "");
        } else if (p.command == CLSE) {
            closed = true;
            break;
        }
    }
    return bytes;
}

class Raw : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim.start()) << sim.error(); }
    void TearDown() override {
        EXPECT_EQ(sim.adbDevice({"shell", "echo", "alive"}).out, "alive\n");
        EXPECT_TRUE(mobreltest::processAlive(sim.phonePid()));
    }
    PhoneSim sim;
};

TEST_F(Raw, HostileHeadersEndTheConnectionAndUnknownStreamsAreIgnored) {
    std::mt19937 random(7);
    std::string garbage(4096, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    const std::string cnxn = le32Bytes(id4("CNXN")) + le32Bytes(0x01000001) + le32Bytes(4096);
    for (const std::string& input : {garbage, cnxn + le32Bytes(0xffffffff) + le32Bytes(0) + le32Bytes(~id4("CNXN")),
                                     cnxn + le32Bytes(0) + le32Bytes(0) + le32Bytes(0x12345678)}) {
        RawHost host;  // random bytes, a 4 GiB payload, a wrong magic
        ASSERT_TRUE(host.connect(sim.port()));
        host.send(input);
        EXPECT_TRUE(host.closedByPhone());
    }
    RawHost tiny;  // a host offering packets smaller than any adb ever used
    RawPacket p;
    ASSERT_TRUE(tiny.connect(sim.port()));
    EXPECT_FALSE(tiny.handshake(16, p));
    EXPECT_TRUE(tiny.closedByPhone());

    RawHost host;
    ASSERT_TRUE(host.connect(sim.port()));
    ASSERT_TRUE(host.sendPacket(id4("OPEN"), 1, 0, std::string("shell:echo early") + '\0'));
    EXPECT_FALSE(host.read(p, 300)) << "a stream before the connection is up";
    ASSERT_TRUE(host.handshake(256 * 1024, p));
    host.sendPacket(WRTE, 9, 77, "to nowhere");
    host.sendPacket(OKAY, 9, 77, "");
    host.sendPacket(CLSE, 9, 77, "");
    host.sendPacket(id4("SYNC"), 1, 2, "");
    for (const char* service : {"reboot:", "root:", "tcp:20148", "tcp:99999", "tcp:abc", "tcp:", "jdwp:1", "shell,v2"}) {
        ASSERT_TRUE(host.sendPacket(id4("OPEN"), 5, 0, std::string(service) + '\0'));
        ASSERT_TRUE(host.read(p)) << service;
        EXPECT_EQ(p.command, CLSE) << service;
        EXPECT_EQ(p.arg1, 5u) << service;
    }
}

TEST_F(Raw, SyncAbuseFailsAndWritesNothingOutside) {
    RawHost host;
    RawPacket p;
    ASSERT_TRUE(host.connect(sim.port()));
    ASSERT_TRUE(host.handshake(256 * 1024, p));
    auto expectFail = [&](uint32_t local, const std::string& request, const std::string& why) {
        uint32_t remote = host.open(local, "sync:");
        ASSERT_NE(remote, 0u);
        host.sendPacket(WRTE, local, remote, request);
        bool closed = false;
        std::string reply = collect(host, local, remote, closed);
        EXPECT_EQ(reply.substr(0, 4), "FAIL") << why;
        EXPECT_NE(reply.find(why), std::string::npos) << reply;
        EXPECT_TRUE(closed) << why;
    };
    expectFail(1, syncRequest("RECV", std::string(5000, 'a')), "path too long");
    expectFail(2, syncRequest("WHAT", "/sdcard"), "unknown command");
    expectFail(3, syncRequest("SEND", "/sdcard/x.bin,33188") + "DATA" + le32Bytes(100000), "data too long");
    expectFail(4, syncRequest("SEND", "/sdcard/../escaped.bin,33188") + "DATA" + le32Bytes(2) + "hi" + "DONE" + le32Bytes(0),
               "Permission denied");
    expectFail(5, syncRequest("SEND", "/sdcard/link,41471") + "DATA" + le32Bytes(4) + "/etc" + "DONE" + le32Bytes(0),
               "symlink");
    expectFail(6, syncRequest("SEND", "/sdcard/half.bin,33188") + "DATA" + le32Bytes(1) + "h" + "OOPS" + le32Bytes(0),
               "invalid data message");
    EXPECT_FALSE(fs::exists(sim.statePath() / "escaped.bin"));
    EXPECT_FALSE(fs::exists(sim.root() / "escaped.bin"));
    EXPECT_FALSE(fs::exists(sim.sdcardPath() / "link"));
    EXPECT_FALSE(fs::exists(sim.sdcardPath() / "half.bin")) << "a broken push leaves its half file";
    EXPECT_FALSE(fs::exists(sim.sdcardPath() / "x.bin"));
}

TEST_F(Raw, AHostWritingPastFlowControlLosesItsForwardedStream) {
    ASSERT_EQ(sim.adbDevice({"install", PhoneSim::apkPath().string()}).exitCode, 0);
    ASSERT_EQ(sim.adbDevice({"shell", "am", "start", "-n",
                             "com.quenlo.mobrelphone/com.quenlo.mobrelphone.ui.MainActivity"}).exitCode, 0);
    phonesim::Faults slow;
    slow.delayMs = 60000;  // the companion holds its first reply and reads nothing meanwhile
    sim.setFaults(slow);
    RawHost host;
    RawPacket p;
    ASSERT_TRUE(host.connect(sim.port()));
    ASSERT_TRUE(host.handshake(256 * 1024, p));
    const uint32_t remote = host.open(1, "tcp:20148");
    ASSERT_NE(remote, 0u);
    ASSERT_TRUE(host.sendPacket(WRTE, 1, remote, "hello-manager;"));
    // 16 MiB without waiting for a single OKAY: the phone must not keep it all.
    const std::string block(256 * 1024, 'x');
    for (int i = 0; i < 64; ++i) ASSERT_TRUE(host.sendPacket(WRTE, 1, remote, block));
    bool closed = false;
    collect(host, 1, remote, closed, 10000);
    EXPECT_TRUE(closed) << "the stream stays open with the flood buffered";
}

}  // namespace
