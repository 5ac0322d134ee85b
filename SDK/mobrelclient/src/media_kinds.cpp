#include "media_kinds.h"

#include <cstring>
#include <limits>
#include <mutex>

#include "commands.h"
#include "hex.h"
#include "record.h"
#include "record_arena.h"

namespace mobrel {
namespace {

constexpr size_t kShortTextLimit = 254;
constexpr size_t kMaxFields = 10;

const MediaField kPhotoFields[] = {
    {"ID", offsetof(MobrelPhotoInfo, id), MediaFieldType::Int32},
    {"TILTE", offsetof(MobrelPhotoInfo, title), MediaFieldType::ShortText},
    {"PATH", offsetof(MobrelPhotoInfo, path), MediaFieldType::Text},
    {"SIZE", offsetof(MobrelPhotoInfo, size), MediaFieldType::Int64},
    {"MODIFTIME", offsetof(MobrelPhotoInfo, modifiedTime), MediaFieldType::Int64},
    {"CREATETIME", offsetof(MobrelPhotoInfo, createdTime), MediaFieldType::Int64},
};

const MediaField kVideoFields[] = {
    {"ID", offsetof(MobrelVideoInfo, id), MediaFieldType::Int32},
    {"TILTE", offsetof(MobrelVideoInfo, title), MediaFieldType::ShortText},
    {"DISPLAYNAME", offsetof(MobrelVideoInfo, displayName), MediaFieldType::ShortText},
    {"PATH", offsetof(MobrelVideoInfo, path), MediaFieldType::Text},
    {"DURATION", offsetof(MobrelVideoInfo, duration), MediaFieldType::Int64},
    {"SIZE", offsetof(MobrelVideoInfo, size), MediaFieldType::Int64},
    {"MODIFTIME", offsetof(MobrelVideoInfo, modifiedTime), MediaFieldType::Int64},
    {"CREATETIME", offsetof(MobrelVideoInfo, createdTime), MediaFieldType::Int64},
};

const MediaField kMusicFields[] = {
    {"ID", offsetof(MobrelMusicInfo, id), MediaFieldType::Int32},
    {"ALBUMID", offsetof(MobrelMusicInfo, albumId), MediaFieldType::Int32},
    {"TILTE", offsetof(MobrelMusicInfo, title), MediaFieldType::ShortText},
    {"ALBUM", offsetof(MobrelMusicInfo, album), MediaFieldType::ShortText},
    {"ARTIST", offsetof(MobrelMusicInfo, artist), MediaFieldType::ShortText},
    {"PATH", offsetof(MobrelMusicInfo, path), MediaFieldType::Text},
    {"DURATION", offsetof(MobrelMusicInfo, duration), MediaFieldType::Int64},
    {"SIZE", offsetof(MobrelMusicInfo, size), MediaFieldType::Int64},
    {"MODIFTIME", offsetof(MobrelMusicInfo, modifiedTime), MediaFieldType::Int64},
    {"CREATETIME", offsetof(MobrelMusicInfo, createdTime), MediaFieldType::Int64},
};

template <size_t N>
constexpr size_t countOf(const MediaField (&)[N]) {
    static_assert(N <= kMaxFields, "parseMediaRecord holds at most kMaxFields values");
    return N;
}

// Indexed by kind - kPhotos.
const MediaKindInfo kKinds[] = {
    {kPhotos, cmd::kFlushPhotoList, cmd::kPhotoCount, cmd::photoIndexInfo,
     [](int id, int) { return cmd::photoThumb(id); }, adbargs::kPhotoThumbRemote, "photo/", false,
     cmd::photoExists, "/sdcard/Images/", cmd::addPhoto, cmd::photoPath, cmd::deletePhoto, true,
     sizeof(MobrelPhotoInfo), kPhotoFields, countOf(kPhotoFields), -1},
    {kVideos, cmd::kFlushVideoList, cmd::kVideoCount, cmd::videoIndexInfo,
     [](int id, int) { return cmd::videoThumb(id); }, adbargs::kVideoThumbRemote, "video/", false,
     cmd::videoExists, "/sdcard/Videos/", cmd::addVideo, cmd::videoPath, cmd::deleteVideo, false,
     sizeof(MobrelVideoInfo), kVideoFields, countOf(kVideoFields), -1},
    {kMusic, cmd::kFlushMusicList, cmd::kMusicCount, cmd::musicIndexInfo, cmd::musicThumb,
     adbargs::kMusicThumbRemote, "music/", true, cmd::musicExists, "/sdcard/Music/", cmd::addMusic,
     cmd::musicPath, cmd::deleteMusic, false, sizeof(MobrelMusicInfo), kMusicFields, countOf(kMusicFields),
     static_cast<ptrdiff_t>(offsetof(MobrelMusicInfo, albumId))},
};

// A decimal number: an optional "-" and 1 to 19 digits, nothing else, within
// [low, high].
bool parseDecimal(const std::string& text, int64_t low, int64_t high, int64_t& out) {
    const bool negative = !text.empty() && text[0] == '-';
    const size_t first = negative ? 1 : 0;
    if (text.size() == first || text.size() - first > 19) return false;
    uint64_t value = 0;
    for (size_t i = first; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');  // 19 digits cannot wrap
    }
    if (value > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return false;
    const int64_t signedValue = negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
    if (signedValue < low || signedValue > high) return false;
    out = signedValue;
    return true;
}

int64_t numberOf(const std::string& text, MediaFieldType type) {
    const bool narrow = type == MediaFieldType::Int32;
    int64_t value = 0;
    parseDecimal(text, narrow ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int64_t>::min(),
                 narrow ? std::numeric_limits<int32_t>::max() : std::numeric_limits<int64_t>::max(), value);
    return value;
}

// At most limit bytes, backing off to the start of a UTF-8 sequence so that a
// cut never leaves half a character.
void cutText(std::string& text, size_t limit) {
    if (text.size() <= limit) return;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
}

// Upper-case hex digits in pairs. The decoder reads anything, so "XYZ" would
// pass for "20": a value of another form marks a spoiled reply.
bool isHexText(const char* text) {
    size_t length = 0;
    for (; text[length]; ++length) {
        const char c = text[length];
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    }
    return length % 2 == 0;
}

template <typename T>
void store(char* record, size_t offset, T value) {
    std::memcpy(record + offset, &value, sizeof value);  // packed: fields may be unaligned
}

template <typename T>
T load(const void* record, size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const char*>(record) + offset, sizeof value);
    return value;
}

}  // namespace

const MediaKindInfo& mediaKindInfo(ItemType kind) { return kKinds[kind - kPhotos]; }

void* parseMediaRecord(const MediaKindInfo& kind, char* reply) {
    std::string values[kMaxFields];
    bool seen[kMaxFields] = {};
    for (char* pos = reply; *pos && *pos != '.';) {
        RecordItem item;
        pos = parseRecordItem(pos, item);
        if (!item.key) break;  // no ";" follows: the rest is not an item
        for (size_t f = 0; f < kind.fieldCount; ++f) {
            if (std::strcmp(item.key, kind.fields[f].key) != 0) continue;
            if (!isHexText(item.value)) return nullptr;
            const std::string decoded = hexDecode(item.value);
            values[f] = decoded.c_str();  // a text ends at its first NUL
            seen[f] = true;
        }
    }
    // Without its id an item can be neither shown with its thumbnail nor exported
    // nor deleted: such a reply is not a record. A wrong id would name another item.
    int64_t id = 0;
    if (!seen[0] ||
        !parseDecimal(values[0], std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), id)) {
        return nullptr;
    }

