#include "runner.h"

#include "cmdline.h"
#include "log.h"
#include "platform/process.h"
#include "workdir.h"

namespace mobrel {
namespace {

int runAdb(const std::string& args, const std::string* outputPath, int timeoutMs) {
    const std::string adb = adbPath();
    if (adb.empty()) return -1;
    const std::string line = quoteArg(adb) + " " + args;
    if (line.size() > kCommandLineLimit) {
        logMessage("adb command line of %zu characters refused: %s\n", line.size(), line.c_str());
        return -1;
    }
    const platform::RunOutcome outcome =
        platform::runProcess(splitCommandLine(line), adbDirectory(), outputPath, timeoutMs);
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

int runAdbWait(const std::string& args) { return runAdb(args, nullptr, -1); }

int runAdbLimited(const std::string& args) { return runAdb(args, nullptr, kLimitedWaitMs); }

int runAdbCapture(const std::string& args, const std::string& outputPath) {
    return runAdb(args, &outputPath, kCaptureWaitMs);
}

}  // namespace mobrel
