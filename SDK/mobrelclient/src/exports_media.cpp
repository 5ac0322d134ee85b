// Exports of the photo, video and music catalogues.
#include "context.h"
#include "media.h"
#include "mobrelclient.h"

using namespace mobrel;

namespace {

template <typename Record>
int recordAt(ItemType kind, Record** out, int index) {
    void* record = mediaRecordAt(kind, index);
    if (!out || !record) return -1;
    *out = static_cast<Record*>(record);
    return 0;
}

int totalOf(ItemType kind) { return libraryContext().items[kind].total.load(); }

}  // namespace

extern "C" {

MOBREL_API int MobrelApi_FlushPhotos(void) { return flushMedia(kPhotos); }
MOBREL_API int MobrelApi_FlushMusic(void) { return flushMedia(kMusic); }
MOBREL_API int MobrelApi_FlushVideo(void) { return flushMedia(kVideos); }

MOBREL_API int MobrelApi_GetPhotoCount(void) { return totalOf(kPhotos); }
MOBREL_API int MobrelApi_GetVideoCount(void) { return totalOf(kVideos); }
MOBREL_API int MobrelApi_GetMusicCount(void) { return totalOf(kMusic); }

MOBREL_API int MobrelApi_GetPhotoInfo(MobrelPhotoInfo** out, int index) { return recordAt(kPhotos, out, index); }
MOBREL_API int MobrelApi_GetMusicInfo(MobrelMusicInfo** out, int index) { return recordAt(kMusic, out, index); }
MOBREL_API int MobrelApi_GetVideoInfo(MobrelVideoInfo** out, int index) { return recordAt(kVideos, out, index); }

MOBREL_API int MobrelApi_addPhoto(const char* localPath, const char* deviceFileName) {
    return addMediaFile(kPhotos, localPath, deviceFileName);
}
MOBREL_API int MobrelApi_addMusic(const char* localPath, const char* deviceFileName) {
    return addMediaFile(kMusic, localPath, deviceFileName);
}
MOBREL_API int MobrelApi_addVideo(const char* localPath, const char* deviceFileName) {
    return addMediaFile(kVideos, localPath, deviceFileName);
}

MOBREL_API int MobrelApi_ExportPhoto(int id, const char* localPath) { return exportMediaFile(kPhotos, id, localPath); }
MOBREL_API int MobrelApi_ExportMusic(int id, const char* localPath) { return exportMediaFile(kMusic, id, localPath); }
MOBREL_API int MobrelApi_ExportVideo(int id, const char* localPath) { return exportMediaFile(kVideos, id, localPath); }

MOBREL_API int MobrelApi_DeletePhoto(int id) { return deleteMediaFile(kPhotos, id, 0); }
MOBREL_API int MobrelApi_DeleteVideo(int id) { return deleteMediaFile(kVideos, id, 0); }
MOBREL_API int MobrelApi_DeleteMusic(int id, int albumId) { return deleteMediaFile(kMusic, id, albumId); }

}  // extern "C"
