#include "usb_watch.h"

#include <cstdio>
#include <system_error>

#include "log.h"

namespace mobrel {

const KnownModel kKnownModels[kKnownModelRows] = {
    {0x04E8, 0x685E, "Samsung M250S"},
    {0x1782, 0x5D04, "Meiling SPHS"},
    {0x0BB4, 0x0C87, "HTC Desire"},
    {0x0BB4, 0x0C8D, "HTC EVO"},
    {0x0BB4, 0x0C96, "HTC MyTouch 4G"},
    {0x0FCE, 0x212E, "SonyEricsson X10i"},
    {0x0BB4, 0x0C01, "HTC Dream / T-Mobile G1 v1.0"},
    {0x0BB4, 0x0C02, "HTC Dream / T-Mobile G1 v1.6"},
    {0x22B8, 0x41DB, "Motorola Droid"},
    {0x0BB4, 0x0FF9, "Motorola Droid X"},
    {0x0BB4, 0x4E11, "Nexus One"},
    {0x0BB4, 0x4E12, "Nexus One"},
    {0x04E8, 0x6640, "Samsung Galaxy I7500"},
    {0x04E8, 0x6860, "Samsung Galaxy S3"},
    {0x04E8, 0x6877, "Samsung Galaxy S GT-I9000"},
    {0x18D1, 0x4E21, "Samsung Nexus S"},
    {0x04E8, 0x681D, "Samsung Epic 4G"},
    {0x0E79, 0x1357, "Archos 5 Internet Tablet"},
    {0x12D1, 0x1038, "Huawei U8150"},
    {0x0502, 0x3203, "Acer Liquid E"},
    {0x0502, 0x3317, "Acer Liquid Metal (S120)"},
    {0x0B05, 0x4E0F, "Asus Eee pad transformer (TF101)"},
    {0x1004, 0x618E, "LG G2x"},
    {0x0000, 0x0000, "End"},
};

namespace {

// The watcher's place in the log, as the log has always named it.
constexpr char kWatcherSource[] = "CheckAndroidDevice";
constexpr int kWatcherLine = 38;

constexpr size_t kInstanceIdMinimum = 25;

// Four hexadecimal digits of id at pos, or false.
bool readHexId(const std::string& id, size_t pos, uint32_t& value) {
    value = 0;
    for (size_t i = pos; i < pos + 4; ++i) {
        const char c = id[i];
        uint32_t digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint32_t>(c - '0');
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<uint32_t>(c - 'A' + 10);
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<uint32_t>(c - 'a' + 10);
        } else {
            return false;
        }
        value = value * 16 + digit;
    }
    return true;
}

// The row of vendor and product, else the last row of the vendor; null when
// the vendor is unknown. The closing "End" row is no phone.
const KnownModel* findModel(uint32_t vendorId, uint32_t productId) {
    const KnownModel* byVendor = nullptr;
    for (int row = 0; row < kKnownModelRows - 1; ++row) {
        const KnownModel& model = kKnownModels[row];
        if (model.vendorId != vendorId) continue;
        if (model.productId == productId) return &model;
        byVendor = &model;
    }
    return byVendor;
}

}  // namespace

void classifyInstanceId(const std::string& id, UsbPhoneList& list) {
    if (id.size() < kInstanceIdMinimum || id.compare(0, 3, "USB") != 0 || id.compare(4, 4, "VID_") != 0 ||
        id.compare(13, 4, "PID_") != 0) {
        return;
    }
    uint32_t vendorId;
    uint32_t productId;
    if (!readHexId(id, 8, vendorId) || !readHexId(id, 17, productId)) return;
    const int8_t adbFlag = id.compare(21, 4, "&ADB") == 0 ? 0 : -1;

    for (int i = 0; i < list.count; ++i) {
        UsbPhoneEntry& entry = list.entries[i];
        if (entry.vendorId != vendorId || entry.productId != productId) continue;
        if (adbFlag == 0) entry.adbFlag = 0;
        return;
    }
    const KnownModel* model = findModel(vendorId, productId);
    if (!model || list.count >= kUsbPhoneSlots) return;
    list.entries[list.count++] = UsbPhoneEntry {vendorId, productId, model->name, adbFlag};
}

void scanUsbPhones(UsbPhoneList& list, const std::string& sysfsRoot) {
    list.count = 0;
    for (const std::string& id : platform::usbInstanceIds(sysfsRoot)) {
        std::printf("%s\n", id.c_str());
        classifyInstanceId(id, list);
    }
}

int startWithRetry(const std::function<bool()>& start) {
    if (start() || start()) return 0;
    // The handle of the second attempt: none.
    logMessageAt(kWatcherSource, kWatcherLine, "Faild(%d)  %s, %d\n", 0, kWatcherSource, kWatcherLine);
    return -1;
}

UsbWatch::UsbWatch(std::string sysfsRoot) : sysfsRoot_(std::move(sysfsRoot)) {}

UsbWatch::~UsbWatch() { stopWatcher(); }

int UsbWatch::rescan() {
    std::lock_guard<std::mutex> guard(listMutex_);
    scanUsbPhones(list_, sysfsRoot_);
    return list_.count;
}

void UsbWatch::onUsbChange(platform::UsbChange change) {
    switch (change) {
        case platform::UsbChange::Added:
            rescan();
            break;
        case platform::UsbChange::Removed:
            logMessage("USB Remove 1 \n");
            logMessage("USB Remove\n");
            rescan();
            break;
        case platform::UsbChange::Stopped:
            break;
    }
}

int UsbWatch::adbFlag(int index) {
    std::lock_guard<std::mutex> guard(listMutex_);
    if (index < 0 || index >= list_.count) return 0;
    return list_.entries[index].adbFlag;
}

UsbPhoneList UsbWatch::phones() {
    std::lock_guard<std::mutex> guard(listMutex_);
    return list_;
}

int UsbWatch::startWatcher() {
    std::lock_guard<std::mutex> guard(threadMutex_);
    if (thread_.joinable()) return 0;
    stopping_ = false;
    return startWithRetry([this] {
        try {
            thread_ = std::thread(&UsbWatch::watch, this);
            return true;
        } catch (const std::system_error&) {
            return false;
        }
    });
}

void UsbWatch::stopWatcher() {
    std::thread thread;
    {
        std::lock_guard<std::mutex> guard(threadMutex_);
        stopping_ = true;
        if (monitor_) monitor_->interrupt();
        thread = std::move(thread_);
    }
    if (thread.joinable()) thread.join();
}

void UsbWatch::watch() {
    platform::UsbMonitor monitor;
    {
        std::lock_guard<std::mutex> guard(threadMutex_);
        if (stopping_ || !monitor.open()) return;
        monitor_ = &monitor;
        started_ = true;
    }
    for (platform::UsbChange change = monitor.next(); change != platform::UsbChange::Stopped;
         change = monitor.next()) {
        onUsbChange(change);
    }
    {
        std::lock_guard<std::mutex> guard(threadMutex_);
        monitor_ = nullptr;
    }
    started_ = false;
}

UsbWatch& usbWatch() {
    static UsbWatch* const watch = new UsbWatch();
    return *watch;
}

}  // namespace mobrel
