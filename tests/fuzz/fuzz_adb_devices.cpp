// The "adb devices" parsers on any text: no overrun, every field terminated, the table agreeing with the count.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "adb_devices.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);  // read up to its first NUL
    mobrel::AdbDeviceTable table;
    mobrel::parseAdbDevices(text.c_str(), table);
    const int count = mobrel::countAdbDevices(text.c_str());
    if (table.count != std::min(count, mobrel::kAdbDeviceSlots)) std::abort();
    for (int i = 0; i < mobrel::kAdbDeviceSlots; ++i) {
        const mobrel::AdbDeviceEntry& e = table.entries[i];
        if (!std::memchr(e.serial, 0, sizeof e.serial) || !std::memchr(e.state, 0, sizeof e.state)) std::abort();
        if (i >= table.count && (e.serial[0] != '\0' || e.state[0] != '\0')) std::abort();
        if (i < table.count && (std::strchr(e.serial, '\t') || std::strchr(e.state, '\n'))) std::abort();
    }
    return 0;
}
