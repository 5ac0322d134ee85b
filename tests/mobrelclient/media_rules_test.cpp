// The media rules that need no phone: numbered upload names, export paths and
// index records built from odd replies.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "hex.h"
#include "media.h"
#include "media_kinds.h"

using namespace mobrel;

namespace {

std::string item(const char* key, const std::string& value) { return std::string(key) + ":" + hexEncode(value, 4096) + ";"; }

// A record built from a copy of reply text (it is cut in place). Records are
// never freed; keeping them listed keeps the leak checker quiet.
void* parsed(ItemType kind, std::string reply) {
    static auto* kept = new std::vector<void*>();
    void* record = parseMediaRecord(mediaKindInfo(kind), reply.data());
    if (record) kept->push_back(record);
    return record;
}

// Fields of packed records are read by value (int64_t{...}): a reference to
// one may be misaligned.
template <typename Record>
Record* built(ItemType kind, const std::string& reply) {
    return static_cast<Record*>(parsed(kind, reply));
}

}  // namespace

// What the end-to-end tests do not reach (song(1).mp3 they do).
TEST(MediaNames, NumberedNames) {
    EXPECT_EQ(numberedName("archive.tar.gz", 3), "archive.tar(3).gz");
    EXPECT_EQ(numberedName("clip.averyveryverylongextension", 1), "clip(1).averyveryverylongextension");
    EXPECT_EQ(numberedName(".nomedia", 9), ".nomedia(9)");  // a leading dot is part of the name
    EXPECT_EQ(numberedName("trailing.", 1), "trailing(1).");
}

TEST(MediaPaths, ExportPathsStayInsideTheExternalStorage) {
    const std::string storage = "/storage/emulated/0";
    const std::string dcim = storage + "/DCIM/a.jpg";
    EXPECT_EQ(sdcardPathOf(storage, dcim), "/sdcard/DCIM/a.jpg");
    EXPECT_EQ(sdcardPathOf(storage + "/", dcim), "/sdcard/DCIM/a.jpg");
    EXPECT_EQ(sdcardPathOf(storage, storage + "/Images/it's \"x\" y.png"), "/sdcard/Images/it's \"x\" y.png");
    // Refused rather than cut: another prefix or one that only starts alike, dot
    // components, the storage itself, a folder, a line break.
    for (const char* path : {"/data/data/x/secret.db", "/storage/emulated/01/a.jpg", "/storage/emulated", "DCIM/a.jpg",
                             "/storage/emulated/0/../../../etc/passwd", "/storage/emulated/0/DCIM/..",
                             "/storage/emulated/0/.", "/storage/emulated/0", "/storage/emulated/0/",
                             "/storage/emulated/0/DCIM/", "/storage/emulated/0/a\nb.jpg"}) {
        EXPECT_EQ(sdcardPathOf(storage, path), "") << path;
    }
    // No usable storage path: nothing can be checked, so nothing is pulled.
    EXPECT_EQ(sdcardPathOf("", dcim), "");
    EXPECT_EQ(sdcardPathOf("ID:XYZ;", "ID:XYZ;/DCIM/a.jpg"), "");
    EXPECT_FALSE(isPlainPhonePath("/storage/../x"));
    EXPECT_TRUE(isPlainPhonePath("/storage/emulated/0"));
}

TEST(MediaRecords, EdgesOfTheReply) {
    // Without "." the record ends at the end of the text; a key not sent is "",
    // unknown keys are ignored, an item without ";" is not read.
    auto* photo = built<MobrelPhotoInfo>(kPhotos, item("OTHER", "x") + item("ID", "5") + "SIZE:3132");
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(photo->id, 5);
    EXPECT_EQ(int64_t{photo->size}, 0);
    ASSERT_NE(photo->title, nullptr);
    EXPECT_STREQ(photo->title, "");
    EXPECT_STREQ(photo->path, "");

    // Only the first record counts.
    photo = built<MobrelPhotoInfo>(kPhotos, item("ID", "1") + "." + item("ID", "2") + item("TILTE", "second") + ".");
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(photo->id, 1);
    EXPECT_STREQ(photo->title, "");

    // Titles are cut to 254 bytes, never inside a character; paths are kept whole.
    const std::string longTitle = std::string(253, 'a') + "é" + "bbb";  // é spans bytes 254 and 255
    const std::string longPath = "/storage/emulated/0/" + std::string(400, 'p');
    photo = built<MobrelPhotoInfo>(kPhotos, item("ID", "9") + item("TILTE", longTitle) + item("PATH", longPath));
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(std::string(photo->title), std::string(253, 'a'));
    EXPECT_EQ(std::string(photo->path), longPath);
    auto* video = built<MobrelVideoInfo>(kVideos, item("ID", "9") + item("DISPLAYNAME", std::string(300, 'd')));
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(std::strlen(video->displayName), 254u);

    // Numbers are 64-bit where the record says so; a number that is no number
    // reads 0; a text ends at its first NUL.
    auto* song = built<MobrelMusicInfo>(kMusic, item("ID", "12") + item("ALBUMID", "3") + item("SIZE", "5000000000"));
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(int64_t{song->size}, 5000000000LL);
    EXPECT_EQ(mediaRecordAlbumId(mediaKindInfo(kMusic), song), 3);
    photo = built<MobrelPhotoInfo>(kPhotos, item("ID", "4") + item("SIZE", "12kB") +
                                                item("TILTE", std::string("a\0b", 3)));
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(int64_t{photo->size}, 0);
    EXPECT_STREQ(photo->title, "a");
}

TEST(MediaRecords, RepliesWithoutAUsableIdAreNoRecords) {
    EXPECT_EQ(parsed(kPhotos, ""), nullptr);
    EXPECT_EQ(parsed(kPhotos, "I"), nullptr);
    EXPECT_EQ(parsed(kPhotos, item("TILTE", "x") + "."), nullptr);
    for (const char* id : {"", "12a", "2147483648", "-2147483649", "1 2", "+3"}) {
        EXPECT_EQ(parsed(kMusic, item("ID", id) + "."), nullptr) << id;
    }
    // A known key whose value is not hex text spoils the record; an unknown one does not.
    EXPECT_EQ(parsed(kPhotos, item("ID", "1") + "SIZE:3a;."), nullptr);
    EXPECT_EQ(parsed(kPhotos, item("ID", "1") + "TILTE:414;."), nullptr);
    EXPECT_NE(parsed(kPhotos, item("ID", "1") + "NAME:zz;."), nullptr);
    auto* lowest = built<MobrelMusicInfo>(kMusic, item("ID", "-2147483648") + ".");
    ASSERT_NE(lowest, nullptr);
    EXPECT_EQ(lowest->id, -2147483647 - 1);
}
