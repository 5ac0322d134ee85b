// The page parser, the message and call lists and the arena on hand-made pages.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "record_arena.h"
#include "records_lists.h"
#include "records_parse.h"
#include "test_support.h"

using namespace mobrel;
using namespace mobrel::test;

namespace {

using Record = std::vector<std::pair<std::string, std::string>>;

// Records item by item, "." after each.
std::string page(const std::vector<Record>& records) {
    std::string text;
    for (const Record& record : records) {
        for (const auto& [key, value] : record) text += key + ":" + hex(value) + ";";
        text += ".";
    }
    return text;
}

// Keeps what each closed record held.
struct CollectingSink : RecordSink {
    std::vector<std::vector<std::optional<std::string>>> records;
    void store(const WorkingRecord& record) override {
        records.emplace_back();
        for (int i = 0; i < WorkingRecord::kMaxFields; ++i) {
            records.back().push_back(record.get(i) ? std::optional<std::string>(record.get(i)) : std::nullopt);
        }
    }
    int kept() const override { return static_cast<int>(records.size()); }
};

}  // namespace

TEST(RecordPage, OddItemsAndLimits) {
    WorkingRecord work;  // lives on across pages
    auto parse = [&](std::string text) {
        CollectingSink sink;
        const int closed = parsePage(text.data(), kMessageKeys, work, sink);
        EXPECT_EQ(closed, static_cast<int>(sink.records.size()));
        return sink.records;
    };
    EXPECT_EQ(parse("ID:31;ID:3232;.").at(0)[0], "22");  // the later value wins
    const auto unfinished = parse("ID:31;.ID:32;BODY:41");  // the item without ";" ends the page
    ASSERT_EQ(unfinished.size(), 1u);
    EXPECT_EQ(unfinished[0][0], "1");
    EXPECT_TRUE(parse("ID:31;THREAD_ID:32;").empty());  // a record not closed by "." is dropped

    const std::string longBody(1100, 'x');
    const auto values = parse("BODY:" + hex(longBody) + ";ADDRESS:41004243;PERSON:;PROTOCOL:30;JUNK:ID:37;.");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0][3], longBody);  // long texts arrive whole
    EXPECT_EQ(values[0][2], "A");       // a text ends at its first NUL
    EXPECT_EQ(values[0][1], "");        // present but empty is not null
    EXPECT_EQ(values[0][0], "7");       // the key lies between the last two ":"
    EXPECT_FALSE(values[0][4].has_value());

    // What phonesim sends when a reply is spoiled: keys, no hex, no record end.
    const std::string spoiled = readFile(dataFile("garbage_page.bin"));
    ASSERT_EQ(spoiled.size(), 38u);
    EXPECT_TRUE(parse(spoiled).empty());
    EXPECT_TRUE(parse("").empty());
}

// Kept: 1, 2, 3, 6, 9, 10 (types above 4 read 4); dropped: thread "-1", the draft, a missing thread id or type.
TEST(RecordLists, MessageRules) {
    MessageList messages;
    MessageBuilder builder(messages);
    WorkingRecord work;
    for (std::string text : {page({{{"ID", "1"}, {"THREAD_ID", "7"}, {"TYPE", "1"}, {"ADDRESS", "555"}},
                                   {{"ID", "2"}, {"THREAD_ID", "8"}, {"TYPE", "2"}},
                                   {{"ID", "3"}, {"THREAD_ID", "7"}, {"TYPE", "7"}},
                                   {{"ID", "4"}, {"THREAD_ID", "-1"}, {"TYPE", "1"}},
                                   {{"ID", "5"}, {"THREAD_ID", "9"}, {"TYPE", "3"}}}),
                             // the next page continues the conversations of the first
                             page({{{"ID", "6"}, {"THREAD_ID", "9"}, {"TYPE", "4"}},
                                   {{"ID", "7"}, {"TYPE", "1"}},
                                   {{"ID", "8"}, {"THREAD_ID", "7"}},
                                   {{"ID", "9"}, {"THREAD_ID", "7"}, {"TYPE", "12x"}},
                                   {{"ID", "10"}, {"THREAD_ID", "8"}, {"TYPE", "x"}}})}) {
        parsePage(text.data(), kMessageKeys, work, builder);
    }
    EXPECT_EQ(messages.count(), 6);
    std::vector<std::string> lines;  // "thread: id/type ..."
    for (const MobrelSmsThread* t = messages.first(); t; t = t->next) {
        lines.push_back(std::string(t->threadId) + ":");
        for (const MobrelSms* m = t->firstMessage; m; m = m->next) lines.back() += std::string(" ") + m->id + "/" + m->type;
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"7: 1/1 3/4 9/4", "8: 2/2 10/x", "9: 6/4"}));
    EXPECT_STREQ(messages.first()->address, "555");
    EXPECT_EQ(messages.first()->next->address, nullptr);
    messages.clear();  // the sanitizer build's leak checker sees what clear() misses
}

