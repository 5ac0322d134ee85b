// Photos, videos and music on the phone. The three kinds follow one scheme
// (media.cpp), driven by a table of what differs between them (media_kinds.h):
// a flush asks the companion app to rebuild its list, fetches one index record
// per item and pulls a thumbnail for every item not yet cached in the work
// folder; adding pushes a local file to the kind's upload folder under a name
// that is free; exporting pulls a phone file; deleting removes the file and
// the cached thumbnail. kind is kPhotos, kVideos or kMusic throughout.
#pragma once

#include <string>

#include "context.h"

namespace mobrel {

// -1 when the phone did not rebuild or count its list (list and total stay as
// they were), or when the channel failed midway (the flush ends there, what was
// listed stays and the total becomes its size); else the result of the last
// item: 0 when its thumbnail was cached, the thumbnail request's byte count
// when it was asked for, -1 when its index record could not be read (0 for an
// empty reply, which skips the item). 0 for an empty list. The counters start
// from 0.
int flushMedia(ItemType kind);

// The number of items once the phone rebuilt its list (the rebuild command
// answered 0, then the count); -1 when either was not answered as it should be.
int32_t rebuiltMediaCount(ItemType kind);

// The record at index (MobrelPhotoInfo, MobrelVideoInfo or MobrelMusicInfo), or
// nullptr when index is not a position of the list. Safe while a flush runs.
void* mediaRecordAt(ItemType kind, int index);

// Pushes localPath to the upload folder as deviceFileName, numbered "(N)" when
// the name is taken, and registers it. -1 when the name is not a plain file
// name, the phone could not say whether a name is free, every numbered name is
// taken, or the push or the registration failed (nothing is overwritten); else
// the last existence check's byte count for photos and 0 for the others.
int addMediaFile(ItemType kind, const char* localPath, const char* deviceFileName);

// Pulls the phone file of id to localPath. -1 when the phone names no file, or
// a path outside its external storage, or the pull could not be started.
int exportMediaFile(ItemType kind, int id, const char* localPath);

// Deletes the cached thumbnail, then the phone's item; the reply integer.
int deleteMediaFile(ItemType kind, int id, int albumId);

// Name and path rules (media_names.cpp), kept apart for tests.

// A name that stays inside the upload folder and cannot end or split a command:
// 1 to 255 bytes, not "." or "..", without "/", "\", ";" or control characters.
bool isPlainDeviceFileName(const std::string& name);

// "holiday.jpg" with n = 2 is "holiday(2).jpg"; a name without an extension
// (no ".", or only a leading one) is numbered at its end: "notes(2)", ".nomedia(2)".
std::string numberedName(const std::string& name, int n);

// True for a path the phone may give as its external storage: absolute, with no
// "." or ".." component and no control character.
bool isPlainPhonePath(const std::string& path);

// The path to pull for phonePath, "/sdcard" followed by what comes after the
// external storage path, or "" when phonePath is not a file inside it (another
// prefix, the storage root itself, a folder, a "." or ".." component, an
// unusable storage path).
std::string sdcardPathOf(const std::string& externalStoragePath, const std::string& phonePath);

}  // namespace mobrel
