#include "context.h"

#include <new>

namespace mobrel {

namespace {

constexpr int kPageBufferSize = 5242880;
constexpr int kPageBufferMinimum = 10240;

}  // namespace

LibraryContext::LibraryContext() {
    for (int size = kPageBufferSize; size >= kPageBufferMinimum; size /= 2) {
        pageBuffer = new (std::nothrow) char[size];
        if (pageBuffer) {
            pageBufferSize = size;
            break;
        }
    }
}

DeviceState SharedDeviceState::copy() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return state_;
}

std::string SharedDeviceState::currentSerial() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return state_.currentSerial;
}

void SharedDeviceState::publishTable(const AdbDeviceTable& table) {
    std::lock_guard<std::mutex> guard(mutex_);
    state_.table = table;
}

void SharedDeviceState::publishCurrentSerial(const std::string& serial) {
    std::lock_guard<std::mutex> guard(mutex_);
    state_.currentSerial = serial;
}

void SharedDeviceState::publishFacts(const MobrelDeviceInfo& facts) {
    std::lock_guard<std::mutex> guard(mutex_);
    state_.facts = facts;
}

LibraryContext& libraryContext() {
    // Allocated once and never freed: pointers into it are handed out for the
    // life of the process, also after MobrelApi_UnInit.
    static LibraryContext* context = new LibraryContext();
    return *context;
}

ItemProgress* itemProgress(int itemType) {
    if (itemType < 0 || itemType >= kItemTypeCount) return nullptr;
    return &libraryContext().items[itemType];
}

}  // namespace mobrel
