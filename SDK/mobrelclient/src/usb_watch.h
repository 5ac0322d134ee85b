// The known-phone list: the present USB devices that look like phones, by the
// vendor and product ids of a table of known models. The presence check
// rebuilds it, and so does a watcher thread whenever a USB device is added or
// removed; the two rebuilds never interleave.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/usb.h"

namespace mobrel {

struct KnownModel {
    uint32_t vendorId;
    uint32_t productId;
    const char* name;
};

// The known models; the last row, "End" (0000/0000), closes the table and
// matches no device.
constexpr int kKnownModelRows = 24;
extern const KnownModel kKnownModels[kKnownModelRows];

struct UsbPhoneEntry {
    uint32_t vendorId;
    uint32_t productId;
    const char* modelName;  // a name of kKnownModels
    int8_t adbFlag;         // 0: an ADB interface of this phone was seen; -1: not
};

constexpr int kUsbPhoneSlots = 10;

struct UsbPhoneList {
    UsbPhoneEntry entries[kUsbPhoneSlots];
    int32_t count;
};

// Takes one device's instance id ("USB\VID_18D1&PID_4EE7&ADB\1-1") into the
// list. The id must begin with "USB", have "VID_" at 4 and "PID_" at 13, four
// hexadecimal digits after each, and at least 25 characters; "&ADB" at 21 marks
// an ADB interface. A phone already listed only gains the ADB mark; a new one
// is added when the table knows its vendor and product (else its vendor: the
// last such row names it) and fewer than 10 are listed. Anything else is ignored.
void classifyInstanceId(const std::string& id, UsbPhoneList& list);

// Empties the list (entries are overwritten, not cleared) and classifies the id
// of every USB device present under sysfsRoot, printing each id to stdout.
void scanUsbPhones(UsbPhoneList& list, const std::string& sysfsRoot);

// Runs start, and once more when it fails; when both fail, logs so. 0 or -1.
int startWithRetry(const std::function<bool()>& start);

class UsbWatch {
public:
    explicit UsbWatch(std::string sysfsRoot = platform::kUsbDevicesRoot);
    ~UsbWatch();  // stops the watcher
    UsbWatch(const UsbWatch&) = delete;
    UsbWatch& operator=(const UsbWatch&) = delete;

    // Rebuilds the list from the present devices; the number of phones found.
    int rescan();
    // What the watcher does for one notification: every device added or removed
    // rebuilds the list; a removal is logged first.
    void onUsbChange(platform::UsbChange change);

    // The ADB flag of phone index (0 or -1); 0 for an index not in the list.
    int adbFlag(int index);
    UsbPhoneList phones();  // a copy

    // Starts the watcher thread unless one is recorded. 0, or -1 when the
    // thread could not be created. Without device-change notifications (no
    // udev) the thread ends at once; the list is then rebuilt by rescan() only.
    int startWatcher();
    // Ends the watcher thread and waits for it.
    void stopWatcher();
    // True while the thread receives notifications.
    bool watching() const { return started_; }

private:
    void watch();

    const std::string sysfsRoot_;
    std::mutex listMutex_;  // held for every rebuild and read of list_
    UsbPhoneList list_ {};

    std::mutex threadMutex_;  // thread_, monitor_ and stopping_
    std::thread thread_;
    platform::UsbMonitor* monitor_ = nullptr;  // the running thread's, once open
    bool stopping_ = false;
    std::atomic<bool> started_ {false};
};

// The process's list of the present USB devices; created by the first call
// (MobrelApi_Init makes that call), never destroyed.
UsbWatch& usbWatch();

}  // namespace mobrel
