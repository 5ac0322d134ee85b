#include "store/records.h"

#include <cjson/cJSON.h>

#include <cmath>

namespace phonesim {

namespace {

const ContactFieldInfo kContactFields[kContactFieldCount] = {
    {"name", "NAME", nullptr},
    {"nickname", "NICKNAME", "NICKNAME"},
    {"mobile", "PHONE_PHONE", "MOBILE"},
    {"homePhone", "PHONE_HOME", "HOMENUMBER"},
    {"workPhone", "PHONE_WORK", "WORKNUMBER"},
    {"website", "WEBSITE", "HOMEPAGE"},
    {"homeEmail", "EMAIL_HOME", "HOMEEMAIL"},
    {"birthday", "BIRTHDAY", "BIRTHDAY"},
    {"group", nullptr, "GROUP"},
    {"note", "NOTE", "NOTE"},
    {"organization", "ORG_NAME", "ORGANZATION"},
    {"title", "ORG_TITLE", "DEPARTMENT"},
    {"homeAddress", "ADDRESS_HOME", "HOMEADDRESS"},
    {"workAddress", "ADDRESS_WORK", "WORKADDRESS"},
    {"homeFax", "PHONE_HOMEFAX", "HOMEFAX"},
    {"workFax", "PHONE_WORKFAX", "WORKFAX"},
    {"workEmail", "EMAIL_WORK", "WORKEMAIL"},
    {"firstName", nullptr, "FIRSTNAME"},
    {"lastName", nullptr, "LASTNAME"},
};

void putNumber(cJSON* object, const char* key, int64_t value) {
    cJSON_AddNumberToObject(object, key, static_cast<double>(value));
}

void putText(cJSON* object, const char* key, const std::string& value) {
    if (!value.empty()) cJSON_AddStringToObject(object, key, value.c_str());
}

// Whole numbers only; anything else leaves the default.
bool getNumber(const cJSON* object, const char* key, int64_t& out) {
    const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
    if (!cJSON_IsNumber(item)) return false;
    double v = item->valuedouble;
    if (!std::isfinite(v) || v != std::floor(v) || std::fabs(v) > 9.0e15) return false;
    out = static_cast<int64_t>(v);
    return true;
}

void getInt(const cJSON* object, const char* key, int& out) {
    int64_t v = 0;
    if (getNumber(object, key, v) && v >= -1000000 && v <= 1000000) out = static_cast<int>(v);
}

void getText(const cJSON* object, const char* key, std::string& out) {
    const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
    if (cJSON_IsString(item) && item->valuestring) out = item->valuestring;
}

bool getId(const cJSON* object, int64_t& id) {
    return getNumber(object, "id", id) && id > 0;
}

}  // namespace

const ContactFieldInfo& contactFieldInfo(int field) {
    return kContactFields[field];
}

const char* mediaKindName(MediaKind kind) {
    switch (kind) {
    case MediaKind::Photo: return "photo";
    case MediaKind::Video: return "video";
    case MediaKind::Music: return "music";
    }
    return "photo";
}

cJSON* contactToJson(const Contact& c) {
    cJSON* o = cJSON_CreateObject();
    putNumber(o, "id", c.id);
    for (int f = 0; f < kContactFieldCount; ++f) putText(o, kContactFields[f].jsonKey, c.fields[f]);
    return o;
}

bool contactFromJson(const cJSON* json, Contact& out) {
    out = Contact{};
    if (!getId(json, out.id)) return false;
    for (int f = 0; f < kContactFieldCount; ++f) getText(json, kContactFields[f].jsonKey, out.fields[f]);
    return true;
}

cJSON* messageToJson(const Message& m) {
    cJSON* o = cJSON_CreateObject();
    putNumber(o, "id", m.id);
    putNumber(o, "thread", m.threadId);
    putText(o, "address", m.address);
    putText(o, "body", m.body);
    putNumber(o, "date", m.date);
    putNumber(o, "type", m.type);
    putNumber(o, "read", m.read);
    return o;
}

bool messageFromJson(const cJSON* json, Message& out) {
    out = Message{};
    if (!getId(json, out.id)) return false;
    getNumber(json, "thread", out.threadId);
    getText(json, "address", out.address);
    getText(json, "body", out.body);
    getNumber(json, "date", out.date);
    getInt(json, "type", out.type);
    getInt(json, "read", out.read);
    return true;
}

cJSON* callToJson(const Call& c) {
    cJSON* o = cJSON_CreateObject();
    putNumber(o, "id", c.id);
    putText(o, "number", c.number);
    putNumber(o, "date", c.date);
    putNumber(o, "type", c.type);
    putNumber(o, "duration", c.duration);
    return o;
}

bool callFromJson(const cJSON* json, Call& out) {
    out = Call{};
    if (!getId(json, out.id)) return false;
    getText(json, "number", out.number);
    getNumber(json, "date", out.date);
    getInt(json, "type", out.type);
    getNumber(json, "duration", out.duration);
    return true;
}

cJSON* mediaToJson(const MediaItem& m) {
    cJSON* o = cJSON_CreateObject();
    putNumber(o, "id", m.id);
    cJSON_AddStringToObject(o, "kind", mediaKindName(m.kind));
    putText(o, "path", m.path);
    putText(o, "title", m.title);
    putText(o, "artist", m.artist);
    putText(o, "album", m.album);
    if (m.albumId) putNumber(o, "albumId", m.albumId);
    if (m.duration) putNumber(o, "duration", m.duration);
    putNumber(o, "created", m.created);
    return o;
}

bool mediaFromJson(const cJSON* json, MediaItem& out) {
    out = MediaItem{};
    if (!getId(json, out.id)) return false;
    std::string kind;
    getText(json, "kind", kind);
    if (kind == "photo") out.kind = MediaKind::Photo;
    else if (kind == "video") out.kind = MediaKind::Video;
    else if (kind == "music") out.kind = MediaKind::Music;
    else return false;
    getText(json, "path", out.path);
    getText(json, "title", out.title);
    getText(json, "artist", out.artist);
    getText(json, "album", out.album);
    getNumber(json, "albumId", out.albumId);
    getNumber(json, "duration", out.duration);
    getNumber(json, "created", out.created);
    return !out.path.empty();
}

}  // namespace phonesim
