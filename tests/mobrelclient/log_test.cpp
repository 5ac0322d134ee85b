// The log, in processes of its own (it is opened once per process): in the
// documents folder, replaced by every run, each message whole under
// concurrency and copied to stderr; and a stderr nobody reads.
#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "test_support.h"

using namespace mobrel::test;

namespace {

// Runs the probe's threads with this HOME and config; returns its stderr text.
std::string runProbe(const std::string& home, const std::string& config, int threads, int count) {
    ScopedEnv h("HOME", home.c_str());
    ScopedEnv c("XDG_CONFIG_HOME", config.c_str());
    const std::string errFile = makeTempDir("stderr") + "/err";
    EXPECT_EQ(runCommand({probeProgram(), "log", std::to_string(threads), std::to_string(count), errFile}).exitCode, 0);
    return readFile(errFile);
}

// The whole messages of the probe's threads in a text, each with how often it occurs.
std::map<std::string, int> messages(const std::string& text) {
    static const std::regex message("thread \\d+ message \\d+ \\.{300}");
    std::map<std::string, int> seen;
    for (const std::string& line : splitLines(text)) {
        if (std::regex_match(line, message)) ++seen[line];
    }
    return seen;
}

}  // namespace

TEST(Log, EachRunReplacesTheLastAndKeepsConcurrentMessagesWhole) {
    const std::string home = makeTempDir("home");
    const std::string config = makeTempDir("config");
    writeFile(config + "/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Papiere\"\n");
    const std::string file = home + "/Papiere/LogFiles/mobrelcore.log";
    writeFile(file, "left over from an earlier run\n");

    const std::string copy = runProbe(home, config, 8, 200);
    const std::string log = readFile(file);
    EXPECT_EQ(log.find("left over"), std::string::npos);
    // Interleaved writes would break lines: every message arrives once and whole, in the file and on stderr.
    const std::map<std::string, int> logged = messages(log);
    EXPECT_EQ(logged.size(), 8u * 200u);
    for (const auto& [line, times] : logged) EXPECT_EQ(times, 1) << line;
    EXPECT_TRUE(messages(copy) == logged);

    runProbe(home, config, 1, 1);
    EXPECT_EQ(messages(readFile(file)).size(), 1u);
}

TEST(Log, AStderrNobodyReadsDoesNotKillTheProcess) {
    const mobreltest::CommandResult probe = runCommand({probeProgram(), "log-broken-pipe"});
    EXPECT_EQ(probe.exitCode, 0);
    EXPECT_EQ(probe.out, "alive\n");
}
