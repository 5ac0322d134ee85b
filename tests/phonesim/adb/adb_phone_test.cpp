// The phone through the real adb: how adb lists it (states, server restarts,
// restarts of phonesim, and that the test kit leaves nothing behind); then for both profiles its shell (properties, quoting, commands a
// phone does not have, paths that leave its trees), push and pull, and
// installing, starting and stopping the companion as seen from the forwarded
// service port.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "phonesim_fixture.h"
#include "profile.h"
#include "service_client.h"

namespace {

using mobreltest::Client;
using mobreltest::CommandResult;
using mobreltest::PhoneSim;
using mobreltest::readFile;
using mobreltest::writeFile;
namespace fs = std::filesystem;

const std::string kPackage = "com.quenlo.mobrelphone";
const std::string kActivity = "com.quenlo.mobrelphone.ui.MainActivity";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The forwarded port answers the handshake.
bool companionAnswers() {
    auto client = Client::connect();
    return client && client->ask("hello-manager;") == std::optional<std::string>("HI-PC");
}

TEST(AdbDevice, ListedAsEmulatorWithItsModelInTheBanner) {
    PhoneSim sim;
    ASSERT_TRUE(sim.start({.props = {{"ro.product.model", "Sim Phone:4;x=y"}}})) << sim.error();
    const CommandResult r = sim.adb({"devices"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.rfind("List of devices attached\n", 0), 0u) << r.out;
    EXPECT_TRUE(contains(r.out, sim.serial() + "\tdevice\n")) << r.out;
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

// The dataset is made once, before phonesim listens; a restart on the same state
// keeps what the phone holds, the dataset and what came later alike, and the
// phone started again registers itself with the server that runs.
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

class Phone : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.start({.profile = GetParam()})) << sim.error();
        local = sim.root() / "local";
        fs::create_directories(local);
    }
    bool legacy() const { return GetParam() == "legacy"; }
    // An old phone's shell runs in a pty: CR LF line ends.
    std::string line(const std::string& text) const { return text + (legacy() ? "\r\n" : "\n"); }
    CommandResult shell(const std::string& command) { return sim.adbDevice({"shell", command}); }
    CommandResult push(const fs::path& from, const std::string& to) { return sim.adbDevice({"push", from.string(), to}); }
    CommandResult pull(const std::string& from, const fs::path& to) { return sim.adbDevice({"pull", from, to.string()}); }
    CommandResult install(const fs::path& apk) { return sim.adbDevice({"install", apk.string()}); }
    CommandResult startApp(const std::string& activity = ".ui.MainActivity") {
        return shell("am start -n " + kPackage + "/" + activity);
    }
    CommandResult forward() { return sim.adbDevice({"forward", "tcp:25803", "tcp:20148"}); }
    // A failed command's exit code: an old phone's adb has no shell protocol to carry it.
    int failed() const { return legacy() ? 0 : 1; }

    PhoneSim sim;
    fs::path local;
};

TEST_P(Phone, GetpropAnswersTheProfileValues) {
    phonesim::Profile profile;
    ASSERT_TRUE(phonesim::profileByName(GetParam(), profile));
    for (const char* key : {"ro.build.version.release", "ro.product.model", "ro.product.manufacturer", "ro.build.PDA"}) {
        ASSERT_FALSE(profile.property(key).empty()) << key;
        // As the library's command text " -s %s shell  getprop  KEY" splits into words,
        // with its blanks kept in one argument, and quoted.
        const CommandResult r = sim.adbDevice({"shell", "getprop", key});
        EXPECT_EQ(r.exitCode, 0) << key;
        EXPECT_EQ(r.out, line(profile.property(key))) << key;
        EXPECT_EQ(shell(std::string(" getprop  ") + key).out, line(profile.property(key))) << key;
        EXPECT_EQ(shell(std::string("getprop '") + key + "'").out, line(profile.property(key))) << key;
    }
    EXPECT_EQ(sim.adbDevice({"shell", "getprop", "no.such.property"}).out, line(""));
}

TEST_P(Phone, UnknownCommandAnswersLikeThePhonesShellAndLeavesForwardsAlone) {
    ASSERT_EQ(forward().exitCode, 0);
    const CommandResult r = sim.adbDevice({"shell", "forward", "--remove-all"});
    const std::string text = "/system/bin/sh: forward: inaccessible or not found";
    if (legacy()) {
        EXPECT_EQ(r.exitCode, 0);  // no exit codes without the shell protocol
        EXPECT_EQ(r.out, line(text));
    } else {
        EXPECT_EQ(r.exitCode, 127);
        EXPECT_EQ(r.err, text + "\n");
        EXPECT_EQ(r.out, "");
    }
    EXPECT_TRUE(contains(sim.adb({"forward", "--list"}).out, sim.serial() + " tcp:25803 tcp:20148")) << "forward gone";
}

