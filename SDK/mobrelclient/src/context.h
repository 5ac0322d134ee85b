// The library context: what the exports share for the life of the process.
// The record and media catalogues keep their lists in their own modules.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "adb_devices.h"
#include "mobrelclient.h"

namespace mobrel {

// Item types of the counter exports.
enum ItemType : int { kContacts = 0, kMessages = 1, kCallLog = 2, kPhotos = 3, kVideos = 4, kMusic = 5 };
constexpr int kItemTypeCount = 6;

// Progress of one category. The GUI polls these from other threads while a
// flush runs, so each is a single atomic value.
struct ItemProgress {
    std::atomic<int32_t> total {0};    // count the phone reported, or records kept
    std::atomic<int32_t> current {0};  // start of the next page, or number of the item being fetched
    std::atomic<uint8_t> loaded {0};   // set when a flush starts
};

// What detection and bring-up learn of the phone: adb's device table, the
// device chosen as current, and the facts of the last bring-up that got them.
struct DeviceState {
    AdbDeviceTable table {};
    std::string currentSerial;  // "" when no device is chosen
    MobrelDeviceInfo facts {};
};

// Detection and bring-up rewrite the device state while other threads flush,
// export and read the device information: it is one value behind one lock.
// Writers build a new part aside and publish it whole; readers take a copy.
class SharedDeviceState {
public:
    DeviceState copy() const;
    std::string currentSerial() const;

    void publishTable(const AdbDeviceTable& table);
    void publishCurrentSerial(const std::string& serial);
    void publishFacts(const MobrelDeviceInfo& facts);

private:
    mutable std::mutex mutex_;
    DeviceState state_;
};

struct LibraryContext {
    LibraryContext();
    ~LibraryContext() = delete;  // lives for the process

    SharedDeviceState device;
    std::atomic<int32_t> appCount {0};

    ItemProgress items[kItemTypeCount];

    // One buffer for every page reply: 5 MiB, halved while the allocation fails,
    // never below 10 KiB.
    char* pageBuffer = nullptr;
    int pageBufferSize = 0;
};

// Created by the first call (MobrelApi_Init makes that call); never destroyed.
LibraryContext& libraryContext();

// The progress of itemType, or nullptr when it is outside 0..5.
ItemProgress* itemProgress(int itemType);

}  // namespace mobrel
