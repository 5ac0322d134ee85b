// The device list of "adb devices" and the table it is parsed into.
#pragma once

#include <cstdint>

namespace mobrel {

constexpr int kAdbDeviceSlots = 5;

struct AdbDeviceEntry {
    char serial[64];          // text before the tab
    char state[64];           // text after the tab: "device", "offline", "unauthorized", ...
    char manufacturer[128];   // getprop ro.product.manufacturer, as read
    char model[64];           // getprop ro.product.model
    char androidVersion[64];  // copied from scratch
    char scratch[64];         // raw read of ro.build.version.release
    char buildPda[64];        // getprop ro.build.PDA (read, not handed out)
};

struct AdbDeviceTable {
    AdbDeviceEntry entries[kAdbDeviceSlots];
    int32_t count;
};

// The number of device lines in the output of "adb devices": 0 unless the text
// begins with "List of devices attached"; after that header line, every line
// ending in a line feed that has at least 5 characters and a tab counts.
int countAdbDevices(const char* text);

// Clears the table and fills it with the device lines (as counted above) in
// order: serial and state, each cut to 63 characters. A state keeps any CR
// before the line feed, so it only equals "device" for a bare line feed. Only
// the first five device lines are kept (the table has five places and devices
// are addressed as 0 to 4); the count never exceeds five.
void parseAdbDevices(const char* text, AdbDeviceTable& table);

}  // namespace mobrel
