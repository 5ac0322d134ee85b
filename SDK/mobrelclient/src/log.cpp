#include "log.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <mutex>

#include "platform/output.h"
#include "platform/paths.h"

namespace mobrel {
namespace {

constexpr size_t kMessageBuffer = 4096;

platform::FileHandle openLog() {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(platform::documentsFolder()) / "LogFiles";
    std::error_code ec;
    fs::create_directories(folder, ec);
    const platform::FileHandle file = platform::replaceFileForAppend((folder / "mobrelcore.log").string());
    if (file == platform::kNoFile) return file;

    const std::tm t = platform::localTimeNow();
    char banner[256];
    const int n = std::snprintf(banner, sizeof banner,
                                "============================================\n"
                                "%d/%d/%d %d:%d:%d\n"
                                "============================================\n\n",
                                t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    platform::writeOnce(file, banner, static_cast<size_t>(n));
    return file;
}

// Opened by the first message of any thread; the others wait until the banner is out.
platform::FileHandle logFile() {
    static std::once_flag once;
    static platform::FileHandle file = platform::kNoFile;
    std::call_once(once, [] { file = openLog(); });
    return file;
}

// vsnprintf's result clamped to what the buffer holds.
size_t formattedLength(int result, size_t room) {
    if (result < 0) return 0;
    return std::min(static_cast<size_t>(result), room - 1);
}

void emit(const char* text, size_t length) {
    platform::writeOnce(logFile(), text, length);
    platform::writeOnce(platform::diagnosticStream(), text, length);
}

}  // namespace

void logMessage(const char* format, ...) {
    char buffer[kMessageBuffer];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    emit(buffer, formattedLength(n, sizeof buffer));
}

void logMessageAt(const char* source, int line, const char* format, ...) {
    char buffer[kMessageBuffer];
    const size_t prefix = formattedLength(
        std::snprintf(buffer, sizeof buffer, "file:%s, line:%d\n", source, line), sizeof buffer);
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer + prefix, sizeof buffer - prefix, format, args);
    va_end(args);
    emit(buffer, prefix + formattedLength(n, sizeof buffer - prefix));
}

}  // namespace mobrel
