// What the media tests against phonesim share: bring-up through the exports,
// the three kinds seen through their exports, the phone's own store read
// independently, and checks of files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "phonesim_fixture.h"

namespace mediatest {

namespace fs = std::filesystem;

// One media record in a form common to the three kinds; fields a kind lacks stay empty.
struct Item {
    int32_t loaded = 0;
    int32_t id = 0;
    int32_t albumId = 0;
    std::string title, album, artist, displayName, path;
    int64_t duration = 0, size = 0, modifiedTime = 0, createdTime = 0;
};
bool operator==(const Item& a, const Item& b);
std::ostream& operator<<(std::ostream& out, const Item& item);

// A kind as the program sees it through the exports.
struct Kind {
    const char* name;          // the store's kind: "photo", "video", "music"
    unsigned itemType;         // 3, 4, 5
    const char* uploadFolder;  // below the phone's storage: "Images", "Videos", "Music"
    const char* extension;     // of the files the tests add
    int (*flush)();
    int (*count)();
    bool (*at)(int index, Item& out);  // the Get*Info export; false when it answers -1
    int (*add)(const char* localPath, const char* deviceFileName);
    int (*exportFile)(int id, const char* localPath);
    int (*remove)(const Item& item);
};
extern const Kind kPhotoKind, kVideoKind, kMusicKind;
extern const Kind* const kKinds[3];

// Detection (polled until it answers 0) and bring-up through the exports.
::testing::AssertionResult bringUp();
// Starts phonesim with dataset, then MobrelApi_Init and bringUp().
::testing::AssertionResult startAndBringUp(mobreltest::PhoneSim& sim, const std::string& dataset);

// The records the library holds now, in list order.
std::vector<Item> listed(const Kind& kind);
// The phone's items of the kind read from its store file and its sdcard files,
// in store order; items whose file is gone are left out, as the phone does.
std::vector<Item> storeItems(const mobreltest::PhoneSim& sim, const Kind& kind);
// The store's media file as it is on disk.
std::string storeFile(const mobreltest::PhoneSim& sim);

// The library's work folder: <XDG_RUNTIME_DIR>/Tolvane/mobrel/.
fs::path workFolder();
// Where the thumbnail of item is cached: photo/<id>.png, video/<id>.png, music/<id><albumId>.png.
fs::path thumbnailOf(const Kind& kind, const Item& item);

std::string readBytes(const fs::path& file);
void writeBytes(const fs::path& file, const std::string& bytes);
// Every regular file below folder (relative path to bytes).
std::map<std::string, std::string> treeContents(const fs::path& folder);
// A PNG file whose chunks are whole and checksummed, IHDR first and IEND last.
::testing::AssertionResult isPngFile(const fs::path& file);

// Sets the fault switches for the life of the object, then clears them again.
class ScopedFaults {
public:
    ScopedFaults(mobreltest::PhoneSim& sim, const phonesim::Faults& faults);
    ~ScopedFaults();
    ScopedFaults(const ScopedFaults&) = delete;
    ScopedFaults& operator=(const ScopedFaults&) = delete;

private:
    mobreltest::PhoneSim& sim_;
};

}  // namespace mediatest