    // Records live for the process (the GUI may hold a pointer to any of them),
    // carved out of one arena that is never cleared; a phone holds far fewer
    // media items than records, hence the small blocks.
    static std::mutex arenaLock;
    static RecordArena* const arena = new RecordArena(4096);
    std::lock_guard<std::mutex> guard(arenaLock);
    char* record = static_cast<char*>(arena->zeroed(kind.recordSize));
    store<int32_t>(record, 0, 1);  // loaded
    for (size_t f = 0; f < kind.fieldCount; ++f) {
        const MediaField& field = kind.fields[f];
        if (field.type == MediaFieldType::Int32) {
            store(record, field.offset, static_cast<int32_t>(numberOf(values[f], field.type)));
        } else if (field.type == MediaFieldType::Int64) {
            store(record, field.offset, numberOf(values[f], field.type));
        } else {
            if (field.type == MediaFieldType::ShortText) cutText(values[f], kShortTextLimit);
            store(record, field.offset, arena->copy(values[f]));
        }
    }
    return record;
}

// Every kind keeps loaded and id at the same places.
static_assert(offsetof(MobrelVideoInfo, id) == offsetof(MobrelPhotoInfo, id) &&
              offsetof(MobrelMusicInfo, id) == offsetof(MobrelPhotoInfo, id) &&
              offsetof(MobrelPhotoInfo, loaded) == 0 && offsetof(MobrelVideoInfo, loaded) == 0 &&
              offsetof(MobrelMusicInfo, loaded) == 0);

int32_t mediaRecordId(const void* record) { return load<int32_t>(record, offsetof(MobrelPhotoInfo, id)); }

int32_t mediaRecordAlbumId(const MediaKindInfo& kind, const void* record) {
    return kind.albumIdOffset < 0 ? 0 : load<int32_t>(record, static_cast<size_t>(kind.albumIdOffset));
}

std::string thumbnailName(const MediaKindInfo& kind, int id, int albumId) {
    std::string name = kind.thumbnailFolder + std::to_string(id);
    if (kind.thumbnailNamesAlbum) name += std::to_string(albumId);
    return name + ".png";
}

}  // namespace mobrel
