// Exports of contacts, messages, the call log and the default messaging app.
#include "context.h"
#include "mobrelclient.h"
#include "records_flush.h"
#include "records_lists.h"
#include "records_write.h"

using namespace mobrel;

namespace {

int totalOf(ItemType type) { return libraryContext().items[type].total; }

}  // namespace

extern "C" {

MOBREL_API int MobrelApi_FlushPerson(void) { return flushContacts(); }
MOBREL_API int MobrelApi_FlushSMS(void) { return flushMessages(); }
MOBREL_API int MobrelApi_FlushCallHistory(void) { return flushCallLog(); }

MOBREL_API int MobrelApi_GetPerson(MobrelContact** out) {
    if (out) *out = contactList().head();
    return totalOf(kContacts);
}

MOBREL_API int MobrelApi_GetSMS(MobrelSmsThread** out) {
    if (out) *out = messageList().first();
    return totalOf(kMessages);
}

MOBREL_API int MobrelApi_GetCallHistory(MobrelCallGroup** out) {
    if (out) *out = callLogList().first();
    return totalOf(kCallLog);
}

MOBREL_API int MobrelApi_GetPersonCount(void) { return totalOf(kContacts); }
MOBREL_API int MobrelApi_GetSMSCount(void) { return totalOf(kMessages); }
MOBREL_API int MobrelApi_GetCallHistoryCount(void) { return totalOf(kCallLog); }

MOBREL_API int MobrelApi_AddPerson(const MobrelContact* contact) { return addPerson(contact); }
MOBREL_API int MobrelApi_AddSMS(const MobrelSms* message) { return addSms(message); }
MOBREL_API int MobrelApi_AddCallHistory(const MobrelCallLog* entry) { return addCallHistory(entry); }

MOBREL_API int MobrelApi_DeletePerson(const char* contactId) { return deletePerson(contactId); }
MOBREL_API int MobrelApi_DeleteSMS(const char* threadId) { return deleteSms(threadId); }
MOBREL_API int MobrelApi_DeleteCallHistory(const char* entryId) { return deleteCallHistory(entryId); }

MOBREL_API int MobrelApi_SetDefaultMessage(void) { return setDefaultMessaging(); }
MOBREL_API int MobrelApi_ReSetDefaultMessage(void) { return resetDefaultMessaging(); }
MOBREL_API int MobrelApi_CheckDefaultMessangeOK(void) { return checkDefaultMessaging(); }

}  // extern "C"
