// Single changes to the phone's contacts, messages and call log, and the
// switch of the default messaging app. They do not touch the in-memory lists:
// a new flush shows the change.
#pragma once

#include "mobrelclient.h"

namespace mobrel {

// Every value is sent whole, however long: the command is sized to fit.

// "AddPerson:" with the joined name and the mobile number, then one
// "UpdatePerson:" per further field. 0, or -1 when the phone gave no id (then
// nothing else is sent) or contact is null.
int addPerson(const MobrelContact* contact);
// "SendSMS:" / "AddCallHistory:": the phone's reply integer (0 when the
// exchange failed), -1 for a null record.
int addSms(const MobrelSms* message);
int addCallHistory(const MobrelCallLog* entry);

// The deletes send the id as plain text, so only an id made of decimal digits
// is sent; any other (null, empty, or holding ";" or other characters) is
// refused with -1 and nothing is sent. Otherwise the phone's reply integer.
int deletePerson(const char* contactId);
int deleteSms(const char* threadId);
int deleteCallHistory(const char* entryId);
// True for what an id can be: 1 to 19 decimal digits.
bool isPlainId(const char* id);

// 0 when the companion app is the phone's default messaging app, else -1.
int checkDefaultMessaging();
// Ask for the role / hand it back: the reply integer.
int setDefaultMessaging();
int resetDefaultMessaging();

}  // namespace mobrel
