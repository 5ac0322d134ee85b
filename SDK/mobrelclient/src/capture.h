// Capture files: where runAdbCapture puts adb's standard output.
#pragma once

#include <cstddef>
#include <string>

namespace mobrel {

constexpr size_t kCaptureFileLimit = 2048;

// "<work folder>sdlkcount", the presence check's capture file.
std::string countCapturePath();

// "<work folder>sdlk%06d" with the next number of the process-wide sequence
// (0, 1, 2, ...); every call, from any thread, gets a number of its own.
std::string nextCapturePath();

// The whole file as text, CR LF read as LF. False when it cannot be opened, is
// not a regular file or is longer than 2048 bytes.
bool readCaptureFile(const std::string& path, std::string& text);

}  // namespace mobrel
