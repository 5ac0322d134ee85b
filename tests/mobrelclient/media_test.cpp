// Photos, videos and music through the exports against phonesim's small phone
// and the real adb, checked against the phone's store and files and the
// thumbnails in the work folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include "library_e2e.h"
#include "mobrelclient.h"

using namespace mobreltest;
namespace fs = std::filesystem;

namespace {

class Media : public SmallPhoneSuite {
protected:
    void SetUp() override {
        SmallPhoneSuite::SetUp();
        fs::create_directories(local_);
    }
    fs::path phoneFile(const MediaItem& item) { return sim().sdcardPath() / item.path.substr(kStoragePrefix.size()); }
    // The phone's files and media store, to see that nothing changed.
    std::pair<std::map<std::string, std::string>, std::string> phoneState() {
        return {treeContents(sim().sdcardPath()), readFile(sim().storePath() / "media.jsonl")};
    }

    const fs::path local_ = sim().root() / "local \"files\" it's";  // the user's side, a name that needs quoting
};

const MediaItem* findByPath(const std::vector<MediaItem>& items, const std::string& path) {
    for (const MediaItem& item : items) {
        if (item.path == path) return &item;
    }
    return nullptr;
}

// Once a file in folder holds `bytes` bytes (a pull the phone stalls), kills our adb child that pulls it.
::testing::AssertionResult killStalledPull(const fs::path& folder, size_t bytes) {
    const auto written = [&] {
        for (const auto& [name, content] : treeContents(folder)) {
            if (content.size() == bytes) return true;
        }
        return false;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!written() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string stat = readFile(entry.path() / "stat");  // "pid (name) S ppid ..."
        const size_t paren = stat.rfind(')');
        if (paren == std::string::npos || paren + 4 > stat.size() || std::atoi(stat.c_str() + paren + 3) != ::getpid() ||
            readFile(entry.path() / "cmdline").find(std::string("\0pull\0", 6)) == std::string::npos) {
            continue;
        }
        const bool partial = written();
        ::kill(std::stoi(entry.path().filename().string()), SIGKILL);
        return partial ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "adb wrote no partial file";
    }
    return ::testing::AssertionFailure() << "no adb pull running";
}

}  // namespace

TEST_F(Media, ThumbnailsAreFetchedOnlyWhenMissing) {
    fs::remove_all(workFolder() / "photo");
    EXPECT_EQ(MobrelApi_FlushPhotos(), 4) << "the last item's thumbnail was asked for";
    const std::vector<MediaItem> photos = listed(kPhotoKind);
    ASSERT_FALSE(photos.empty());
    const fs::path last = thumbnailOf(kPhotoKind, photos.back()), cache = workFolder() / "photo";
    const auto cached = treeContents(cache);
    ASSERT_EQ(cached.size(), photos.size());

    // phonesim writes Images/tmp.png for every thumbnail command, also one it answers
    // brokenly: so no command was sent while all are cached; a broken reply caches nothing.
    const fs::path phoneThumbnail = sim().sdcardPath() / "Images" / "tmp.png";
    fs::remove(phoneThumbnail);
    for (const std::string how : {"overlong", "short"}) {
        {
            ScopedFaults faults(sim(), spoiled("getdcimthumb2", how));
            EXPECT_EQ(MobrelApi_FlushPhotos(), 0);
            EXPECT_FALSE(fs::exists(phoneThumbnail)) << "a thumbnail command was sent";
            EXPECT_TRUE(treeContents(cache) == cached);
            fs::remove(last);
            EXPECT_EQ(MobrelApi_FlushPhotos(), how == "overlong" ? -1 : 1) << how;  // the reply's byte count
            EXPECT_TRUE(fs::exists(phoneThumbnail)) << how;
            EXPECT_FALSE(fs::exists(last)) << how;
        }
        fs::remove(phoneThumbnail);
        EXPECT_EQ(MobrelApi_FlushPhotos(), 4);
        EXPECT_TRUE(treeContents(cache) == cached);
        fs::remove(phoneThumbnail);
    }

    // adb dying half way through a pull leaves no picture, whole or partial; the next flush fetches it.
    fs::remove(last);
    const auto withoutLast = treeContents(cache);
    {
        ScopedFaults faults(sim(), {.badCommand = {}, .cutPullAt = 100});
        int result = 0;
        std::thread flush([&result] { result = MobrelApi_FlushPhotos(); });
        EXPECT_TRUE(killStalledPull(cache, 100));
        flush.join();
        EXPECT_EQ(result, 4);
        EXPECT_TRUE(treeContents(cache) == withoutLast);
    }
    EXPECT_EQ(MobrelApi_FlushPhotos(), 4);
    EXPECT_GT(pngSize(readFile(last)).first, 0u);
    EXPECT_TRUE(readFile(last) == readFile(phoneThumbnail));

    // A phone without thumbnails: the list is whole, the cache stays empty.
    fs::remove_all(workFolder() / "video");
    {
        ScopedFaults faults(sim(), {.badCommand = {}, .noThumbnails = true});
        EXPECT_EQ(MobrelApi_FlushVideo(), 4);  // the last thumbnail request's byte count
    }
    EXPECT_EQ(listed(kVideoKind), storeItems(sim(), kVideoKind));
    EXPECT_TRUE(fs::is_directory(workFolder() / "video"));
    EXPECT_TRUE(treeContents(workFolder() / "video").empty());
}

