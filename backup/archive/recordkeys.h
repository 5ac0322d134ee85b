// The keys of the record objects in the data files, each with the field of
// the phone's record and of the plain record read back.
#pragma once

#include <mobrelclient.h>

#include "archiverecords.h"

struct ContactKey {
    const char* key;
    char* MobrelContact::*field;
    QByteArray ContactEntry::*entry;
};
// "SessionID" to "WorkEmail" in file order; "Headimg" and "isDelete" follow.
extern const ContactKey kContactKeys[20];

struct SmsKey {
    const char* key;
    char* MobrelSms::*field;
    QByteArray SmsEntry::*entry;
};
// "SessionID" (written as the message's position), "Name" ... "guid"; then
// "Type", "Headimg" and "isDelete" follow.
extern const SmsKey kSmsKeys[8];

struct CallKey {
    const char* key;
    char* MobrelCallLog::*field;
    QByteArray CallEntry::*entry;
};
// "SessionID", "Name" (written from the group), "Phone", "CallDate",
// "CallStatus", "Duration"; then "Headimg" and "isDelete" follow.
extern const CallKey kCallKeys[6];

// The members of "BackupInfo", by itemType.
extern const char* const kBackupInfoKeys[6];
