// The log, each case in processes of its own (the log is opened once per process).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>

#include "test_support.h"

namespace fs = std::filesystem;
using namespace mobrel::test;

namespace {

const std::regex kBanner(
    "============================================\n"
    "\\d{4}/\\d{1,2}/\\d{1,2} \\d{1,2}:\\d{1,2}:\\d{1,2}\n"
    "============================================\n\n");

struct LogRun {
    std::string home;
    std::string config;

    LogRun() : home(makeTempDir("home")), config(makeTempDir("config")) {}

    // Runs the probe with this HOME and config; returns its stderr text.
    std::string log(int threads, int count) const {
        ScopedEnv h("HOME", home.c_str());
        ScopedEnv c("XDG_CONFIG_HOME", config.c_str());
        const std::string errFile = makeTempDir("stderr") + "/err";
        EXPECT_EQ(runCommand({probeProgram(), "log", std::to_string(threads), std::to_string(count), errFile}).exitCode, 0);
        return readFile(errFile);
    }
};

}  // namespace

TEST(Log, StartsWithTheBannerAndHoldsNothingOfAnEarlierRun) {
    LogRun run;
    const std::string file = run.home + "/Documents/LogFiles/mobrelcore.log";
    writeFile(file, "left over from an earlier run\n");

    run.log(1, 1);
    const std::string first = readFile(file);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(first, m, kBanner, std::regex_constants::match_continuous)) << first;
    EXPECT_EQ(first.find("left over"), std::string::npos);
    EXPECT_NE(first.find("thread 0 message 0 "), std::string::npos);

    run.log(1, 1);
    EXPECT_EQ(readFile(file).size(), first.size());  // the second run replaced the first
}

TEST(Log, MessagesStayWholeUnderConcurrencyAndGoToStderrToo) {
    LogRun run;
    writeFile(run.config + "/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Papiere\"\n");
    const int threads = 8;
    const int count = 200;
    const std::string copy = run.log(threads, count);
    const std::string log = readFile(run.home + "/Papiere/LogFiles/mobrelcore.log");

    std::smatch banner;
    ASSERT_TRUE(std::regex_search(log, banner, kBanner, std::regex_constants::match_continuous));
    const std::string body = log.substr(static_cast<size_t>(banner.length()));
    // stderr got the same texts (threads may reach the two outputs in other orders).
    std::vector<std::string> logged = splitLines(body);
    std::vector<std::string> copied = splitLines(copy);
    std::sort(logged.begin(), logged.end());
    std::sort(copied.begin(), copied.end());
    EXPECT_TRUE(logged == copied);

    // Every message arrives once and whole: interleaved writes would break lines.
    const std::regex message("thread (\\d+) message (\\d+) \\.{300}");
    std::map<std::pair<int, int>, int> seen;
    std::vector<std::string> lines = splitLines(body);
    ASSERT_EQ(lines.size(), static_cast<size_t>(threads * count + 3));
    for (size_t i = 0; i < static_cast<size_t>(threads * count); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, message)) << lines[i];
        ++seen[{std::stoi(m[1]), std::stoi(m[2])}];
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(threads * count));
    EXPECT_EQ(lines[threads * count], "file:probe.cpp, line:42");
    EXPECT_EQ(lines[threads * count + 1], "located message");
    // The message longer than the 4096-byte buffer is cut to 4095 bytes.
    EXPECT_EQ(lines[threads * count + 2], std::string(4095, 'L'));
}

TEST(Log, AStderrNobodyReadsDoesNotKillTheProcess) {
    const mobreltest::CommandResult probe = runCommand({probeProgram(), "log-broken-pipe"});
    EXPECT_EQ(probe.exitCode, 0);
    EXPECT_EQ(probe.out, "alive\n");
}
