// Installing, starting, stopping and removing the companion through the real
// adb, for both profiles, seen from the forwarded service port.
#include <gtest/gtest.h>

#include <fstream>

#include "phonesim_fixture.h"
#include "test_clients.h"

namespace {

using adbtest::companionAnswers;
using adbtest::ServiceClient;
using mobreltest::CommandResult;
using mobreltest::PhoneSim;
namespace fs = std::filesystem;

const std::string kPackage = "com.quenlo.mobrelphone";
const std::string kActivity = "com.quenlo.mobrelphone.ui.MainActivity";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A client of the forwarded port that the phone turns away: the socket closes unanswered.
bool portRefused() {
    ServiceClient client;
    std::string reply;
    if (!client.connect()) return true;
    return !client.request("hello-manager;", reply, 5000);
}

class Packages : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { ASSERT_TRUE(sim.start({.profile = GetParam()})) << sim.error(); }
    bool legacy() const { return GetParam() == "legacy"; }
    CommandResult shell(const std::string& command) { return sim.adbDevice({"shell", command}); }

    PhoneSim sim;
};

// The library's bring-up, command for command (the forwarding commands name no device).
TEST_P(Packages, BringUpOpensTheServicePort) {
    EXPECT_EQ(sim.adbDevice({"shell", "am", "force-stop", kPackage}).exitCode, 0);
    sim.adbDevice({"uninstall", kPackage});
    CommandResult install = sim.adbDevice({"install", PhoneSim::apkPath().string()});
    ASSERT_EQ(install.exitCode, 0) << install.out << install.err;
    EXPECT_TRUE(contains(install.out, "Success")) << install.out;
    CommandResult start = sim.adbDevice({"shell", "am", "start", "-n", kPackage + "/" + kActivity});
    EXPECT_EQ(start.exitCode, 0) << start.err;
    EXPECT_TRUE(contains(start.out, "Starting: Intent { cmp=" + kPackage + "/" + kActivity + " }")) << start.out;
    sim.adb({"shell", "forward", "--remove-all"});
    ASSERT_EQ(sim.adb({"forward", "tcp:25803", "tcp:20148"}).out, "25803\n");
    EXPECT_TRUE(companionAnswers());
    // The legacy install pushes the package to /data/local/tmp and removes it again.
    EXPECT_TRUE(fs::is_empty(sim.statePath() / "tmp"));
}

TEST_P(Packages, ThePortAnswersOnlyWhileTheAppIsInstalledAndStarted) {
    ASSERT_EQ(sim.adbDevice({"forward", "tcp:25803", "tcp:20148"}).exitCode, 0);
    EXPECT_TRUE(portRefused()) << "nothing installed";

    CommandResult start = shell("am start -n " + kPackage + "/.ui.MainActivity");
    EXPECT_TRUE(contains(start.out + start.err, "Error: Activity class {" + kPackage + "/" + kActivity +
                                                    "} does not exist.")) << start.out << start.err;
    EXPECT_EQ(start.exitCode, legacy() ? 0 : 1);
    EXPECT_TRUE(portRefused()) << "start of a missing app";

    ASSERT_EQ(sim.adbDevice({"install", PhoneSim::apkPath().string()}).exitCode, 0);
    EXPECT_TRUE(portRefused()) << "installed, not started";
    CommandResult wrong = shell("am start -n " + kPackage + "/.ui.NoSuchActivity");
    EXPECT_TRUE(contains(wrong.out + wrong.err, "does not exist")) << wrong.out << wrong.err;
    EXPECT_TRUE(portRefused()) << "wrong activity";

    ASSERT_EQ(shell("am start -n " + kPackage + "/.ui.MainActivity").exitCode, 0);
    ServiceClient held;
    std::string reply;
    ASSERT_TRUE(held.connect());
    ASSERT_TRUE(held.request("hello-manager;", reply));
    EXPECT_EQ(reply, "HI-PC");

    EXPECT_EQ(shell("am force-stop " + kPackage).exitCode, 0);
    EXPECT_TRUE(held.closedByPeer()) << "force-stop leaves a connection open";
    EXPECT_TRUE(portRefused()) << "after force-stop";

    ASSERT_EQ(shell("am start -n " + kPackage + "/" + kActivity).exitCode, 0);
    EXPECT_TRUE(companionAnswers()) << "started again";

    CommandResult uninstall = sim.adbDevice({"uninstall", kPackage});
    EXPECT_EQ(uninstall.exitCode, 0);
    EXPECT_TRUE(contains(uninstall.out, "Success")) << uninstall.out;
    EXPECT_TRUE(portRefused()) << "after uninstall";
    uninstall = sim.adbDevice({"uninstall", kPackage});
    EXPECT_TRUE(contains(uninstall.out, "Failure [DELETE_FAILED_INTERNAL_ERROR]")) << uninstall.out;
    EXPECT_EQ(uninstall.exitCode, legacy() ? 0 : 1);
}

