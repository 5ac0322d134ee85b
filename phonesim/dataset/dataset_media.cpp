// Sample photos (real PNG files), videos and songs (placeholder bytes behind the
// right signatures), each registered in the store's media file.
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <set>
#include <system_error>

#include "dataset/dataset_parts.h"
#include "dataset/png.h"
#include "store/content_store.h"
#include "store/jsonl.h"

namespace phonesim {

namespace fs = std::filesystem;

namespace {

// Hands out file paths below the storage root, numbering a name that is taken
// ("Sunset.png", "Sunset (2).png") so that no two items share a file.
class PathBook {
public:
    std::string claim(const std::string& folder, const std::string& stem, const std::string& extension) {
        std::string path = folder + "/" + stem + extension;
        for (int n = 2; !used_.insert(path).second; ++n)
            path = folder + "/" + stem + " (" + std::to_string(n) + ")" + extension;
        return path;
    }

private:
    std::set<std::string> used_;
};

std::string stamp(const char* format, int64_t date) {
    time_t t = static_cast<time_t>(date);
    struct tm utc {};
    gmtime_r(&t, &utc);
    char text[64];
    std::strftime(text, sizeof text, format, &utc);
    return text;
}

std::string titleOf(const std::string& path) {
    std::string name = fs::path(path).filename().string();
    size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// Writes the file and gives it the item's date as modification time.
bool writeMediaFile(const fs::path& sdcard, const MediaItem& item, const std::string& bytes, int64_t modified) {
    fs::path file = sdcard / item.path;
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (!writeFileAtomic(file, bytes)) return false;
    struct timespec times[2] = {{static_cast<time_t>(modified), 0}, {static_cast<time_t>(modified), 0}};
    return ::utimensat(AT_FDCWD, file.c_str(), times, 0) == 0;
}

// A photo: a diagonal blend of two colours, some with stripes.
std::string photoBytes(Rng& rng, const DatasetSize& size) {
    RgbImage image(rng.between(size.photoSideMin, size.photoSideMax), rng.between(size.photoSideMin, size.photoSideMax));
    int from[3], to[3];
    for (int k = 0; k < 3; ++k) {
        from[k] = rng.below(256);
        to[k] = rng.below(256);
    }
    int stripes = rng.chance(30) ? rng.between(4, 12) : 0;
    int span = image.width + image.height;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            int t = x + y;
            uint8_t c[3];
            for (int k = 0; k < 3; ++k) c[k] = static_cast<uint8_t>(from[k] + (to[k] - from[k]) * t / span);
            if (stripes && (x / stripes) % 2 == 0) {
                for (uint8_t& v : c) v = static_cast<uint8_t>(255 - v);
            }
            image.set(x, y, c[0], c[1], c[2]);
        }
    }
    return encodePng(image);
}

// Placeholder bytes of a video or song: the format's signature, then filler.
std::string placeholderBytes(Rng& rng, const std::string& signature, int minBytes, int maxBytes) {
    std::string bytes = signature;
    size_t length = static_cast<size_t>(rng.between(minBytes, maxBytes));
    while (bytes.size() < length) bytes += static_cast<char>(rng.next() & 0xFF);
    return bytes;
}

std::string signatureFor(const std::string& extension) {
    if (extension == ".mkv") return std::string("\x1A\x45\xDF\xA3", 4);
    if (extension == ".mp3") return std::string("ID3\x03\x00\x00\x00\x00\x00\x00", 10);
    if (extension == ".ogg") return "OggS";
    if (extension == ".flac") return "fLaC";
    if (extension == ".m4a") return std::string("\x00\x00\x00\x18" "ftypM4A ", 12);
    return std::string("\x00\x00\x00\x18" "ftypmp42", 12);  // .mp4, .3gp and no extension
}

}  // namespace

