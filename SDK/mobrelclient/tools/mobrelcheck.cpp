// mobrelcheck: a self-check of the device-link core against the real adb.
// It restarts the adb server, lists the devices and prints the raw list and
// what the library parsed from it. It refuses to run without a private
// ANDROID_ADB_SERVER_PORT, so that nobody's own adb server is restarted.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "adb_devices.h"
#include "capture.h"
#include "commands.h"
#include "runner.h"
#include "workdir.h"

int main() {
    using namespace mobrel;
    const char* port = std::getenv("ANDROID_ADB_SERVER_PORT");
    if (!port || !*port) {
        std::fprintf(stderr, "mobrelcheck: set ANDROID_ADB_SERVER_PORT to a private port (for example 5041)\n");
        return 2;
    }
    if (!buildWorkDirectory()) {
        std::fprintf(stderr, "mobrelcheck: no private temporary folder\n");
        return 1;
    }
    const std::string adb = adbPath();
    std::printf("adb:            %s\n", adb.empty() ? "(not found)" : adb.c_str());
    std::printf("work folder:    %s\n", workDirectory().c_str());
    std::printf("adb server:     port %s\n", port);

    std::printf("kill-server:    %d\n", runAdbLimited(adbargs::kKillServer));
    std::printf("start-server:   %d\n", runAdbLimited(adbargs::kStartServer));

    const std::string capture = nextCapturePath();
    std::remove(capture.c_str());
    std::printf("devices:        %d (capture %s)\n", runAdbCapture(adbargs::kDevices, capture), capture.c_str());
    std::string text;
    if (!readCaptureFile(capture, text)) {
        std::fprintf(stderr, "mobrelcheck: the device list could not be read\n");
        return 1;
    }
    std::printf("--- adb devices said:\n%s---\n", text.c_str());

    AdbDeviceTable table;
    parseAdbDevices(text.c_str(), table);
    std::printf("device lines:   %d\n", countAdbDevices(text.c_str()));
    std::printf("parsed devices: %d\n", table.count);
    for (int i = 0; i < table.count; ++i) {
        std::printf("  [%d] serial \"%s\" state \"%s\"\n", i, table.entries[i].serial, table.entries[i].state);
    }
    return 0;
}
