// Writing the diagnostic log: a file replaced at creation, the diagnostic stream
// (stderr), single writes that never raise SIGPIPE, and the local time.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>

namespace mobrel::platform {

using FileHandle = int;
constexpr FileHandle kNoFile = -1;

// Deletes path if it exists and creates it anew for appending; kNoFile on failure.
FileHandle replaceFileForAppend(const std::string& path);

// The standard error stream, the diagnostic output of the process.
FileHandle diagnosticStream();

// Exactly one write call of the whole text; false when it failed or fell short.
bool writeOnce(FileHandle file, const char* text, size_t length);

std::tm localTimeNow();

}  // namespace mobrel::platform
