// The adb runner against the stand-in adb: hostile arguments through a real
// child, time-outs, descriptors, over-long lines, captures from two threads, the
// program's folder and failures to start.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include "capture.h"
#include "cmdline.h"
#include "runner.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace mobrel;
using namespace mobrel::test;

class Runner : public ::testing::Test {
protected:
    StandInAdb adb;
    std::string dir = makeTempDir("runner");
};

TEST_F(Runner, ArgumentsReachTheChildAsDataNeverThroughAShell) {
    const std::string marker = dir + "/pwned";
    const std::vector<std::string> values = {
        "two words", "say \"hi\"", "$(touch " + marker + ")", "; touch " + marker + ";", "`touch " + marker + "`",
        "C:\\dir\\", "back\\\\\"slash", "Grüße", "", "tab\tand\nline",
    };
    std::string args = "echo-args", expected;
    for (const std::string& v : values) {
        args += " " + quoteArg(v);
        expected += v + '\0';
    }
    ASSERT_EQ(runAdbCapture(args, dir + "/out"), 0);
    EXPECT_EQ(readFile(dir + "/out"), expected);
    EXPECT_FALSE(fs::exists(marker));

    // A descriptor opened without O_CLOEXEC elsewhere in the process must not reach adb.
    const int stray = open("/dev/null", O_RDONLY);
    EXPECT_EQ(runAdbCapture("fds", dir + "/fds"), 0);
    EXPECT_EQ(readFile(dir + "/fds"), "");
    close(stray);
}

// A hanging child and its grandchild are killed after 4 s when captured, after 20 s in a limited run.
TEST_F(Runner, HangingChildIsKilledInTimeWithItsWholeGroup) {
    const std::string pidFile = dir + "/pid";
    for (const double seconds : {4.0, 20.0}) {
        const auto start = std::chrono::steady_clock::now();
        const std::string args = "hang " + quoteArg(pidFile);
        EXPECT_EQ(seconds == 4 ? runAdbCapture(args, pidFile + ".out") : runAdbLimited(args), 0);
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_GE(took, seconds - 0.1);
        EXPECT_LT(took, seconds + 3);
        EXPECT_TRUE(livingProcessesInGroup(std::stoi(readFile(pidFile)), 2000).empty()) << seconds;
    }
}

// Cutting "... /sdcard/Images/holiday.jpg" short could name another file.
TEST_F(Runner, OverlongLineIsRefusedNotCut) {
    const size_t room = kCommandLineLimit - quoteArg(adbPath()).size() - std::string(" print \"\"").size();
    ASSERT_EQ(quoteArg(adbPath()).size() + 1 + ("print " + quoteArg(std::string(room, 'x'))).size(), kCommandLineLimit);
    EXPECT_EQ(runAdbWait("print " + quoteArg(std::string(room, 'x'))), 0);
    EXPECT_EQ(runAdbWait("print " + quoteArg(std::string(room + 1, 'x'))), -1);
    EXPECT_EQ(adb.runs().size(), 1u);
}

TEST_F(Runner, TwoThreadsCapturingAtOnceGetFilesOfTheirOwn) {
    std::set<std::string> paths[2];
    int wrong[2] = {};
    auto work = [&](int t) {
        for (int i = 0; i < 15; ++i) {
            const std::string path = nextCapturePath(), text = "thread " + std::to_string(t) + " capture " + std::to_string(i);
            paths[t].insert(path);
            if (runAdbCapture("print " + quoteArg(text), path) != 0 || readFile(path) != text) ++wrong[t];
        }
    };
    std::thread a(work, 0), b(work, 1);
    a.join();
    b.join();
    EXPECT_EQ(wrong[0] + wrong[1], 0);
    paths[0].insert(paths[1].begin(), paths[1].end());
    EXPECT_EQ(paths[0].size(), 30u);
}

TEST(RunnerStart, MissingOrUnstartableAdbGivesMinusOne) {
    const std::string empty = makeTempDir("empty"), relative = makeTempDir("relative"), broken = makeTempDir("broken");
    fs::create_symlink(standInProgram(), relative + "/adb");
    writeFile(broken + "/adb", "\x7f" "ELF but not really");
    fs::permissions(broken + "/adb", fs::perms::owner_all);
    // Only relative PATH entries would hold an adb: not searched. A broken one: exec fails, not taken for a run.
    for (const std::string& path : {fs::relative(relative).string() + ":" + empty, broken}) {
        ScopedEnv env("PATH", path.c_str());
        EXPECT_EQ(adbPath(), path == broken ? broken + "/adb" : "");
        EXPECT_EQ(runAdbWait("exit 0"), -1) << path;
        EXPECT_EQ(runAdbLimited("exit 0"), -1) << path;
        EXPECT_EQ(runAdbCapture("exit 0", empty + "/out"), -1) << path;
    }
}

TEST(RunnerStart, AdbBesideTheProgramComesBeforePath) {
    StandInAdb onPath;
    const std::string folder = makeTempDir("program");
    fs::copy_file(standInProgram(), folder + "/probe");
    fs::copy_file(standInProgram(), folder + "/adb");
    const CommandResult probe = runCommand({folder + "/probe", "wait", "where " + quoteArg(folder + "/where")});
    ASSERT_EQ(probe.exitCode, 0);
    EXPECT_EQ(probe.out, "0\n");
    EXPECT_EQ(readFile(folder + "/where"), "exe=" + folder + "/adb\ncwd=" + folder + "\n");
}
