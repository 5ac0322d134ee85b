#include "exchange.h"

#include <cstring>
#include <vector>

#include "channel.h"

namespace mobrel {

namespace {

// Large enough for any integer reply; a longer body is a failed exchange.
constexpr int kIntReplyBuffer = 64;

}  // namespace

int32_t readLe32(const char* bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
}

int64_t readLe64(const char* bytes) {
    const uint64_t low = static_cast<uint32_t>(readLe32(bytes));
    const uint64_t high = static_cast<uint32_t>(readLe32(bytes + 4));
    return static_cast<int64_t>(low | high << 32);
}

IntReply sendForInt(const std::string& command) {
    char buffer[kIntReplyBuffer] = {};
    IntReply reply;
    reply.bytes = SendCommandToAndroidServices(command.c_str(), buffer, sizeof buffer, nullptr, 0, 0);
    reply.value = readLe32(buffer);
    return reply;
}

int64_t sendForInt64(const std::string& command) {
    char buffer[kIntReplyBuffer] = {};
    const int bytes = SendCommandToAndroidServices(command.c_str(), buffer, sizeof buffer, nullptr, 0, 0);
    return bytes == 8 ? readLe64(buffer) : 0;  // anything else is no 64-bit answer
}

std::string sendForText(const std::string& command, int bufferSize, int* bytes) {
    std::vector<char> buffer(static_cast<size_t>(bufferSize) + 1, '\0');  // + 1: always NUL-terminated
    const int result = SendCommandToAndroidServices(command.c_str(), buffer.data(), bufferSize, nullptr, 0, 0);
    if (bytes) *bytes = result;
    return std::string(buffer.data(), strnlen(buffer.data(), static_cast<size_t>(bufferSize)));
}

}  // namespace mobrel
