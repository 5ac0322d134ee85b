#include "adb_devices.h"

#include <algorithm>
#include <cstring>

namespace mobrel {
namespace {

const char kHeader[] = "List of devices attached";

// The text after the header line, or null when the text has no header. The
// header line is skipped up to and including its line feed: adb 29 ends it with
// a bare line feed, older versions with a blank first, so a fixed skip would
// eat the first character of the first serial.
const char* afterHeader(const char* text) {
    if (std::strncmp(text, kHeader, sizeof kHeader - 1) != 0) return nullptr;
    const char* lineEnd = std::strchr(text, '\n');
    return lineEnd ? lineEnd + 1 : nullptr;
}

// Calls onDevice(line, tab, lineEnd) for every device line after the header.
template <typename OnDevice>
void forEachDeviceLine(const char* text, OnDevice onDevice) {
    const char* line = afterHeader(text);
    if (!line) return;
    while (const char* lineEnd = std::strchr(line, '\n')) {
        const char* tab = static_cast<const char*>(std::memchr(line, '\t', static_cast<size_t>(lineEnd - line)));
        if (lineEnd - line >= 5 && tab) onDevice(line, tab, lineEnd);
        line = lineEnd + 1;
    }
}

void copyField(char (&field)[64], const char* begin, const char* end) {
    const size_t length = std::min(static_cast<size_t>(end - begin), sizeof field - 1);
    std::memcpy(field, begin, length);
    field[length] = '\0';
}

}  // namespace

int countAdbDevices(const char* text) {
    int count = 0;
    forEachDeviceLine(text, [&count](const char*, const char*, const char*) { ++count; });
    return count;
}

void parseAdbDevices(const char* text, AdbDeviceTable& table) {
    std::memset(&table, 0, sizeof table);
    forEachDeviceLine(text, [&table](const char* line, const char* tab, const char* lineEnd) {
        if (table.count == kAdbDeviceSlots) return;
        AdbDeviceEntry& entry = table.entries[table.count++];
        copyField(entry.serial, line, tab);
        copyField(entry.state, tab + 1, lineEnd);
    });
}

}  // namespace mobrel
