// The known-phone list: classifying instance ids, the walk over a sysfs-like
// tree built here, rebuilds driven as the watcher drives them, and the watcher
// thread on the machine's udev monitor.
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

UsbPhoneList classified(const std::vector<std::string>& ids) {
    UsbPhoneList list {};
    for (const std::string& id : ids) classifyInstanceId(id, list);
    return list;
}

// The list as "model vendor:product adbFlag", a line a phone.
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

// A folder laid out like /sys/bus/usb/devices: devices with id files,
// interfaces "<device>:<config>.<n>" with their class, subclass and protocol.
class FakeUsbTree {
public:
    FakeUsbTree() : root_(makeTempDir("usb")) {}
    const std::string& root() const { return root_; }

    void device(const std::string& name, const std::string& vendor, const std::string& product) {
        fs::create_directories(root_ + "/" + name);
        if (!vendor.empty()) writeFile(root_ + "/" + name + "/idVendor", vendor + "\n");
        if (!product.empty()) writeFile(root_ + "/" + name + "/idProduct", product + "\n");
    }
    void interface(const std::string& name, const std::string& cls, const std::string& sub, const std::string& proto) {
        const std::string dir = root_ + "/" + name;
        fs::create_directories(dir);
        writeFile(dir + "/bInterfaceClass", cls + "\n");
        writeFile(dir + "/bInterfaceSubClass", sub + "\n");
        writeFile(dir + "/bInterfaceProtocol", proto + "\n");
    }
    void remove(const std::string& name) { fs::remove_all(root_ + "/" + name); }

private:
    std::string root_;
};

// A phone with an ADB interface, a phone without one and a hub that is no phone.
void twoPhonesAndAHub(FakeUsbTree& tree) {
    tree.device("usb1", "1d6b", "0002");
    tree.interface("usb1:1.0", "09", "00", "00");
    tree.device("1-1", "18d1", "4ee7");  // vendor of "Samsung Nexus S", other product
    tree.interface("1-1:1.0", "08", "06", "50");
    tree.interface("1-1:1.1", "ff", "42", "01");
    tree.device("1-2", "0bb4", "0c87");  // HTC Desire, debugging off
    tree.interface("1-2:1.0", "08", "06", "50");
}

}  // namespace

TEST(ClassifyInstanceId, KnownPhonesTheirAdbInterfacesAndKnownVendors) {
    // A phone listed once: its own id names it, its second id with "&ADB" only
    // marks it, and a later id without "&ADB" does not take the mark back.
    EXPECT_EQ(described(classified({"USB\\VID_0BB4&PID_0C87\\HT0AB1234567", "USB\\VID_0BB4&PID_0C87&ADB\\1-1:1.1",
                                    "USB\\VID_0BB4&PID_0C87\\again"})),
              Lines {"HTC Desire 0BB4:0C87 0"});

    // An unknown product of a known vendor is named after the vendor's last row;
    // unknown vendors and the closing row are no phones.
    EXPECT_EQ(described(classified({"USB\\VID_18D1&PID_4E21&ADB\\0123456789", "USB\\VID_22B8&PID_41DB\\040363F",
                                    "USB\\VID_0BB4&PID_0001\\SH12345", "USB\\VID_04E8&PID_FFFF&ADB\\R58M1",
                                    "USB\\VID_1D6B&PID_0002\\usb1", "USB\\VID_046D&PID_C52B\\1-3",
                                    "USB\\VID_0000&PID_0000\\1-4", "USB\\VID_0000&PID_1234&ADB\\1-5"})),
              (Lines {"Samsung Nexus S 18D1:4E21 0", "Motorola Droid 22B8:41DB -1", "Nexus One 0BB4:0001 -1",
                      "Samsung Epic 4G 04E8:FFFF 0"}));
}

TEST(ClassifyInstanceId, TenPhonesAtMost) {
    std::vector<std::string> ids;
    for (int product = 1; product <= 11; ++product) {
        char id[64];
        std::snprintf(id, sizeof id, "USB\\VID_04E8&PID_%04X\\phone%02d", product, product);
        ids.push_back(id);
    }
    ids.push_back("USB\\VID_04E8&PID_000A&ADB\\phone10-adb");  // the tenth is listed: its mark still counts
    ids.push_back("USB\\VID_04E8&PID_000B&ADB\\phone11-adb");  // the eleventh is not
    const UsbPhoneList list = classified(ids);
    ASSERT_EQ(list.count, kUsbPhoneSlots);
    for (int i = 0; i < kUsbPhoneSlots; ++i) EXPECT_EQ(list.entries[i].productId, static_cast<uint32_t>(i + 1));
    EXPECT_EQ(list.entries[9].adbFlag, 0);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(list.entries[i].adbFlag, -1);
}

