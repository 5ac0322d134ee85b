// Exports whose behaviour is not built yet: each answers -1 until its area lands.
// Each area moves its exports out of this file into its own exports_*.cpp.
#include "mobrelclient.h"

extern "C" {

MOBREL_API int MobrelApi_FlushPerson(void) { return -1; }
MOBREL_API int MobrelApi_FlushSMS(void) { return -1; }
MOBREL_API int MobrelApi_FlushCallHistory(void) { return -1; }
MOBREL_API int MobrelApi_GetPerson(MobrelContact **) { return -1; }
MOBREL_API int MobrelApi_GetSMS(MobrelSmsThread **) { return -1; }
MOBREL_API int MobrelApi_GetCallHistory(MobrelCallGroup **) { return -1; }
MOBREL_API int MobrelApi_GetPersonCount(void) { return -1; }
MOBREL_API int MobrelApi_GetSMSCount(void) { return -1; }
MOBREL_API int MobrelApi_GetCallHistoryCount(void) { return -1; }
MOBREL_API int MobrelApi_AddPerson(const MobrelContact *) { return -1; }
MOBREL_API int MobrelApi_AddSMS(const MobrelSms *) { return -1; }
MOBREL_API int MobrelApi_AddCallHistory(const MobrelCallLog *) { return -1; }
MOBREL_API int MobrelApi_DeletePerson(const char *) { return -1; }
MOBREL_API int MobrelApi_DeleteSMS(const char *) { return -1; }
MOBREL_API int MobrelApi_DeleteCallHistory(const char *) { return -1; }
MOBREL_API int MobrelApi_SetDefaultMessage(void) { return -1; }
MOBREL_API int MobrelApi_ReSetDefaultMessage(void) { return -1; }
MOBREL_API int MobrelApi_CheckDefaultMessangeOK(void) { return -1; }

}  // extern "C"
