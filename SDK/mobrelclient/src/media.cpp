#include "media.h"

#include <filesystem>
#include <mutex>
#include <vector>

#include "channel.h"
#include "commands.h"
#include "exchange.h"
#include "hex.h"
#include "log.h"
#include "media_kinds.h"
#include "runner.h"
#include "workdir.h"

namespace mobrel {
namespace fs = std::filesystem;
namespace {

constexpr int kIndexReplyBuffer = 1024;
constexpr int kPathReplyBuffer = 1024;
constexpr int kStoragePathBuffer = 512;
constexpr int kLastNumber = 9;  // "(1)" to "(9)"

// The three lists and the one lock that guards them: the GUI reads records by
// index while a flush appends. Records are never freed: the GUI may hold a
// pointer for the life of the process. Those of earlier flushes stay listed in
// `earlier`, which keeps them reachable.
struct MediaLists {
    std::mutex lock;
    std::vector<void*> items[3];  // indexed by kind - kPhotos
    std::vector<void*> earlier;

    std::mutex storageLock;
    std::string externalStorage;  // asked for once, kept for the process
};

MediaLists& mediaLists() {
    static MediaLists* lists = new MediaLists();  // never destroyed, like the records
    return *lists;
}

std::vector<void*>& listOf(MediaLists& lists, ItemType kind) { return lists.items[kind - kPhotos]; }

// A command the phone answers with a 4-byte integer, expected to be `wanted`.
bool answers(const std::string& command, int32_t wanted) {
    const IntReply reply = sendForInt(command);
    return reply.bytes == 4 && reply.value == wanted;
}

// Where an item's thumbnail is cached, or "" when there is no work folder (then
// nothing is cached: a relative path would land beside the program).
std::string thumbnailPath(const MediaKindInfo& kind, int id, int albumId) {
    const std::string& work = workDirectory();
    return work.empty() ? std::string() : work + thumbnailName(kind, id, albumId);
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// A local path as adb must get it: absolute (adb runs in the program's folder,
// not ours) and therefore never read as an option. "" for no path.
std::string absoluteLocalPath(const char* path) {
    if (!path || !*path) return "";
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return ec ? std::string() : absolute.string();
}

// The phone's external storage path; asked for until the phone gives a usable one.
std::string externalStoragePath() {
    MediaLists& lists = mediaLists();
    std::lock_guard<std::mutex> guard(lists.storageLock);
    if (lists.externalStorage.empty()) {
        const std::string answer = sendForText(cmd::kExternalStoragePath, kStoragePathBuffer);
        if (isPlainPhonePath(answer)) lists.externalStorage = answer;
    }
    return lists.externalStorage;
}

// Pulls an item's picture beside its cached name and renames only what adb
// reports whole: a cached picture is never fetched again, so a half one would
// stay broken.
void pullThumbnail(const std::string& serial, const std::string& remote, const std::string& cached) {
    const std::string part = cached + ".part";
    std::error_code ec;
    if (runAdbWaitSucceeded(adbargs::pull(serial, remote, part))) {
        fs::rename(part, cached, ec);
        if (!ec) return;
    }
    fs::remove(part, ec);
}

// What fetching one item came to: its result as flushMedia describes it, and
// whether the channel failed on the way (every try of an exchange spent).
struct ItemOutcome {
    int result;
    bool channelFailed;
};

// Fetches item index into the list, with its thumbnail when not cached.
ItemOutcome fetchItem(const MediaKindInfo& kind, int index, const std::string& serial) {
    char reply[kIndexReplyBuffer + 1] = {};  // + 1: always NUL-terminated
    const int bytes =
        SendCommandToAndroidServices(kind.indexInfo(index).c_str(), reply, kIndexReplyBuffer, nullptr, 0, 0);
    if (bytes <= 0) return {bytes, bytes < 0};  // an empty answer only skips the item
    void* record = parseMediaRecord(kind, reply);
    if (!record) return {-1, false};

    ItemOutcome outcome {0, false};
    const int id = mediaRecordId(record);
    const int albumId = mediaRecordAlbumId(kind, record);
    const std::string thumbnail = thumbnailPath(kind, id, albumId);
    if (!thumbnail.empty() && !fileExists(thumbnail)) {
        const IntReply made = sendForInt(kind.thumbnail(id, albumId));
        outcome = {made.bytes, made.bytes < 0};
        // Only a real 0 means the phone wrote this item's picture; a failed
        // exchange also reads 0 and would cache the previous item's.
        if (made.bytes == 4 && made.value == 0) pullThumbnail(serial, kind.thumbnailRemote, thumbnail);
    }

    MediaLists& lists = mediaLists();
    std::lock_guard<std::mutex> guard(lists.lock);
    listOf(lists, kind.type).push_back(record);
    return outcome;
}

int32_t listedCount(ItemType kind) {
    MediaLists& lists = mediaLists();
    std::lock_guard<std::mutex> guard(lists.lock);
    return static_cast<int32_t>(listOf(lists, kind).size());
}

}  // namespace

int32_t rebuiltMediaCount(ItemType kind) {
    const MediaKindInfo& info = mediaKindInfo(kind);
    // A failed exchange must not read as a rebuilt list or an empty phone.
    if (!answers(info.rebuild, 0)) return -1;
    const IntReply count = sendForInt(info.count);
    return count.bytes == 4 && count.value >= 0 ? count.value : -1;
}

int flushMedia(ItemType kind) {
    const MediaKindInfo& info = mediaKindInfo(kind);
    LibraryContext& context = libraryContext();
    ItemProgress& progress = context.items[kind];
    progress.loaded = 1;
    // The counters show this flush only; the old list and its total stay until
    // the phone has rebuilt and counted its list.
    const int32_t oldTotal = progress.total.exchange(0);
    progress.current = 0;

    // The phone rebuilds its list once to show it can, and again before counting.
    const int32_t count = answers(info.rebuild, 0) ? rebuiltMediaCount(kind) : -1;
    if (count < 0) {
        progress.total = oldTotal;
        return -1;
    }
    progress.total = count;
    {
        MediaLists& lists = mediaLists();
        std::lock_guard<std::mutex> guard(lists.lock);
        std::vector<void*>& list = listOf(lists, kind);
        lists.earlier.insert(lists.earlier.end(), list.begin(), list.end());
        list.clear();
    }
    if (!workDirectory().empty()) makeDirsAlongPath(workDirectory() + info.thumbnailFolder);

    const std::string serial = context.device.currentSerial();
    int result = 0;
    for (int i = 0; i < count; ++i) {
        progress.current = i + 1;
        const ItemOutcome item = fetchItem(info, i, serial);
        result = item.result;
        // The phone is gone or the channel is broken: every further item would
        // spend its tries too. What was listed stays, and the total says so.
        if (item.channelFailed) {
            logMessage("media flush: channel lost at item %d of %d\n", i + 1, count);
            progress.total = listedCount(kind);
            return -1;
        }
    }
    return result;
}

void* mediaRecordAt(ItemType kind, int index) {
    MediaLists& lists = mediaLists();
    std::lock_guard<std::mutex> guard(lists.lock);
    const std::vector<void*>& list = listOf(lists, kind);
    if (index < 0 || static_cast<size_t>(index) >= list.size()) return nullptr;
    return list[static_cast<size_t>(index)];
}

int addMediaFile(ItemType kind, const char* localPath, const char* deviceFileName) {
    const MediaKindInfo& info = mediaKindInfo(kind);
    const std::string local = absoluteLocalPath(localPath);
    if (local.empty() || !deviceFileName) return -1;
    const std::string name = deviceFileName;
    if (!isPlainDeviceFileName(name)) {
        logMessage("add media: device file name refused (not a plain file name)\n");
        return -1;
    }

    std::string target = name;
    IntReply taken = sendForInt(info.exists(target));
    for (int n = 1; n <= kLastNumber && taken.bytes == 4 && taken.value == 1; ++n) {
        target = numberedName(name, n);
        taken = sendForInt(info.exists(target));
    }
    // Unknown or still taken: pushing would overwrite a file on the phone.
    if (taken.bytes != 4 || taken.value == 1) return -1;

    if (runAdbWait(adbargs::push(libraryContext().device.currentSerial(), local, info.uploadFolder + target)) != 0) return -1;
    // The phone registers only a file that arrived: this also tells a failed push.
    if (!answers(info.registerUpload(hexEncode(target)), 1)) return -1;
    return info.addGivesCheckBytes ? taken.bytes : 0;
}

int exportMediaFile(ItemType kind, int id, const char* localPath) {
    const MediaKindInfo& info = mediaKindInfo(kind);
    const std::string local = absoluteLocalPath(localPath);
    if (local.empty()) return -1;
    const std::string storage = externalStoragePath();

    int bytes = 0;
    const std::string phonePath = sendForText(info.path(id), kPathReplyBuffer, &bytes);
    if (bytes <= 4) return -1;
    const std::string remote = sdcardPathOf(storage, phonePath);
    if (remote.empty()) {
        logMessage("export media: phone path of id %d refused (not a file of the external storage)\n", id);
        return -1;
    }
    return runAdbWait(adbargs::pull(libraryContext().device.currentSerial(), remote, local)) == 0 ? 0 : -1;
}

int deleteMediaFile(ItemType kind, int id, int albumId) {
    const MediaKindInfo& info = mediaKindInfo(kind);
    const std::string thumbnail = thumbnailPath(info, id, albumId);
    if (!thumbnail.empty()) {
        std::error_code ec;
        fs::remove(thumbnail, ec);
    }
    return sendForInt(info.remove(id)).value;
}

}  // namespace mobrel
