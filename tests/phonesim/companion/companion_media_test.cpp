// Photos, videos and music: lists, index records, uploads, thumbnails, deletes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <set>

#include "png_check.h"
#include "service_client.h"

namespace phonesim::test {
namespace {

namespace fs = std::filesystem;

struct Kind {
    const char* flush;
    const char* count;
    const char* index;
    const char* thumbnail;  // with ":%d" (and ":%d" album for music) appended
    const char* remove;
    const char* exists;
    const char* add;
    const char* path;
    const char* folder;
    std::set<std::string> keys;
};

const Kind kPhotos{"flushphotolist;", "getdcimcount;", "getdcimindexinfo:", "getdcimthumb2:", "deletephoto:",
                   "checkFileisExist:", "addphototodevice:", "getfilepathForid:", "Images",
                   {"ID", "TILTE", "PATH", "SIZE", "MODIFTIME", "CREATETIME"}};
const Kind kVideos{"flushvideolist;", "getvideocount;", "getvideoindexinfo:", "getvideothumb2:",
                   "deletevideofromdevice:", "checkVideoFileisExist:", "addvideotodevice:", "GetVideoPathById:",
                   "Videos", {"ID", "TILTE", "DISPLAYNAME", "PATH", "DURATION", "SIZE", "MODIFTIME", "CREATETIME"}};
const Kind kMusic{"flushmusiclist;", "getmusiccount;", "getmusicindexinfo:", "getmusicthumb2:", "deletemusic:",
                  "checkMusicFileisExist:", "addmusictodevice:", "GetMusicPathById:", "Music",
                  {"ID", "ALBUMID", "TILTE", "ALBUM", "ARTIST", "PATH", "DURATION", "SIZE", "MODIFTIME", "CREATETIME"}};

class MediaTest : public CompanionTest {
protected:
    fs::path hostOf(const std::string& devicePath) {
        const std::string prefix = "/storage/emulated/0/";
        EXPECT_EQ(devicePath.compare(0, prefix.size(), prefix), 0) << devicePath;
        return sdcard() / devicePath.substr(prefix.size());
    }

    std::vector<Record> list(Client& client, const Kind& kind) {
        EXPECT_EQ(client.askInt(kind.flush), 0);
        int32_t count = client.askInt(kind.count);
        std::vector<Record> items;
        for (int32_t i = 0; i < count; ++i) {
            std::optional<std::string> body = client.ask(kind.index + std::to_string(i) + ";");
            EXPECT_TRUE(body && body->size() <= 1023);
            std::vector<Record> one = parseRecords(body.value_or("")).value_or(std::vector<Record>{});
            EXPECT_EQ(one.size(), 1u) << body.value_or("");
            if (one.size() == 1) items.push_back(one[0]);
        }
        EXPECT_EQ(client.ask(kind.index + std::to_string(count) + ";"), std::optional<std::string>(""));
        EXPECT_EQ(client.ask(kind.index + std::string("-1;")), std::optional<std::string>(""));
        return items;
    }

