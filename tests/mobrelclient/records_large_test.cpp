// phonesim's large phone flushed whole through the exports: every contact,
// every one of the 20,000 messages and every call, against the store files.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "mobrelclient.h"
#include "records_phone.h"

using namespace recordstest;

namespace {

// Runs a flush and prints its wall time (for information; speed is measured by the benchmark).
int timedFlush(const char* what, int (*flush)()) {
    const auto start = std::chrono::steady_clock::now();
    const int result = flush();
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("%s flush: %.2f s\n", what, seconds.count());
    ::testing::Test::RecordProperty(std::string(what) + "_flush_seconds", std::to_string(seconds.count()));
    return result;
}

size_t recordsIn(const std::vector<Group>& groups) {
    size_t n = 0;
    for (const Group& g : groups) n += g.records.size();
    return n;
}

}  // namespace

TEST(LargePhone, FlushesEveryCategoryCompletely) {
    mobreltest::PhoneSim sim;
    ASSERT_TRUE(bringUp(sim, {.dataset = "large"}));
    ASSERT_EQ(MobrelApi_getItemTotalLoadedCount(1), 20000);

    ASSERT_EQ(timedFlush("messages", MobrelApi_FlushSMS), 0);
    EXPECT_EQ(MobrelApi_getItemCurrentLoadedCount(1), 20000);  // every page was fetched
    const std::vector<Group> conversations = storeConversations(sim.statePath());
    EXPECT_TRUE(sameGroups(libraryConversations(), conversations));
    EXPECT_EQ(MobrelApi_GetSMSCount(), static_cast<int>(recordsIn(conversations)));
    EXPECT_GT(recordsIn(conversations), 19500u);  // the drafts are few

    ASSERT_EQ(timedFlush("contacts", MobrelApi_FlushPerson), 0);
    EXPECT_EQ(MobrelApi_GetPersonCount(), 5000);
    EXPECT_TRUE(sameRecords(libraryContacts(), storeContacts(sim.statePath())));

    ASSERT_EQ(timedFlush("call log", MobrelApi_FlushCallHistory), 0);
    const std::vector<Group> groups = storeCallGroups(sim.statePath());
    EXPECT_TRUE(sameGroups(libraryCallGroups(), groups));
    EXPECT_EQ(MobrelApi_GetCallHistoryCount(), static_cast<int>(recordsIn(groups)));
}