bool writeMedia(const fs::path& storeDir, const fs::path& sdcard, const DatasetSize& size, uint64_t seed) {
    Rng rng(seed);
    PathBook paths;
    Counters counters;
    counters.nextId = size.photos + size.videos + size.songs + 1;
    counters.nextAlbumId = static_cast<int64_t>(kAlbums.size()) + 1;
    JsonlWriter out(storeFile(storeDir, Category::Media));
    out.write(storeHeader(Category::Media, counters));
    int64_t nextId = 1;
    bool ok = true;
    auto add = [&](MediaItem& item, const std::string& bytes, int64_t date) {
        item.id = nextId++;
        if (item.title.empty()) item.title = titleOf(item.path);  // songs carry their tag's title
        item.created = date + rng.between(0, 120);  // added to the media a little after it was made
        ok = writeMediaFile(sdcard, item, bytes, date) && ok;
        out.write(mediaToJson(item));
    };

    int64_t date = kDatasetNow;
    for (int i = 0; i < size.photos; ++i) {
        date -= rng.between(2, 3 * 24 * 60) * 60;
        MediaItem item;
        item.kind = MediaKind::Photo;
        const std::string& place = kPlaceWords[static_cast<size_t>(i / 10) % kPlaceWords.size()];
        switch (i % 10) {
        case 5: item.path = paths.claim("Pictures/Screenshots", stamp("Screenshot_%Y%m%d-%H%M%S", date), ".png"); break;
        case 6: item.path = paths.claim("Pictures", place, ".png"); break;  // titles repeat across folders
        case 7: item.path = paths.claim("Download", stamp("photo_%Y%m%d_%H%M", date), ""); break;
        case 8: item.path = paths.claim("Images", place, ".png"); break;
        case 9: item.path = paths.claim("DCIM/Camera", place, ""); break;
        default: item.path = paths.claim("DCIM/Camera", stamp("IMG_%Y%m%d_%H%M%S", date), ".png"); break;
        }
        add(item, photoBytes(rng, size), date);
    }

    const char* videoExtensions[] = {".mp4", ".mkv", "", ".3gp"};
    const char* videoFolders[] = {"DCIM/Camera", "Movies", "Movies", "Videos"};
    for (int i = 0; i < size.videos; ++i) {
        date -= rng.between(60, 10 * 24 * 60) * 60;
        MediaItem item;
        item.kind = MediaKind::Video;
        std::string extension = videoExtensions[i % 4];
        // Camera clips are named by their time; the others share a title in groups of three.
        std::string stem = i % 4 == 0 ? stamp("VID_%Y%m%d_%H%M%S", date)
                                      : kVideoTitles[static_cast<size_t>(i / 4) % kVideoTitles.size()];
        item.path = paths.claim(videoFolders[i % 4], stem, extension);
        item.duration = rng.between(3, 900);
        add(item, placeholderBytes(rng, signatureFor(extension), 2048, 48 * 1024), date);
    }

    const char* songExtensions[] = {".mp3", ".m4a", ".ogg", ".flac", ""};
    for (int i = 0; i < size.songs; ++i) {
        date -= rng.between(60, 30 * 24 * 60) * 60;
        size_t album = static_cast<size_t>(i) % kAlbums.size();
        MediaItem item;
        item.kind = MediaKind::Music;
        item.artist = kArtists[album];
        item.album = kAlbums[album];
        item.albumId = static_cast<int64_t>(album) + 1;
        item.title = kSongTitles[static_cast<size_t>(i) % kSongTitles.size()];
        std::string extension = songExtensions[i % 5];
        char track[16];
        std::snprintf(track, sizeof track, "%02d ", i / static_cast<int>(kAlbums.size()) + 1);
        item.path = i % 6 == 5 ? paths.claim("Music", item.title, extension)
                               : paths.claim("Music/" + item.artist + "/" + item.album, track + item.title, extension);
        item.duration = rng.between(90, 420);
        add(item, placeholderBytes(rng, signatureFor(extension), 4096, 64 * 1024), date);
    }
    return out.commit() && ok;
}

}  // namespace phonesim
