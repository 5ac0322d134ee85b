// The exports called from several threads at once, as the GUI's workers call
// them, against phonesim's small phone through the real adb. Run under the
// thread sanitizer by the test command; here each reader checks that what it
// copies out is whole.
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
namespace fs = std::filesystem;

namespace {

class Concurrency : public SmallPhoneSuite {};

// The texts as texts (a field may hold an older, longer text behind its end)
// and the sizes; what is free changes as the phone writes its thumbnails.
bool sameInfo(const MobrelDeviceInfo& a, const MobrelDeviceInfo& b) {
    const auto numbers = [](const MobrelDeviceInfo& i) {
        return std::vector<int64_t> {i.memTotal, i.percentValue, i.phoneTotal, i.sdTotal};
    };
    return std::strcmp(a.brand, b.brand) == 0 && std::strcmp(a.serial, b.serial) == 0 &&
           std::strcmp(a.model, b.model) == 0 && std::strcmp(a.androidVersion, b.androidVersion) == 0 &&
           numbers(a) == numbers(b);
}

TEST_F(Concurrency, BringUpAndDetectionWhileMediaFlowsAndInformationIsPolled) {
    MobrelDeviceInfo expected {};
    ASSERT_EQ(MobrelApi_GetAndroidDevicesInfo(&expected, 0), 0);
    ASSERT_STRNE(expected.model, "");
    ASSERT_GE(MobrelApi_FlushPhotos(), 0);
    MediaItem first;
    ASSERT_TRUE(kPhotoKind.at(0, first));

    std::atomic<bool> done {false};
    std::atomic<int> torn {0}, polls {0};
    std::thread poller([&] {
        while (!done) {
            MobrelDeviceInfo info {};
            // Bring-up publishes the same phone's facts again, and they cover
            // every text: any other value is a copy made while it wrote.
            if (MobrelApi_GetAndroidDevicesInfo(&info, 0) != 0 || !sameInfo(info, expected)) ++torn;
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

    // The phone and the lists are whole again once the others are done.
    EXPECT_GE(MobrelApi_FlushPhotos(), 0);
    EXPECT_EQ(listed(kPhotoKind), storeItems(sim(), kPhotoKind));
}

TEST_F(Concurrency, SixCategoriesFlushAtOnceWhileCountersAreRead) {
    int (*const flushes[6])() = {MobrelApi_FlushPerson, MobrelApi_FlushSMS,   MobrelApi_FlushCallHistory,
                                 MobrelApi_FlushPhotos, MobrelApi_FlushVideo, MobrelApi_FlushMusic};
    std::atomic<bool> done {false};
    std::atomic<int> backwards {0};
    std::thread poller([&] {
        int last[6] = {};
        int starts[6] = {};
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
    const fs::path store = sim().storePath();
    EXPECT_TRUE(sameRecords(libraryContacts(), storeContacts(store)));
    EXPECT_TRUE(sameGroups(libraryConversations(), storeConversations(store)));
    EXPECT_TRUE(sameGroups(libraryCallGroups(), storeCallGroups(store)));
    for (const MediaKind* kind : kMediaKinds) EXPECT_EQ(listed(*kind), storeItems(sim(), *kind)) << kind->name;
}

}  // namespace
