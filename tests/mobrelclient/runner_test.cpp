// The adb runner against the stand-in adb: hostile arguments through a real
// child, time-outs, descriptors, over-long lines, captures from two threads, the
// program's folder and failures to start. (Plain captures and waits are every
// phone test's.)
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

namespace {

std::vector<std::string> nulSeparated(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t end; (end = text.find('\0', start)) != std::string::npos; start = end + 1) {
        parts.push_back(text.substr(start, end - start));
    }
    return parts;
}

}  // namespace

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
    std::string args = "echo-args";
    for (const std::string& v : values) args += " " + quoteArg(v);
    const std::string out = dir + "/out";
    ASSERT_EQ(runAdbCapture(args, out), 0);
    EXPECT_EQ(nulSeparated(readFile(out)), values);
    EXPECT_FALSE(fs::exists(marker));
}

// (The working folder: AdbBesideTheProgramComesBeforePath.)
TEST_F(Runner, ChildGetsNoDescriptorOfOurs) {
    // A descriptor opened without O_CLOEXEC elsewhere in the process must not reach adb.
    const int stray = open("/dev/null", O_RDONLY);
    ASSERT_GE(stray, 0);
    const std::string out = dir + "/fds";
    EXPECT_EQ(runAdbCapture("fds", out), 0);
    EXPECT_EQ(readFile(out), "");
    close(stray);
}

// A hanging child (and the grandchild it started) is killed after 4 s when
// captured, after 20 s in a limited run.
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

TEST_F(Runner, OverlongLineIsRefusedNotCut) {
    // Cutting "... /sdcard/Images/holiday.jpg" short could name another file.
    const size_t room = kCommandLineLimit - quoteArg(adbPath()).size() - std::string(" print \"\"").size();
    const std::string fits = "print " + quoteArg(std::string(room, 'x'));
    ASSERT_EQ(quoteArg(adbPath()).size() + 1 + fits.size(), kCommandLineLimit);
    EXPECT_EQ(runAdbWait(fits), 0);
    EXPECT_EQ(runAdbWait("print " + quoteArg(std::string(room + 1, 'x'))), -1);
    EXPECT_EQ(adb.runs().size(), 1u);
}

TEST_F(Runner, TwoThreadsCapturingAtOnceGetFilesOfTheirOwn) {
    std::vector<std::string> paths[2];
    int wrong[2] = {};
    auto work = [&](int t) {
        for (int i = 0; i < 15; ++i) {
            const std::string path = nextCapturePath();
            paths[t].push_back(path);
            const std::string text = "thread " + std::to_string(t) + " capture " + std::to_string(i);
            if (runAdbCapture("print " + quoteArg(text), path) != 0 || readFile(path) != text) ++wrong[t];
        }
    };
    std::thread a(work, 0);
    std::thread b(work, 1);
    a.join();
    b.join();
    EXPECT_EQ(wrong[0] + wrong[1], 0);
    std::set<std::string> distinct(paths[0].begin(), paths[0].end());
    distinct.insert(paths[1].begin(), paths[1].end());
    EXPECT_EQ(distinct.size(), 30u);
}

TEST(RunnerStart, MissingOrUnstartableAdbGivesMinusOne) {
    const std::string empty = makeTempDir("empty");
    const std::string relative = makeTempDir("relative");
    fs::create_symlink(standInProgram(), relative + "/adb");
    {
        // Only relative PATH entries would hold an adb: they are not searched.
        ScopedEnv path("PATH", (fs::relative(relative).string() + ":" + empty).c_str());
        EXPECT_EQ(adbPath(), "");
        EXPECT_EQ(runAdbWait("exit 0"), -1);
        EXPECT_EQ(runAdbLimited("exit 0"), -1);
        EXPECT_EQ(runAdbCapture("exit 0", empty + "/out"), -1);
    }
    const std::string broken = makeTempDir("broken");
    writeFile(broken + "/adb", "\x7f" "ELF but not really");
    fs::permissions(broken + "/adb", fs::perms::owner_all);
    ScopedEnv path("PATH", broken.c_str());
    EXPECT_EQ(adbPath(), broken + "/adb");
    EXPECT_EQ(runAdbWait("exit 0"), -1);  // exec fails: reported, not taken for a run
    EXPECT_EQ(runAdbCapture("exit 0", empty + "/out"), -1);
}

TEST(RunnerStart, AdbBesideTheProgramComesBeforePath) {
    StandInAdb onPath;
    const std::string folder = makeTempDir("program");
    fs::copy_file(standInProgram(), folder + "/probe");
    fs::copy_file(standInProgram(), folder + "/adb");
    const std::string where = folder + "/where";
    const mobreltest::CommandResult probe = runCommand({folder + "/probe", "wait", "where " + quoteArg(where)});
    ASSERT_EQ(probe.exitCode, 0);
    EXPECT_EQ(probe.out, "0\n");
    EXPECT_EQ(readFile(where), "exe=" + folder + "/adb\ncwd=" + folder + "\n");
}
