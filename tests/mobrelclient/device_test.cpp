// Presence, detection and bring-up through the shared library's exports against
// phonesim behind the real adb. The library is initialised once for the process
// (as in the program) in a private folder; every test starts its own phone. The
// first test runs before any bring-up, so no device facts are cached yet.
#include <gtest/gtest.h>

#include <algorithm>
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
using namespace mobreltest;

namespace {

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
    TempDir root{"mobrel-device"};
};
LibraryEnvironment* const kEnvironment = new LibraryEnvironment;
[[maybe_unused]] ::testing::Environment* const kRegistered = ::testing::AddGlobalTestEnvironment(kEnvironment);

// The highest number of the capture files "sdlkNNNNNN" in the work folder, or -1.
int lastCaptureNumber() {
    int last = -1;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(kEnvironment->root.path() / "run/Tolvane/mobrel", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == 10 && name.rfind("sdlk", 0) == 0 && name.find_first_not_of("0123456789", 4) == std::string::npos) {
            last = std::max(last, std::stoi(name.substr(4)));
        }
    }
    return last;
}

int threadCount() {
    const auto tasks = fs::directory_iterator("/proc/self/task");
    return static_cast<int>(std::distance(fs::begin(tasks), fs::end(tasks)));
}

// The memory and storage phonesim reports for a kind of phone.
struct Hardware {
    const char* profile;
    int64_t memTotal, memAvail, phoneTotal, phoneAvail, sdTotal;
};
const Hardware kModern{"modern", 3917438976LL, 1642323968LL, 53687091200LL, 31138512896LL, 53687091200LL};
const Hardware kLegacy{"legacy", 1010532352LL, 402653184LL, 1073741824LL, 612368384LL, 7818182656LL};

// After bring-up: the companion's facts (read by value from the packed record), the store's counts, nothing loaded.
void expectBroughtUp(const PhoneSim& sim, const Hardware& hardware) {
    const phonesim::Profile profile =
        std::string(hardware.profile) == "modern" ? phonesim::modernProfile() : phonesim::legacyProfile();
    MobrelDeviceInfo info{};
    ASSERT_EQ(MobrelApi_GetAndroidDevicesInfo(&info, 0), 0);
    EXPECT_EQ(std::vector<std::string>({info.brand, info.model, info.androidVersion, info.serial}),
              std::vector<std::string>({profile.property("ro.product.brand"), profile.property("ro.product.model"),
                                        profile.property("ro.build.version.release"), profile.property("ro.serialno")}));
    EXPECT_EQ(info.reserved[0], '\0');
    int64_t used = 0;
    for (const auto& [name, bytes] : treeContents(sim.sdcardPath())) used += static_cast<int64_t>(bytes.size());
    EXPECT_EQ(std::vector<int64_t>({info.memTotal, info.memAvail, info.percentValue, info.phoneTotal, info.phoneAvail,
                                    info.sdTotal, info.sdAvail}),
              std::vector<int64_t>({hardware.memTotal, hardware.memAvail, 0, hardware.phoneTotal, hardware.phoneAvail,
                                    hardware.sdTotal, hardware.sdTotal - used}));
    const std::vector<StoreRecord> media = readStore(sim.storePath(), "media");
    const char* const categories[] = {"contacts", "messages", "calls"};
    for (int type = 0; type < 6; ++type) {
        const int inStore = type < 3 ? static_cast<int>(readStore(sim.storePath(), categories[type]).size())
                                     : static_cast<int>(std::count_if(media.begin(), media.end(), [&](const StoreRecord& r) {
                                           return r.text("kind") == kMediaKinds[type - 3]->name;
                                       }));
        EXPECT_GT(inStore, 0) << "the small phone has something of every kind";
        EXPECT_EQ(MobrelApi_getItemTotalLoadedCount(static_cast<unsigned>(type)), inStore) << type;
        EXPECT_EQ(MobrelApi_CheckItemisLoaded(type), 0) << type;
    }
}

}  // namespace

TEST(DeviceDetection, ListsThePhoneAndReadsItsProperties) {
    PhoneSim sim;
    ASSERT_TRUE(startAlone(sim, {.dataset = "small"}));
    EXPECT_EQ(MobrelApi_CheckDeviceDetected(5), -1);
    EXPECT_EQ(MobrelApi_CheckDeviceDetected(-1), -1);
    ASSERT_EQ(detectUntil(0, 0), 0);

    // No bring-up yet: the properties as getprop printed them, line end included.
    MobrelDeviceInfo info{};
    ASSERT_EQ(MobrelApi_GetAndroidDevicesInfo(&info, 0), 0);
    EXPECT_EQ(std::vector<std::string>({info.brand, info.model, info.androidVersion, info.serial}),
              std::vector<std::string>({"Quenlo\n", "SimPhone 10\n", "10\n", sim.serial()}));
    EXPECT_EQ(int64_t{info.memTotal}, 0);
    EXPECT_EQ(MobrelApi_CheckAndroidVersionAt44(), 1);
    EXPECT_EQ(MobrelApi_CheckDeviceDetected(1), -1) << "only one device is listed";

    // Presence needs adb (following the phone: the connection screen's test); no USB phone here.
    EXPECT_EQ(MobrelApi_CheckConnectDeviceToPC_Count(), 1);
    EXPECT_EQ(MobrelApi_CheckEnableUSBDebug(0), 0);
    EXPECT_EQ(MobrelApi_CheckEnableUSBDebug(-1), 0);
    ScopedEnv noAdb("PATH", (kEnvironment->root.path() / "no-adb-here").c_str());
    EXPECT_EQ(MobrelApi_CheckConnectDeviceToPC_Count(), -1) << "the list was read without adb";
}

