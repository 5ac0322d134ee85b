// The known-phone list: classifying instance ids, the walk over a sysfs-like
// tree, rebuilds as the watcher drives them, and the watcher thread on udev.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/paths.h"
#include "platform/usb.h"
#include "test_support.h"
#include "usb_watch.h"

using namespace mobrel;
using namespace mobrel::test;
namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

// The list as "model VVVV:PPPP adbFlag", a line a phone.
Lines described(const UsbPhoneList& list) {
    Lines lines;
    for (int i = 0; i < list.count; ++i) {
        char line[128];
        std::snprintf(line, sizeof line, "%s %04X:%04X %d", list.entries[i].modelName,
                      static_cast<unsigned>(list.entries[i].vendorId), static_cast<unsigned>(list.entries[i].productId),
                      static_cast<int>(list.entries[i].adbFlag));
        lines.push_back(line);
    }
    return lines;
}

// A folder laid out like /sys/bus/usb/devices: "name vendor product" makes a
// device, "name:c.n class sub proto" an interface; an empty field writes no file.
std::string usbTree(const Lines& entries, std::string root = makeTempDir("usb")) {
    for (const std::string& entry : entries) {
        char name[32] = {}, a[8] = {}, b[8] = {}, c[8] = {};
        std::sscanf(entry.c_str(), "%31s %7s %7s %7s", name, a, b, c);
        const std::string dir = root + "/" + name;
        fs::create_directories(dir);
        const bool device = std::string(name).find(':') == std::string::npos;
        const char* files[] = {device ? "idVendor" : "bInterfaceClass", device ? "idProduct" : "bInterfaceSubClass",
                               "bInterfaceProtocol"};
        const char* values[] = {a, b, c};
        for (int i = 0; i < (device ? 2 : 3); ++i) {
            if (*values[i] && *values[i] != '-') writeFile(dir + "/" + files[i], std::string(values[i]) + "\n");
        }
    }
    return root;
}

// A hub, a phone with an ADB interface, a phone with debugging off.
const Lines kTwoPhonesAndAHub = {"usb1 1d6b 0002",      "usb1:1.0 09 00 00", "1-1 18d1 4ee7", "1-1:1.0 08 06 50",
                                 "1-1:1.1 ff 42 01", "1-2 0bb4 0c87",      "1-2:1.0 08 06 50"};

}  // namespace

TEST(ClassifyInstanceId, KnownPhonesTheirAdbInterfacesKnownVendorsAndTenAtMost) {
    const auto classified = [](const Lines& ids) {
        UsbPhoneList list{};
        for (const std::string& id : ids) classifyInstanceId(id, list);
        return list;
    };
    // Its own id names a phone, a second id with "&ADB" marks it, a later one without does not unmark it.
    EXPECT_EQ(described(classified({"USB\\VID_0BB4&PID_0C87\\HT0AB1234567", "USB\\VID_0BB4&PID_0C87&ADB\\1-1:1.1",
                                    "USB\\VID_0BB4&PID_0C87\\again"})),
              Lines{"HTC Desire 0BB4:0C87 0"});
    // An unknown product of a known vendor takes the vendor's last row; unknown vendors and the closing row are no phones.
    EXPECT_EQ(described(classified({"USB\\VID_18D1&PID_4E21&ADB\\0123456789", "USB\\VID_22B8&PID_41DB\\040363F",
                                    "USB\\VID_0BB4&PID_0001\\SH12345", "USB\\VID_04E8&PID_FFFF&ADB\\R58M1",
                                    "USB\\VID_1D6B&PID_0002\\usb1", "USB\\VID_046D&PID_C52B\\1-3",
                                    "USB\\VID_0000&PID_0000\\1-4", "USB\\VID_0000&PID_1234&ADB\\1-5"})),
              (Lines{"Samsung Nexus S 18D1:4E21 0", "Motorola Droid 22B8:41DB -1", "Nexus One 0BB4:0001 -1",
                     "Samsung Epic 4G 04E8:FFFF 0"}));

    Lines ids;
    for (int product = 1; product <= 11; ++product) {
        char id[64];
        std::snprintf(id, sizeof id, "USB\\VID_04E8&PID_%04X\\phone%02d", product, product);
        ids.push_back(id);
    }
    ids.push_back("USB\\VID_04E8&PID_000A&ADB\\phone10-adb");  // the tenth is listed: its mark counts
    ids.push_back("USB\\VID_04E8&PID_000B&ADB\\phone11-adb");  // the eleventh is not
    const UsbPhoneList list = classified(ids);
    ASSERT_EQ(list.count, kUsbPhoneSlots);
    for (int i = 0; i < kUsbPhoneSlots; ++i) {
        EXPECT_EQ(list.entries[i].productId, static_cast<uint32_t>(i + 1));
        EXPECT_EQ(list.entries[i].adbFlag, i == 9 ? 0 : -1);
    }
}

