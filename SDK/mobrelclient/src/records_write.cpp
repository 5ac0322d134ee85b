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

// What a write command answered; -1 when the reply is no 4-byte integer, so
// that a spoiled answer never passes for a change the phone made.
int writeAnswer(const std::string& command) {
    const IntReply reply = sendForInt(command);
    return reply.bytes == 4 ? reply.value : -1;
}

int sendWithId(std::string (*command)(const std::string&), const char* id) {
    if (!isPlainId(id)) return -1;
    return writeAnswer(command(id));
}

}  // namespace

int addPerson(const MobrelContact* contact) {
    if (!contact) return -1;
    std::string name;
    if (contact->name) name += contact->name;
    if (contact->nameExtra) name += contact->nameExtra;
    const int64_t id = sendForInt64(cmd::addPerson(hexField(name.c_str()), hexField(contact->mobilePhone)));
    if (id <= 0) return -1;

    // Records are byte-packed and may lie at any address: each field is read
    // by name into a plain copy (never bound by reference), in the order the
    // fields are sent. extra14 and extra15 are never sent.
    struct Update {
        const char* value;
        const char* field;
    };
    const Update updates[] = {
        {contact->nickname, "NICKNAME"},        {contact->mobilePhone, "MOBILE"},
        {contact->homePhone, "HOMENUMBER"},     {contact->workPhone, "WORKNUMBER"},
        {contact->website, "HOMEPAGE"},         {contact->homeEmail, "HOMEEMAIL"},
        {contact->birthday, "BIRTHDAY"},        {contact->group, "GROUP"},
        {contact->note, "NOTE"},                {contact->organization, "ORGANZATION"},
        {contact->title, "DEPARTMENT"},         {contact->homeAddress, "HOMEADDRESS"},
        {contact->workAddress, "WORKADDRESS"},  {contact->homeFax, "HOMEFAX"},
        {contact->workFax, "WORKFAX"},          {contact->workEmail, "WORKEMAIL"},
    };
    const std::string idText = std::to_string(id);
    for (const auto& [value, field] : updates) {
        // An empty value, or one that is a lone double quote, is not sent.
        if (!value || !*value || std::strcmp(value, "\"") == 0) continue;
        sendForInt(cmd::updatePerson(idText, hexField(value), field));
    }
    return 0;  // whatever the updates answered
}

int addSms(const MobrelSms* message) {
    if (!message) return -1;
    return writeAnswer(cmd::sendSms(hexField(message->address), hexField(message->body), hexField(message->date),
                                    hexField(message->read), hexField(message->type)));
}

int addCallHistory(const MobrelCallLog* entry) {
    if (!entry) return -1;
    return writeAnswer(cmd::addCallHistory(hexField(entry->number), hexField(entry->date), hexField(entry->type),
                                           hexField(entry->duration)));
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
