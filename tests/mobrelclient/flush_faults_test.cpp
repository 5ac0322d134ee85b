// A photo flush when the phone goes away or stops answering ends at the first item
// the channel loses and keeps what it listed.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

#include "library_e2e.h"
#include "mobrelclient.h"

using namespace mobreltest;
using namespace std::chrono_literals;

namespace {

struct BreakCase {
    const char* name;
    std::function<void(PhoneSim&)> breakPhone;  // while the flush runs
};

// Every reply held back a little (slow enough to break the flush midway), perhaps every command dropped.
phonesim::Faults slowed(bool dropped = false) { return {.delayMs = 20, .dropAfter = dropped ? 1 : 0, .badCommand = {}}; }

class PhotoFlushBroken : public ::testing::TestWithParam<BreakCase> {};

TEST_P(PhotoFlushBroken, EndsAtTheFirstLostItemAndKeepsWhatItListed) {
    PhoneSim sim;
    ASSERT_TRUE(bringUp(sim, {.dataset = "small"}));
    const std::vector<MediaItem> expected = storeItems(sim, kPhotoKind);
    sim.setFaults(slowed());
    std::future<int> flush = std::async(std::launch::async, [] { return MobrelApi_FlushPhotos(); });
    while (MobrelApi_getItemCurrentLoadedCount(3) < 10) std::this_thread::sleep_for(5ms);
    std::thread breaker(GetParam().breakPhone, std::ref(sim));
    EXPECT_EQ(flush.get(), -1);
    breaker.join();

    const std::vector<MediaItem> kept = listed(kPhotoKind);
    ASSERT_GE(kept.size(), 9u);
    ASSERT_LT(kept.size(), expected.size());
    EXPECT_EQ(kept, std::vector<MediaItem>(expected.begin(), expected.begin() + static_cast<long>(kept.size())));
    EXPECT_EQ(MobrelApi_GetPhotoCount(), static_cast<int>(kept.size()));
    // The item being fetched when the channel was lost is the last one asked
    // for: no further item spends its tries on a channel that is gone.
    EXPECT_LE(MobrelApi_getItemCurrentLoadedCount(3), static_cast<int>(kept.size()) + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Flush, PhotoFlushBroken,
    ::testing::Values(BreakCase{"SmallPhoneStopped", [](PhoneSim& sim) { sim.stopPhone(); }},
                      BreakCase{"CompanionSilentSixSeconds",
                                [](PhoneSim& sim) {
                                    sim.setFaults(slowed(true));
                                    std::this_thread::sleep_for(6s);
                                    sim.setFaults(slowed());
                                }}),
    [](const ::testing::TestParamInfo<BreakCase>& info) { return info.param.name; });

}  // namespace
