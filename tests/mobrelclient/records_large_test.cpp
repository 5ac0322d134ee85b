// phonesim's large phone flushed whole through the exports: every contact,
// every one of the 20,000 messages and every call, against the store files.
// (How fast is the benchmark's part.)
#include <gtest/gtest.h>

#include "library_e2e.h"
#include "library_records.h"
#include "mobrelclient.h"

using namespace mobreltest;

TEST(LargePhone, FlushesEveryCategoryCompletely) {
    PhoneSim sim;
    ASSERT_TRUE(bringUp(sim, {.dataset = "large"}));
    // The sizes the large phone promises, as bring-up counted them.
    const int promised[] = {5000, 20000, 5000, 2000};
    for (unsigned type = 0; type < 4; ++type) EXPECT_EQ(MobrelApi_getItemTotalLoadedCount(type), promised[type]) << type;

    ASSERT_EQ(MobrelApi_FlushSMS(), 0);
    EXPECT_EQ(MobrelApi_getItemCurrentLoadedCount(1), 20000);  // every page was fetched
    const std::vector<Group> conversations = storeConversations(sim.storePath());
    EXPECT_TRUE(sameGroups(libraryConversations(), conversations));
    EXPECT_EQ(MobrelApi_GetSMSCount(), static_cast<int>(recordsIn(conversations)));
    EXPECT_GT(recordsIn(conversations), 19500u);  // the drafts are few
    EXPECT_EQ(conversations.size(), 1000u);

    ASSERT_EQ(MobrelApi_FlushPerson(), 0);
    EXPECT_EQ(MobrelApi_GetPersonCount(), 5000);
    EXPECT_TRUE(sameRecords(libraryContacts(), storeContacts(sim.storePath())));

    ASSERT_EQ(MobrelApi_FlushCallHistory(), 0);
    const std::vector<Group> groups = storeCallGroups(sim.storePath());
    EXPECT_TRUE(sameGroups(libraryCallGroups(), groups));
    EXPECT_EQ(MobrelApi_GetCallHistoryCount(), static_cast<int>(recordsIn(groups)));
}
