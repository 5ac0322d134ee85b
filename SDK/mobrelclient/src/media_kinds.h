// What differs between photos, videos and music: commands, folders, record
// keys and layout. The scheme in media.cpp reads everything from this table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "context.h"

namespace mobrel {

enum class MediaFieldType {
    Int32,
    Int64,
    Text,      // kept whole
    ShortText  // cut to 254 bytes
};

// One key of the index record and where its value goes in the record.
struct MediaField {
    const char* key;
    size_t offset;
    MediaFieldType type;
};

struct MediaKindInfo {
    ItemType type;
    const char* rebuild;  // "flushphotolist;"
    const char* count;    // "getdcimcount;"
    std::string (*indexInfo)(int index);
    std::string (*thumbnail)(int id, int albumId);
    const char* thumbnailRemote;  // where the phone writes a requested thumbnail
    const char* thumbnailFolder;  // below the work folder, ending in "/"
    bool thumbnailNamesAlbum;     // music: "<id><albumId>.png", the two numbers run together
    std::string (*exists)(const std::string& plainName);
    const char* uploadFolder;  // on the phone, ending in "/"
    std::string (*registerUpload)(const std::string& nameHex);
    std::string (*path)(int id);
    std::string (*remove)(int id);
    bool addGivesCheckBytes;  // photos answer the last existence check's byte count, the others 0
    size_t recordSize;
    const MediaField* fields;  // the first is ID
    size_t fieldCount;
    ptrdiff_t albumIdOffset;  // -1 when the kind has no album
};

// kind is kPhotos, kVideos or kMusic.
const MediaKindInfo& mediaKindInfo(ItemType kind);

// Builds a record of the kind from an index record reply, cut in place: items up
// to the first "." or the end, unknown keys ignored, numbers as decimal text
// (0 when not a number), texts as copies behind the record ("" for a key not sent),
// loaded set to 1. nullptr, and nothing allocated, when the reply holds no ID
// that is a 32-bit decimal number, or a known key whose value is not hex text
// (upper-case digits in pairs). Records are never freed.
void* parseMediaRecord(const MediaKindInfo& kind, char* reply);

int32_t mediaRecordId(const void* record);
int32_t mediaRecordAlbumId(const MediaKindInfo& kind, const void* record);  // 0 without album

// The thumbnail's name below the work folder: "photo/12.png", "music/123.png".
std::string thumbnailName(const MediaKindInfo& kind, int id, int albumId);

}  // namespace mobrel
