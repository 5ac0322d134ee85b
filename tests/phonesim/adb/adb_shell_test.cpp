// The phone's shell through the real adb, for both profiles: properties, the
// library's exact command texts, quoting, and commands a phone does not have.
#include <gtest/gtest.h>

#include <fstream>

#include "phonesim_fixture.h"
#include "profile.h"

namespace {

using mobreltest::CommandResult;
using mobreltest::PhoneSim;
namespace fs = std::filesystem;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class Shell : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { ASSERT_TRUE(sim.start({.profile = GetParam()})) << sim.error(); }
    bool legacy() const { return GetParam() == "legacy"; }
    // An old phone's shell runs in a pty: CR LF line ends.
    std::string line(const std::string& text) const { return text + (legacy() ? "\r\n" : "\n"); }

    PhoneSim sim;
};

TEST_P(Shell, GetpropAnswersTheProfileValues) {
    phonesim::Profile profile;
    ASSERT_TRUE(phonesim::profileByName(GetParam(), profile));
    for (const char* key : {"ro.build.version.release", "ro.product.model", "ro.product.manufacturer", "ro.build.PDA"}) {
        ASSERT_FALSE(profile.property(key).empty()) << key;
        // As the library's command text " -s %s shell  getprop  KEY" splits into words...
        CommandResult r = sim.adbDevice({"shell", "getprop", key});
        EXPECT_EQ(r.exitCode, 0) << key;
        EXPECT_EQ(r.out, line(profile.property(key))) << key;
        // ... and with its blanks kept in one argument.
        EXPECT_EQ(sim.adbDevice({"shell", std::string(" getprop  ") + key}).out, line(profile.property(key))) << key;
    }
    EXPECT_EQ(sim.adbDevice({"shell", "getprop", "no.such.property"}).out, line(""));
    EXPECT_EQ(sim.adbDevice({"shell", "getprop 'ro.product.model'"}).out, line(profile.property("ro.product.model")));
}

TEST_P(Shell, UnknownCommandAnswersLikeThePhonesShellAndLeavesForwardsAlone) {
    ASSERT_EQ(sim.adbDevice({"forward", "tcp:25803", "tcp:20148"}).exitCode, 0);
    CommandResult r = sim.adbDevice({"shell", "forward", "--remove-all"});
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
    EXPECT_EQ(sim.adb({"forward", "--remove-all"}).exitCode, 0);
}

TEST_P(Shell, QuotesAndRedirectionsAreReadLikeThePhonesShell) {
    EXPECT_EQ(sim.adbDevice({"shell", "echo \"a  b\" 'c  d' e\\ f </dev/null 2>&1"}).out, line("a  b c  d e f"));
    EXPECT_EQ(sim.adbDevice({"shell", "echo 'unterminated"}).exitCode, legacy() ? 0 : 1);
}

TEST_P(Shell, MkdirAndRmWorkInsideTheTreesOnly) {
    ASSERT_EQ(sim.adbDevice({"shell", "mkdir '/sdcard/New Dir'"}).exitCode, 0);
    EXPECT_TRUE(fs::is_directory(sim.sdcardPath() / "New Dir"));

    std::ofstream(sim.sdcardPath() / "it's here.txt") << "x";
    // adb's own form of rm: quoted path, stdin redirected.
    CommandResult r = sim.adbDevice({"shell", "rm '/sdcard/it'\\''s here.txt' </dev/null"});
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_FALSE(fs::exists(sim.sdcardPath() / "it's here.txt"));
    EXPECT_EQ(sim.adbDevice({"shell", "rm -f /sdcard/never-there.txt"}).out, "");

    // Leaving the tree, or removing a tree itself, is refused and removes nothing.
    std::ofstream(sim.root() / "outside.txt") << "stays";
    std::ofstream(sim.sdcardPath() / "inside.txt") << "stays";
    for (const char* path : {"/sdcard/../../outside.txt", "/sdcard", "/sdcard/", "/data/local/tmp", "/", "/etc"}) {
        CommandResult refused = sim.adbDevice({"shell", "rm", "-rf", path});
        EXPECT_TRUE(contains(refused.out + refused.err, "Permission denied")) << path;
        if (!legacy()) {
            EXPECT_EQ(refused.exitCode, 1) << path;
        }
    }
    EXPECT_TRUE(fs::exists(sim.root() / "outside.txt"));
    EXPECT_TRUE(fs::exists(sim.sdcardPath() / "inside.txt"));

    ASSERT_EQ(sim.adbDevice({"shell", "rm -r '/sdcard/New Dir'"}).exitCode, 0);
    EXPECT_FALSE(fs::exists(sim.sdcardPath() / "New Dir"));
}

INSTANTIATE_TEST_SUITE_P(Profiles, Shell, ::testing::Values("modern", "legacy"));

}  // namespace
