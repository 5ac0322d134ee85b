// mobrelcheck: a self-check of the device-link library against the real adb,
// through its exports as the program uses them: see that a phone is present,
// detect it, bring it up, print its facts and counts, and flush every category.
// It refuses to run without a private ANDROID_ADB_SERVER_PORT, so that
// nobody's own adb server is restarted.
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

    // What bring-up counted, then what each flush lists.
    int counted[6];
    for (unsigned type = 0; type < 6; ++type) counted[type] = MobrelApi_getItemTotalLoadedCount(type);
    std::printf("\n%-10s %8s %6s  %s\n", "category", "counted", "flush", "listed");
    const auto row = [&counted](const char* name, unsigned type, int flush, const std::string& listed) {
        std::printf("%-10s %8d %6d  %s\n", name, counted[type], flush, listed.c_str());
    };
    int flush = MobrelApi_FlushPerson();
    MobrelContact* contact = nullptr;
    row("contacts", 0, flush, std::to_string(MobrelApi_GetPerson(&contact)));

    flush = MobrelApi_FlushSMS();
    MobrelSmsThread* thread = nullptr;
    const int messages = MobrelApi_GetSMS(&thread);
    int conversations = 0;
    for (; thread; thread = thread->next) ++conversations;
    row("messages", 1, flush, std::to_string(messages) + " in " + std::to_string(conversations) + " conversations");

    flush = MobrelApi_FlushCallHistory();
    MobrelCallGroup* group = nullptr;
    const int calls = MobrelApi_GetCallHistory(&group);
    int numbers = 0;
    for (; group; group = group->next) ++numbers;
    row("call log", 2, flush, std::to_string(calls) + " from " + std::to_string(numbers) + " numbers");

    flush = MobrelApi_FlushPhotos();
    row("photos", 3, flush, std::to_string(MobrelApi_GetPhotoCount()));
    flush = MobrelApi_FlushVideo();
    row("videos", 4, flush, std::to_string(MobrelApi_GetVideoCount()));
    flush = MobrelApi_FlushMusic();
    row("music", 5, flush, std::to_string(MobrelApi_GetMusicCount()));
    return 0;
}
