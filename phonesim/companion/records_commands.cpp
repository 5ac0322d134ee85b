// Contacts, messages and the call log: counts, pages of five, writes and deletes.
// Writes and deletes answer 1 when they changed something, else 0.
#include <algorithm>
#include <ctime>

#include "companion/companion_impl.h"
#include "companion/protocol.h"

namespace phonesim {

namespace {

constexpr size_t kPageSize = 5;

// The records [position, position + 5) of a list, or "" for a position that is
// not a number or lies past the end.
template <typename Record, typename Write>
std::string page(const std::vector<Record>& records, const std::string& args, Write write) {
    std::optional<int64_t> position = parseDecimal(args);
    if (!position || *position < 0 || static_cast<uint64_t>(*position) >= records.size()) return std::string();
    RecordText text;
    size_t end = std::min(records.size(), static_cast<size_t>(*position) + kPageSize);
    for (size_t i = static_cast<size_t>(*position); i < end; ++i) {
        write(records[i], text);
        text.endRecord();
    }
    return text.text();
}

std::string countBody(size_t count) {
    return intBody(static_cast<int32_t>(count));
}

std::string changed(bool yes) {
    return intBody(yes ? 1 : 0);
}

// The hex fields of a write command; nothing when there are not exactly `count`
// of them or one is not hex or holds a NUL.
std::optional<std::vector<std::string>> hexFields(const std::string& args, char separator, size_t count) {
    std::vector<std::string> parts = splitText(args, separator);
    if (parts.size() != count) return std::nullopt;
    for (std::string& part : parts) {
        std::optional<std::string> value = hexDecode(part);
        if (!value || value->find('\0') != std::string::npos) return std::nullopt;
        part = *value;
    }
    return parts;
}

// A date text of a write; an empty one means now.
std::optional<int64_t> writtenDate(const std::string& text) {
    if (text.empty()) return static_cast<int64_t>(std::time(nullptr));
    return parseLocalTime(text);
}

std::optional<int64_t> positiveId(const std::string& text) {
    std::optional<int64_t> id = parseDecimal(text);
    if (!id || *id <= 0) return std::nullopt;
    return id;
}

}  // namespace

const std::string& Companion::Impl::nameForNumber(const std::string& number) {
    static const std::string kNone;
    if (namesDirty) {
        namesByNumber.clear();
        for (const Contact& c : store.contacts()) {
            if (c.fields[kName].empty()) continue;
            for (int f : {kMobile, kHomePhone, kWorkPhone}) {
                if (!c.fields[f].empty()) namesByNumber.emplace(phoneKey(c.fields[f]), c.fields[kName]);
            }
        }
        namesDirty = false;
    }
    if (number.empty()) return kNone;
    auto it = namesByNumber.find(phoneKey(number));
    return it == namesByNumber.end() ? kNone : it->second;
}

// ---- contacts

std::string Companion::Impl::contactCount() {
    return countBody(store.contacts().size());
}

std::string Companion::Impl::contactPage(const std::string& args) {
    return page(store.contacts(), args, [](const Contact& c, RecordText& text) {
        text.hexNumber("CONTACTID", c.id);
        for (int f = 0; f < kContactFieldCount; ++f) {
            if (const char* key = contactFieldInfo(f).pageKey) text.hexItem(key, c.fields[f]);
        }
    });
}

std::string Companion::Impl::addPerson(const std::string& args) {
    auto fields = hexFields(args, ':', 2);
    if (!fields || ((*fields)[0].empty() && (*fields)[1].empty())) return int64Body(0);
    Contact contact;
    contact.fields[kName] = (*fields)[0];
    contact.fields[kMobile] = (*fields)[1];
    namesDirty = true;
    return int64Body(store.addContact(std::move(contact)));
}

std::string Companion::Impl::updatePerson(const std::string& args) {
    std::vector<std::string> parts = splitText(args, ':');
    if (parts.size() != 3) return changed(false);
    std::optional<int64_t> id = positiveId(parts[0]);
    std::optional<std::string> value = hexDecode(parts[1]);
    int field = -1;
    for (int f = 0; f < kContactFieldCount; ++f) {
        const char* name = contactFieldInfo(f).updateName;
        if (name && parts[2] == name) field = f;
    }
    if (!id || !value || value->find('\0') != std::string::npos || field < 0) return changed(false);
    namesDirty = true;
    return changed(store.editContact(*id, [&](Contact& c) {
        std::string before = c.fields[kName] + '\n' + c.fields[field];
        c.fields[field] = *value;
        // First and last name make up the shown name, as on the phone.
        if (field == kFirstName || field == kLastName) {
            const std::string& first = c.fields[kFirstName];
            const std::string& last = c.fields[kLastName];
            c.fields[kName] = first.empty() ? last : last.empty() ? first : first + " " + last;
        }
        return before != c.fields[kName] + '\n' + c.fields[field];
    }));
}

std::string Companion::Impl::deletePerson(const std::string& args) {
    std::optional<int64_t> id = positiveId(args);
    namesDirty = true;
    return changed(id && store.deleteContact(*id));
}

// ---- messages

std::string Companion::Impl::messageCount() {
    return countBody(store.messages().size());
}

std::string Companion::Impl::messagePage(const std::string& args) {
    return page(store.messages(), args, [this](const Message& m, RecordText& text) {
        text.hexNumber("ID", m.id);
        text.hexItem("PERSON", nameForNumber(m.address));
        text.hexItem("ADDRESS", m.address);
        text.hexItem("BODY", m.body);
        text.hexItem("DATE", formatLocalTime(m.date));
        text.hexNumber("TYPE", m.type);
        text.hexNumber("READ", m.read);
        text.hexNumber("THREAD_ID", m.threadId);
        text.hexNumber("PROTOCOL", 0);
        text.hexNumber("STATUS", -1);
    });
}

// Fields: address, body, date, read, conversation ("-1" or empty: by address),
// type ("0" or empty received, "1" sent).
std::string Companion::Impl::sendSms(const std::string& args) {
    auto fields = hexFields(args, '-', 6);
    if (!fields || !mayWriteMessages()) return changed(false);
    const std::vector<std::string>& f = *fields;
    Message message;
    message.address = f[0];
    message.body = f[1];
    if (f[5] == "1") message.type = kSent;
    else if (f[5] == "0" || f[5].empty()) message.type = kInbox;
    else return changed(false);
    if (f[3] == "0" || f[3] == "1") message.read = f[3][0] - '0';
    else if (f[3].empty()) message.read = message.type == kSent ? 1 : 0;
    else return changed(false);
    std::optional<int64_t> date = writtenDate(f[2]);
    if (!date) return changed(false);
    message.date = *date;
    if (f[4] != "-1" && !f[4].empty()) {
        std::optional<int64_t> thread = positiveId(f[4]);
        if (!thread) return changed(false);
        message.threadId = *thread;
    }
    return changed(store.addMessage(std::move(message)) > 0);
}

std::string Companion::Impl::deleteConversation(const std::string& args) {
    std::optional<int64_t> thread = positiveId(args);
    return changed(thread && mayWriteMessages() && store.deleteThread(*thread));
}

// ---- call log

std::string Companion::Impl::callCount() {
    return countBody(store.calls().size());
}

std::string Companion::Impl::callPage(const std::string& args) {
    return page(store.calls(), args, [this](const Call& c, RecordText& text) {
        text.hexNumber("ID", c.id);
        text.hexItem("NAME", nameForNumber(c.number));
        text.hexItem("NUMBER", c.number);
        text.hexItem("DATE", formatLocalTime(c.date));
        text.hexNumber("TYPE", c.type);
        text.hexNumber("DURATION", c.duration);
    });
}

// Fields: number, date, type (Android's code 1 to 7; empty: incoming), duration
// (whole seconds; empty: 0).
std::string Companion::Impl::addCall(const std::string& args) {
    auto fields = hexFields(args, '-', 4);
    if (!fields) return changed(false);
    const std::vector<std::string>& f = *fields;
    Call call;
    call.number = f[0];
    std::optional<int64_t> date = writtenDate(f[1]);
    std::optional<int64_t> type = f[2].empty() ? std::optional<int64_t>(1) : parseDecimal(f[2]);
    std::optional<int64_t> duration = f[3].empty() ? std::optional<int64_t>(0) : parseDecimal(f[3]);
    if (!date || !type || *type < 1 || *type > 7 || !duration || *duration < 0) return changed(false);
    call.date = *date;
    call.type = static_cast<int>(*type);
    call.duration = *duration;
    return changed(store.addCall(std::move(call)) > 0);
}

std::string Companion::Impl::deleteCall(const std::string& args) {
    std::optional<int64_t> id = positiveId(args);
    return changed(id && store.deleteCall(*id));
}

}  // namespace phonesim
