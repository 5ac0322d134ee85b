// Exports of start-up, presence, detection, bring-up and the loaded-item counters.
#include <mutex>

#include "bringup.h"
#include "context.h"
#include "mobrelclient.h"
#include "usb_watch.h"
#include "workdir.h"

using namespace mobrel;

extern "C" {

MOBREL_API int MobrelApi_Init(void) {
    // A second call in the same process changes nothing: the work folder, the
    // context and the threads are the process's.
    static std::once_flag once;
    std::call_once(once, [] {
        buildWorkDirectory();
        usbWatch().startWatcher();  // its result is logged, not reported
        adbDirectory();
        libraryContext();
    });
    return 0;
}

// Releases nothing: the watcher, the context and the records handed out live on.
MOBREL_API int MobrelApi_UnInit(void) { return 0; }

MOBREL_API int MobrelApi_CheckConnectDeviceToPC_Count(void) { return checkConnectDeviceToPcCount(); }

MOBREL_API int MobrelApi_CheckEnableUSBDebug(int index) { return usbWatch().adbFlag(index); }

MOBREL_API int MobrelApi_CheckDeviceDetected(int index) { return checkDeviceDetected(index); }

MOBREL_API int MobrelApi_ReadyTodoing(int index) { return readyTodoing(index); }

MOBREL_API int MobrelApi_GetAndroidDevicesInfo(MobrelDeviceInfo* out, int index) {
    return getAndroidDevicesInfo(out, index);
}

MOBREL_API int MobrelApi_CheckAndroidVersionAt44(void) { return checkAndroidVersionAt44(); }

// Outside 0..5 there is no flag: nothing is loaded and nothing changes.
MOBREL_API int MobrelApi_CheckItemisLoaded(int itemType) {
    const ItemProgress* item = itemProgress(itemType);
    return item && item->loaded ? 1 : 0;
}

MOBREL_API int MobrelApi_SetItemisUnLoaded(int itemType) {
    if (ItemProgress* item = itemProgress(itemType)) item->loaded = 0;
    return 0;
}

MOBREL_API int MobrelApi_getItemCurrentLoadedCount(unsigned int itemType) {
    const ItemProgress* item = itemProgress(itemType < kItemTypeCount ? static_cast<int>(itemType) : -1);
    return item ? item->current.load() : 0;
}

MOBREL_API int MobrelApi_getItemTotalLoadedCount(unsigned int itemType) {
    const ItemProgress* item = itemProgress(itemType < kItemTypeCount ? static_cast<int>(itemType) : -1);
    return item ? item->total.load() : 0;
}

}  // extern "C"