TEST_P(Packages, EmptyOrForeignPackagesFailToInstall) {
    fs::path empty = sim.root() / "empty.apk";
    fs::path text = sim.root() / "notes.apk";
    std::ofstream(empty).close();
    std::ofstream(text) << "package=\"com.other.app\" is not the companion";
    for (const fs::path& apk : {empty, text}) {
        CommandResult r = sim.adbDevice({"install", apk.string()});
        if (legacy()) {  // push install without the shell protocol: adb says 0 whatever pm printed
            EXPECT_EQ(r.exitCode, 0);
            EXPECT_TRUE(contains(r.out, "Failure [INSTALL_PARSE_FAILED_NOT_APK")) << r.out;
        } else {
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_TRUE(contains(r.err, "adb: failed to install " + apk.string() + ": Failure [INSTALL_PARSE_FAILED_NOT_APK"))
                << r.err;
        }
        EXPECT_EQ(shell("am start -n " + kPackage + "/.ui.MainActivity").exitCode, legacy() ? 0 : 1) << apk;
    }
    ASSERT_EQ(sim.adbDevice({"forward", "tcp:25803", "tcp:20148"}).exitCode, 0);
    EXPECT_TRUE(portRefused());
    CommandResult missing = sim.adbDevice({"install", (sim.root() / "missing.apk").string()});
    EXPECT_NE(missing.exitCode, 0);
}

TEST_P(Packages, OtherPortsAreRefused) {
    ASSERT_EQ(sim.adbDevice({"install", PhoneSim::apkPath().string()}).exitCode, 0);
    ASSERT_EQ(shell("am start -n " + kPackage + "/.ui.MainActivity").exitCode, 0);
    ASSERT_EQ(sim.adbDevice({"forward", "tcp:25803", "tcp:20149"}).exitCode, 0);
    EXPECT_TRUE(portRefused());
}

// SIGTERM while the app serves a client and the host holds streams open: all
// threads end and phonesim exits 0 (under the sanitizers: with nothing leaked).
TEST_P(Packages, PhoneEndsCleanlyWhileServing) {
    ASSERT_EQ(sim.adbDevice({"install", PhoneSim::apkPath().string()}).exitCode, 0);
    ASSERT_EQ(shell("am start -n " + kPackage + "/.ui.MainActivity").exitCode, 0);
    ASSERT_EQ(sim.adbDevice({"forward", "tcp:25803", "tcp:20148"}).exitCode, 0);
    ServiceClient idle;
    ServiceClient talking;
    std::string reply;
    ASSERT_TRUE(idle.connect());
    ASSERT_TRUE(talking.connect());
    ASSERT_TRUE(talking.request("hello-manager;", reply));
    EXPECT_TRUE(sim.stopPhone()) << "phonesim did not exit 0 on SIGTERM";
    EXPECT_TRUE(talking.closedByPeer());
}

INSTANTIATE_TEST_SUITE_P(Profiles, Packages, ::testing::Values("modern", "legacy"));

}  // namespace
