// The library's photo, video and music catalogues addressed by itemType (3, 4,
// 5), so that the media views and the delete worker share one way in.
#pragma once

#include <cstdint>
#include <string>

struct MediaRecord {
    int32_t* mark = nullptr;  // the record's first field: the GUI's selection mark
    int32_t id = 0;
    int32_t albumId = 0;  // music only
    const char* title = nullptr;  // the library's text; may be null
};

bool isMediaType(int itemType);
// Items the library lists now; 0 for a type that is not a media type.
int mediaCount(int itemType);
// False when the index is out of range or the type is not a media type.
bool mediaAt(int itemType, int index, MediaRecord& out);
// The item's thumbnail below the library's work folder, "photo/12.png"; for
// music the album id follows the id ("music/127.png" for 12 and 7).
std::string thumbnailFile(int itemType, const MediaRecord& record);
// The picture a tile shows while the item has no thumbnail.
const char* placeholderImage(int itemType);
// Deletes the item from the phone; the phone's reply integer.
int deleteMedia(int itemType, const MediaRecord& record);