TEST_P(Phone, ShellReadsQuotesAndWorksInsideTheTreesOnly) {
    EXPECT_EQ(shell("echo \"a  b\" 'c  d' e\\ f </dev/null 2>&1").out, line("a  b c  d e f"));
    EXPECT_EQ(shell("echo 'unterminated").exitCode, failed());

    ASSERT_EQ(shell("mkdir '/sdcard/New Dir'").exitCode, 0);
    EXPECT_TRUE(fs::is_directory(sim.sdcardPath() / "New Dir"));
    writeFile(sim.sdcardPath() / "it's here.txt", "x");
    const CommandResult r = shell("rm '/sdcard/it'\\''s here.txt' </dev/null");  // adb's own form of rm
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_FALSE(fs::exists(sim.sdcardPath() / "it's here.txt"));
    EXPECT_EQ(shell("rm -f /sdcard/never-there.txt").out, "");

    // Leaving the tree, or removing a tree itself, is refused and removes nothing.
    writeFile(sim.root() / "outside.txt", "stays");
    writeFile(sim.sdcardPath() / "inside.txt", "stays");
    for (const char* path : {"/sdcard/../../outside.txt", "/sdcard", "/sdcard/", "/data/local/tmp", "/", "/etc"}) {
        const CommandResult refused = sim.adbDevice({"shell", "rm", "-rf", path});
        EXPECT_TRUE(contains(refused.out + refused.err, "Permission denied")) << path;
        EXPECT_EQ(refused.exitCode, failed()) << path;
    }
    EXPECT_TRUE(fs::exists(sim.root() / "outside.txt"));
    EXPECT_TRUE(fs::exists(sim.sdcardPath() / "inside.txt"));
    ASSERT_EQ(shell("rm -r '/sdcard/New Dir'").exitCode, 0);
    EXPECT_FALSE(fs::exists(sim.sdcardPath() / "New Dir"));
}

TEST_P(Phone, FilesOfAnySizeAndNameGoThereAndBackUnchanged) {
    std::mt19937 random(42);
    std::string big(5 * 1024 * 1024 + 7, '\0');
    for (char& c : big) c = static_cast<char>(random() & 0xff);
    const std::vector<std::string> names = {"big.bin", "a b.txt", "it's \"quoted\".txt", "Ünïcödé 日本語 🎉.txt",
                                            "semi;colon$x`.txt"};
    for (size_t i = 0; i < names.size(); ++i) {  // 5 MiB of random bytes, an empty file, awkward names
        const std::string content = i == 0 ? big : i == 1 ? std::string() : "content " + names[i];
        writeFile(local / names[i], content);
        ASSERT_EQ(push(local / names[i], "/sdcard/Odd/" + names[i]).exitCode, 0) << names[i];
        EXPECT_TRUE(readFile(sim.sdcardPath() / "Odd" / names[i]) == content) << names[i] << ": stored bytes differ";
        ASSERT_EQ(pull("/storage/emulated/0/Odd/" + names[i], local / "back").exitCode, 0) << names[i];
        EXPECT_TRUE(readFile(local / "back") == content) << names[i] << ": pulled bytes differ";
    }
    ASSERT_EQ(push(local / names[2], "/data/local/tmp/t.bin").exitCode, 0);
    EXPECT_EQ(readFile(sim.statePath() / "tmp" / "t.bin"), "content " + names[2]);

    // Missing files are reported as adb does; a target ending in "/" names a folder, never a file.
    CommandResult r = pull("/sdcard/nothing.here", local / "x");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(contains(r.out + r.err, "nothing.here")) << r.out << r.err;
    EXPECT_FALSE(fs::exists(local / "x"));
    r = push(local / names[2], "/sdcard/NewDir/sub/");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(contains(r.out + r.err, "remote couldn't create file: Is a directory")) << r.out << r.err;
    EXPECT_FALSE(fs::exists(sim.sdcardPath() / "NewDir" / "sub"));
}

TEST_P(Phone, PathsLeavingTheTreesAreRefusedAndNothingIsWrittenOutside) {
    const fs::path outside = sim.root() / "outside";
    writeFile(outside / "secret.txt", "secret");
    fs::create_directory_symlink(outside, sim.sdcardPath() / "link");
    fs::create_symlink(outside / "planted.txt", sim.sdcardPath() / "dangling");  // its target does not exist yet
    writeFile(local / "evil.txt", "evil");
    for (const char* target : {"/sdcard/../evil.txt", "/sdcard/../../evil.txt", "/data/local/tmp/../../../evil.txt",
                               "/evil.txt", "/system/evil.txt", "/sdcard/link/evil.txt", "/sdcard/link/sub/evil.txt",
                               "/sdcard/dangling"}) {
        const CommandResult r = push(local / "evil.txt", target);
        EXPECT_EQ(r.exitCode, 1) << target << ": " << r.out << r.err;
    }
    EXPECT_FALSE(fs::exists(sim.statePath() / "evil.txt"));
    EXPECT_FALSE(fs::exists(sim.root() / "evil.txt"));
    EXPECT_EQ(mobreltest::treeContents(outside).size(), 1u) << "something was written outside";
    for (const char* source : {"/sdcard/link/secret.txt", "/sdcard/../outside/secret.txt"}) {
        EXPECT_EQ(pull(source, local / "stolen.txt").exitCode, 1) << source;
        EXPECT_FALSE(fs::exists(local / "stolen.txt")) << source;
    }
}