TEST(UsbInstanceIds, WalksDevicesAndTheirInterfacesAndClassifiesThem) {
    FakeUsbTree tree;
    twoPhonesAndAHub(tree);
    tree.interface("1-2:1.1", "ff", "42", "03");  // fastboot, not adb
    tree.device("2-1", "zzzz", "0001");
    tree.device("2-2", "18d1", "");
    tree.device("2-3", "18d12", "4ee7");
    tree.device("2-4", "", "");
    tree.interface("3-1:1.0", "ff", "42", "01");  // an interface whose device is gone
    writeFile(tree.root() + "/junk", "not a device\n");
    fs::create_directories(tree.root() + "/2-5/idVendor");  // a folder where a file belongs
    writeFile(tree.root() + "/2-5/idProduct", "4ee7\n");

    const Lines expected = {
        "USB\\VID_18D1&PID_4EE7&ADB\\1-1",
        "USB\\VID_0BB4&PID_0C87\\1-2",
        "USB\\VID_1D6B&PID_0002\\usb1",
    };
    EXPECT_EQ(platform::usbInstanceIds(tree.root()), expected);
    EXPECT_TRUE(platform::usbInstanceIds(tree.root() + "/missing").empty());

    // The ids of the walk are classified; every scan starts from an empty list.
    UsbPhoneList list {};
    for (int scan = 0; scan < 2; ++scan) scanUsbPhones(list, tree.root());
    EXPECT_EQ(described(list), (Lines {"Samsung Nexus S 18D1:4EE7 0", "HTC Desire 0BB4:0C87 -1"}));
}

TEST(UsbWatch, DeviceChangesRebuildTheList) {
    FakeUsbTree tree;
    twoPhonesAndAHub(tree);
    UsbWatch watch(tree.root());
    EXPECT_EQ(watch.adbFlag(0), 0) << "nothing listed before the first rebuild";
    ASSERT_EQ(watch.rescan(), 2);
    EXPECT_EQ(watch.adbFlag(0), 0);
    EXPECT_EQ(watch.adbFlag(1), -1);
    EXPECT_EQ(watch.adbFlag(2), 0);
    EXPECT_EQ(watch.adbFlag(-1), 0);
    EXPECT_EQ(watch.adbFlag(1 << 30), 0);

    tree.remove("1-1");
    tree.remove("1-1:1.0");
    tree.remove("1-1:1.1");
    watch.onUsbChange(platform::UsbChange::Removed);
    UsbPhoneList list = watch.phones();
    ASSERT_EQ(list.count, 1);
    EXPECT_STREQ(list.entries[0].modelName, "HTC Desire");

    // The phone switched debugging on: its ADB interface comes as a device change.
    tree.interface("1-2:1.1", "ff", "42", "01");
    watch.onUsbChange(platform::UsbChange::Added);
    list = watch.phones();
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(list.entries[0].adbFlag, 0);
}

// Rebuilds from several threads (the watcher's and the presence check's) never
// interleave: every list read between them is whole.
TEST(UsbWatch, RebuildsNeverInterleave) {
    FakeUsbTree tree;
    twoPhonesAndAHub(tree);
    UsbWatch watch(tree.root());
    watch.rescan();
    std::atomic<bool> done {false};
    std::atomic<int> torn {0};
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
    FakeUsbTree tree;
    twoPhonesAndAHub(tree);
    const bool udevHere = platform::UsbMonitor().open();
    UsbWatch watch(tree.root());
    watch.stopWatcher();  // nothing to stop yet
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(watch.startWatcher(), 0);
        EXPECT_EQ(watch.startWatcher(), 0) << "one thread is recorded: no second one";
        if (udevHere) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!watch.watching() && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            EXPECT_TRUE(watch.watching());
        }
        watch.stopWatcher();
        EXPECT_FALSE(watch.watching());
    }
    // A stop right after the start, before the thread has opened its monitor.
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(watch.startWatcher(), 0);
        watch.stopWatcher();
    }
    // The list keeps working without the watcher.
    EXPECT_EQ(watch.rescan(), 2);
    ASSERT_EQ(watch.startWatcher(), 0);  // the destructor stops it
}
