// Exports whose behaviour is not built yet: each answers -1 until its area lands.
// Each area moves its exports out of this file into its own exports_*.cpp.
#include "mobrelclient.h"

extern "C" {

MOBREL_API int MobrelApi_CheckConnectDeviceToPC_Count(void) { return -1; }
MOBREL_API int MobrelApi_CheckEnableUSBDebug(int) { return -1; }
MOBREL_API int MobrelApi_FlushPhotos(void) { return -1; }
MOBREL_API int MobrelApi_FlushMusic(void) { return -1; }
MOBREL_API int MobrelApi_FlushVideo(void) { return -1; }
MOBREL_API int MobrelApi_GetPhotoCount(void) { return -1; }
MOBREL_API int MobrelApi_GetVideoCount(void) { return -1; }
MOBREL_API int MobrelApi_GetMusicCount(void) { return -1; }
MOBREL_API int MobrelApi_GetPhotoInfo(MobrelPhotoInfo **, int) { return -1; }
MOBREL_API int MobrelApi_GetMusicInfo(MobrelMusicInfo **, int) { return -1; }
MOBREL_API int MobrelApi_GetVideoInfo(MobrelVideoInfo **, int) { return -1; }
MOBREL_API int MobrelApi_addPhoto(const char *, const char *) { return -1; }
MOBREL_API int MobrelApi_addMusic(const char *, const char *) { return -1; }
MOBREL_API int MobrelApi_addVideo(const char *, const char *) { return -1; }
MOBREL_API int MobrelApi_ExportPhoto(int, const char *) { return -1; }
MOBREL_API int MobrelApi_ExportMusic(int, const char *) { return -1; }
MOBREL_API int MobrelApi_ExportVideo(int, const char *) { return -1; }
MOBREL_API int MobrelApi_DeletePhoto(int) { return -1; }
MOBREL_API int MobrelApi_DeleteVideo(int) { return -1; }
MOBREL_API int MobrelApi_DeleteMusic(int, int) { return -1; }

}  // extern "C"
