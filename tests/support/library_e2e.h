// What the library's end-to-end tests share: phonesim brought up through the
// exports, fault switches for a scope, and the media the exports list next to
// what phonesim's store and files say (read apart from phonesim's code).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "phonesim_fixture.h"

namespace mobreltest {

// Starts phonesim, checking that adb lists no other phone (the exports address
// devices by their place in its list) and nobody else holds port 25803.
::testing::AssertionResult startAlone(PhoneSim& sim, const SimOptions& options);
int detectUntil(int index, int wanted);  // detection repeated until it answers wanted (30 s at most)
// startAlone, MobrelApi_Init (its work folder in the phone's runtime folder), detection and bring-up of device 0.
::testing::AssertionResult bringUp(PhoneSim& sim, const SimOptions& options);

// The small phone brought up once for a test suite; every test starts with no fault switch on.
class SmallPhoneSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sim_ = new PhoneSim;
        ready_ = bringUp(*sim_, {.dataset = "small"});
    }
    static void TearDownTestSuite() {
        delete sim_;
        sim_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(ready_) << ready_.message();
        sim_->setFaults(phonesim::Faults{});
    }
    static PhoneSim& sim() { return *sim_; }

private:
    inline static PhoneSim* sim_ = nullptr;
    inline static ::testing::AssertionResult ready_ = ::testing::AssertionFailure();
};

// The fault switches set for the life of the object.
class ScopedFaults {
public:
    ScopedFaults(PhoneSim& sim, const phonesim::Faults& faults) : sim_(sim) { sim_.setFaults(faults); }
    ~ScopedFaults() { sim_.setFaults(phonesim::Faults{}); }
    ScopedFaults(const ScopedFaults&) = delete;
    ScopedFaults& operator=(const ScopedFaults&) = delete;

private:
    PhoneSim& sim_;
};

// The reply to command spoiled ("garbage", "short", "overlong") after `after` good ones.
phonesim::Faults spoiled(const std::string& command, const std::string& how = "garbage", int after = 0);

// A media record in a form common to the three kinds; fields a kind lacks stay empty.
struct MediaItem {
    int32_t loaded = 0, id = 0, albumId = 0;
    std::string title{}, album{}, artist{}, displayName{}, path{};
    int64_t duration = 0, size = 0, modifiedTime = 0, createdTime = 0;
};
bool operator==(const MediaItem& a, const MediaItem& b);
std::ostream& operator<<(std::ostream& out, const MediaItem& item);

// A kind as the program sees it through the exports.
struct MediaKind {
    const char* name;          // the store's kind and the cache folder: "photo", "video", "music"
    unsigned itemType;         // 3, 4, 5
    const char* uploadFolder;  // below the phone's storage: "Images", "Videos", "Music"
    const char* extension;     // of the files the tests add
    int (*flush)();
    int (*count)();
    bool (*at)(int index, MediaItem& out);  // the Get*Info export; false when it answers -1
    int (*add)(const char* localPath, const char* deviceFileName);
    int (*exportFile)(int id, const char* localPath);
    int (*remove)(const MediaItem& item);
};
extern const MediaKind kPhotoKind, kVideoKind, kMusicKind;
extern const MediaKind* const kMediaKinds[3];
extern const std::string kStoragePrefix;  // "/storage/emulated/0/", the start of every phone path

std::vector<MediaItem> listed(const MediaKind& kind);  // what the library holds now, in list order
// The phone's items of the kind by its store and sdcard files, in store order (those whose file is gone left out).
std::vector<MediaItem> storeItems(const PhoneSim& sim, const MediaKind& kind);
std::filesystem::path workFolder();  // <XDG_RUNTIME_DIR>/Tolvane/mobrel
// The cached thumbnail: photo/<id>.png, video/<id>.png, music/<id><albumId>.png.
std::filesystem::path thumbnailOf(const MediaKind& kind, const MediaItem& item);

}  // namespace mobreltest
