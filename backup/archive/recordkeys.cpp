#include "recordkeys.h"

const ContactKey kContactKeys[20] = {
    {"SessionID", &MobrelContact::contactId, &ContactEntry::contactId},
    {"FirstName", &MobrelContact::name, &ContactEntry::name},
    {"LastName", &MobrelContact::nameExtra, &ContactEntry::nameExtra},
    {"NickName", &MobrelContact::nickname, &ContactEntry::nickname},
    {"MobileNumber", &MobrelContact::mobilePhone, &ContactEntry::mobilePhone},
    {"HomeNumber", &MobrelContact::homePhone, &ContactEntry::homePhone},
    {"WorkNumber", &MobrelContact::workPhone, &ContactEntry::workPhone},
    {"HomePage", &MobrelContact::website, &ContactEntry::website},
    {"Email", &MobrelContact::homeEmail, &ContactEntry::homeEmail},
    {"Birthday", &MobrelContact::birthday, &ContactEntry::birthday},
    {"Group", &MobrelContact::group, &ContactEntry::group},
    {"Note", &MobrelContact::note, &ContactEntry::note},
    {"Organzation", &MobrelContact::organization, &ContactEntry::organization},
    {"Department", &MobrelContact::title, &ContactEntry::title},
    {"CreateDate", &MobrelContact::extra14, &ContactEntry::extra14},
    {"HomeAddress", &MobrelContact::homeAddress, &ContactEntry::homeAddress},
    {"WorkAddress", &MobrelContact::workAddress, &ContactEntry::workAddress},
    {"HomeFax", &MobrelContact::homeFax, &ContactEntry::homeFax},
    {"WorkFax", &MobrelContact::workFax, &ContactEntry::workFax},
    {"WorkEmail", &MobrelContact::workEmail, &ContactEntry::workEmail},
};

const SmsKey kSmsKeys[8] = {
    {"SessionID", &MobrelSms::id, &SmsEntry::id},
    {"Name", &MobrelSms::person, &SmsEntry::person},
    {"Phone", &MobrelSms::address, &SmsEntry::address},
    {"Text", &MobrelSms::body, &SmsEntry::body},
    {"Date", &MobrelSms::date, &SmsEntry::date},
    {"flags", &MobrelSms::type, &SmsEntry::flags},
    {"read", &MobrelSms::read, &SmsEntry::read},
    {"guid", &MobrelSms::threadId, &SmsEntry::threadId},
};

const CallKey kCallKeys[6] = {
    {"SessionID", &MobrelCallLog::id, &CallEntry::id},
    {"Name", &MobrelCallLog::name, &CallEntry::name},
    {"Phone", &MobrelCallLog::number, &CallEntry::number},
    {"CallDate", &MobrelCallLog::date, &CallEntry::date},
    {"CallStatus", &MobrelCallLog::type, &CallEntry::type},
    {"Duration", &MobrelCallLog::duration, &CallEntry::duration},
};

const char* const kBackupInfoKeys[6] = {"Contacts", "Messages", "CallLogs",
                                        "Photos",   "Videos",   "Musics"};
