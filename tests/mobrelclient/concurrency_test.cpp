// The exports called from several threads at once, as the GUI's workers call them,
// against phonesim's small phone (also run under the thread sanitizer): what each
// reader copies out is whole.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "library_e2e.h"
#include "library_records.h"
#include "mobrelclient.h"

using namespace mobreltest;

namespace {

class Concurrency : public SmallPhoneSuite {};

// The texts as texts (a field may hold an older text behind its end) and the sizes; what is free changes.
std::vector<std::string> facts(const MobrelDeviceInfo& i) {
    return {i.brand, i.serial, i.model, i.androidVersion, std::to_string(i.memTotal), std::to_string(i.percentValue),
            std::to_string(i.phoneTotal), std::to_string(i.sdTotal)};
}

TEST_F(Concurrency, BringUpAndDetectionWhileMediaFlowsAndInformationIsPolled) {
    MobrelDeviceInfo expected{};
    ASSERT_EQ(MobrelApi_GetAndroidDevicesInfo(&expected, 0), 0);
    ASSERT_STRNE(expected.model, "");
    ASSERT_GE(MobrelApi_FlushPhotos(), 0);
    MediaItem first;
    ASSERT_TRUE(kPhotoKind.at(0, first));

    std::atomic<bool> done{false};
    std::atomic<int> torn{0}, polls{0};
    std::thread poller([&] {
        while (!done) {
            // Bring-up publishes the same facts again over every text: any other value was copied mid-write.
            MobrelDeviceInfo info{};
            if (MobrelApi_GetAndroidDevicesInfo(&info, 0) != 0 || facts(info) != facts(expected)) ++torn;
            MobrelApi_CheckAndroidVersionAt44();  // reads the table detection rewrites
            for (unsigned type = 0; type < 6; ++type) MobrelApi_getItemTotalLoadedCount(type);
            ++polls;
        }
    });
    std::thread media([&] {
        for (int round = 0; !done && round < 20; ++round) {
            MobrelApi_FlushPhotos();
            MobrelApi_ExportPhoto(first.id, (sim().root() / ("export" + std::to_string(round))).c_str());
        }
    });
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(detectUntil(0, 0), 0);
        EXPECT_EQ(MobrelApi_ReadyTodoing(0), 0);
    }
    done = true;
    media.join();
    poller.join();
    EXPECT_GT(polls.load(), 0);
    EXPECT_EQ(torn.load(), 0);
    EXPECT_GE(MobrelApi_FlushPhotos(), 0);  // whole again once the others are done
    EXPECT_EQ(listed(kPhotoKind), storeItems(sim(), kPhotoKind));
}

// Every field of every record against the store, after six flushes at once.
TEST_F(Concurrency, SixCategoriesFlushAtOnceWhileCountersAreRead) {
    int (*const flushes[6])() = {MobrelApi_FlushPerson, MobrelApi_FlushSMS,   MobrelApi_FlushCallHistory,
                                 MobrelApi_FlushPhotos, MobrelApi_FlushVideo, MobrelApi_FlushMusic};
    std::atomic<bool> done{false};
    std::atomic<int> backwards{0};
    std::thread poller([&] {
        int last[6] = {}, starts[6] = {};
        while (!done) {
            for (unsigned type = 0; type < 6; ++type) {
                // Each flush starts its counter at 0 once, then counts up.
                const int current = MobrelApi_getItemCurrentLoadedCount(type);
                if (current < last[type] && (current != 0 || ++starts[type] > 1)) ++backwards;
                last[type] = current;
                MobrelApi_getItemTotalLoadedCount(type);
                MobrelApi_CheckItemisLoaded(static_cast<int>(type));
            }
        }
    });
    int results[6];
    std::vector<std::thread> workers;
    for (int type = 0; type < 6; ++type) workers.emplace_back([&, type] { results[type] = flushes[type](); });
    for (std::thread& worker : workers) worker.join();
    done = true;
    poller.join();

    for (int type = 0; type < 6; ++type) EXPECT_GE(results[type], 0) << type;
    EXPECT_EQ(backwards.load(), 0);
    EXPECT_TRUE(sameRecords(libraryContacts(), storeContacts(sim().storePath())));
    EXPECT_TRUE(sameGroups(libraryConversations(), storeConversations(sim().storePath())));
    EXPECT_TRUE(sameGroups(libraryCallGroups(), storeCallGroups(sim().storePath())));
    for (const MediaKind* kind : kMediaKinds) EXPECT_EQ(listed(*kind), storeItems(sim(), *kind)) << kind->name;
}

}  // namespace
