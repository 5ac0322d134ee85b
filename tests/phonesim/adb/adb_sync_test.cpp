// push, pull and ls through the real adb for both profiles: sizes, odd names,
// folders, and paths that try to leave the phone's trees.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "phonesim_fixture.h"

namespace {

using mobreltest::CommandResult;
using mobreltest::PhoneSim;
namespace fs = std::filesystem;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string randomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string out(size, '\0');
    for (char& c : out) c = static_cast<char>(random() & 0xff);
    return out;
}

class Sync : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.start({.profile = GetParam()})) << sim.error();
        local = sim.root() / "local";
        fs::create_directories(local);
    }
    CommandResult push(const fs::path& from, const std::string& to) {
        return sim.adbDevice({"push", from.string(), to});
    }
    CommandResult pull(const std::string& from, const fs::path& to) {
        return sim.adbDevice({"pull", from, to.string()});
    }

    PhoneSim sim;
    fs::path local;
};

TEST_P(Sync, FiveMegabytesGoThereAndBackUnchanged) {
    const std::string bytes = randomBytes(5 * 1024 * 1024 + 7, 42);
    writeFile(local / "big.bin", bytes);
    CommandResult r = push(local / "big.bin", "/sdcard/Download/big.bin");
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_TRUE(readFile(sim.sdcardPath() / "Download" / "big.bin") == bytes) << "stored bytes differ";
    r = pull("/sdcard/Download/big.bin", local / "back.bin");
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_TRUE(readFile(local / "back.bin") == bytes) << "pulled bytes differ";
}

TEST_P(Sync, OddNamesEmptyFilesAndOtherSpellingsOfTheTrees) {
    const std::vector<std::string> names = {"a b.txt", "it's \"quoted\".txt", "Ünïcödé 日本語 🎉.txt", "semi;colon$x`.txt"};
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string content = i == 0 ? std::string() : "content " + names[i];
        writeFile(local / names[i], content);
        ASSERT_EQ(push(local / names[i], "/sdcard/Odd/" + names[i]).exitCode, 0) << names[i];
        EXPECT_EQ(readFile(sim.sdcardPath() / "Odd" / names[i]), content) << names[i];
        ASSERT_EQ(pull("/storage/emulated/0/Odd/" + names[i], local / "back").exitCode, 0) << names[i];
        EXPECT_EQ(readFile(local / "back"), content) << names[i];
    }
    writeFile(local / "t.bin", "tmp");
    ASSERT_EQ(push(local / "t.bin", "/data/local/tmp/t.bin").exitCode, 0);
    EXPECT_EQ(readFile(sim.statePath() / "tmp" / "t.bin"), "tmp");
}

TEST_P(Sync, FoldersArePushedListedAndPulledWhole) {
    fs::create_directories(local / "album" / "inner");
    writeFile(local / "album" / "one.jpg", randomBytes(70000, 1));
    writeFile(local / "album" / "inner" / "two.jpg", randomBytes(3, 2));
    // Into a folder that does not exist: it becomes the copy; into one that does: the copy goes inside.
    ASSERT_EQ(push(local / "album", "/sdcard/Pictures").exitCode, 0);
    EXPECT_TRUE(fs::exists(sim.sdcardPath() / "Pictures" / "inner" / "two.jpg"));
    ASSERT_EQ(push(local / "album", "/sdcard/Pictures").exitCode, 0);
    EXPECT_TRUE(fs::exists(sim.sdcardPath() / "Pictures" / "album" / "inner" / "two.jpg"));

    CommandResult ls = sim.adbDevice({"ls", "/sdcard/Pictures/album"});
    EXPECT_EQ(ls.exitCode, 0);
    EXPECT_TRUE(contains(ls.out, " one.jpg\n")) << ls.out;
    EXPECT_TRUE(contains(ls.out, " inner\n")) << ls.out;

    ASSERT_EQ(pull("/sdcard/Pictures/album", local / "copy").exitCode, 0);
    EXPECT_EQ(readFile(local / "copy" / "one.jpg"), readFile(local / "album" / "one.jpg"));
    EXPECT_EQ(readFile(local / "copy" / "inner" / "two.jpg"), readFile(local / "album" / "inner" / "two.jpg"));
}

TEST_P(Sync, MissingFilesAndFoldersAreReportedAsAdbDoes) {
    CommandResult r = pull("/sdcard/nothing.here", local / "x");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(contains(r.out + r.err, "nothing.here")) << r.out << r.err;
    EXPECT_FALSE(fs::exists(local / "x"));

    // A target ending in "/" that does not exist names a folder, never a file.
    writeFile(local / "f.txt", "f");
    r = push(local / "f.txt", "/sdcard/NewDir/sub/");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(contains(r.out + r.err, "remote couldn't create file: Is a directory")) << r.out << r.err;
    EXPECT_FALSE(fs::exists(sim.sdcardPath() / "NewDir" / "sub"));
}

TEST_P(Sync, PathsLeavingTheTreesAreRefusedAndNothingIsWrittenOutside) {
    fs::path outside = sim.root() / "outside";
    fs::create_directories(outside);
    writeFile(outside / "secret.txt", "secret");
    fs::create_directory_symlink(outside, sim.sdcardPath() / "link");
    fs::create_symlink(outside / "planted.txt", sim.sdcardPath() / "dangling");  // its target does not exist yet
    writeFile(local / "evil.txt", "evil");

    for (const std::string& target : {std::string("/sdcard/../evil.txt"), std::string("/sdcard/../../evil.txt"),
                                      std::string("/data/local/tmp/../../../evil.txt"), std::string("/evil.txt"),
                                      std::string("/system/evil.txt"), std::string("/sdcard/link/evil.txt"),
                                      std::string("/sdcard/link/sub/evil.txt"), std::string("/sdcard/dangling")}) {
        CommandResult r = push(local / "evil.txt", target);
        EXPECT_EQ(r.exitCode, 1) << target << ": " << r.out << r.err;
    }
    EXPECT_FALSE(fs::exists(sim.statePath() / "evil.txt"));
    EXPECT_FALSE(fs::exists(sim.root() / "evil.txt"));
    EXPECT_FALSE(fs::exists(outside / "evil.txt"));
    EXPECT_FALSE(fs::exists(outside / "sub"));
    EXPECT_FALSE(fs::exists(outside / "planted.txt"));

    for (const std::string& source : {std::string("/sdcard/link/secret.txt"), std::string("/sdcard/../outside/secret.txt")}) {
        CommandResult r = pull(source, local / "stolen.txt");
        EXPECT_EQ(r.exitCode, 1) << source;
        EXPECT_FALSE(fs::exists(local / "stolen.txt")) << source;
    }
    EXPECT_EQ(readFile(outside / "secret.txt"), "secret");
}

INSTANTIATE_TEST_SUITE_P(Profiles, Sync, ::testing::Values("modern", "legacy"));

}  // namespace
