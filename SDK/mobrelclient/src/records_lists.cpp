#include "records_lists.h"

#include <cstdlib>
#include <cstring>

namespace mobrel {

namespace {

// Fields of the working records, in the order of their key lists.
enum ContactField {
    kContactId, kName, kNickname, kMobilePhone, kHomePhone, kWorkPhone, kWebsite, kHomeEmail, kBirthday,
    kNote, kOrganization, kTitle, kHomeAddress, kWorkAddress, kHomeFax, kWorkFax, kWorkEmail, kContactFields
};
const char* const kContactKeyNames[] = {
    "CONTACTID", "NAME", "NICKNAME", "PHONE_PHONE", "PHONE_HOME", "PHONE_WORK", "WEBSITE", "EMAIL_HOME", "BIRTHDAY",
    "NOTE", "ORG_NAME", "ORG_TITLE", "ADDRESS_HOME", "ADDRESS_WORK", "PHONE_HOMEFAX", "PHONE_WORKFAX", "EMAIL_WORK"};

enum MessageField { kSmsId, kPerson, kAddress, kBody, kSmsDate, kSmsType, kRead, kThreadId, kMessageFields };
const char* const kMessageKeyNames[] = {"ID", "PERSON", "ADDRESS", "BODY", "DATE", "TYPE", "READ", "THREAD_ID"};

enum CallField { kCallId, kCallName, kNumber, kCallDate, kCallType, kDuration, kCallFields };
const char* const kCallKeyNames[] = {"ID", "NAME", "NUMBER", "DATE", "TYPE", "DURATION"};

static_assert(sizeof kContactKeyNames / sizeof *kContactKeyNames == kContactFields);
static_assert(sizeof kMessageKeyNames / sizeof *kMessageKeyNames == kMessageFields);
static_assert(sizeof kCallKeyNames / sizeof *kCallKeyNames == kCallFields);
static_assert(kContactFields <= WorkingRecord::kMaxFields);

// An exact-length copy of a field's text, or null when the key was absent.
char* copyText(RecordArena& arena, const WorkingRecord& record, int field) {
    return record.get(field) ? arena.copy(record.text[field]) : nullptr;
}

// Message and call types: a text whose number exceeds 4 is kept as "4".
char* copyType(RecordArena& arena, const WorkingRecord& record, int field) {
    const char* text = record.get(field);
    if (text && std::strtoll(text, nullptr, 10) > 4) return arena.copy("4");
    return copyText(arena, record, field);
}

}  // namespace

const KeyList kContactKeys {kContactKeyNames, kContactFields};
const KeyList kMessageKeys {kMessageKeyNames, kMessageFields};
const KeyList kCallLogKeys {kCallKeyNames, kCallFields};

// ---- contacts

void ContactList::clear() {
    arena_.clear();
    head_ = nullptr;
    count_ = 0;
}

void ContactList::store(const WorkingRecord& r) {
    // Every record qualifies, even an empty one. The four texts no key fills
    // (nameExtra, group, extra14, extra15) stay null.
    auto* c = arena_.make<MobrelContact>();
    c->contactId = copyText(arena_, r, kContactId);
    c->name = copyText(arena_, r, kName);
    c->nickname = copyText(arena_, r, kNickname);
    c->mobilePhone = copyText(arena_, r, kMobilePhone);
    c->homePhone = copyText(arena_, r, kHomePhone);
    c->workPhone = copyText(arena_, r, kWorkPhone);
    c->website = copyText(arena_, r, kWebsite);
    c->homeEmail = copyText(arena_, r, kHomeEmail);
    c->birthday = copyText(arena_, r, kBirthday);
    c->note = copyText(arena_, r, kNote);
    c->organization = copyText(arena_, r, kOrganization);
    c->title = copyText(arena_, r, kTitle);
    c->homeAddress = copyText(arena_, r, kHomeAddress);
    c->workAddress = copyText(arena_, r, kWorkAddress);
    c->homeFax = copyText(arena_, r, kHomeFax);
    c->workFax = copyText(arena_, r, kWorkFax);
    c->workEmail = copyText(arena_, r, kWorkEmail);
    c->highlightFlag = 0;
    c->checkMark = 1;
    c->next = head_;
    head_ = c;
    ++count_;
}

// ---- messages

void MessageList::clear() {
    arena_.clear();
    first_ = last_ = nullptr;
    count_ = 0;
}

MessageBuilder::MessageBuilder(MessageList& list) : list_(list) {
    for (MobrelSmsThread* t = list_.first_; t; t = t->next) threads_.emplace(std::string_view(t->threadId), t);
}

void MessageBuilder::store(const WorkingRecord& r) {
    const char* threadId = r.get(kThreadId);
    const char* type = r.get(kSmsType);
    if (!threadId || !type || std::strcmp(threadId, "-1") == 0 || std::strcmp(type, "3") == 0) return;

    RecordArena& arena = list_.arena_;
    auto* m = arena.make<MobrelSms>();
    m->id = copyText(arena, r, kSmsId);
    m->person = copyText(arena, r, kPerson);
    m->address = copyText(arena, r, kAddress);
    m->body = copyText(arena, r, kBody);
    m->date = copyText(arena, r, kSmsDate);
    m->type = copyType(arena, r, kSmsType);
    m->read = copyText(arena, r, kRead);
    m->threadId = copyText(arena, r, kThreadId);
    m->highlightFlag = 0;
    m->checkMark = 1;

    auto found = threads_.find(m->threadId);
    if (found != threads_.end()) {
        found->second->lastMessage->next = m;
        found->second->lastMessage = m;
    } else {
        // Conversations are byte-packed and their pointers unaligned: each is
        // set by plain assignment, never through a reference.
        auto* t = arena.make<MobrelSmsThread>();
        t->person = m->person;
        t->address = m->address;
        t->threadId = m->threadId;
        t->firstMessage = m;
        t->lastMessage = m;
        if (list_.last_) {
            list_.last_->next = t;
        } else {
            list_.first_ = t;
        }
        list_.last_ = t;
        threads_.emplace(std::string_view(t->threadId), t);
    }
    ++list_.count_;
}

// ---- call log

void CallLogList::clear() {
    arena_.clear();
    first_ = last_ = nullptr;
    count_ = 0;
}

CallLogBuilder::CallLogBuilder(CallLogList& list) : list_(list) {
    for (MobrelCallGroup* g = list_.first_; g; g = g->next) {
        MobrelCallLog* last = g->firstEntry;
        while (last && last->next) last = last->next;
        groups_.emplace(std::string_view(g->number), GroupEnd {g, last});
    }
}

void CallLogBuilder::store(const WorkingRecord& r) {
    if (!r.get(kNumber)) return;

    RecordArena& arena = list_.arena_;
    auto* e = arena.make<MobrelCallLog>();
    // A call log repeats the number and mostly the name for every call: the
    // entries of a group share the first one's texts where theirs are the same.
    auto found = groups_.find(std::string_view(r.text[kNumber]));
    const MobrelCallLog* first = found != groups_.end() ? found->second.group->firstEntry : nullptr;
    const char* name = r.get(kCallName);
    e->id = copyText(arena, r, kCallId);
    e->name = first && name && first->name && std::strcmp(name, first->name) == 0 ? first->name
                                                                                 : copyText(arena, r, kCallName);
    e->number = first ? first->number : copyText(arena, r, kNumber);
    e->date = copyText(arena, r, kCallDate);
    e->type = copyType(arena, r, kCallType);
    e->duration = copyText(arena, r, kDuration);
    e->highlightFlag = 0;
    e->checkMark = 1;

    if (first) {
        e->group = found->second.group;
        found->second.lastEntry->next = e;
        found->second.lastEntry = e;
    } else {
        auto* g = arena.make<MobrelCallGroup>();
        g->number = e->number;
        g->firstEntry = e;
        if (list_.last_) {
            list_.last_->next = g;
        } else {
            list_.first_ = g;
        }
        list_.last_ = g;
        e->group = g;
        groups_.emplace(std::string_view(g->number), GroupEnd {g, e});
    }
    ++list_.count_;
}

ContactList& contactList() {
    static ContactList* const list = new ContactList;
    return *list;
}

MessageList& messageList() {
    static MessageList* const list = new MessageList;
    return *list;
}

CallLogList& callLogList() {
    static CallLogList* const list = new CallLogList;
    return *list;
}

}  // namespace mobrel
