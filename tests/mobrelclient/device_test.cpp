// Presence, detection and bring-up through the shared library's exports, as the
// program calls them, against phonesim behind the real adb.
//
// The library is initialised once for the whole process (as in the program),
// with its work folder in a private folder of this test; every test starts its
// own phonesim and adb server. The first test runs before any bring-up of the
// process, so no device facts are cached yet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "library_e2e.h"
#include "mobrelclient.h"
#include "profile.h"
#include "store_files.h"

namespace fs = std::filesystem;
using mobreltest::detectUntil;
using mobreltest::PhoneSim;
using mobreltest::SimOptions;
using mobreltest::startAlone;

namespace {

// The library's private folders, made before it starts as the program does.
class LibraryEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        fs::create_directories(root.path() / "home");
        fs::create_directory(root.path() / "run");
        fs::permissions(root.path() / "run", fs::perms::owner_all);
        ::setenv("HOME", (root.path() / "home").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root.path() / "home").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (root.path() / "run").c_str(), 1);
        ASSERT_EQ(MobrelApi_Init(), 0);
    }
    mobreltest::TempDir root{"mobrel-device"};
};

LibraryEnvironment* const kEnvironment = new LibraryEnvironment;
[[maybe_unused]] ::testing::Environment* const kRegistered = ::testing::AddGlobalTestEnvironment(kEnvironment);

fs::path workFolder() { return kEnvironment->root.path() / "run" / "Tolvane" / "mobrel"; }

// The highest number of the capture files "sdlkNNNNNN" in the work folder, or -1.
int lastCaptureNumber() {
    int last = -1;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(workFolder(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == 10 && name.compare(0, 4, "sdlk") == 0 &&
            name.find_first_not_of("0123456789", 4) == std::string::npos) {
            last = std::max(last, std::atoi(name.c_str() + 4));
        }
    }
    return last;
}

int threadCount() {
    int n = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc/self/task")) n += entry.exists() ? 1 : 0;
    return n;
}

// How many records of each item type (contacts, messages, calls, photos, videos, songs) phonesim's store holds.
std::vector<int> storeCounts(const PhoneSim& sim) {
    std::vector<int> counts;
    for (const char* category : {"contacts", "messages", "calls"}) {
        counts.push_back(static_cast<int>(mobreltest::readStore(sim.storePath(), category).size()));
    }
    const std::vector<mobreltest::StoreRecord> media = mobreltest::readStore(sim.storePath(), "media");
    for (const char* kind : {"photo", "video", "music"}) {
        counts.push_back(static_cast<int>(std::count_if(media.begin(), media.end(), [&](const mobreltest::StoreRecord& r) {
            return r.text("kind") == kind;
        })));
    }
    return counts;
}

// Bytes of the files under the phone's shared storage, as the phone counts them.
int64_t bytesUnder(const fs::path& root) {
    int64_t used = 0;
    for (const auto& [name, bytes] : mobreltest::treeContents(root)) used += static_cast<int64_t>(bytes.size());
    return used;
}

// The memory and storage phonesim reports for its two kinds of phone.
struct Hardware {
    int64_t memTotal, memAvail, phoneTotal, phoneAvail, sdTotal;
};
const Hardware kModern {3917438976LL, 1642323968LL, 53687091200LL, 31138512896LL, 53687091200LL};
const Hardware kLegacy {1010532352LL, 402653184LL, 1073741824LL, 612368384LL, 7818182656LL};

// Bring-up succeeded: the facts are the companion's, the counts the store's, no
// category is loaded yet.
// The record is byte-packed: its numbers are read by value, never bound to a reference.
void expectBroughtUp(const PhoneSim& sim, const phonesim::Profile& profile, const Hardware& hardware) {
    MobrelDeviceInfo info {};
    ASSERT_EQ(MobrelApi_GetAndroidDevicesInfo(&info, 0), 0);
    EXPECT_EQ(std::string(info.brand), profile.property("ro.product.brand"));
    EXPECT_EQ(std::string(info.model), profile.property("ro.product.model"));
    EXPECT_EQ(std::string(info.androidVersion), profile.property("ro.build.version.release"));
    EXPECT_EQ(std::string(info.serial), profile.property("ro.serialno"));
    EXPECT_EQ(info.reserved[0], '\0');
    EXPECT_EQ(int64_t{info.memTotal}, hardware.memTotal);
    EXPECT_EQ(int64_t{info.memAvail}, hardware.memAvail);
    EXPECT_EQ(int32_t{info.percentValue}, 0);
    EXPECT_EQ(int64_t{info.phoneTotal}, hardware.phoneTotal);
    EXPECT_EQ(int64_t{info.phoneAvail}, hardware.phoneAvail);
    EXPECT_EQ(int64_t{info.sdTotal}, hardware.sdTotal);
    EXPECT_EQ(int64_t{info.sdAvail}, hardware.sdTotal - bytesUnder(sim.sdcardPath()));

    const std::vector<int> store = storeCounts(sim);
    for (int type = 0; type < 6; ++type) {
        EXPECT_GT(store[type], 0) << "the small phone has something of every kind";
        EXPECT_EQ(MobrelApi_getItemTotalLoadedCount(static_cast<unsigned>(type)), store[type]) << type;
        EXPECT_EQ(MobrelApi_CheckItemisLoaded(type), 0) << type;
    }
}

}  // namespace

