// The in-memory copies of the phone's contacts, messages and call log, built
// from working records. Every text of a record is an exact-length copy (null
// when the key was absent); a list's records and texts live in its arena and
// are freed together by the next flush of the category. The lists are not
// locked: a category is never read while it is being flushed.
#pragma once

#include <string_view>
#include <unordered_map>

#include "mobrelclient.h"
#include "record_arena.h"
#include "records_parse.h"

namespace mobrel {

// The keys each category reads, in the order of its working record.
extern const KeyList kContactKeys;
extern const KeyList kMessageKeys;
extern const KeyList kCallLogKeys;

// Contacts, each new one pushed at the head: the list reads last parsed first.
class ContactList : public RecordSink {
public:
    void clear();
    void store(const WorkingRecord& record) override;
    int kept() const override { return count_; }
    MobrelContact* head() const { return head_; }

private:
    RecordArena arena_;
    MobrelContact* head_ = nullptr;
    int count_ = 0;
};

// Messages grouped into conversations by thread id, in arrival order;
// conversations in the order of their first message.
class MessageList {
public:
    void clear();
    MobrelSmsThread* first() const { return first_; }
    MobrelSmsThread* last() const { return last_; }
    int count() const { return count_; }

private:
    friend class MessageBuilder;
    RecordArena arena_;
    MobrelSmsThread* first_ = nullptr;
    MobrelSmsThread* last_ = nullptr;
    int count_ = 0;
};

// Call-log entries grouped by number, in arrival order; groups in the order of
// their first entry.
class CallLogList {
public:
    void clear();
    MobrelCallGroup* first() const { return first_; }
    MobrelCallGroup* last() const { return last_; }
    int count() const { return count_; }

private:
    friend class CallLogBuilder;
    RecordArena arena_;
    MobrelCallGroup* first_ = nullptr;
    MobrelCallGroup* last_ = nullptr;
    int count_ = 0;
};

// Adds the records of one flush to a message list. The index of conversations
// by thread id lives as long as the builder, not in the records.
class MessageBuilder : public RecordSink {
public:
    explicit MessageBuilder(MessageList& list);
    // Kept when it has a thread id other than "-1" and a type other than "3"
    // (a draft); a type above 4 becomes "4".
    void store(const WorkingRecord& record) override;
    int kept() const override { return list_.count_; }

private:
    MessageList& list_;
    std::unordered_map<std::string_view, MobrelSmsThread*> threads_;
};

// Adds the records of one flush to a call log; entries without a number are dropped.
class CallLogBuilder : public RecordSink {
public:
    explicit CallLogBuilder(CallLogList& list);
    void store(const WorkingRecord& record) override;
    int kept() const override { return list_.count_; }

private:
    struct GroupEnd {
        MobrelCallGroup* group;
        MobrelCallLog* lastEntry;
    };
    CallLogList& list_;
    std::unordered_map<std::string_view, GroupEnd> groups_;
};

// The process's lists (never destroyed: their records are handed out).
ContactList& contactList();
MessageList& messageList();
CallLogList& callLogList();

}  // namespace mobrel
