// How the real adb sees phonesim: listing and states, server restarts, a late
// start, restarts of phonesim, and that the test kit leaves nothing behind.
#include <gtest/gtest.h>

#include <cstdlib>

#include "phonesim_fixture.h"

namespace {

using mobreltest::CommandResult;
using mobreltest::PhoneSim;
using mobreltest::SimOptions;
namespace fs = std::filesystem;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(AdbDevice, ListedAsEmulatorWithItsModelInTheBanner) {
    PhoneSim sim;
    ASSERT_TRUE(sim.start({.props = {{"ro.product.model", "Sim Phone:4;x=y"}}})) << sim.error();
    const CommandResult r = sim.adb({"devices"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.rfind("List of devices attached\n", 0), 0u) << r.out;
    EXPECT_TRUE(contains(r.out, sim.serial() + "\tdevice\n")) << r.out;
    EXPECT_TRUE(sim.port() != 5555 || sim.serial() == "emulator-5554") << sim.serial();
    EXPECT_EQ(sim.adbDevice({"get-state"}).out, "device\n");
    EXPECT_TRUE(contains(sim.adb({"devices", "-l"}).out, "model:Sim_Phone_4_x_y"));  // odd characters replaced
}

TEST(AdbDevice, UnauthorizedAndOfflinePhonesRefuseCommandsAsAdbSays) {
    for (const char* state : {"unauthorized", "offline"}) {
        SCOPED_TRACE(state);
        PhoneSim sim;
        ASSERT_TRUE(sim.start(mobreltest::listedAs(state))) << sim.error();
        const CommandResult shell = sim.adbDevice({"shell", "getprop", "ro.product.model"});
        EXPECT_EQ(shell.exitCode, 1);
        EXPECT_TRUE(contains(shell.err, std::string("error: device ") + state)) << shell.err;
        const CommandResult forward = sim.adbDevice({"forward", "tcp:25803", "tcp:20148"});
        EXPECT_NE(forward.exitCode, 0);
        EXPECT_TRUE(contains(forward.err, state)) << forward.err;
        EXPECT_EQ(sim.deviceState(), state);  // still, after the refusals
    }
}

// What the library's detection does again and again: kill the server, start a
// new one, list. The switches count from the next server connection on.
TEST(AdbDevice, EveryNewServerFindsThePhoneAndReadsTheSwitches) {
    PhoneSim sim;
    ASSERT_TRUE(sim.start()) << sim.error();
    for (int round = 0; round < 5; ++round) {
        phonesim::Faults faults;
        faults.unauthorized = round % 2 == 1;
        sim.setFaults(faults);
        EXPECT_EQ(sim.adb({"kill-server"}).exitCode, 0);
        EXPECT_EQ(sim.adb({"start-server"}).exitCode, 0);
        EXPECT_TRUE(sim.waitForState(faults.unauthorized ? "unauthorized" : "device")) << round << ": " << sim.deviceState();
    }
    EXPECT_EQ(sim.adbDevice({"shell", "getprop", "ro.product.model"}).exitCode, 0);
}

TEST(AdbDevice, PhoneStartedAfterTheServerRegistersItself) {
    PhoneSim sim;
    ASSERT_TRUE(sim.start({.serverFirst = true})) << sim.error();
    EXPECT_EQ(sim.adbDevice({"shell", "echo", "hi"}).out, "hi\n");
}

// The dataset is made once, before phonesim listens; a restart on the same state
// keeps what the phone holds, the dataset and what came later alike.
TEST(AdbDevice, RestartKeepsFilesAndEndsCleanly) {
    PhoneSim sim;
    ASSERT_TRUE(sim.start({.dataset = "small"})) << sim.error();
    const size_t datasetFiles = mobreltest::treeContents(sim.sdcardPath()).size();
    EXPECT_GT(datasetFiles, 0u);
    EXPECT_TRUE(contains(sim.adbDevice({"ls", "/sdcard"}).out, " DCIM\n"));
    mobreltest::writeFile(sim.root() / "keep.txt", "kept across a restart");
    ASSERT_EQ(sim.adbDevice({"push", (sim.root() / "keep.txt").string(), "/sdcard/keep.txt"}).exitCode, 0);
    ASSERT_TRUE(sim.stopPhone()) << "phonesim did not exit 0 on SIGTERM";
    EXPECT_NE(sim.deviceState(), "device");  // the server waits for it to come back
    ASSERT_TRUE(sim.startPhone()) << sim.error();
    ASSERT_TRUE(sim.waitForState("device")) << sim.deviceState();
    ASSERT_EQ(sim.adbDevice({"pull", "/sdcard/keep.txt", (sim.root() / "back.txt").string()}).exitCode, 0);
    EXPECT_EQ(mobreltest::readFile(sim.root() / "back.txt"), "kept across a restart");
    EXPECT_EQ(mobreltest::treeContents(sim.sdcardPath()).size(), datasetFiles + 1);
}

TEST(AdbDevice, KitStopsWhatItStartedAndRestoresTheEnvironment) {
    const char* oldHome = std::getenv("HOME");
    const std::string home = oldHome ? oldHome : "";
    pid_t phone = -1;
    std::vector<pid_t> servers;
    fs::path root;
    {
        PhoneSim sim;
        ASSERT_TRUE(sim.start()) << sim.error();
        phone = sim.phonePid();
        servers = sim.serverPids();
        root = sim.root();
        EXPECT_TRUE(mobreltest::processAlive(phone));
        ASSERT_EQ(servers.size(), 1u);
        EXPECT_EQ(std::string(std::getenv("ANDROID_ADB_SERVER_PORT")), std::to_string(sim.serverPort()));
        EXPECT_EQ(fs::path(std::getenv("HOME")), sim.homePath());
        EXPECT_TRUE(fs::exists(sim.homePath() / ".android")) << "the server's keys belong in the private home";
    }
    EXPECT_FALSE(mobreltest::processAlive(phone));
    for (pid_t pid : servers) EXPECT_FALSE(mobreltest::processAlive(pid)) << pid;
    EXPECT_FALSE(fs::exists(root));
    const char* nowHome = std::getenv("HOME");
    EXPECT_EQ(std::string(nowHome ? nowHome : ""), home);
}

}  // namespace