TEST(DeviceDetection, ListsThePhoneReadsItsPropertiesAndFollowsIt) {
    PhoneSim sim;
    ASSERT_TRUE(startAlone(sim, SimOptions{.dataset = "small"}));

    EXPECT_EQ(MobrelApi_CheckDeviceDetected(5), -1);
    EXPECT_EQ(MobrelApi_CheckDeviceDetected(-1), -1);
    ASSERT_EQ(detectUntil(0, 0), 0);

    // No bring-up yet: the properties as getprop printed them, line end included.
    MobrelDeviceInfo info {};
    ASSERT_EQ(MobrelApi_GetAndroidDevicesInfo(&info, 0), 0);
    EXPECT_STREQ(info.brand, "Quenlo\n");
    EXPECT_STREQ(info.model, "SimPhone 10\n");
    EXPECT_STREQ(info.androidVersion, "10\n");
    EXPECT_EQ(std::string(info.serial), sim.serial());
    EXPECT_EQ(int64_t{info.memTotal}, 0);
    EXPECT_EQ(MobrelApi_CheckAndroidVersionAt44(), 1);  // (other version texts are the unit tests' part)
    EXPECT_EQ(MobrelApi_CheckDeviceDetected(1), -1) << "only one device is listed";

    // Presence follows the phone, and needs adb. No USB phone on a test
    // machine: nothing to tell about its debugging.
    EXPECT_EQ(MobrelApi_CheckConnectDeviceToPC_Count(), 1);
    EXPECT_EQ(MobrelApi_CheckEnableUSBDebug(0), 0);
    EXPECT_EQ(MobrelApi_CheckEnableUSBDebug(-1), 0);
    {
        mobreltest::ScopedEnv noAdb("PATH", (kEnvironment->root.path() / "no-adb-here").c_str());
        EXPECT_EQ(MobrelApi_CheckConnectDeviceToPC_Count(), -1) << "the list was read without adb";
    }
    sim.stopPhone();
    ASSERT_TRUE(sim.waitForState("")) << "adb still lists the phone";
    EXPECT_EQ(MobrelApi_CheckConnectDeviceToPC_Count(), 0);
}

TEST(DeviceDetection, PhoneNotAuthorisedIsNotQueried) {
    for (const char* state : {"unauthorized", "offline"}) {
        SCOPED_TRACE(state);
        PhoneSim sim;
        ASSERT_TRUE(startAlone(sim, mobreltest::listedAs(state)));

        ASSERT_EQ(detectUntil(0, -2), -2);
        const int first = lastCaptureNumber();
        EXPECT_EQ(MobrelApi_CheckDeviceDetected(0), -2);
        EXPECT_EQ(lastCaptureNumber(), first + 1) << "the list only: no property was queried";
        EXPECT_EQ(MobrelApi_CheckDeviceDetected(1), -1);
    }
}

