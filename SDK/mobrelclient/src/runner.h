// Running adb. adb is "<program folder>/adb" when that is an executable file,
// else the first adb on PATH, looked up for every run. The command line is
// "\"<adb>\" <args>", at most 1023 characters, split by the Windows rules
// (cmdline.h) and executed directly with the program folder as working folder.
// Results: 0 once the child ended or was terminated at its limit (the exit code
// is read by runAdbWaitSucceeded only); -1 when adb is missing or could not be
// started, or when the line is too long (it is refused rather than cut, since a
// cut could turn one path into another).
#pragma once

#include <cstddef>
#include <string>

namespace mobrel {

constexpr size_t kCommandLineLimit = 1023;
constexpr int kLimitedWaitMs = 20000;
constexpr int kCaptureWaitMs = 4000;

// Waits without limit (installs, pushes, pulls, forwards).
int runAdbWait(const std::string& args);

// Waits without limit like runAdbWait; true only when adb ran and exited with 0.
bool runAdbWaitSucceeded(const std::string& args);

// Waits at most 20 s, then kills the child's whole process group.
int runAdbLimited(const std::string& args);

// Writes the child's standard output into outputPath (callers delete it first)
// and waits at most 4 s, then kills the child's whole process group.
int runAdbCapture(const std::string& args, const std::string& outputPath);

// The adb a run started now would use, or "" when there is none.
std::string adbPath();

}  // namespace mobrel
