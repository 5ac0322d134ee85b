#include "media_support.h"

#include <cjson/cJSON.h>
#include <sys/stat.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <tuple>

#include "mobrelclient.h"

namespace mediatest {
namespace {

// The phone's external storage path, which every media path starts with.
const std::string kStorage = "/storage/emulated/0/";

std::string text(const char* s) { return s ? s : "<null>"; }

template <typename Record>
void common(const Record* r, Item& out) {
    out.loaded = r->loaded;
    out.id = r->id;
    out.title = text(r->title);
    out.path = text(r->path);
    out.size = r->size;
    out.modifiedTime = r->modifiedTime;
    out.createdTime = r->createdTime;
}

bool photoAt(int index, Item& out) {
    MobrelPhotoInfo* r = nullptr;
    if (MobrelApi_GetPhotoInfo(&r, index) != 0 || !r) return false;
    out = Item {};
    common(r, out);
    return true;
}

bool videoAt(int index, Item& out) {
    MobrelVideoInfo* r = nullptr;
    if (MobrelApi_GetVideoInfo(&r, index) != 0 || !r) return false;
    out = Item {};
    common(r, out);
    out.displayName = text(r->displayName);
    out.duration = r->duration;
    return true;
}

bool musicAt(int index, Item& out) {
    MobrelMusicInfo* r = nullptr;
    if (MobrelApi_GetMusicInfo(&r, index) != 0 || !r) return false;
    out = Item {};
    common(r, out);
    out.albumId = r->albumId;
    out.album = text(r->album);
    out.artist = text(r->artist);
    out.duration = r->duration;
    return true;
}

std::string jsonText(const cJSON* object, const char* key) {
    const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
    return cJSON_IsString(item) ? item->valuestring : "";
}

int64_t jsonNumber(const cJSON* object, const char* key) {
    const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
    return cJSON_IsNumber(item) ? static_cast<int64_t>(item->valuedouble) : 0;
}

uint32_t readBigEndian(const std::string& bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
           uint32_t(uint8_t(bytes[at + 2])) << 8 | uint32_t(uint8_t(bytes[at + 3]));
}

uint32_t crc32(const std::string& bytes, size_t from, size_t length) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t {};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = from; i < from + length; ++i) c = table[(c ^ uint8_t(bytes[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

}  // namespace

bool operator==(const Item& a, const Item& b) {
    auto fields = [](const Item& i) {
        return std::tie(i.loaded, i.id, i.albumId, i.title, i.album, i.artist, i.displayName, i.path, i.duration,
                        i.size, i.modifiedTime, i.createdTime);
    };
    return fields(a) == fields(b);
}

std::ostream& operator<<(std::ostream& out, const Item& i) {
    return out << "{loaded " << i.loaded << ", id " << i.id << ", album id " << i.albumId << ", title \"" << i.title
               << "\", album \"" << i.album << "\", artist \"" << i.artist << "\", display name \""
               << i.displayName << "\", path \"" << i.path << "\", duration " << i.duration << ", size " << i.size
               << ", modified " << i.modifiedTime << ", created " << i.createdTime << "}";
}

const Kind kPhotoKind = {"photo", 3, "Images", ".png", MobrelApi_FlushPhotos, MobrelApi_GetPhotoCount, photoAt,
                         MobrelApi_addPhoto, MobrelApi_ExportPhoto,
                         [](const Item& i) { return MobrelApi_DeletePhoto(i.id); }};
const Kind kVideoKind = {"video", 4, "Videos", ".mp4", MobrelApi_FlushVideo, MobrelApi_GetVideoCount, videoAt,
                         MobrelApi_addVideo, MobrelApi_ExportVideo,
                         [](const Item& i) { return MobrelApi_DeleteVideo(i.id); }};
const Kind kMusicKind = {"music", 5, "Music", ".mp3", MobrelApi_FlushMusic, MobrelApi_GetMusicCount, musicAt,
                         MobrelApi_addMusic, MobrelApi_ExportMusic,
                         [](const Item& i) { return MobrelApi_DeleteMusic(i.id, i.albumId); }};
const Kind* const kKinds[3] = {&kPhotoKind, &kVideoKind, &kMusicKind};

::testing::AssertionResult bringUp() {
    int detected = -1;
    for (int attempt = 0; attempt < 15 && detected != 0; ++attempt) {
        detected = MobrelApi_CheckDeviceDetected(0);
        if (detected != 0) std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    if (detected != 0) return ::testing::AssertionFailure() << "detection answered " << detected;
    const int ready = MobrelApi_ReadyTodoing(0);
    if (ready != 0) return ::testing::AssertionFailure() << "bring-up answered " << ready;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult startAndBringUp(mobreltest::PhoneSim& sim, const std::string& dataset) {
    if (!sim.start({.dataset = dataset})) return ::testing::AssertionFailure() << sim.error();
    MobrelApi_Init();  // after start: the work folder goes below the test's XDG_RUNTIME_DIR
    const ::testing::AssertionResult up = bringUp();
    if (!up) return up;
    // The host port 25803 is fixed: while a phonesim left running by someone else
    // holds it, the library would talk to that phone.
    const int photos = MobrelApi_getItemTotalLoadedCount(3);
    if (photos != static_cast<int>(storeItems(sim, kPhotoKind).size())) {
        return ::testing::AssertionFailure() << "the phone behind port 25803 is not ours (" << photos << " photos)";
    }
    return ::testing::AssertionSuccess();
}

std::vector<Item> listed(const Kind& kind) {
    std::vector<Item> items;
    Item item;
    for (int i = 0; kind.at(i, item); ++i) items.push_back(item);
    return items;
}

std::vector<Item> storeItems(const mobreltest::PhoneSim& sim, const Kind& kind) {
    std::vector<Item> items;
    std::istringstream lines(storeFile(sim));
    for (std::string line; std::getline(lines, line);) {
        cJSON* object = cJSON_Parse(line.c_str());
        if (object && jsonText(object, "kind") == kind.name) {
            const std::string path = jsonText(object, "path");
            struct stat info {};
            if (::stat((sim.sdcardPath() / path).c_str(), &info) == 0) {
                Item item;
                item.loaded = 1;
                item.id = static_cast<int32_t>(jsonNumber(object, "id"));
                item.title = jsonText(object, "title");
                item.path = kStorage + path;
                item.size = info.st_size;
                item.modifiedTime = info.st_mtime;
                item.createdTime = jsonNumber(object, "created");
                if (kind.itemType != 3) item.duration = jsonNumber(object, "duration");
                if (kind.itemType == 4) item.displayName = fs::path(path).filename().string();
                if (kind.itemType == 5) {
                    item.albumId = static_cast<int32_t>(jsonNumber(object, "albumId"));
                    item.album = jsonText(object, "album");
                    item.artist = jsonText(object, "artist");
                }
                items.push_back(item);
            }
        }
        cJSON_Delete(object);
    }
    return items;
}

std::string storeFile(const mobreltest::PhoneSim& sim) { return readBytes(sim.statePath() / "store" / "media.jsonl"); }

fs::path workFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return fs::path(runtime ? runtime : "/nonexistent") / "Tolvane" / "mobrel";
}

fs::path thumbnailOf(const Kind& kind, const Item& item) {
    std::string name = std::to_string(item.id);
    if (kind.itemType == 5) name += std::to_string(item.albumId);
    return workFolder() / kind.name / (name + ".png");
}

std::string readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeBytes(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::map<std::string, std::string> treeContents(const fs::path& folder) {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file()) files[fs::relative(it->path(), folder).string()] = readBytes(it->path());
    }
    return files;
}

::testing::AssertionResult isPngFile(const fs::path& file) {
    const std::string bytes = readBytes(file);
    if (bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return ::testing::AssertionFailure() << file << ": no PNG signature";
    size_t at = 8;
    std::string first, last;
    bool data = false;
    while (at + 12 <= bytes.size()) {
        const uint32_t length = readBigEndian(bytes, at);
        if (length > bytes.size() - at - 12) return ::testing::AssertionFailure() << file << ": chunk runs past the end";
        const std::string type = bytes.substr(at + 4, 4);
        if (crc32(bytes, at + 4, length + 4) != readBigEndian(bytes, at + 8 + length)) {
            return ::testing::AssertionFailure() << file << ": bad checksum of " << type;
        }
        if (first.empty()) {
            first = type;
            if (type != "IHDR" || length != 13 || readBigEndian(bytes, at + 8) == 0 || readBigEndian(bytes, at + 12) == 0) {
                return ::testing::AssertionFailure() << file << ": no valid IHDR first";
            }
        }
        data = data || type == "IDAT";
        last = type;
        at += 12 + length;
    }
    if (at != bytes.size() || last != "IEND" || !data) {
        return ::testing::AssertionFailure() << file << ": no image data or no IEND at the end";
    }
    return ::testing::AssertionSuccess();
}

ScopedFaults::ScopedFaults(mobreltest::PhoneSim& sim, const phonesim::Faults& faults) : sim_(sim) {
    sim_.setFaults(faults);
}

ScopedFaults::~ScopedFaults() { sim_.setFaults(phonesim::Faults {}); }

}  // namespace mediatest