TEST(DeviceBringUp, ModernPhoneWithTheSmallDataset) {
    PhoneSim sim;
    ASSERT_TRUE(startAlone(sim, SimOptions{.dataset = "small"}));
    ASSERT_EQ(detectUntil(0, 0), 0);
    ASSERT_EQ(MobrelApi_ReadyTodoing(0), 0);
    expectBroughtUp(sim, phonesim::modernProfile(), kModern);
    EXPECT_EQ(MobrelApi_CheckAndroidVersionAt44(), 1);

    // Item types outside 0..5 have nothing and change nothing.
    for (int type : {6, -1}) {
        EXPECT_EQ(MobrelApi_getItemTotalLoadedCount(static_cast<unsigned>(type)), 0);
        EXPECT_EQ(MobrelApi_getItemCurrentLoadedCount(static_cast<unsigned>(type)), 0);
        EXPECT_EQ(MobrelApi_CheckItemisLoaded(type), 0);
        EXPECT_EQ(MobrelApi_SetItemisUnLoaded(type), 0);
    }
    EXPECT_EQ(MobrelApi_SetItemisUnLoaded(0), 0);

    // Index 5 is refused and the record left as it was.
    MobrelDeviceInfo untouched;
    std::memset(&untouched, 0x5A, sizeof untouched);
    MobrelDeviceInfo record = untouched;
    for (int index : {5, -1}) {
        EXPECT_EQ(MobrelApi_GetAndroidDevicesInfo(&record, index), -1);
        EXPECT_EQ(std::memcmp(&record, &untouched, sizeof record), 0);
    }

    // A second start-up changes nothing: no thread more, the work folder and the counts stay.
    ASSERT_EQ(detectUntil(0, 0), 0);
    const int capture = lastCaptureNumber();
    ASSERT_GE(capture, 0);
    const int threads = threadCount();
    EXPECT_EQ(MobrelApi_Init(), 0);
    EXPECT_EQ(threadCount(), threads);
    EXPECT_EQ(lastCaptureNumber(), capture);
    expectBroughtUp(sim, phonesim::modernProfile(), kModern);

    // After UnInit everything still works; index 5 chooses no device, so adb
    // commands and the forward name none and adb takes the only one.
    EXPECT_EQ(MobrelApi_UnInit(), 0);
    EXPECT_EQ(MobrelApi_CheckConnectDeviceToPC_Count(), 1);
    EXPECT_EQ(detectUntil(0, 0), 0);
    expectBroughtUp(sim, phonesim::modernProfile(), kModern);
    EXPECT_EQ(MobrelApi_ReadyTodoing(5), 0);
    expectBroughtUp(sim, phonesim::modernProfile(), kModern);
}

TEST(DeviceBringUp, LegacyPhone) {
    PhoneSim sim;
    ASSERT_TRUE(startAlone(sim, SimOptions{.dataset = "small", .profile = "legacy"}));
    ASSERT_EQ(detectUntil(0, 0), 0);
    EXPECT_EQ(MobrelApi_CheckAndroidVersionAt44(), 0) << "4.3 with its line end";
    ASSERT_EQ(MobrelApi_ReadyTodoing(0), 0);
    expectBroughtUp(sim, phonesim::legacyProfile(), kLegacy);
}

// (A companion that closes at the handshake is the connection screen's test.)
TEST(DeviceBringUp, FailsWhenTheCompanionAnswersWrongly) {
    PhoneSim sim;
    ASSERT_TRUE(startAlone(sim, {.faults = {.handshake = "wrong", .badCommand = {}}}));
    ASSERT_EQ(detectUntil(0, 0), 0);
    EXPECT_EQ(MobrelApi_ReadyTodoing(0), -1);
}

// The package is looked for beside the running program: a copy of the self-check
// run from a folder without it cannot bring the phone up; in place it can.
TEST(DeviceBringUp, FailsWithoutTheCompanionPackage) {
    PhoneSim sim;
    ASSERT_TRUE(startAlone(sim, SimOptions{.dataset = "small"}));
    const fs::path inPlace = PhoneSim::binDir() / "mobrelcheck";
    ASSERT_TRUE(fs::exists(PhoneSim::apkPath()));
    const fs::path elsewhere = sim.root() / "no-package" / "mobrelcheck";
    fs::create_directories(elsewhere.parent_path());
    fs::copy_file(inPlace, elsewhere);

    const mobreltest::CommandResult without = mobreltest::runCommand({elsewhere.string()});
    EXPECT_NE(without.out.find("detection:    0\n"), std::string::npos) << without.out;
    EXPECT_NE(without.out.find("bring-up:     -1\n"), std::string::npos) << without.out;
    EXPECT_EQ(without.exitCode, 1);

    const mobreltest::CommandResult with = mobreltest::runCommand({inPlace.string()});
    EXPECT_NE(with.out.find("bring-up:     0\n"), std::string::npos) << with.out;
    // The contacts row: as many counted at bring-up as the flush lists, and the flush succeeded.
    const std::string contacts = std::to_string(storeCounts(sim)[0]);
    EXPECT_TRUE(std::regex_search(with.out, std::regex("\ncontacts +" + contacts + " +0 +" + contacts + "\n")))
        << with.out;
    EXPECT_EQ(with.exitCode, 0);
}