TEST(UsbInstanceIds, WalksDevicesAndTheirInterfacesAndClassifiesThem) {
    Lines entries = kTwoPhonesAndAHub;
    // fastboot, bad and missing ids, an interface whose device is gone
    entries.insert(entries.end(), {"1-2:1.1 ff 42 03", "2-1 zzzz 0001", "2-2 18d1 -", "2-3 18d12 4ee7", "2-4 - -",
                                   "3-1:1.0 ff 42 01", "2-5 - 4ee7"});
    const std::string root = usbTree(entries);
    writeFile(root + "/junk", "not a device\n");
    fs::create_directories(root + "/2-5/idVendor");  // a folder where a file belongs
    EXPECT_EQ(platform::usbInstanceIds(root),
              (Lines{"USB\\VID_18D1&PID_4EE7&ADB\\1-1", "USB\\VID_0BB4&PID_0C87\\1-2", "USB\\VID_1D6B&PID_0002\\usb1"}));
    EXPECT_TRUE(platform::usbInstanceIds(root + "/missing").empty());
    UsbPhoneList list{};
    for (int scan = 0; scan < 2; ++scan) scanUsbPhones(list, root);  // every scan starts from an empty list
    EXPECT_EQ(described(list), (Lines{"Samsung Nexus S 18D1:4EE7 0", "HTC Desire 0BB4:0C87 -1"}));
}

TEST(UsbWatch, DeviceChangesRebuildTheList) {
    const std::string root = usbTree(kTwoPhonesAndAHub);
    UsbWatch watch(root);
    EXPECT_EQ(watch.adbFlag(0), 0) << "nothing listed before the first rebuild";
    ASSERT_EQ(watch.rescan(), 2);
    for (const auto& [index, flag] : std::vector<std::pair<int, int>>{{0, 0}, {1, -1}, {2, 0}, {-1, 0}, {1 << 30, 0}}) {
        EXPECT_EQ(watch.adbFlag(index), flag) << index;
    }
    for (const char* gone : {"1-1", "1-1:1.0", "1-1:1.1"}) fs::remove_all(root + "/" + gone);
    watch.onUsbChange(platform::UsbChange::Removed);
    EXPECT_EQ(described(watch.phones()), Lines{"HTC Desire 0BB4:0C87 -1"});
    // Debugging switched on: its ADB interface comes as a device change.
    usbTree({"1-2:1.1 ff 42 01"}, root);
    watch.onUsbChange(platform::UsbChange::Added);
    EXPECT_EQ(described(watch.phones()), Lines{"HTC Desire 0BB4:0C87 0"});
}

// Rebuilds from the watcher's and the presence check's threads never interleave: every list read is whole.
TEST(UsbWatch, RebuildsNeverInterleave) {
    UsbWatch watch(usbTree(kTwoPhonesAndAHub));
    watch.rescan();
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!done) {
            const UsbPhoneList list = watch.phones();
            if (list.count != 2 || list.entries[0].vendorId != 0x18D1 || list.entries[1].vendorId != 0x0BB4) ++torn;
        }
    });
    std::vector<std::thread> writers;
    for (int t = 0; t < 3; ++t) {
        writers.emplace_back([&watch, t] {
            for (int i = 0; i < 100; ++i) {
                if (t == 0) {
                    watch.onUsbChange(platform::UsbChange::Added);
                } else {
                    EXPECT_EQ(watch.rescan(), 2);
                }
            }
        });
    }
    for (std::thread& w : writers) w.join();
    done = true;
    reader.join();
    EXPECT_EQ(torn, 0);
}

TEST(UsbWatch, WatcherStartsAndStopsAgain) {
    const bool udevHere = platform::UsbMonitor().open();
    UsbWatch watch(usbTree(kTwoPhonesAndAHub));
    watch.stopWatcher();  // nothing to stop yet
    for (int round = 0; round < 23; ++round) {
        ASSERT_EQ(watch.startWatcher(), 0);
        if (round >= 3) {  // a stop right after the start, before the thread opened its monitor
            watch.stopWatcher();
            continue;
        }
        EXPECT_EQ(watch.startWatcher(), 0) << "one thread is recorded: no second one";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (udevHere && !watch.watching() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_TRUE(watch.watching() || !udevHere);
        watch.stopWatcher();
        EXPECT_FALSE(watch.watching());
    }
    EXPECT_EQ(watch.rescan(), 2);        // the list works without the watcher
    ASSERT_EQ(watch.startWatcher(), 0);  // the destructor stops it
}
