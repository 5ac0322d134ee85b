#include "library_e2e.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <tuple>

#include "mobrelclient.h"
#include "store_files.h"

namespace mobreltest {

namespace fs = std::filesystem;

::testing::AssertionResult startAlone(PhoneSim& sim, const SimOptions& options) {
    if (!sim.start(options)) return ::testing::AssertionFailure() << "phonesim: " << sim.error();
    const std::string list = sim.adb({"devices"}).out;
    size_t devices = 0;
    for (size_t at = list.find('\t'); at != std::string::npos; at = list.find('\t', at + 1)) ++devices;
    if (devices != 1) return ::testing::AssertionFailure() << "adb lists other phones as well:\n" << list;
    // While another adb server holds the forward, the library would reach that server's phone.
    if (!portFree(kServicePort)) return ::testing::AssertionFailure() << "127.0.0.1:25803 is held by another program";
    return ::testing::AssertionSuccess();
}

// An adb server just restarted may list the phone a moment later (absent, then offline).
int detectUntil(int index, int wanted) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int result = MobrelApi_CheckDeviceDetected(index);
    while (result != wanted && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        result = MobrelApi_CheckDeviceDetected(index);
    }
    return result;
}

::testing::AssertionResult bringUp(PhoneSim& sim, const SimOptions& options) {
    const ::testing::AssertionResult alone = startAlone(sim, options);
    if (!alone) return alone;
    MobrelApi_Init();
    if (const int detected = detectUntil(0, 0)) return ::testing::AssertionFailure() << "detection answered " << detected;
    if (const int ready = MobrelApi_ReadyTodoing(0)) return ::testing::AssertionFailure() << "bring-up answered " << ready;
    return ::testing::AssertionSuccess();
}

phonesim::Faults spoiled(const std::string& command, const std::string& how, int after) {
    return {.badCommand = command, .badReply = how, .badAfter = after};
}

const std::string kStoragePrefix = "/storage/emulated/0/";

namespace {

std::string text(const char* s) { return s ? s : "<null>"; }

// The fields the three records share; false when the export answers -1.
template <typename Record>
bool common(int (*get)(Record**, int), int index, Record*& r, MediaItem& out) {
    r = nullptr;
    if (get(&r, index) != 0 || !r) return false;
    out = MediaItem{.loaded = r->loaded, .id = r->id, .title = text(r->title), .path = text(r->path), .size = r->size,
                    .modifiedTime = r->modifiedTime, .createdTime = r->createdTime};
    return true;
}

bool photoAt(int index, MediaItem& out) {
    MobrelPhotoInfo* r;
    return common(MobrelApi_GetPhotoInfo, index, r, out);
}

bool videoAt(int index, MediaItem& out) {
    MobrelVideoInfo* r;
    if (!common(MobrelApi_GetVideoInfo, index, r, out)) return false;
    out.displayName = text(r->displayName);
    out.duration = r->duration;
    return true;
}

bool musicAt(int index, MediaItem& out) {
    MobrelMusicInfo* r;
    if (!common(MobrelApi_GetMusicInfo, index, r, out)) return false;
    out.albumId = r->albumId;
    out.album = text(r->album);
    out.artist = text(r->artist);
    out.duration = r->duration;
    return true;
}

}  // namespace

bool operator==(const MediaItem& a, const MediaItem& b) {
    auto fields = [](const MediaItem& i) {
        return std::tie(i.loaded, i.id, i.albumId, i.title, i.album, i.artist, i.displayName, i.path, i.duration,
                        i.size, i.modifiedTime, i.createdTime);
    };
    return fields(a) == fields(b);
}

std::ostream& operator<<(std::ostream& out, const MediaItem& i) {
    return out << "{loaded " << i.loaded << ", id " << i.id << ", album id " << i.albumId << ", title \"" << i.title
               << "\", album \"" << i.album << "\", artist \"" << i.artist << "\", display name \""
               << i.displayName << "\", path \"" << i.path << "\", duration " << i.duration << ", size " << i.size
               << ", modified " << i.modifiedTime << ", created " << i.createdTime << "}";
}

const MediaKind kPhotoKind = {"photo", 3, "Images", ".png", MobrelApi_FlushPhotos, MobrelApi_GetPhotoCount, photoAt,
                              MobrelApi_addPhoto, MobrelApi_ExportPhoto,
                              [](const MediaItem& i) { return MobrelApi_DeletePhoto(i.id); }};
const MediaKind kVideoKind = {"video", 4, "Videos", ".mp4", MobrelApi_FlushVideo, MobrelApi_GetVideoCount, videoAt,
                              MobrelApi_addVideo, MobrelApi_ExportVideo,
                              [](const MediaItem& i) { return MobrelApi_DeleteVideo(i.id); }};
const MediaKind kMusicKind = {"music", 5, "Music", ".mp3", MobrelApi_FlushMusic, MobrelApi_GetMusicCount, musicAt,
                              MobrelApi_addMusic, MobrelApi_ExportMusic,
                              [](const MediaItem& i) { return MobrelApi_DeleteMusic(i.id, i.albumId); }};
const MediaKind* const kMediaKinds[3] = {&kPhotoKind, &kVideoKind, &kMusicKind};

std::vector<MediaItem> listed(const MediaKind& kind) {
    std::vector<MediaItem> items;
    MediaItem item;
    for (int i = 0; kind.at(i, item); ++i) items.push_back(item);
    return items;
}

std::vector<MediaItem> storeItems(const PhoneSim& sim, const MediaKind& kind) {
    std::vector<MediaItem> items;
    for (const StoreRecord& r : readStore(sim.storePath(), "media")) {
        const std::string path = r.text("path").value_or("");
        struct stat info {};
        if (r.text("kind") != kind.name || ::stat((sim.sdcardPath() / path).c_str(), &info) != 0) continue;
        MediaItem item{.loaded = 1, .id = static_cast<int32_t>(r.number("id")), .title = r.text("title").value_or(""),
                       .path = kStoragePrefix + path, .size = info.st_size, .modifiedTime = info.st_mtime,
                       .createdTime = r.number("created")};
        if (kind.itemType != 3) item.duration = r.number("duration");
        if (kind.itemType == 4) item.displayName = fs::path(path).filename().string();
        if (kind.itemType == 5) {
            item.albumId = static_cast<int32_t>(r.number("albumId"));
            item.album = r.text("album").value_or("");
            item.artist = r.text("artist").value_or("");
        }
        items.push_back(item);
    }
    return items;
}

fs::path workFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return fs::path(runtime ? runtime : "/nonexistent") / "Tolvane" / "mobrel";
}

fs::path thumbnailOf(const MediaKind& kind, const MediaItem& item) {
    std::string name = std::to_string(item.id);
    if (kind.itemType == 5) name += std::to_string(item.albumId);
    return workFolder() / kind.name / (name + ".png");
}

}  // namespace mobreltest
