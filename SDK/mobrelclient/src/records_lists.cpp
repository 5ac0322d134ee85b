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
char* copyText(const WorkingRecord& record, int field) {
    const char* text = record.get(field);
    if (!text) return nullptr;
    const size_t length = record.text[field].size();
    char* copy = new char[length + 1];
    std::memcpy(copy, text, length + 1);
    return copy;
}

// Message and call types: a text whose number exceeds 4 is kept as "4".
char* copyType(const WorkingRecord& record, int field) {
    const char* text = record.get(field);
    if (text && std::strtoll(text, nullptr, 10) > 4) {
        char* four = new char[2];
        std::memcpy(four, "4", 2);
        return four;
    }
    return copyText(record, field);
}

void freeContact(MobrelContact* c) {
    for (char* text : {c->contactId, c->name, c->nameExtra, c->nickname, c->mobilePhone, c->homePhone,
                       c->workPhone, c->website, c->homeEmail, c->birthday, c->group, c->note, c->organization,
                       c->title, c->extra14, c->extra15, c->homeAddress, c->workAddress, c->homeFax, c->workFax,
                       c->workEmail}) {
        delete[] text;
    }
    delete c;
}

void freeMessage(MobrelSms* m) {
    for (char* text : {m->id, m->person, m->address, m->body, m->date, m->type, m->read, m->threadId, m->extra}) {
        delete[] text;
    }
    delete m;
}

void freeCall(MobrelCallLog* e) {
    for (char* text : {e->id, e->name, e->number, e->date, e->type, e->duration, e->extra}) delete[] text;
    delete e;
}

}  // namespace

const KeyList kContactKeys {kContactKeyNames, kContactFields};
const KeyList kMessageKeys {kMessageKeyNames, kMessageFields};
const KeyList kCallLogKeys {kCallKeyNames, kCallFields};

// ---- contacts

void ContactList::clear() {
    while (head_) {
        MobrelContact* next = head_->next;
        freeContact(head_);
        head_ = next;
    }
    count_ = 0;
}

void ContactList::store(const WorkingRecord& r) {
    // Every record qualifies, even an empty one. The four texts no key fills
    // (nameExtra, group, extra14, extra15) stay null.
    auto* c = new MobrelContact {};
    c->contactId = copyText(r, kContactId);
    c->name = copyText(r, kName);
    c->nickname = copyText(r, kNickname);
    c->mobilePhone = copyText(r, kMobilePhone);
    c->homePhone = copyText(r, kHomePhone);
    c->workPhone = copyText(r, kWorkPhone);
    c->website = copyText(r, kWebsite);
    c->homeEmail = copyText(r, kHomeEmail);
    c->birthday = copyText(r, kBirthday);
    c->note = copyText(r, kNote);
    c->organization = copyText(r, kOrganization);
    c->title = copyText(r, kTitle);
    c->homeAddress = copyText(r, kHomeAddress);
    c->workAddress = copyText(r, kWorkAddress);
    c->homeFax = copyText(r, kHomeFax);
    c->workFax = copyText(r, kWorkFax);
    c->workEmail = copyText(r, kWorkEmail);
    c->highlightFlag = 0;
    c->checkMark = 1;
    c->next = head_;
    head_ = c;
    ++count_;
}

// ---- messages

void MessageList::clear() {
    while (first_) {
        MobrelSmsThread* next = first_->next;
        for (MobrelSms* m = first_->firstMessage; m;) {
            MobrelSms* nextMessage = m->next;
            freeMessage(m);
            m = nextMessage;
        }
        delete first_;
        first_ = next;
    }
    last_ = nullptr;
    count_ = 0;
}

MessageBuilder::MessageBuilder(MessageList& list) : list_(list) {
    for (MobrelSmsThread* t = list_.first_; t; t = t->next) threads_.emplace(std::string_view(t->threadId), t);
}

void MessageBuilder::store(const WorkingRecord& r) {
    const char* threadId = r.get(kThreadId);
    const char* type = r.get(kSmsType);
    if (!threadId || !type || std::strcmp(threadId, "-1") == 0 || std::strcmp(type, "3") == 0) return;

    auto* m = new MobrelSms {};
    m->id = copyText(r, kSmsId);
    m->person = copyText(r, kPerson);
    m->address = copyText(r, kAddress);
    m->body = copyText(r, kBody);
    m->date = copyText(r, kSmsDate);
    m->type = copyType(r, kSmsType);
    m->read = copyText(r, kRead);
    m->threadId = copyText(r, kThreadId);
    m->highlightFlag = 0;
    m->checkMark = 1;

    auto found = threads_.find(m->threadId);
    if (found != threads_.end()) {
        found->second->lastMessage->next = m;
        found->second->lastMessage = m;
    } else {
        // Conversations are byte-packed and their pointers unaligned: each is
        // set by plain assignment, never through a reference.
        auto* t = new MobrelSmsThread {};
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
    while (first_) {
        MobrelCallGroup* next = first_->next;
        for (MobrelCallLog* e = first_->firstEntry; e;) {
            MobrelCallLog* nextEntry = e->next;
            freeCall(e);
            e = nextEntry;
        }
        delete first_;
        first_ = next;
    }
    last_ = nullptr;
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

    auto* e = new MobrelCallLog {};
    e->id = copyText(r, kCallId);
    e->name = copyText(r, kCallName);
    e->number = copyText(r, kNumber);
    e->date = copyText(r, kCallDate);
    e->type = copyType(r, kCallType);
    e->duration = copyText(r, kDuration);
    e->highlightFlag = 0;
    e->checkMark = 1;

    auto found = groups_.find(e->number);
    if (found != groups_.end()) {
        e->group = found->second.group;
        found->second.lastEntry->next = e;
        found->second.lastEntry = e;
    } else {
        auto* g = new MobrelCallGroup {};
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
