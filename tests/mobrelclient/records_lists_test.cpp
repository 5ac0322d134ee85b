// The page parser and the record lists on page replies captured from phonesim's
// small phone (tests/mobrelclient/data/small_*.pages, one reply per line), and
// on hand-made pages for the cases a real phone rarely sends.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "record_arena.h"
#include "records_lists.h"
#include "records_parse.h"
#include "test_support.h"

using namespace mobrel;
using namespace mobrel::test;

namespace {

using Fields = std::map<std::string, std::string>;

std::vector<std::string> capturedPages(const std::string& name) {
    std::vector<std::string> pages;
    for (const std::string& line : splitLines(readFile(dataFile(name)))) {
        if (!line.empty()) pages.push_back(line);
    }
    return pages;
}

std::string unhex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

std::string hexOf(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

// The records of well-formed pages, read by splitting at "." and ";" (the
// captured values are hex, so neither occurs inside them).
std::vector<Fields> referenceRecords(const std::vector<std::string>& pages) {
    std::vector<Fields> records;
    for (const std::string& page : pages) {
        size_t start = 0;
        for (size_t dot; (dot = page.find('.', start)) != std::string::npos; start = dot + 1) {
            Fields fields;
            const std::string record = page.substr(start, dot - start);
            size_t itemStart = 0;
            for (size_t semi; (semi = record.find(';', itemStart)) != std::string::npos; itemStart = semi + 1) {
                const std::string item = record.substr(itemStart, semi - itemStart);
                const size_t colon = item.find(':');
                fields[item.substr(0, colon)] = unhex(item.substr(colon + 1));
            }
            records.push_back(fields);
        }
    }
    return records;
}

// One page item by item: {{"ID", "1"}, ...} with "." between records.
std::string page(const std::vector<std::vector<std::pair<std::string, std::string>>>& records) {
    std::string text;
    for (const auto& record : records) {
        for (const auto& [key, value] : record) text += key + ":" + hexOf(value) + ";";
        text += ".";
    }
    return text;
}

// Keeps what each closed record held.
struct CollectingSink : RecordSink {
    std::vector<std::vector<std::optional<std::string>>> records;
    void store(const WorkingRecord& record) override {
        std::vector<std::optional<std::string>> fields;
        for (int i = 0; i < WorkingRecord::kMaxFields; ++i) {
            fields.push_back(record.get(i) ? std::optional<std::string>(record.get(i)) : std::nullopt);
        }
        records.push_back(fields);
    }
    int kept() const override { return static_cast<int>(records.size()); }
};

int feed(const std::vector<std::string>& pages, const KeyList& keys, RecordSink& sink) {
    WorkingRecord work;
    int closed = 0;
    for (std::string text : pages) closed += parsePage(text.data(), keys, work, sink);
    return closed;
}

// Lists of one test, freed at its end (the leak checker of the sanitizer build
// sees whatever clear() misses).
struct Lists {
    ContactList contacts;
    MessageList messages;
    CallLogList calls;
    ~Lists() {
        contacts.clear();
        messages.clear();
        calls.clear();
    }
    void feedMessages(const std::vector<std::string>& pages) {
        MessageBuilder builder(messages);
        feed(pages, kMessageKeys, builder);
    }
    void feedCalls(const std::vector<std::string>& pages) {
        CallLogBuilder builder(calls);
        feed(pages, kCallLogKeys, builder);
    }
};

void expectText(const char* actual, const Fields& reference, const std::string& key) {
    const auto found = reference.find(key);
    if (found == reference.end()) {
        EXPECT_EQ(actual, nullptr) << key;
    } else {
        ASSERT_NE(actual, nullptr) << key;
        EXPECT_EQ(std::string(actual), found->second) << key;
    }
}

std::string clampedType(const std::string& type) { return std::stoll(type) > 4 ? "4" : type; }

}  // namespace

TEST(RecordPage, OddItemsAndLimits) {
    WorkingRecord work;
    auto parse = [&](std::string text, CollectingSink& sink) { return parsePage(text.data(), kMessageKeys, work, sink); };

    CollectingSink repeated;
    EXPECT_EQ(parse("ID:31;ID:3232;.", repeated), 1);
    EXPECT_EQ(repeated.records[0][0], "22");  // the later value wins

    CollectingSink unfinished;
    EXPECT_EQ(parse("ID:31;.ID:32;BODY:41", unfinished), 1);  // the item without ";" ends the page
    EXPECT_EQ(unfinished.records.size(), 1u);
    EXPECT_EQ(unfinished.records[0][0], "1");
    CollectingSink openRecord;
    EXPECT_EQ(parse("ID:31;THREAD_ID:32;", openRecord), 0);  // a record not closed by "." is dropped
    EXPECT_TRUE(openRecord.records.empty());

    CollectingSink values;
    const std::string longBody(1100, 'x');
    EXPECT_EQ(parse("BODY:" + hexOf(longBody) + ";ADDRESS:41004243;PERSON:;PROTOCOL:30;JUNK:ID:37;.", values), 1);
    EXPECT_EQ(values.records[0][3], longBody);                    // long texts arrive whole
    EXPECT_EQ(values.records[0][2], "A");                        // a text ends at its first NUL
    EXPECT_EQ(values.records[0][1], "");                         // present but empty is not null
    EXPECT_EQ(values.records[0][0], "7");                        // the key lies between the last two ":"
    EXPECT_FALSE(values.records[0][4].has_value());

    // What phonesim sends when a reply is spoiled: keys, no hex, no record end.
    const std::string spoiled = readFile(dataFile("garbage_page.bin"));
    ASSERT_EQ(spoiled.size(), 38u);
    CollectingSink garbage;
    EXPECT_EQ(parse(spoiled, garbage), 0);
    EXPECT_TRUE(garbage.records.empty());
    CollectingSink empty;
    EXPECT_EQ(parse("", empty), 0);
}

TEST(RecordLists, CapturedContactsReadLastFirst) {
    const std::vector<std::string> pages = capturedPages("small_contacts.pages");
    const std::vector<Fields> reference = referenceRecords(pages);
    ASSERT_EQ(reference.size(), 40u);
    Lists lists;
    feed(pages, kContactKeys, lists.contacts);
    EXPECT_EQ(lists.contacts.kept(), 40);

    size_t r = reference.size();
    for (const MobrelContact* c = lists.contacts.head(); c; c = c->next) {
        ASSERT_GT(r, 0u) << "more contacts than records";
        const Fields& ref = reference[--r];
        expectText(c->contactId, ref, "CONTACTID");
        expectText(c->name, ref, "NAME");
        expectText(c->nickname, ref, "NICKNAME");
        expectText(c->mobilePhone, ref, "PHONE_PHONE");
        expectText(c->homePhone, ref, "PHONE_HOME");
        expectText(c->workPhone, ref, "PHONE_WORK");
        expectText(c->website, ref, "WEBSITE");
        expectText(c->homeEmail, ref, "EMAIL_HOME");
        expectText(c->birthday, ref, "BIRTHDAY");
        expectText(c->note, ref, "NOTE");
        expectText(c->organization, ref, "ORG_NAME");
        expectText(c->title, ref, "ORG_TITLE");
        expectText(c->homeAddress, ref, "ADDRESS_HOME");
        expectText(c->workAddress, ref, "ADDRESS_WORK");
        expectText(c->homeFax, ref, "PHONE_HOMEFAX");
        expectText(c->workFax, ref, "PHONE_WORKFAX");
        expectText(c->workEmail, ref, "EMAIL_WORK");
        for (const char* never : {c->nameExtra, c->group, c->extra14, c->extra15}) EXPECT_EQ(never, nullptr);
        EXPECT_EQ(c->highlightFlag, 0);
        EXPECT_EQ(c->checkMark, 1);
    }
    EXPECT_EQ(r, 0u) << "fewer contacts than records";
    // The first contact paged, last in the list: a Cyrillic name, a two-line address.
    const MobrelContact* firstPaged = lists.contacts.head();
    while (firstPaged->next) firstPaged = firstPaged->next;
    EXPECT_STREQ(firstPaged->name, "Ольга Lindqvist");
    EXPECT_STREQ(firstPaged->homeAddress, "Östra Hamngatan 3\nLondon NW1 6XE");
    lists.contacts.clear();
    EXPECT_EQ(lists.contacts.head(), nullptr);
    EXPECT_EQ(lists.contacts.kept(), 0);
}

TEST(RecordLists, CapturedMessagesGroupedByThread) {
    const std::vector<std::string> pages = capturedPages("small_messages.pages");
    const std::vector<Fields> reference = referenceRecords(pages);
    ASSERT_EQ(reference.size(), 300u);

    // The expected grouping: drafts left out, threads in the order of their first message.
    std::vector<std::string> threadOrder;
    std::map<std::string, std::vector<const Fields*>> byThread;
    std::set<std::string> clampedTypes;
    for (const Fields& m : reference) {
        if (m.at("TYPE") == "3") continue;
        clampedTypes.insert(m.at("TYPE"));
        if (byThread[m.at("THREAD_ID")].empty()) threadOrder.push_back(m.at("THREAD_ID"));
        byThread[m.at("THREAD_ID")].push_back(&m);
    }
    // The capture holds what the rules are about: drafts and types above 4.
    ASSERT_TRUE(clampedTypes.count("5") && clampedTypes.count("6"));
    ASSERT_LT(threadOrder.size(), reference.size());

    Lists lists;
    lists.feedMessages(pages);
    EXPECT_EQ(lists.messages.count(), 296);  // 300 less 4 drafts

    size_t t = 0;
    for (const MobrelSmsThread* thread = lists.messages.first(); thread; thread = thread->next, ++t) {
        ASSERT_LT(t, threadOrder.size());
        const std::vector<const Fields*>& expected = byThread[threadOrder[t]];
        // Conversations are byte-packed: their members are copied before a check takes them by reference.
        const MobrelSms* firstMessage = thread->firstMessage;
        const MobrelSms* lastMessage = thread->lastMessage;
        const int64_t latestSortKey = thread->latestSortKey;
        ASSERT_NE(firstMessage, nullptr);
        EXPECT_STREQ(thread->threadId, threadOrder[t].c_str());
        // The conversation points at its first message's texts.
        EXPECT_TRUE(thread->threadId == firstMessage->threadId);
        EXPECT_TRUE(thread->person == firstMessage->person);
        EXPECT_TRUE(thread->address == firstMessage->address);
        EXPECT_EQ(thread->reserved, 0);
        EXPECT_EQ(latestSortKey, 0);
        size_t i = 0;
        const MobrelSms* last = nullptr;
        for (const MobrelSms* m = firstMessage; m; last = m, m = m->next, ++i) {
            ASSERT_LT(i, expected.size());
            const Fields& ref = *expected[i];
            for (const auto& [text, key] : {std::pair {m->id, "ID"}, {m->person, "PERSON"}, {m->address, "ADDRESS"},
                                            {m->body, "BODY"}, {m->date, "DATE"}, {m->read, "READ"},
                                            {m->threadId, "THREAD_ID"}}) {
                expectText(text, ref, key);
            }
            EXPECT_STREQ(m->type, clampedType(ref.at("TYPE")).c_str());
            EXPECT_EQ(m->extra, nullptr);
            EXPECT_EQ(m->sortKey, 0);
            EXPECT_EQ(m->highlightFlag, 0);
            EXPECT_EQ(m->checkMark, 1);
        }
        EXPECT_EQ(i, expected.size());
        EXPECT_EQ(lastMessage, last);
    }
    EXPECT_EQ(t, threadOrder.size());
    const MobrelSmsThread* afterLast = lists.messages.last()->next;
    EXPECT_EQ(afterLast, nullptr);
}

TEST(RecordLists, CapturedCallsGroupedByNumber) {
    const std::vector<std::string> pages = capturedPages("small_calls.pages");
    const std::vector<Fields> reference = referenceRecords(pages);
    ASSERT_EQ(reference.size(), 150u);

    std::vector<std::string> numberOrder;
    std::map<std::string, std::vector<const Fields*>> byNumber;
    size_t withoutNumber = 0;
    for (const Fields& e : reference) {
        if (!e.count("NUMBER")) {
            ++withoutNumber;
            continue;
        }
        if (byNumber[e.at("NUMBER")].empty()) numberOrder.push_back(e.at("NUMBER"));
        byNumber[e.at("NUMBER")].push_back(&e);
    }
    ASSERT_GT(withoutNumber, 0u);  // private numbers
    ASSERT_LT(numberOrder.size() + withoutNumber, reference.size());  // numbers shared by several calls

    Lists lists;
    lists.feedCalls(pages);
    EXPECT_EQ(lists.calls.count(), static_cast<int>(reference.size() - withoutNumber));
    size_t g = 0;
    for (const MobrelCallGroup* group = lists.calls.first(); group; group = group->next, ++g) {
        ASSERT_LT(g, numberOrder.size());
        const std::vector<const Fields*>& expected = byNumber[numberOrder[g]];
        ASSERT_NE(group->firstEntry, nullptr);
        EXPECT_EQ(group->number, group->firstEntry->number);
        EXPECT_EQ(group->reserved1, nullptr);
        EXPECT_EQ(group->reserved2, nullptr);
        EXPECT_EQ(group->latestSortKey, 0);
        size_t i = 0;
        for (const MobrelCallLog* e = group->firstEntry; e; e = e->next, ++i) {
            ASSERT_LT(i, expected.size());
            const Fields& ref = *expected[i];
            for (const auto& [text, key] : {std::pair {e->id, "ID"}, {e->name, "NAME"}, {e->number, "NUMBER"},
                                            {e->date, "DATE"}, {e->duration, "DURATION"}}) {
                expectText(text, ref, key);
            }
            EXPECT_STREQ(e->type, clampedType(ref.at("TYPE")).c_str());
            EXPECT_EQ(e->group, group);
            EXPECT_EQ(e->extra, nullptr);
            EXPECT_EQ(e->checkMark, 1);
            EXPECT_EQ(e->highlightFlag, 0);
        }
        EXPECT_EQ(i, expected.size());
    }
    EXPECT_EQ(g, numberOrder.size());
}

TEST(RecordLists, MessageRules) {
    Lists lists;
    lists.feedMessages({page({{{"ID", "1"}, {"THREAD_ID", "7"}, {"TYPE", "1"}, {"ADDRESS", "555"}},
                              {{"ID", "2"}, {"THREAD_ID", "8"}, {"TYPE", "2"}},
                              {{"ID", "3"}, {"THREAD_ID", "7"}, {"TYPE", "7"}},
                              {{"ID", "4"}, {"THREAD_ID", "-1"}, {"TYPE", "1"}},
                              {{"ID", "5"}, {"THREAD_ID", "9"}, {"TYPE", "3"}}}),
                        // The next page continues the conversations of the first.
                        page({{{"ID", "6"}, {"THREAD_ID", "9"}, {"TYPE", "4"}},
                              {{"ID", "7"}, {"TYPE", "1"}},
                              {{"ID", "8"}, {"THREAD_ID", "7"}},
                              {{"ID", "9"}, {"THREAD_ID", "7"}, {"TYPE", "12x"}},
                              {{"ID", "10"}, {"THREAD_ID", "8"}, {"TYPE", "x"}}})});
    // Kept: 1, 2, 3, 6, 9, 10; dropped: thread "-1", the draft, a missing thread id or type.
    EXPECT_EQ(lists.messages.count(), 6);
    std::vector<std::string> seen;
    for (const MobrelSmsThread* t = lists.messages.first(); t; t = t->next) {
        std::string line = std::string(t->threadId) + ":";
        for (const MobrelSms* m = t->firstMessage; m; m = m->next) line += std::string(" ") + m->id + "/" + m->type;
        seen.push_back(line);
    }
    EXPECT_EQ(seen, (std::vector<std::string> {"7: 1/1 3/4 9/4", "8: 2/2 10/x", "9: 6/4"}));
    EXPECT_STREQ(lists.messages.first()->address, "555");
    EXPECT_EQ(lists.messages.first()->next->address, nullptr);
}

TEST(RecordLists, ContactAndCallRules) {
    Lists lists;
    feed({page({{{"NAME", "A"}}, {{"NAME", "B"}}, {{"NAME", "C"}}}), "."}, kContactKeys, lists.contacts);
    std::string order;
    for (const MobrelContact* c = lists.contacts.head(); c; c = c->next) order += c->name ? c->name : "-";
    EXPECT_EQ(order, "-CBA");  // the empty record of the second page counts too

    lists.feedCalls({page({{{"ID", "1"}, {"NUMBER", "+1 555"}},
                           {{"ID", "2"}, {"NAME", "no number"}},
                           {{"ID", "3"}, {"NUMBER", "0170"}, {"TYPE", "6"}},
                           {{"ID", "4"}, {"NUMBER", "+1 555"}},
                           {{"ID", "5"}, {"NUMBER", "+1555"}}})});
    std::vector<std::string> groups;
    for (const MobrelCallGroup* g = lists.calls.first(); g; g = g->next) {
        std::string line = std::string(g->number) + ":";
        for (const MobrelCallLog* e = g->firstEntry; e; e = e->next) line += std::string(" ") + e->id;
        groups.push_back(line);
    }
    // Numbers are compared byte for byte.
    EXPECT_EQ(groups, (std::vector<std::string> {"+1 555: 1 4", "0170: 3", "+1555: 5"}));
    EXPECT_STREQ(lists.calls.first()->next->firstEntry->type, "4");
    EXPECT_EQ(lists.calls.count(), 4);
}

// A list's memory: texts of every size stay whole and apart across blocks, and
// records come zeroed, until the arena is cleared (the sanitizer build checks
// that nothing is touched out of bounds or kept after clear).
TEST(RecordArena, KeepsEveryTextWholeAcrossBlocks) {
    RecordArena arena;
    std::vector<std::pair<char*, std::string>> texts;
    for (int i = 0; i < 3000; ++i) {
        const size_t length = i % 97 == 0 ? 70000 + i : static_cast<size_t>(i % 40);  // some larger than a block
        std::string text(length, static_cast<char>('a' + i % 26));
        texts.emplace_back(arena.copy(text), text);
        MobrelSms* record = arena.make<MobrelSms>();
        EXPECT_EQ(record->id, nullptr);
        EXPECT_EQ(record->next, nullptr);
        record->checkMark = 1;
    }
    for (const auto& [copy, text] : texts) ASSERT_EQ(std::string(copy), text);
    arena.clear();
    EXPECT_STREQ(arena.copy("after"), "after");
}