// Calls group by exact number, in arrival order; a call whose name differs from
// its group's first keeps its own.
TEST(RecordLists, CallGroups) {
    CallLogList calls;
    CallLogBuilder builder(calls);
    WorkingRecord work;
    std::string text = page({{{"ID", "1"}, {"NAME", "Ann"}, {"NUMBER", "555"}},
                             {{"ID", "2"}, {"NUMBER", "777"}},
                             {{"ID", "3"}, {"NAME", "Ann"}, {"NUMBER", "555"}},
                             {{"ID", "4"}, {"NAME", "Bob"}, {"NUMBER", "555"}},
                             {{"ID", "5"}, {"NUMBER", "555"}},
                             {{"ID", "6"}, {"NAME", "Ann"}}});
    parsePage(text.data(), kCallLogKeys, work, builder);
    EXPECT_EQ(calls.count(), 5);
    std::vector<std::string> lines;  // "number: id/name ..."
    for (const MobrelCallGroup* g = calls.first(); g; g = g->next) {
        lines.push_back(std::string(g->number) + ":");
        for (const MobrelCallLog* e = g->firstEntry; e; e = e->next) {
            EXPECT_STREQ(e->number, g->number);
            EXPECT_EQ(e->group, g);
            lines.back() += std::string(" ") + e->id + "/" + (e->name ? e->name : "-");
        }
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"555: 1/Ann 3/Ann 4/Bob 5/-", "777: 2/-"}));
    calls.clear();
}

// Texts of every size stay whole across blocks and records come zeroed (the
// sanitizer build checks bounds and use after clear).
TEST(RecordArena, KeepsEveryTextWholeAcrossBlocks) {
    for (size_t blockBytes : {size_t(64 * 1024), size_t(4096)}) {
        RecordArena arena(blockBytes);
        std::vector<std::pair<char*, std::string>> texts;
        for (int i = 0; i < 3000; ++i) {
            const size_t length = i % 97 == 0 ? 70000 + i : static_cast<size_t>(i % 40);  // some larger than a block
            texts.emplace_back(nullptr, std::string(length, static_cast<char>('a' + i % 26)));
            texts.back().first = arena.copy(texts.back().second);
            MobrelSmsThread* record = arena.make<MobrelSmsThread>();  // 57 bytes: the next one must be aligned again
            EXPECT_EQ(reinterpret_cast<uintptr_t>(record) % alignof(void*), 0u);
            // Read by value: the record is packed, a reference to its members would be misaligned.
            const MobrelSms* first = record->firstMessage;
            const MobrelSmsThread* next = record->next;
            EXPECT_EQ(first, nullptr);
            EXPECT_EQ(next, nullptr);
            record->latestSortKey = i;
        }
        for (const auto& [copy, text] : texts) ASSERT_EQ(std::string(copy), text);
        arena.clear();
        EXPECT_STREQ(arena.copy("after"), "after");
    }
}
