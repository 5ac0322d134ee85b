// Presence, detection and bring-up: see that a phone is attached, find it
// through adb, read its properties, reinstall and start the companion app,
// shake hands and warm the counts.
#pragma once

#include "mobrelclient.h"

namespace mobrel {

// 1 when a phone is present: a known phone among the USB devices, else any
// device line of "adb devices"; 0 when none; -1 when adb's list could not be read.
int checkConnectDeviceToPcCount();

// 0 when adb lists a device at index in the state "device" (its properties
// are then read into the device table); -2 when it is listed in another state;
// -1 when it is not listed, index is outside 0..4 or the list could not be read.
int checkDeviceDetected(int index);

// 0 once the companion app answers the handshake (device facts and counts are
// then read); -1 when the handshake failed.
int readyTodoing(int index);

// Fills a caller-zeroed record from the device table and the cached facts;
// -1 for an index outside 0..4 (the record is left untouched).
int getAndroidDevicesInfo(MobrelDeviceInfo* out, int index);

// 1 when the first listed device runs Android 4.4 or later, else 0.
int checkAndroidVersionAt44();

// Pure parts, kept apart for tests.
// Reads a "GetandroidTempinfo;" reply (cut in place) into facts, which it zeroes first.
void parseDeviceFacts(char* reply, MobrelDeviceInfo& facts);
// 1 when major * 10 + minor of a version text ("4.4.2\n") exceeds 43.
int versionAtLeast44(const char* version);

}  // namespace mobrel