// A 1-byte reply would read as the integer 0 ("rebuilt") or as a count of 0.
TEST_F(Media, FailedRebuildOrCountKeepsTheList) {
    ASSERT_GE(MobrelApi_FlushMusic(), 0);
    const std::vector<MediaItem> before = listed(kMusicKind);
    MobrelMusicInfo* first = nullptr;
    ASSERT_EQ(MobrelApi_GetMusicInfo(&first, 0), 0);
    for (const char* command : {"flushmusiclist", "getmusiccount"}) {
        for (const char* reply : {"short", "garbage"}) {
            SCOPED_TRACE(std::string(command) + " " + reply);
            ScopedFaults faults(sim(), spoiled(command, reply));
            MobrelApi_SetItemisUnLoaded(5);
            EXPECT_EQ(MobrelApi_FlushMusic(), -1);
            EXPECT_EQ(MobrelApi_CheckItemisLoaded(5), 1);
            EXPECT_EQ(listed(kMusicKind), before);
            MobrelMusicInfo* again = nullptr;
            EXPECT_EQ(MobrelApi_GetMusicInfo(&again, 0), 0);
            EXPECT_EQ(again, first);
        }
    }
}

TEST_F(Media, UnreadableIndexRecordsAreSkipped) {
    const std::vector<MediaItem> expected = storeItems(sim(), kVideoKind);
    ASSERT_GT(expected.size(), 4u);
    ASSERT_EQ(MobrelApi_ReadyTodoing(0), 0);  // phonesim counts spoiled replies from the install on
    {
        // Four good records, then garbage whose ID "XYZ" the hex decoder would read as 20.
        ScopedFaults faults(sim(), spoiled("getvideoindexinfo", "garbage", 4));
        EXPECT_EQ(MobrelApi_FlushVideo(), -1);
    }
    EXPECT_EQ(MobrelApi_GetVideoCount(), static_cast<int>(expected.size()));  // the total still counts them
    EXPECT_EQ(listed(kVideoKind), std::vector<MediaItem>(expected.begin(), expected.begin() + 4));
    {
        ScopedFaults faults(sim(), spoiled("getvideoindexinfo", "short"));
        EXPECT_EQ(MobrelApi_FlushVideo(), -1);
    }
    EXPECT_TRUE(listed(kVideoKind).empty());
    EXPECT_GE(MobrelApi_FlushVideo(), 0);
    EXPECT_EQ(listed(kVideoKind), expected);
}

TEST_F(Media, ReadByIndexWhileAFlushRuns) {
    ASSERT_GE(MobrelApi_FlushPhotos(), 0);  // thumbnails cached: the flush below is index records only
    const std::vector<MediaItem> expected = storeItems(sim(), kPhotoKind);
    ASSERT_EQ(listed(kPhotoKind), expected);
    std::atomic<bool> done{false};
    int reads = 0, partialViews = 0, wrong = 0;
    std::thread reader([&] {
        while (!done) {
            size_t size = 0;
            for (MediaItem item; kPhotoKind.at(static_cast<int>(size), item); ++size, ++reads) {
                if (size >= expected.size() || !(item == expected[size])) ++wrong;
            }
            if (size > 0 && size < expected.size()) ++partialViews;
            const int current = MobrelApi_getItemCurrentLoadedCount(3);
            if (current < 0 || current > static_cast<int>(expected.size())) ++wrong;
        }
    });
    {
        ScopedFaults faults(sim(), {.delayMs = 20, .badCommand = {}});
        EXPECT_EQ(MobrelApi_FlushPhotos(), 0);
    }
    done = true;
    reader.join();
    EXPECT_GT(partialViews, 0) << "the list was never seen while it grew";
    EXPECT_GT(reads, 0);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(listed(kPhotoKind), expected);
    // A bad index leaves the caller's pointer alone.
    int somewhere = 0;
    auto* untouched = reinterpret_cast<MobrelPhotoInfo*>(&somewhere);
    EXPECT_EQ(MobrelApi_GetPhotoInfo(&untouched, MobrelApi_GetPhotoCount()), -1);
    EXPECT_EQ(untouched, reinterpret_cast<MobrelPhotoInfo*>(&somewhere));
    EXPECT_EQ(MobrelApi_GetPhotoInfo(nullptr, 0), -1);
}

