// The USB devices of the machine: the present ones, named by Windows-style
// instance ids so that the library classifies them by one set of rules, and a
// monitor that reports devices being added and removed.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace mobrel::platform {

// Where the present USB devices are listed.
extern const char kUsbDevicesRoot[];

// One id per present USB device under root, in name order:
// "USB\VID_xxxx&PID_xxxx\<name>", with "&ADB" after the product id when one of
// the device's interfaces is an ADB interface (class ff, subclass 42, protocol
// 01). Ids are four upper-case hexadecimal digits; an entry without two
// readable ids is not a device and is left out. An unreadable root gives none.
std::vector<std::string> usbInstanceIds(const std::string& root = kUsbDevicesRoot);

enum class UsbChange {
    Added,
    Removed,
    Stopped,  // interrupt() was called
};

// Device-change notifications of the USB subsystem: open(), then next() in a
// loop on one thread. interrupt() ends the loop from another thread; the caller
// orders it after a successful open() (a lock around both will do).
class UsbMonitor {
public:
    UsbMonitor();
    ~UsbMonitor();
    UsbMonitor(const UsbMonitor&) = delete;
    UsbMonitor& operator=(const UsbMonitor&) = delete;

    // False when no device-change notifications are available (no udev).
    bool open();
    // Waits for the next device added or removed; Stopped once interrupt() was
    // called (also when it was called before the wait) or when waiting failed.
    UsbChange next();
    void interrupt();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace mobrel::platform