TEST_P(Phone, ServicePortAnswersOnlyWhileTheAppIsInstalledAndStarted) {
    ASSERT_EQ(forward().exitCode, 0);
    EXPECT_FALSE(companionAnswers()) << "nothing installed";
    CommandResult start = startApp();
    EXPECT_TRUE(contains(start.out + start.err, "Error: Activity class {" + kPackage + "/" + kActivity +
                                                    "} does not exist.")) << start.out << start.err;
    EXPECT_EQ(start.exitCode, failed());
    EXPECT_FALSE(companionAnswers()) << "start of a missing app";

    const CommandResult installed = install(PhoneSim::apkPath());
    ASSERT_EQ(installed.exitCode, 0) << installed.out << installed.err;
    EXPECT_TRUE(contains(installed.out, "Success")) << installed.out;
    EXPECT_TRUE(fs::is_empty(sim.statePath() / "tmp")) << "the legacy install leaves its copy behind";
    EXPECT_FALSE(companionAnswers()) << "installed, not started";
    const CommandResult wrong = startApp(".ui.NoSuchActivity");
    EXPECT_TRUE(contains(wrong.out + wrong.err, "does not exist")) << wrong.out << wrong.err;
    EXPECT_FALSE(companionAnswers()) << "wrong activity";

    start = sim.adbDevice({"shell", "am", "start", "-n", kPackage + "/" + kActivity});
    ASSERT_EQ(start.exitCode, 0) << start.err;
    EXPECT_TRUE(contains(start.out, "Starting: Intent { cmp=" + kPackage + "/" + kActivity + " }")) << start.out;
    auto held = Client::connect();
    ASSERT_TRUE(held);
    EXPECT_EQ(held->askText("hello-manager;"), "HI-PC");
    ASSERT_EQ(sim.adb({"forward", "tcp:25803", "tcp:20149"}).exitCode, 0);
    EXPECT_FALSE(companionAnswers()) << "another port of the phone";
    ASSERT_EQ(sim.adb({"forward", "tcp:25803", "tcp:20148"}).exitCode, 0);

    EXPECT_EQ(shell("am force-stop " + kPackage).exitCode, 0);
    EXPECT_TRUE(held->closedByPeer()) << "force-stop leaves a connection open";
    EXPECT_FALSE(companionAnswers()) << "after force-stop";
    ASSERT_EQ(startApp().exitCode, 0);
    EXPECT_TRUE(companionAnswers()) << "started again";

    CommandResult uninstall = sim.adbDevice({"uninstall", kPackage});
    EXPECT_EQ(uninstall.exitCode, 0);
    EXPECT_TRUE(contains(uninstall.out, "Success")) << uninstall.out;
    EXPECT_FALSE(companionAnswers()) << "after uninstall";
    uninstall = sim.adbDevice({"uninstall", kPackage});
    EXPECT_TRUE(contains(uninstall.out, "Failure [DELETE_FAILED_INTERNAL_ERROR]")) << uninstall.out;
    EXPECT_EQ(uninstall.exitCode, failed());
}

TEST_P(Phone, EmptyForeignOrMissingPackagesFailToInstall) {
    writeFile(sim.root() / "empty.apk", "");
    writeFile(sim.root() / "notes.apk", "package=\"com.other.app\" is not the companion");
    for (const fs::path& apk : {sim.root() / "empty.apk", sim.root() / "notes.apk"}) {
        const CommandResult r = install(apk);
        if (legacy()) {  // push install without the shell protocol: adb says 0 whatever pm printed
            EXPECT_EQ(r.exitCode, 0);
            EXPECT_TRUE(contains(r.out, "Failure [INSTALL_PARSE_FAILED_NOT_APK")) << r.out;
        } else {
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_TRUE(contains(r.err, "adb: failed to install " + apk.string() + ": Failure [INSTALL_PARSE_FAILED_NOT_APK"))
                << r.err;
        }
        EXPECT_EQ(startApp().exitCode, failed()) << apk;
    }
    ASSERT_EQ(forward().exitCode, 0);
    EXPECT_FALSE(companionAnswers());
    EXPECT_NE(install(sim.root() / "missing.apk").exitCode, 0);
}

// SIGTERM while the app serves a client and the host holds streams open: all
// threads end and phonesim exits 0 (under the sanitizers: with nothing leaked).
TEST_P(Phone, EndsCleanlyWhileServing) {
    ASSERT_EQ(install(PhoneSim::apkPath()).exitCode, 0);
    ASSERT_EQ(startApp().exitCode, 0);
    ASSERT_EQ(forward().exitCode, 0);
    auto idle = Client::connect();
    auto talking = Client::connect();
    ASSERT_TRUE(idle && talking);
    EXPECT_EQ(talking->askText("hello-manager;"), "HI-PC");
    EXPECT_TRUE(sim.stopPhone()) << "phonesim did not exit 0 on SIGTERM";
    EXPECT_TRUE(talking->closedByPeer());
}

INSTANTIATE_TEST_SUITE_P(Profiles, Phone, ::testing::Values("modern", "legacy"));

}  // namespace
