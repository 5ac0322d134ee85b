#include "records_write.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "commands.h"
#include "exchange.h"
#include "hex.h"

namespace mobrel {

namespace {

// The longest id accepted: a 63-bit number has 19 digits.
constexpr size_t kIdDigits = 19;

// The hex text of a whole value; a missing text gives an empty field.
std::string hexField(const char* text) { return text ? hexEncode(text, std::string::npos) : std::string(); }

// Fields sent after "AddPerson:", in this order, with their field names.
// extra14 and extra15 are never sent.
struct UpdateField {
    char* MobrelContact::*member;
    const char* name;
};
const UpdateField kUpdateFields[] = {
    {&MobrelContact::nickname, "NICKNAME"},       {&MobrelContact::mobilePhone, "MOBILE"},
    {&MobrelContact::homePhone, "HOMENUMBER"},    {&MobrelContact::workPhone, "WORKNUMBER"},
    {&MobrelContact::website, "HOMEPAGE"},        {&MobrelContact::homeEmail, "HOMEEMAIL"},
    {&MobrelContact::birthday, "BIRTHDAY"},       {&MobrelContact::group, "GROUP"},
    {&MobrelContact::note, "NOTE"},               {&MobrelContact::organization, "ORGANZATION"},
    {&MobrelContact::title, "DEPARTMENT"},        {&MobrelContact::homeAddress, "HOMEADDRESS"},
    {&MobrelContact::workAddress, "WORKADDRESS"}, {&MobrelContact::homeFax, "HOMEFAX"},
    {&MobrelContact::workFax, "WORKFAX"},         {&MobrelContact::workEmail, "WORKEMAIL"},
};

int sendWithId(std::string (*command)(const std::string&), const char* id) {
    if (!isPlainId(id)) return -1;
    return sendForInt(command(id)).value;
}

}  // namespace

int addPerson(const MobrelContact* contact) {
    if (!contact) return -1;
    std::string name;
    if (contact->name) name += contact->name;
    if (contact->nameExtra) name += contact->nameExtra;
    const int64_t id = sendForInt64(cmd::addPerson(hexField(name.c_str()), hexField(contact->mobilePhone)));
    if (id <= 0) return -1;

    const std::string idText = std::to_string(id);
    for (const UpdateField& field : kUpdateFields) {
        const char* value = contact->*field.member;
        // An empty value, or one that is a lone double quote, is not sent.
        if (!value || !*value || std::strcmp(value, "\"") == 0) continue;
        sendForInt(cmd::updatePerson(idText, hexField(value), field.name));
    }
    return 0;  // whatever the updates answered
}

int addSms(const MobrelSms* message) {
    if (!message) return -1;
    return sendForInt(cmd::sendSms(hexField(message->address), hexField(message->body), hexField(message->date),
                                   hexField(message->read), hexField(message->type)))
        .value;
}

int addCallHistory(const MobrelCallLog* entry) {
    if (!entry) return -1;
    return sendForInt(cmd::addCallHistory(hexField(entry->number), hexField(entry->date), hexField(entry->type),
                                          hexField(entry->duration)))
        .value;
}

int deletePerson(const char* contactId) { return sendWithId(cmd::deleteOnePerson, contactId); }
int deleteSms(const char* threadId) { return sendWithId(cmd::deleteOneSms, threadId); }
int deleteCallHistory(const char* entryId) { return sendWithId(cmd::deleteOneCallLog, entryId); }

bool isPlainId(const char* id) {
    if (!id) return false;
    const size_t length = strnlen(id, kIdDigits + 1);
    if (length == 0 || length > kIdDigits) return false;
    for (size_t i = 0; i < length; ++i) {
        if (id[i] < '0' || id[i] > '9') return false;
    }
    return true;
}

int checkDefaultMessaging() {
    return sendForText(cmd::kDefaultMessagePackage, 1024) == adbargs::kCompanionPackage ? 0 : -1;
}

int setDefaultMessaging() { return sendForInt(cmd::kSetDefaultMessage).value; }
int resetDefaultMessaging() { return sendForInt(cmd::kResetDefaultMessage).value; }

}  // namespace mobrel
