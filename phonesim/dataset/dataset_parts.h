// The pieces of the sample-phone generator: a seeded random source that gives
// the same sequence on every run and platform, the text pools, and one writer
// per category.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace phonesim {

class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t next();                       // splitmix64
    int below(int n);                      // 0 .. n-1
    int between(int low, int high);        // low .. high
    bool chance(int percent);
    template <typename T>
    const T& pick(const std::vector<T>& items) { return items[static_cast<size_t>(below(static_cast<int>(items.size())))]; }

private:
    uint64_t state_;
};

struct DatasetSize {
    int contacts;
    int messages;
    int conversations;
    int calls;
    int photos;
    int videos;
    int songs;
    int photoSideMin, photoSideMax;  // pixels
};

// The moment the sample phone's history ends (2023-10-01 09:30:00 UTC); every date lies before it.
inline constexpr int64_t kDatasetNow = 1696152600;

// Text pools (UTF-8; accents, CJK, emoji).
extern const std::vector<std::string> kFirstNames, kLastNames, kNicknames, kCompanies, kJobTitles, kStreets,
    kCities, kGroups, kNotes, kShortBodies, kLongBodies, kPlaceWords, kArtists, kAlbums, kSongTitles, kVideoTitles;

// The phone number of contact i; messages and calls to contacts use the same text.
std::string contactNumber(int i);
// A number that belongs to nobody in the address book.
std::string strangerNumber(Rng& rng);

// Writers; each streams its category into the store folder. False on a write failure.
bool writeContacts(const std::filesystem::path& storeDir, const DatasetSize& size, uint64_t seed);
bool writeMessages(const std::filesystem::path& storeDir, const DatasetSize& size, uint64_t seed);
bool writeCalls(const std::filesystem::path& storeDir, const DatasetSize& size, uint64_t seed);
bool writeMedia(const std::filesystem::path& storeDir, const std::filesystem::path& sdcard, const DatasetSize& size,
                uint64_t seed);

}  // namespace phonesim
