/*
 * mobrelclient: the device-link library of Mobrel.
 *
 * Every export has C linkage, returns a 32-bit int and is named MobrelApi_*.
 * Records are byte-packed; texts are NUL-terminated byte strings (UTF-8).
 * Records handed out by the library stay owned by it: contacts, messages and
 * call-log entries until the next flush of their category, media records for
 * the life of the process. Records passed to the add exports stay the caller's.
 *
 * Item types of the counter exports: 0 contacts, 1 messages, 2 call history,
 * 3 photos, 4 videos, 5 music.
 */
#ifndef MOBRELCLIENT_H
#define MOBRELCLIENT_H

#include <stdint.h>

#if defined(MOBRELCLIENT_BUILDING)
#define MOBREL_API __attribute__((visibility("default")))
#else
#define MOBREL_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 1)

typedef struct MobrelContact {
    char *contactId;
    char *name;
    char *nameExtra;
    char *nickname;
    char *mobilePhone;
    char *homePhone;
    char *workPhone;
    char *website;
    char *homeEmail;
    char *birthday;
    char *group;
    char *note;
    char *organization;
    char *title;
    char *extra14;
    char *extra15;
    char *homeAddress;
    char *workAddress;
    char *homeFax;
    char *workFax;
    char *workEmail;
    int32_t highlightFlag;
    int32_t checkMark; /* 1 = ticked */
    struct MobrelContact *next;
} MobrelContact;

typedef struct MobrelSms {
    char *id;
    char *person;
    char *address;
    char *body;
    char *date;
    char *type;
    char *read;
    char *threadId;
    char *extra;
    int64_t sortKey;
    int32_t highlightFlag;
    int32_t checkMark; /* 1 = ticked */
    struct MobrelSms *next; /* next message of the conversation */
} MobrelSms;

typedef struct MobrelSmsThread {
    char *person;   /* the first message's text, not a copy */
    char *address;  /* the first message's text, not a copy */
    char *threadId; /* the first message's text, not a copy */
    uint8_t reserved;
    int64_t latestSortKey;
    MobrelSms *lastMessage;
    MobrelSms *firstMessage;
    struct MobrelSmsThread *next;
} MobrelSmsThread;

struct MobrelCallGroup;

typedef struct MobrelCallLog {
    char *id;
    char *name;
    char *number;
    char *date;
    char *type;
    char *duration;
    char *extra;
    struct MobrelCallGroup *group;
    int64_t sortKey;
    int32_t highlightFlag;
    int32_t checkMark; /* 1 = ticked */
    struct MobrelCallLog *next; /* next entry of the group */
} MobrelCallLog;

typedef struct MobrelCallGroup {
    char *reserved1;
    char *reserved2;
    char *number; /* the first entry's text, not a copy */
    int64_t latestSortKey;
    MobrelCallLog *firstEntry;
    struct MobrelCallGroup *next;
} MobrelCallGroup;

typedef struct MobrelPhotoInfo {
    int32_t loaded; /* 1 once fetched; the GUI's selection mark afterwards */
    int32_t id;
    char *title;
    char *path;
    int64_t size;
    int64_t modifiedTime;
    int64_t createdTime;
} MobrelPhotoInfo;

typedef struct MobrelMusicInfo {
    int32_t loaded;
    int32_t id;
    int32_t albumId;
    char *title;
    char *album;
    char *artist;
    char *path;
    int64_t duration;
    int64_t size;
    int64_t modifiedTime;
    int64_t createdTime;
} MobrelMusicInfo;

typedef struct MobrelVideoInfo {
    int32_t loaded;
    int32_t id;
    char *title;
    char *displayName;
    char *path;
    int64_t duration;
    int64_t size;
    int64_t modifiedTime;
    int64_t createdTime;
} MobrelVideoInfo;

typedef struct MobrelDeviceInfo {
    char brand[128];
    char serial[64];
    char model[64];
    char androidVersion[64];
    char reserved[64];
    int64_t memTotal;
    int64_t memAvail;
    int32_t percentValue;
    int64_t phoneTotal;
    int64_t phoneAvail;
    int64_t sdTotal;
    int64_t sdAvail;
} MobrelDeviceInfo;