// A name that needs quoting travels as one adb argument and one command; the
// item is read back, exported and deleted with its thumbnail.
TEST_F(Media, AddExportAndDeleteUnderAnOddName) {
    for (const MediaKind* kind : kMediaKinds) {
        SCOPED_TRACE(kind->name);
        ASSERT_GE(kind->flush(), 0);
        const std::vector<MediaItem> present = listed(*kind);
        const std::string bytes = readFile(phoneFile(present.front())) + kind->name;  // a new file of the kind
        const fs::path source = local_ / (std::string("to add ") + kind->name + kind->extension);
        writeFile(source, bytes);
        const std::string stem = std::string("Mobrel it's \"new\" $(touch x) `y` & ") + kind->name;
        const std::string name = stem + kind->extension;
        EXPECT_EQ(kind->add(source.c_str(), name.c_str()), kind == &kPhotoKind ? 4 : 0);
        const fs::path onPhone = sim().sdcardPath() / kind->uploadFolder / name;
        EXPECT_EQ(readFile(onPhone), bytes);

        ASSERT_GE(kind->flush(), 0);
        const std::vector<MediaItem> after = listed(*kind);
        const MediaItem* added = findByPath(after, kStoragePrefix + kind->uploadFolder + "/" + name);
        ASSERT_NE(added, nullptr);
        EXPECT_EQ(added->title, stem);
        const fs::path thumbnail = thumbnailOf(*kind, *added), exported = local_ / (std::string("out \"") + kind->name);
        EXPECT_GT(pngSize(readFile(thumbnail)).first, 0u);
        EXPECT_EQ(kind->exportFile(added->id, exported.c_str()), 0);
        EXPECT_EQ(readFile(exported), bytes);
        EXPECT_EQ(kind->remove(*added), 1);
        EXPECT_FALSE(fs::exists(onPhone));
        EXPECT_FALSE(fs::exists(thumbnail));
        ASSERT_GE(kind->flush(), 0);
        EXPECT_EQ(listed(*kind), present);
    }
}

// The number counts past the numbers taken; with the name and nine numbered ones taken nothing is overwritten.
TEST_F(Media, AddNumbersATakenName) {
    auto addFrom = [&](const std::string& content) {
        writeFile(local_ / content, content);
        return MobrelApi_addPhoto((local_ / content).c_str(), "full.png");
    };
    const fs::path images = sim().sdcardPath() / "Images";
    writeFile(images / "full.png", "kept");
    for (int n = 1; n <= 8; ++n) writeFile(images / ("full(" + std::to_string(n) + ").png"), "kept");
    EXPECT_EQ(addFrom("ninth"), 4);
    EXPECT_EQ(readFile(images / "full(9).png"), "ninth");
    ASSERT_GE(MobrelApi_FlushPhotos(), 0);
    EXPECT_NE(findByPath(listed(kPhotoKind), kStoragePrefix + "Images/full(9).png"), nullptr);
    const auto before = phoneState();
    EXPECT_EQ(addFrom("tenth"), -1);
    EXPECT_TRUE(phoneState() == before) << "the phone changed";
}

// Each would leave the upload folder, or end the existence check's command early
// and make the phone run a second one (deleting photo 1).
TEST_F(Media, RefusesUnsafeDeviceFileNames) {
    const fs::path source = local_ / "harmless.png";
    writeFile(source, "harmless");
    const auto before = phoneState();
    for (const MediaKind* kind : kMediaKinds) {
        for (const std::string& name : {std::string(), std::string("."), std::string(".."), std::string("../escaped.png"),
                                        std::string("../../escaped.png"), std::string("DCIM/in.png"),
                                        std::string("..\\escaped.png"), std::string("a\\b.png"),
                                        std::string("x.png;deletephoto:1;"), std::string(";"), std::string("tab\t.png"),
                                        std::string("line\n.png"), std::string("del\x7f.png"), std::string(256, 'n')}) {
            EXPECT_EQ(kind->add(source.c_str(), name.c_str()), -1) << kind->name << " \"" << name << "\"";
        }
        EXPECT_EQ(kind->add(source.c_str(), nullptr), -1);
        EXPECT_EQ(kind->add(nullptr, "fine.png"), -1);
        EXPECT_EQ(kind->add("", "fine.png"), -1);
    }
    EXPECT_TRUE(phoneState() == before) << "the phone changed";
}

// A phone path outside "/storage/emulated/0" is refused, not cut; adb runs in the
// program's folder, so a relative local path is still ours, and "-..." no option.
TEST_F(Media, ExportPathsAreCheckedAndTheCallersOwn) {
    ASSERT_GE(MobrelApi_FlushPhotos(), 0);
    const MediaItem photo = listed(kPhotoKind).front();
    const fs::path target = local_ / "exported.png";
    {
        ScopedFaults faults(sim(), spoiled("getfilepathForid"));
        EXPECT_EQ(MobrelApi_ExportPhoto(photo.id, target.c_str()), -1);
    }
    EXPECT_EQ(MobrelApi_ExportPhoto(999999, target.c_str()), -1);  // the phone names no file
    EXPECT_FALSE(fs::exists(target));

    const fs::path before = fs::current_path();
    fs::current_path(local_);
    writeFile(local_ / "-a.png", "relative");
    EXPECT_EQ(MobrelApi_addPhoto("-a.png", "relative.png"), 4);
    EXPECT_EQ(MobrelApi_ExportPhoto(photo.id, "-exported.png"), 0);
    fs::current_path(before);
    EXPECT_EQ(readFile(sim().sdcardPath() / "Images" / "relative.png"), "relative");
    EXPECT_EQ(readFile(local_ / "-exported.png"), readFile(phoneFile(photo)));
}
