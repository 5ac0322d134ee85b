#include "mediacatalogue.h"

#include "mobrelclient.h"

bool isMediaType(int itemType) { return itemType >= 3 && itemType <= 5; }

int mediaCount(int itemType) {
    switch (itemType) {
    case 3: return MobrelApi_GetPhotoCount();
    case 4: return MobrelApi_GetVideoCount();
    case 5: return MobrelApi_GetMusicCount();
    default: return 0;
    }
}

namespace {

// Asks the library for the record of index and takes its mark and id.
template <typename Info>
Info* fetch(int (*get)(Info**, int), int index, MediaRecord& out) {
    Info* info = nullptr;
    if (get(&info, index) != 0 || !info) return nullptr;
    out.mark = &info->loaded;
    out.id = info->id;
    out.title = info->title;
    return info;
}

}  // namespace

bool mediaAt(int itemType, int index, MediaRecord& out) {
    out = MediaRecord{};
    switch (itemType) {
    case 3: return fetch(MobrelApi_GetPhotoInfo, index, out) != nullptr;
    case 4: return fetch(MobrelApi_GetVideoInfo, index, out) != nullptr;
    case 5: {
        const MobrelMusicInfo* info = fetch(MobrelApi_GetMusicInfo, index, out);
        if (info) out.albumId = info->albumId;
        return info != nullptr;
    }
    default: return false;
    }
}

int deleteMedia(int itemType, const MediaRecord& record) {
    switch (itemType) {
    case 3: return MobrelApi_DeletePhoto(record.id);
    case 4: return MobrelApi_DeleteVideo(record.id);
    case 5: return MobrelApi_DeleteMusic(record.id, record.albumId);
    default: return 0;
    }
}

std::string thumbnailFile(int itemType, const MediaRecord& record) {
    const std::string id = std::to_string(record.id);
    switch (itemType) {
    case 3: return "photo/" + id + ".png";
    case 4: return "video/" + id + ".png";
    case 5: return "music/" + id + std::to_string(record.albumId) + ".png";
    default: return std::string();
    }
}

const char* placeholderImage(int itemType) {
    switch (itemType) {
    case 4: return ":/images/video.png";
    case 5: return ":/images/music.png";
    default: return ":/images/image.png";
    }
}