#pragma pack(pop)

/* Start-up and shut-down */
MOBREL_API int MobrelApi_Init(void);
MOBREL_API int MobrelApi_UnInit(void);

/* Detection and bring-up */
MOBREL_API int MobrelApi_CheckConnectDeviceToPC_Count(void);
MOBREL_API int MobrelApi_CheckEnableUSBDebug(int index);
MOBREL_API int MobrelApi_CheckDeviceDetected(int index);
MOBREL_API int MobrelApi_ReadyTodoing(int index);
MOBREL_API int MobrelApi_GetAndroidDevicesInfo(MobrelDeviceInfo *out, int index);
MOBREL_API int MobrelApi_CheckAndroidVersionAt44(void);

/* Loaded-item counters */
MOBREL_API int MobrelApi_CheckItemisLoaded(int itemType);
MOBREL_API int MobrelApi_SetItemisUnLoaded(int itemType);
MOBREL_API int MobrelApi_getItemCurrentLoadedCount(unsigned int itemType);
MOBREL_API int MobrelApi_getItemTotalLoadedCount(unsigned int itemType);

/* Contacts, messages, call history */
MOBREL_API int MobrelApi_FlushPerson(void);
MOBREL_API int MobrelApi_FlushSMS(void);
MOBREL_API int MobrelApi_FlushCallHistory(void);
MOBREL_API int MobrelApi_GetPerson(MobrelContact **out);
MOBREL_API int MobrelApi_GetSMS(MobrelSmsThread **out);
MOBREL_API int MobrelApi_GetCallHistory(MobrelCallGroup **out);
MOBREL_API int MobrelApi_GetPersonCount(void);
MOBREL_API int MobrelApi_GetSMSCount(void);
MOBREL_API int MobrelApi_GetCallHistoryCount(void);
MOBREL_API int MobrelApi_AddPerson(const MobrelContact *contact);
MOBREL_API int MobrelApi_AddSMS(const MobrelSms *message);
MOBREL_API int MobrelApi_AddCallHistory(const MobrelCallLog *entry);
MOBREL_API int MobrelApi_DeletePerson(const char *contactId);
MOBREL_API int MobrelApi_DeleteSMS(const char *threadId);
MOBREL_API int MobrelApi_DeleteCallHistory(const char *entryId);
MOBREL_API int MobrelApi_SetDefaultMessage(void);
MOBREL_API int MobrelApi_ReSetDefaultMessage(void);
MOBREL_API int MobrelApi_CheckDefaultMessangeOK(void);

/* Media */
MOBREL_API int MobrelApi_FlushPhotos(void);
MOBREL_API int MobrelApi_FlushMusic(void);
MOBREL_API int MobrelApi_FlushVideo(void);
MOBREL_API int MobrelApi_GetPhotoCount(void);
MOBREL_API int MobrelApi_GetVideoCount(void);
MOBREL_API int MobrelApi_GetMusicCount(void);
MOBREL_API int MobrelApi_GetPhotoInfo(MobrelPhotoInfo **out, int index);
MOBREL_API int MobrelApi_GetMusicInfo(MobrelMusicInfo **out, int index);
MOBREL_API int MobrelApi_GetVideoInfo(MobrelVideoInfo **out, int index);
MOBREL_API int MobrelApi_addPhoto(const char *localPath, const char *deviceFileName);
MOBREL_API int MobrelApi_addMusic(const char *localPath, const char *deviceFileName);
MOBREL_API int MobrelApi_addVideo(const char *localPath, const char *deviceFileName);
MOBREL_API int MobrelApi_ExportPhoto(int id, const char *localPath);
MOBREL_API int MobrelApi_ExportMusic(int id, const char *localPath);
MOBREL_API int MobrelApi_ExportVideo(int id, const char *localPath);
MOBREL_API int MobrelApi_DeletePhoto(int id);
MOBREL_API int MobrelApi_DeleteVideo(int id);
MOBREL_API int MobrelApi_DeleteMusic(int id, int albumId);

#ifdef __cplusplus
}
#endif

#endif /* MOBRELCLIENT_H */
