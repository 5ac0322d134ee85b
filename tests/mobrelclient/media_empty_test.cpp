// The media exports on a phone without media: empty lists, the process's first
// export (it asks for the external storage path, once per process, hence one
// test), and a phone path with a ".." component.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "library_e2e.h"
#include "mobrelclient.h"

using namespace mobreltest;
namespace fs = std::filesystem;

TEST(MediaOnAnEmptyPhone, EmptyListsFirstExportAndDotDotPaths) {
    PhoneSim sim;
    ASSERT_TRUE(bringUp(sim, {}));
    for (const MediaKind* kind : kMediaKinds) {
        SCOPED_TRACE(kind->name);
        EXPECT_EQ(kind->flush(), 0);
        EXPECT_EQ(kind->count(), 0);
        EXPECT_EQ(MobrelApi_CheckItemisLoaded(static_cast<int>(kind->itemType)), 1);
        MediaItem none;
        EXPECT_FALSE(kind->at(0, none));
        EXPECT_FALSE(kind->at(-1, none));
        EXPECT_TRUE(fs::is_directory(workFolder() / kind->name));
    }
    const fs::path local = sim.root() / "local";
    writeFile(local / "first.png", "the first photo");
    EXPECT_EQ(MobrelApi_addPhoto((local / "first.png").c_str(), "first.png"), 4);
    ASSERT_EQ(MobrelApi_FlushPhotos(), 4);
    const std::vector<MediaItem> photos = listed(kPhotoKind);
    ASSERT_EQ(photos.size(), 1u);
    EXPECT_EQ(photos[0].path, "/storage/emulated/0/Images/first.png");
    EXPECT_GT(pngSize(readFile(thumbnailOf(kPhotoKind, photos[0]))).first, 0u);

    // A spoiled storage path is not kept: nothing can be checked against it, so
    // nothing is pulled, and the next export asks again.
    const fs::path target = local / "exported.png";
    {
        ScopedFaults faults(sim, spoiled("getExternalStoragePath"));
        EXPECT_EQ(MobrelApi_ExportPhoto(photos[0].id, target.c_str()), -1);
    }
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(MobrelApi_ExportPhoto(photos[0].id, target.c_str()), 0);
    EXPECT_EQ(readFile(target), "the first photo");

    // An item whose path climbs out with "..", put in the stopped phone's store; the
    // companion started by hand, since a bring-up would make the phone drop the item.
    ASSERT_TRUE(sim.stopPhone());
    std::ofstream(sim.storePath() / "media.jsonl", std::ios::app)
        << R"({"id":500,"kind":"photo","path":"Images/../../outside.png","title":"outside","created":1})" << '\n';
    ASSERT_TRUE(sim.startPhone());
    ASSERT_TRUE(sim.waitForState("device"));
    ASSERT_EQ(sim.adbDevice({"install", PhoneSim::apkPath().string()}).exitCode, 0);
    ASSERT_EQ(sim.adbDevice({"shell", "am", "start", "-n", "com.quenlo.mobrelphone/com.quenlo.mobrelphone.ui.MainActivity"})
                  .exitCode, 0);
    const fs::path climbed = local / "climbed.png";
    EXPECT_EQ(MobrelApi_ExportPhoto(500, climbed.c_str()), -1);
    EXPECT_FALSE(fs::exists(climbed));
    EXPECT_EQ(MobrelApi_ExportPhoto(photos[0].id, climbed.c_str()), 0);
    EXPECT_EQ(readFile(climbed), "the first photo");
}