TEST(DeviceDetection, PhoneNotAuthorisedIsNotQueried) {
    for (const char* state : {"unauthorized", "offline"}) {
        SCOPED_TRACE(state);
        PhoneSim sim;
        ASSERT_TRUE(startAlone(sim, listedAs(state)));
        ASSERT_EQ(detectUntil(0, -2), -2);
        const int first = lastCaptureNumber();
        EXPECT_EQ(MobrelApi_CheckDeviceDetected(0), -2);
        EXPECT_EQ(lastCaptureNumber(), first + 1) << "the list only: no property was queried";
        EXPECT_EQ(MobrelApi_CheckDeviceDetected(1), -1);
    }
}

TEST(DeviceBringUp, LegacyThenModernPhone) {
    for (const Hardware* hardware : {&kLegacy, &kModern}) {
        SCOPED_TRACE(hardware->profile);
        PhoneSim sim;
        ASSERT_TRUE(startAlone(sim, {.dataset = "small", .profile = hardware->profile}));
        ASSERT_EQ(detectUntil(0, 0), 0);
        EXPECT_EQ(MobrelApi_CheckAndroidVersionAt44(), hardware == &kModern ? 1 : 0) << "4.3 with its line end is below";
        ASSERT_EQ(MobrelApi_ReadyTodoing(0), 0);
        expectBroughtUp(sim, *hardware);
        if (hardware == &kLegacy) continue;

        // Item types outside 0..5 have nothing and change nothing; index 5 or -1 leaves the record alone.
        for (int type : {6, -1}) {
            EXPECT_EQ(MobrelApi_getItemTotalLoadedCount(static_cast<unsigned>(type)), 0);
            EXPECT_EQ(MobrelApi_getItemCurrentLoadedCount(static_cast<unsigned>(type)), 0);
            EXPECT_EQ(MobrelApi_CheckItemisLoaded(type), 0);
            EXPECT_EQ(MobrelApi_SetItemisUnLoaded(type), 0);
        }
        EXPECT_EQ(MobrelApi_SetItemisUnLoaded(0), 0);
        MobrelDeviceInfo untouched, record;
        std::memset(&untouched, 0x5A, sizeof untouched);
        for (int index : {5, -1}) {
            record = untouched;
            EXPECT_EQ(MobrelApi_GetAndroidDevicesInfo(&record, index), -1);
            EXPECT_EQ(std::memcmp(&record, &untouched, sizeof record), 0);
        }

        // A second start-up changes nothing: no thread more, the work folder and the counts stay.
        ASSERT_EQ(detectUntil(0, 0), 0);
        const int capture = lastCaptureNumber(), threads = threadCount();
        ASSERT_GE(capture, 0);
        EXPECT_EQ(MobrelApi_Init(), 0);
        EXPECT_EQ(threadCount(), threads);
        EXPECT_EQ(lastCaptureNumber(), capture);
        expectBroughtUp(sim, kModern);

        // After UnInit all still works; index 5 chooses no device, so adb takes the only one.
        EXPECT_EQ(MobrelApi_UnInit(), 0);
        EXPECT_EQ(MobrelApi_CheckConnectDeviceToPC_Count(), 1);
        EXPECT_EQ(detectUntil(0, 0), 0);
        EXPECT_EQ(MobrelApi_ReadyTodoing(5), 0);
        expectBroughtUp(sim, kModern);
    }
}

// A companion that answers the handshake wrongly, and the package missing beside
// the program (the self-check copied elsewhere), fail the bring-up; in place it works.
TEST(DeviceBringUp, FailsWithAWrongHandshakeOrWithoutTheCompanionPackage) {
    {
        PhoneSim sim;
        ASSERT_TRUE(startAlone(sim, {.faults = {.handshake = "wrong", .badCommand = {}}}));
        ASSERT_EQ(detectUntil(0, 0), 0);
        EXPECT_EQ(MobrelApi_ReadyTodoing(0), -1);
    }
    PhoneSim sim;
    ASSERT_TRUE(startAlone(sim, {.dataset = "small"}));
    ASSERT_TRUE(fs::exists(PhoneSim::apkPath()));
    const fs::path inPlace = PhoneSim::binDir() / "mobrelcheck", elsewhere = sim.root() / "no-package" / "mobrelcheck";
    fs::create_directories(elsewhere.parent_path());
    fs::copy_file(inPlace, elsewhere);
    const CommandResult without = runCommand({elsewhere.string()});
    EXPECT_NE(without.out.find("detection:    0\n"), std::string::npos) << without.out;
    EXPECT_NE(without.out.find("bring-up:     -1\n"), std::string::npos) << without.out;
    EXPECT_EQ(without.exitCode, 1);

    const CommandResult with = runCommand({inPlace.string()});
    // The contacts row: as many counted at bring-up as the flush lists, and the flush succeeded.
    const std::string contacts = std::to_string(readStore(sim.storePath(), "contacts").size());
    EXPECT_NE(with.out.find("bring-up:     0\n"), std::string::npos) << with.out;
    EXPECT_TRUE(std::regex_search(with.out, std::regex("\ncontacts +" + contacts + " +0 +" + contacts + "\n"))) << with.out;
    EXPECT_EQ(with.exitCode, 0);
}
