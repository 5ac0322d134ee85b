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

// A record of a copy of the reply (cut in place); kept listed, since records are never freed.
template <typename Record = void>
Record* parsed(ItemType kind, std::string reply) {
    static auto* kept = new std::vector<void*>();
    void* record = parseMediaRecord(mediaKindInfo(kind), reply.data());
    if (record) kept->push_back(record);
    return static_cast<Record*>(record);
}

}  // namespace

TEST(MediaNames, NumberedNames) {
    EXPECT_EQ(numberedName("archive.tar.gz", 3), "archive.tar(3).gz");
    EXPECT_EQ(numberedName("clip.averyveryverylongextension", 1), "clip(1).averyveryverylongextension");
    EXPECT_EQ(numberedName(".nomedia", 9), ".nomedia(9)");  // a leading dot is part of the name
    EXPECT_EQ(numberedName("trailing.", 1), "trailing(1).");
}

TEST(MediaPaths, ExportPathsStayInsideTheExternalStorage) {
    const std::string storage = "/storage/emulated/0";
    EXPECT_EQ(sdcardPathOf(storage, storage + "/DCIM/a.jpg"), "/sdcard/DCIM/a.jpg");
    EXPECT_EQ(sdcardPathOf(storage + "/", storage + "/DCIM/a.jpg"), "/sdcard/DCIM/a.jpg");
    EXPECT_EQ(sdcardPathOf(storage, storage + "/Images/it's \"x\" y.png"), "/sdcard/Images/it's \"x\" y.png");
    // Refused rather than cut: another prefix or one that only starts alike, dot
    // components, the storage itself, a folder, a line break; no usable storage path.
    for (const auto& [base, path] : std::vector<std::pair<std::string, std::string>>{
             {storage, "/data/data/x/secret.db"}, {storage, "/storage/emulated/01/a.jpg"}, {storage, "/storage/emulated"},
             {storage, "DCIM/a.jpg"}, {storage, storage + "/../../../etc/passwd"}, {storage, storage + "/DCIM/.."},
             {storage, storage + "/."}, {storage, storage}, {storage, storage + "/"}, {storage, storage + "/DCIM/"},
             {storage, storage + "/a\nb.jpg"}, {"", storage + "/DCIM/a.jpg"}, {"ID:XYZ;", "ID:XYZ;/DCIM/a.jpg"}}) {
        EXPECT_EQ(sdcardPathOf(base, path), "") << base << " " << path;
    }
    EXPECT_FALSE(isPlainPhonePath("/storage/../x"));
    EXPECT_TRUE(isPlainPhonePath(storage));
}

TEST(MediaRecords, EdgesOfTheReply) {
    // No "." ends at the end of the text; a key not sent is "", unknown keys are
    // ignored, an item without ";" is not read.
    auto* photo = parsed<MobrelPhotoInfo>(kPhotos, item("OTHER", "x") + item("ID", "5") + "SIZE:3132");
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(photo->id, 5);
    EXPECT_EQ(int64_t{photo->size}, 0);
    ASSERT_NE(photo->title, nullptr);
    EXPECT_STREQ(photo->title, "");
    EXPECT_STREQ(photo->path, "");
    // Only the first record counts.
    photo = parsed<MobrelPhotoInfo>(kPhotos, item("ID", "1") + "." + item("ID", "2") + item("TILTE", "second") + ".");
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(photo->id, 1);
    EXPECT_STREQ(photo->title, "");
    // Titles are cut to 254 bytes, never inside a character (é spans bytes 254 and 255); paths are whole.
    const std::string longPath = "/storage/emulated/0/" + std::string(400, 'p');
    photo = parsed<MobrelPhotoInfo>(kPhotos, item("ID", "9") + item("TILTE", std::string(253, 'a') + "ébbb") +
                                                 item("PATH", longPath));
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(std::string(photo->title), std::string(253, 'a'));
    EXPECT_EQ(std::string(photo->path), longPath);
    auto* video = parsed<MobrelVideoInfo>(kVideos, item("ID", "9") + item("DISPLAYNAME", std::string(300, 'd')));
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(std::strlen(video->displayName), 254u);
    // 64-bit numbers; a number that is no number reads 0; a text ends at its first NUL.
    auto* song = parsed<MobrelMusicInfo>(kMusic, item("ID", "12") + item("ALBUMID", "3") + item("SIZE", "5000000000"));
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(int64_t{song->size}, 5000000000LL);
    EXPECT_EQ(mediaRecordAlbumId(mediaKindInfo(kMusic), song), 3);
    photo = parsed<MobrelPhotoInfo>(kPhotos, item("ID", "4") + item("SIZE", "12kB") + item("TILTE", std::string("a\0b", 3)));
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(int64_t{photo->size}, 0);
    EXPECT_STREQ(photo->title, "a");
    auto* lowest = parsed<MobrelMusicInfo>(kMusic, item("ID", "-2147483648") + ".");
    ASSERT_NE(lowest, nullptr);
    EXPECT_EQ(lowest->id, -2147483647 - 1);
}

// No usable id, or a known key whose value is not hex text: no record. An unknown key does not spoil it.
TEST(MediaRecords, RepliesWithoutAUsableIdAreNoRecords) {
    for (const std::string& reply : {std::string(), std::string("I"), item("TILTE", "x") + ".",
                                     item("ID", "1") + "SIZE:3a;.", item("ID", "1") + "TILTE:414;."}) {
        EXPECT_EQ(parsed(kPhotos, reply), nullptr) << reply;
    }
    for (const char* id : {"", "12a", "2147483648", "-2147483649", "1 2", "+3"}) {
        EXPECT_EQ(parsed(kMusic, item("ID", id) + "."), nullptr) << id;
    }
    EXPECT_NE(parsed(kPhotos, item("ID", "1") + "NAME:zz;."), nullptr);
}
