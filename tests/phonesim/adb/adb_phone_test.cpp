// The phone's files through the real adb: push, pull and rm of paths that leave its
// trees are refused and change nothing outside; a file of several sync chunks travels unchanged.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "phonesim_fixture.h"

namespace {

using mobreltest::CommandResult;
using mobreltest::PhoneSim;
using mobreltest::readFile;
using mobreltest::writeFile;
namespace fs = std::filesystem;

class PhoneFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.start()) << sim.error();
        local = sim.root() / "local";
    }
    CommandResult push(const fs::path& from, const std::string& to) { return sim.adbDevice({"push", from.string(), to}); }
    CommandResult pull(const std::string& from, const fs::path& to) { return sim.adbDevice({"pull", from, to.string()}); }

    PhoneSim sim;
    fs::path local;
};

TEST_F(PhoneFiles, SeveralSyncChunksGoThereAndBackUnchanged) {
    std::mt19937 random(42);
    std::string big(5 * 1024 * 1024 + 7, '\0');
    for (char& c : big) c = static_cast<char>(random() & 0xff);
    writeFile(local / "big.bin", big);
    ASSERT_EQ(push(local / "big.bin", "/sdcard/Odd/big.bin").exitCode, 0);
    EXPECT_TRUE(readFile(sim.sdcardPath() / "Odd" / "big.bin") == big) << "stored bytes differ";
    ASSERT_EQ(pull("/storage/emulated/0/Odd/big.bin", local / "back").exitCode, 0);
    EXPECT_TRUE(readFile(local / "back") == big) << "pulled bytes differ";
}

TEST_F(PhoneFiles, PathsLeavingTheTreesAreRefusedAndNothingOutsideChanges) {
    const fs::path outside = sim.root() / "outside";
    writeFile(outside / "secret.txt", "secret");
    writeFile(sim.sdcardPath() / "inside.txt", "stays");
    fs::create_directory_symlink(outside, sim.sdcardPath() / "link");
    fs::create_symlink(outside / "planted.txt", sim.sdcardPath() / "dangling");  // its target does not exist yet
    writeFile(local / "evil.txt", "evil");
    for (const char* target : {"/sdcard/../evil.txt", "/sdcard/../../evil.txt", "/data/local/tmp/../../../evil.txt",
                               "/evil.txt", "/system/evil.txt", "/sdcard/link/evil.txt", "/sdcard/link/sub/evil.txt",
                               "/sdcard/dangling"}) {
        const CommandResult r = push(local / "evil.txt", target);
        EXPECT_EQ(r.exitCode, 1) << target << ": " << r.out << r.err;
    }
    for (const char* source : {"/sdcard/link/secret.txt", "/sdcard/../outside/secret.txt"}) {
        EXPECT_EQ(pull(source, local / "stolen.txt").exitCode, 1) << source;
        EXPECT_FALSE(fs::exists(local / "stolen.txt")) << source;
    }
    // A folder pushed from the host with a link in it: the link is not made on the phone.
    fs::create_directories(local / "tree");
    fs::create_directory_symlink("/etc", local / "tree" / "etc");
    EXPECT_EQ(push(local / "tree", "/sdcard/tree").exitCode, 1);
    EXPECT_FALSE(fs::is_symlink(sim.sdcardPath() / "tree" / "etc"));
    // Removing outside the trees, or a tree itself, is refused.
    for (const char* path : {"/sdcard/../../outside", "/sdcard/link/secret.txt", "/sdcard", "/sdcard/", "/data/local/tmp",
                             "/", "/etc"}) {
        EXPECT_EQ(sim.adbDevice({"shell", "rm", "-rf", path}).exitCode, 1) << path;
    }
    EXPECT_EQ(mobreltest::treeContents(outside), (std::map<std::string, std::string>{{"secret.txt", "secret"}}));
    EXPECT_FALSE(fs::exists(sim.statePath() / "evil.txt"));
    EXPECT_FALSE(fs::exists(sim.root() / "evil.txt"));
    EXPECT_EQ(readFile(sim.sdcardPath() / "inside.txt"), "stays");
}

}  // namespace
