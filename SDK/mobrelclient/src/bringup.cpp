#include "bringup.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

#include "adb_devices.h"
#include "capture.h"
#include "channel.h"
#include "commands.h"
#include "context.h"
#include "exchange.h"
#include "hex.h"
#include "media.h"
#include "record.h"
#include "runner.h"
#include "usb_watch.h"
#include "workdir.h"

namespace mobrel {

namespace {

constexpr int kFactsBuffer = 1024;
constexpr size_t kPropertyFileLimit = 64;  // a property of 64 bytes or more is ignored

// Copies text into a fixed field, cut to at most limit characters.
template <size_t N>
void copyField(char (&field)[N], const char* text, size_t limit = N - 1) {
    const size_t length = strnlen(text, limit < N - 1 ? limit : N - 1);
    std::memcpy(field, text, length);
    field[length] = '\0';
}

// Runs one getprop capture into field, leaving it as it is when the query
// fails, times out or prints 64 bytes or more. The text keeps its line end.
template <size_t N>
void queryProperty(const std::string& serial, const char* property, char (&field)[N]) {
    const std::string capture = nextCapturePath();
    std::remove(capture.c_str());
    runAdbCapture(adbargs::getprop(serial, property), capture);
    std::string text;
    if (readCaptureFile(capture, text) && text.size() < kPropertyFileLimit) copyField(field, text.c_str());
    std::remove(capture.c_str());
}

// The designed digit rule: every character adds its code minus '0' to ten
// times the sum so far. Computed unsigned, so odd input wraps rather than overflows.
int64_t plainDecimal(const char* text) {
    uint64_t sum = 0;
    for (const char* c = text; *c; ++c) sum = sum * 10 + static_cast<uint64_t>(static_cast<unsigned char>(*c) - '0');
    return static_cast<int64_t>(sum);
}

// A count reply of a category that must be positive to count.
int32_t positiveCount(const char* command) {
    const IntReply reply = sendForInt(command);
    return reply.bytes == 4 && reply.value > 0 ? reply.value : 0;
}

// The digits of a version text up to the next '.' or the end, other characters
// ignored; c is left there. Held below a bound, so no text overflows it.
int versionNumber(const char*& c) {
    constexpr int kBound = 1000000;
    int number = 0;
    for (; *c && *c != '.'; ++c) {
        if (*c >= '0' && *c <= '9') number = std::min(number * 10 + (*c - '0'), kBound);
    }
    return number;
}

void warmCounts(LibraryContext& context) {
    const IntReply contacts = sendForInt(cmd::kContactCount);
    context.items[kContacts].total = contacts.bytes == 4 ? contacts.value : 0;
    context.items[kMessages].total = positiveCount(cmd::kSmsCount);
    context.items[kCallLog].total = positiveCount(cmd::kCallLogCount);
    for (ItemType kind : {kPhotos, kVideos, kMusic}) context.items[kind].total = std::max(rebuiltMediaCount(kind), 0);
    context.appCount = sendForInt(cmd::kAppCount).value;
    for (ItemProgress& item : context.items) item.loaded = 0;
}

}  // namespace

int checkConnectDeviceToPcCount() {
    if (usbWatch().rescan() > 0) return 1;
    const std::string capture = countCapturePath();
    std::remove(capture.c_str());
    runAdbCapture(adbargs::kDevices, capture);
    std::string text;
    if (!readCaptureFile(capture, text)) return -1;
    const int devices = countAdbDevices(text.c_str());
    std::remove(capture.c_str());
    return devices > 0 ? 1 : 0;
}

int checkDeviceDetected(int index) {
    const std::string capture = nextCapturePath();
    std::remove(capture.c_str());
    runAdbLimited(adbargs::kKillServer);
    runAdbLimited(adbargs::kStartServer);

    std::remove(capture.c_str());
    runAdbCapture(adbargs::kDevices, capture);
    std::string text;
    if (!readCaptureFile(capture, text)) return -1;
    // The new table is built aside and published whole once its entry is read.
    AdbDeviceTable table;
    parseAdbDevices(text.c_str(), table);  // the capture stays in the work folder
    SharedDeviceState& device = libraryContext().device;

    if (index < 0 || index >= table.count || index >= kAdbDeviceSlots) {
        device.publishTable(table);
        return -1;
    }
    AdbDeviceEntry& entry = table.entries[index];
    if (std::strcmp(entry.state, "device") != 0) {
        device.publishTable(table);
        return -2;
    }

    queryProperty(entry.serial, adbargs::kPropVersion, entry.scratch);
    copyField(entry.androidVersion, entry.scratch);
    queryProperty(entry.serial, adbargs::kPropModel, entry.model);
    queryProperty(entry.serial, adbargs::kPropManufacturer, entry.manufacturer);
    queryProperty(entry.serial, adbargs::kPropPda, entry.buildPda);
    device.publishTable(table);
    return 0;
}

int readyTodoing(int index) {
    LibraryContext& context = libraryContext();
    deleteTree(workDirectory());
    makeDirsAlongPath(workDirectory());

    // With no device chosen the serial is "", and adb takes the only device.
    const bool chosen = index >= 0 && index < kAdbDeviceSlots;
    const std::string serial = chosen ? context.device.copy().table.entries[index].serial : "";
    context.device.publishCurrentSerial(serial);
    serviceChannel().setDeviceSerial(serial);
    if (chosen) {
        closeServiceChannel();
        openServiceChannel();
    }

    runAdbLimited(adbargs::forceStop(serial));
    runAdbLimited(adbargs::uninstall(serial));
    runAdbWait(adbargs::install(serial, adbDirectory() + "/" + adbargs::kCompanionApk));
    runAdbWait(adbargs::startCompanion(serial));

    int bytes = 0;
    if (sendForText(cmd::kHello, 1024, &bytes) != cmd::kHelloReply || bytes <= 0) return -1;

    char facts[kFactsBuffer + 1] = {};
    if (SendCommandToAndroidServices(cmd::kDeviceFacts, facts, kFactsBuffer, nullptr, 0, 0) > 0) {
        MobrelDeviceInfo parsed;
        parseDeviceFacts(facts, parsed);
        context.device.publishFacts(parsed);
    }
    warmCounts(context);
    return 0;
}

void parseDeviceFacts(char* reply, MobrelDeviceInfo& facts) {
    std::memset(&facts, 0, sizeof facts);
    struct TextKey {
        const char* key;
        char* field;
    };
    const TextKey texts[] = {{"BRAND", facts.brand}, {"MODEL", facts.model},
                             {"ANDROIDVERSION", facts.androidVersion}, {"SERIAL", facts.serial}};
    // The record is byte-packed, so its numbers may sit at any address: they are
    // copied in by offset, never stored through an int64_t pointer.
    struct NumberKey {
        const char* key;
        size_t offset;
    };
    const NumberKey numbers[] = {
        {"MEMTOTAL", offsetof(MobrelDeviceInfo, memTotal)},     {"MEMAVAIL", offsetof(MobrelDeviceInfo, memAvail)},
        {"SDTOTAL", offsetof(MobrelDeviceInfo, sdTotal)},       {"SDAVAIL", offsetof(MobrelDeviceInfo, sdAvail)},
        {"PHONETOTAL", offsetof(MobrelDeviceInfo, phoneTotal)}, {"PHONEAVAIL", offsetof(MobrelDeviceInfo, phoneAvail)}};

    RecordItem item;
    char* pos = reply;
    while (*pos) {
        if (*pos == '.') {  // every item lands in the one record
            ++pos;
            continue;
        }
        pos = parseRecordItem(pos, item);
        if (!item.key) break;
        for (const TextKey& text : texts) {
            if (std::strcmp(item.key, text.key) != 0) continue;
            const std::string value = hexDecode(item.value);
            const size_t length = strnlen(value.c_str(), 63);  // every text field holds at least 64
            std::memcpy(text.field, value.data(), length);
            text.field[length] = '\0';
        }
        for (const NumberKey& number : numbers) {
            if (std::strcmp(item.key, number.key) != 0) continue;
            const int64_t value = plainDecimal(item.value);
            std::memcpy(reinterpret_cast<char*>(&facts) + number.offset, &value, sizeof value);
        }
    }
}

int getAndroidDevicesInfo(MobrelDeviceInfo* out, int index) {
    if (!out || index < 0 || index >= kAdbDeviceSlots) return -1;
    const DeviceState state = libraryContext().device.copy();  // one detection's table, one bring-up's facts
    const AdbDeviceEntry& entry = state.table.entries[index];
    copyField(out->brand, entry.manufacturer);
    copyField(out->serial, entry.serial);
    copyField(out->model, entry.model);
    copyField(out->androidVersion, entry.androidVersion);

    // Facts from the companion app win over the adb properties where they are known.
    const MobrelDeviceInfo& facts = state.facts;
    if (facts.brand[0]) copyField(out->brand, facts.brand, 126);
    if (facts.serial[0]) copyField(out->serial, facts.serial, 62);
    if (facts.model[0]) copyField(out->model, facts.model, 62);
    if (facts.androidVersion[0]) copyField(out->androidVersion, facts.androidVersion, 62);
    if (facts.reserved[0]) copyField(out->reserved, facts.reserved, 62);
    out->memTotal = facts.memTotal;
    out->memAvail = facts.memAvail;
    out->percentValue = facts.percentValue;
    out->phoneTotal = facts.phoneTotal;
    out->phoneAvail = facts.phoneAvail;
    out->sdTotal = facts.sdTotal;
    out->sdAvail = facts.sdAvail;
    return 0;
}

int checkAndroidVersionAt44() {
    return versionAtLeast44(libraryContext().device.copy().table.entries[0].androidVersion);
}

int versionAtLeast44(const char* version) {
    const char* c = version;
    const int major = versionNumber(c);
    const int minor = *c == '.' ? versionNumber(++c) : 0;
    return major * 10 + minor > 43 ? 1 : 0;
}

}  // namespace mobrel
