// The log's copy on stderr, in a process of its own (the log is opened once per
// process): a stderr nobody reads does not end the process.
#include <gtest/gtest.h>

#include "test_support.h"

using namespace mobrel::test;

TEST(Log, AStderrNobodyReadsDoesNotKillTheProcess) {
    const mobreltest::CommandResult probe = runCommand({probeProgram(), "log-broken-pipe"});
    EXPECT_EQ(probe.exitCode, 0);
    EXPECT_EQ(probe.out, "alive\n");
}