    std::string thumbnailCommand(const Kind& kind, const Record& item) {
        std::string command = kind.thumbnail + item.at("ID");
        if (item.count("ALBUMID")) command += ":" + item.at("ALBUMID");
        return command + ";";
    }
};

TEST_F(MediaTest, IndexRecordsDescribeTheFiles) {
    start();
    auto client = connect();
    for (const Kind* kind : {&kPhotos, &kVideos, &kMusic}) {
        std::vector<Record> items = list(*client, *kind);
        EXPECT_EQ(items.size(), kind == &kPhotos ? 30u : kind == &kVideos ? 10u : 15u);
        std::set<std::string> ids, titles;
        bool duplicateTitle = false, withoutExtension = false;
        for (const Record& item : items) {
            std::set<std::string> keys;
            for (const auto& entry : item) keys.insert(entry.first);
            EXPECT_EQ(keys, kind->keys);
            ids.insert(item.at("ID"));
            duplicateTitle = duplicateTitle || !titles.insert(item.at("TILTE")).second;
            fs::path host = hostOf(item.at("PATH"));
            withoutExtension = withoutExtension || !host.has_extension();
            struct stat info {};
            ASSERT_EQ(::stat(host.c_str(), &info), 0) << host;
            EXPECT_EQ(item.at("SIZE"), std::to_string(info.st_size));
            EXPECT_EQ(item.at("MODIFTIME"), std::to_string(info.st_mtime));
            EXPECT_GT(std::stoll(item.at("CREATETIME")), 1000000000LL);
            if (kind != &kPhotos) {
                EXPECT_GT(std::stoll(item.at("DURATION")), 0);
            }
            if (kind == &kVideos) {
                EXPECT_EQ(item.at("DISPLAYNAME"), host.filename().string());
            }
            EXPECT_EQ(client->askText(kind->path + item.at("ID") + ";"), item.at("PATH"));
        }
        EXPECT_EQ(ids.size(), items.size());
        EXPECT_TRUE(duplicateTitle) << kind->folder;
        EXPECT_TRUE(withoutExtension) << kind->folder;
    }
    EXPECT_EQ(client->ask("getfilepathForid:99999;"), std::optional<std::string>(""));
}

TEST_F(MediaTest, SongsOfOneAlbumShareItsId) {
    start();
    auto client = connect();
    std::map<std::string, std::set<std::string>> idsPerAlbum;
    for (const Record& song : list(*client, kMusic)) idsPerAlbum[song.at("ALBUM")].insert(song.at("ALBUMID"));
    EXPECT_GT(idsPerAlbum.size(), 1u);
    for (const auto& [album, ids] : idsPerAlbum) EXPECT_EQ(ids.size(), 1u) << album;
}

TEST_F(MediaTest, ThumbnailsAreRealPngFilesAndNeverMedia) {
    start();
    auto client = connect();
    for (const Kind* kind : {&kPhotos, &kVideos, &kMusic}) {
        std::vector<Record> items = list(*client, *kind);
        ASSERT_GE(items.size(), 2u);
        fs::path tmp = sdcard() / kind->folder / "tmp.png";
        std::string first;
        for (size_t i = 0; i < 2; ++i) {
            ASSERT_EQ(client->askInt(thumbnailCommand(*kind, items[i])), 0);
            PngPicture picture;
            std::string why;
            std::string bytes = readFile(tmp.string());
            ASSERT_TRUE(readPng(bytes, picture, why)) << kind->folder << ": " << why;
            EXPECT_GE(picture.width, 16u);
            EXPECT_EQ(picture.rgb.size(), static_cast<size_t>(picture.width) * picture.height * 3);
            if (i == 0) first = bytes;
        }
        EXPECT_NE(readFile(tmp.string()), first) << kind->folder << ": two items, one picture";
        // The thumbnail file is not a medium, and its name is never free for an upload.
        EXPECT_EQ(list(*client, *kind).size(), items.size());
        EXPECT_EQ(client->askInt(kind->exists + std::string("tmp.png;")), 1);
        EXPECT_EQ(client->askInt(kind->add + hex("tmp.png") + ";"), 0);
        // Unknown id: 1 and no file.
        EXPECT_EQ(client->askInt(kind->thumbnail + std::string("987654;")), 1);
        EXPECT_FALSE(fs::exists(tmp));
    }
    Faults faults;
    faults.noThumbnails = true;
    setFaults(faults);
    std::vector<Record> photos = list(*client, kPhotos);
    EXPECT_EQ(client->askInt(thumbnailCommand(kPhotos, photos[0])), 1);
    EXPECT_FALSE(fs::exists(sdcard() / "Images" / "tmp.png"));
}

TEST_F(MediaTest, UploadRegisterFindAndDelete) {
    start();
    auto client = connect();
    for (const Kind* kind : {&kPhotos, &kVideos, &kMusic}) {
        size_t before = list(*client, *kind).size();
        const std::string name = "Ferien Ähre 🎉.bin";
        EXPECT_EQ(client->askInt(kind->exists + name + ";"), 0);
        EXPECT_EQ(client->askInt(kind->add + hex(name) + ";"), 0);  // not pushed yet
        {
            std::ofstream out(sdcard() / kind->folder / name, std::ios::binary);
            out << "pushed bytes";
        }
        EXPECT_EQ(client->askInt(kind->exists + name + ";"), 1);
        EXPECT_EQ(client->askInt(kind->add + hex(name) + ";"), 1);
        EXPECT_EQ(client->askInt(kind->add + hex(name) + ";"), 1);  // again: still one item
        std::vector<Record> items = list(*client, *kind);
        ASSERT_EQ(items.size(), before + 1);
        const Record* added = nullptr;
        for (const Record& item : items) {
            if (item.at("PATH") == std::string("/storage/emulated/0/") + kind->folder + "/" + name) added = &item;
        }
        ASSERT_NE(added, nullptr);
        EXPECT_EQ(added->at("TILTE"), "Ferien Ähre 🎉");
        EXPECT_EQ(added->at("SIZE"), "12");
        EXPECT_EQ(client->askText(kind->path + added->at("ID") + ";"), added->at("PATH"));
        EXPECT_EQ(client->askInt(thumbnailCommand(*kind, *added)), 0);

        EXPECT_EQ(client->askInt(kind->remove + added->at("ID") + ";"), 1);
        EXPECT_FALSE(fs::exists(sdcard() / kind->folder / name));
        EXPECT_EQ(client->askInt(kind->remove + added->at("ID") + ";"), 0);
        EXPECT_EQ(client->ask(kind->path + added->at("ID") + ";"), std::optional<std::string>(""));
        EXPECT_EQ(list(*client, *kind).size(), before);
    }
}

TEST_F(MediaTest, NamesNeverLeaveTheUploadFolder) {
    start();
    auto client = connect();
    {
        std::ofstream out(sdcard() / "outside.png", std::ios::binary);
        out << "x";
    }
    const std::vector<std::string> names = {"../outside.png", "..", "sub/x.png", "/etc/passwd", "",
                                            std::string("a\0b.png", 7)};
    for (const std::string& name : names) {
        EXPECT_EQ(client->askInt("checkFileisExist:" + name + ";"), 0) << name;
        EXPECT_EQ(client->askInt("addphototodevice:" + hex(name) + ";"), 0) << name;
    }
    EXPECT_EQ(client->askInt("addphototodevice:" + hex("../../store/contacts.jsonl") + ";"), 0);
    EXPECT_EQ(client->askInt("addphototodevice:ZZ;"), 0);
    EXPECT_EQ(list(*client, kPhotos).size(), 30u);
}

TEST_F(MediaTest, FlushDropsItemsWhoseFileIsGoneAndPersists) {
    start();
    {
        auto client = connect();
        std::vector<Record> photos = list(*client, kPhotos);
        fs::remove(hostOf(photos[4].at("PATH")));
        EXPECT_EQ(list(*client, kPhotos).size(), 29u);
        // A long name still gives a record that fits the client's buffer (the title is shortened).
        std::string longName;
        while (longName.size() < 240) longName += "Ü";
        longName += ".png";
        std::ofstream(sdcard() / "Images" / longName) << "x";
        EXPECT_EQ(client->askInt("addphototodevice:" + hex(longName) + ";"), 1);
    }
    start();
    auto client = connect();
    std::vector<Record> photos = list(*client, kPhotos);
    ASSERT_EQ(photos.size(), 30u);
    std::string longName;
    while (longName.size() < 240) longName += "Ü";
    EXPECT_EQ(photos.back().at("PATH"), "/storage/emulated/0/Images/" + longName + ".png");
    EXPECT_LT(photos.back().at("TILTE").size(), longName.size());
}

}  // namespace
}  // namespace phonesim::test
