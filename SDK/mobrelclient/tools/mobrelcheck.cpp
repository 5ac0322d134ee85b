// mobrelcheck: a self-check of the device-link library against the real adb,
// through its exports as the program uses them: see that a phone is present,
// detect it, bring it up, print its facts and counts. It refuses to run without a private
// ANDROID_ADB_SERVER_PORT, so that nobody's own adb server is restarted.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "mobrelclient.h"

namespace {

// The text of a property as adb printed it, without its line end.
std::string shown(const char* text) {
    std::string s(text);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
}

}  // namespace

int main() {
    const char* port = std::getenv("ANDROID_ADB_SERVER_PORT");
    if (!port || !*port) {
        std::fprintf(stderr, "mobrelcheck: set ANDROID_ADB_SERVER_PORT to a private port (for example 5041)\n");
        return 2;
    }
    MobrelApi_Init();
    std::printf("adb server:   port %s\n", port);

    // As the connection screen does: wait for a phone, then detect it. The server
    // may list the phone a moment after it started, so each is asked a few times.
    int present = 0;
    for (int attempt = 0; attempt < 10 && present != 1; ++attempt) {
        present = MobrelApi_CheckConnectDeviceToPC_Count();
        if (present != 1) std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    std::printf("presence:     %d%s\n", present,
                present == 0 ? " (no phone)" : present == -1 ? " (adb's device list unreadable)" : "");
    if (present != 1) return 1;

    int detected = -1;
    for (int attempt = 0; attempt < 10 && detected != 0; ++attempt) {
        detected = MobrelApi_CheckDeviceDetected(0);
        if (detected != 0) std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    std::printf("detection:    %d%s\n", detected,
                detected == -2 ? " (allow USB debugging on the phone)" : detected == -1 ? " (no phone)" : "");
    if (detected != 0) return 1;

    const int ready = MobrelApi_ReadyTodoing(0);
    std::printf("bring-up:     %d\n", ready);
    if (ready != 0) return 1;

    MobrelDeviceInfo info {};
    MobrelApi_GetAndroidDevicesInfo(&info, 0);
    std::printf("brand:        %s\nmodel:        %s\nandroid:      %s (4.4 or later: %d)\nserial:       %s\n",
                shown(info.brand).c_str(), shown(info.model).c_str(), shown(info.androidVersion).c_str(),
                MobrelApi_CheckAndroidVersionAt44(), shown(info.serial).c_str());
    std::printf("memory:       %lld of %lld bytes free\n", static_cast<long long>(info.memAvail),
                static_cast<long long>(info.memTotal));
    std::printf("phone:        %lld of %lld bytes free\n", static_cast<long long>(info.phoneAvail),
                static_cast<long long>(info.phoneTotal));
    std::printf("sd card:      %lld of %lld bytes free\n", static_cast<long long>(info.sdAvail),
                static_cast<long long>(info.sdTotal));

    static const char* const kCategories[] = {"contacts", "messages", "call log", "photos", "videos", "music"};
    for (unsigned type = 0; type < 6; ++type) {
        std::printf("%-13s %d\n", (std::string(kCategories[type]) + ":").c_str(),
                    MobrelApi_getItemTotalLoadedCount(type));
    }
    return 0;
}
