// The phone's content as the store keeps it: contacts, messages, calls and the
// media registry. Times are seconds since 1970 UTC; the companion turns them
// into the texts of its replies.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct cJSON;

namespace phonesim {

// The text fields of a contact. The order is the order of the page keys.
enum ContactField {
    kName,
    kNickname,
    kMobile,
    kHomePhone,
    kWorkPhone,
    kWebsite,
    kHomeEmail,
    kBirthday,
    kGroup,
    kNote,
    kOrganization,
    kTitle,
    kHomeAddress,
    kWorkAddress,
    kHomeFax,
    kWorkFax,
    kWorkEmail,
    kFirstName,
    kLastName,
    kContactFieldCount
};

struct ContactFieldInfo {
    const char* jsonKey;     // name in the store file
    const char* pageKey;     // key of the page records, nullptr when no key shows it
    const char* updateName;  // field name of "UpdatePerson:", nullptr when it cannot be updated
};

const ContactFieldInfo& contactFieldInfo(int field);

struct Contact {
    int64_t id = 0;
    std::string fields[kContactFieldCount];
};

// Android's message box codes.
enum MessageType { kInbox = 1, kSent = 2, kDraft = 3, kOutbox = 4, kFailed = 5, kQueued = 6 };

struct Message {
    int64_t id = 0;
    int64_t threadId = 0;
    std::string address;
    std::string body;
    int64_t date = 0;
    int type = kInbox;
    int read = 0;
};

// Android's call types (1 incoming, 2 outgoing, 3 missed, 4 voicemail, 5 rejected,
// 6 blocked, 7 answered elsewhere).
struct Call {
    int64_t id = 0;
    std::string number;  // empty for a private number
    int64_t date = 0;
    int type = 1;
    int64_t duration = 0;  // seconds
};

enum class MediaKind { Photo, Video, Music };

struct MediaItem {
    int64_t id = 0;
    MediaKind kind = MediaKind::Photo;
    std::string path;  // below the shared storage root, '/'-separated, e.g. "DCIM/Camera/a.png"
    std::string title;
    std::string artist;  // music only
    std::string album;   // music only
    int64_t albumId = 0;  // music only
    int64_t duration = 0;  // seconds (music, videos)
    int64_t created = 0;
};

const char* mediaKindName(MediaKind kind);  // "photo", "video", "music"

// One record as one JSON object of the store files, and back. Reading gives false
// for an object that lacks the id (or names an unknown media kind).
cJSON* contactToJson(const Contact& c);
bool contactFromJson(const cJSON* json, Contact& out);
cJSON* messageToJson(const Message& m);
bool messageFromJson(const cJSON* json, Message& out);
cJSON* callToJson(const Call& c);
bool callFromJson(const cJSON* json, Call& out);
cJSON* mediaToJson(const MediaItem& m);
bool mediaFromJson(const cJSON* json, MediaItem& out);

}  // namespace phonesim
