#include "runner.h"

#include "cmdline.h"
#include "log.h"
#include "platform/process.h"
#include "workdir.h"

namespace mobrel {
namespace {

platform::RunOutcome runAdb(const std::string& args, const std::string* outputPath, int timeoutMs) {
    const std::string adb = adbPath();
    if (adb.empty()) return {};
    const std::string line = quoteArg(adb) + " " + args;
    if (line.size() > kCommandLineLimit) {
        logMessage("adb command line of %zu characters refused: %s\n", line.size(), line.c_str());
        return {};
    }
    return platform::runProcess(splitCommandLine(line), adbDirectory(), outputPath, timeoutMs);
}

int started(const platform::RunOutcome& outcome) {
    return outcome.status == platform::RunStatus::NotStarted ? -1 : 0;
}

}  // namespace

std::string adbPath() {
    if (!adbDirectory().empty()) {
        const std::string beside = adbDirectory() + "/adb";
        if (platform::isExecutableFile(beside)) return beside;
    }
    return platform::findInPath("adb");
}

int runAdbWait(const std::string& args) { return started(runAdb(args, nullptr, -1)); }

bool runAdbWaitSucceeded(const std::string& args) {
    const platform::RunOutcome outcome = runAdb(args, nullptr, -1);
    return outcome.status == platform::RunStatus::Exited && outcome.exitCode == 0;
}

int runAdbLimited(const std::string& args) { return started(runAdb(args, nullptr, kLimitedWaitMs)); }

int runAdbCapture(const std::string& args, const std::string& outputPath) {
    return started(runAdb(args, &outputPath, kCaptureWaitMs));
}

}  // namespace mobrel
