// The sample phones: the same bytes on every run, the promised sizes and variety.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <set>

#include "dataset/dataset.h"
#include "png_check.h"
#include "store/content_store.h"

namespace phonesim::test {
namespace {

namespace fs = std::filesystem;

class DatasetTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "dataset-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    // Relative path -> (bytes, modification time) of every file below dir. The
    // media files' times are part of the phone (MODIFTIME); the store files' are not.
    std::map<std::string, std::pair<std::string, int64_t>> snapshot(const fs::path& dir) {
        std::map<std::string, std::pair<std::string, int64_t>> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            if (!entry.is_regular_file()) continue;
            std::string name = fs::relative(entry.path(), dir).generic_string();
            struct stat info {};
            ::stat(entry.path().c_str(), &info);
            int64_t modified = name.rfind("sdcard/", 0) == 0 ? static_cast<int64_t>(info.st_mtime) : 0;
            files[name] = {readFile(entry.path().string()), modified};
        }
        return files;
    }

    fs::path root;
};

TEST_F(DatasetTest, SmallIsTheSameOnEveryRun) {
    std::string error;
    ASSERT_TRUE(generateDataset(root / "a", "small", error)) << error;
    ASSERT_TRUE(generateDataset(root / "b", "small", error)) << error;
    auto a = snapshot(root / "a");
    auto b = snapshot(root / "b");
    EXPECT_GT(a.size(), 55u);
    EXPECT_TRUE(a == b);
    // Generating again over an old phone replaces it entirely.
    fs::create_directories(root / "a" / "sdcard" / "Stale");
    std::ofstream(root / "a" / "sdcard" / "Stale" / "old.txt") << "old";
    ASSERT_TRUE(generateDataset(root / "a", "small", error)) << error;
    EXPECT_TRUE(snapshot(root / "a") == b);
    EXPECT_FALSE(generateDataset(root / "c", "medium", error));
    EXPECT_NE(error.find("medium"), std::string::npos);
}

TEST_F(DatasetTest, SmallHasTheVarietyTheTestsNeed) {
    std::string error;
    ASSERT_TRUE(generateDataset(root, "small", error)) << error;
    ContentStore store(root / "store");
    ASSERT_TRUE(store.load(error)) << error;

    ASSERT_EQ(store.contacts().size(), 40u);
    for (int f = 0; f < kContactFieldCount; ++f) {
        bool used = false;
        for (const Contact& c : store.contacts()) used = used || !c.fields[f].empty();
        EXPECT_TRUE(used) << contactFieldInfo(f).jsonKey;
    }
    std::string allText;
    for (const Contact& c : store.contacts()) allText += c.fields[kName] + c.fields[kNote] + c.fields[kNickname];
    for (const char* sample : {"ü", "小", "🐭", "\n"}) EXPECT_NE(allText.find(sample), std::string::npos) << sample;

    ASSERT_EQ(store.messages().size(), 300u);
    std::map<int64_t, int> perThread;
    std::set<int> types;
    for (const Message& m : store.messages()) {
        ++perThread[m.threadId];
        types.insert(m.type);
    }
    EXPECT_EQ(perThread.size(), 25u);
    int most = 0;
    for (const auto& entry : perThread) most = std::max(most, entry.second);
    EXPECT_GE(most, 50);
    EXPECT_EQ(types, (std::set<int>{1, 2, 3, 4, 5, 6}));

    ASSERT_EQ(store.calls().size(), 150u);
    std::set<int> callTypes;
    std::map<std::string, int> perNumber;
    int privateCalls = 0;
    for (const Call& c : store.calls()) {
        callTypes.insert(c.type);
        if (c.number.empty()) ++privateCalls;
        else ++perNumber[c.number];
    }
    EXPECT_EQ(callTypes.size(), 7u);
    EXPECT_GT(privateCalls, 0);
    EXPECT_LT(perNumber.size(), 150u - static_cast<size_t>(privateCalls));

    std::map<MediaKind, int> perKind;
    std::set<std::pair<uint32_t, uint32_t>> photoSizes;
    for (const MediaItem& m : store.media()) {
        ++perKind[m.kind];
        fs::path file = root / "sdcard" / m.path;
        ASSERT_TRUE(fs::is_regular_file(file)) << m.path;
        if (m.kind != MediaKind::Photo) continue;
        PngPicture picture;
        ASSERT_TRUE(readPng(readFile(file.string()), picture, error)) << m.path << ": " << error;
        photoSizes.insert({picture.width, picture.height});
    }
    EXPECT_EQ(perKind[MediaKind::Photo], 30);
    EXPECT_EQ(perKind[MediaKind::Video], 10);
    EXPECT_EQ(perKind[MediaKind::Music], 15);
    EXPECT_GT(photoSizes.size(), 20u);
}

TEST_F(DatasetTest, LargeHasItsCounts) {
    std::string error;
    ASSERT_TRUE(generateDataset(root, "large", error)) << error;
    ContentStore store(root / "store");
    ASSERT_TRUE(store.load(error)) << error;
    EXPECT_EQ(store.contacts().size(), 5000u);
    EXPECT_EQ(store.messages().size(), 20000u);
    EXPECT_EQ(store.calls().size(), 5000u);
    std::set<int64_t> threads;
    for (const Message& m : store.messages()) threads.insert(m.threadId);
    EXPECT_EQ(threads.size(), 1000u);
    int photos = 0;
    for (const MediaItem& m : store.media()) photos += m.kind == MediaKind::Photo ? 1 : 0;
    EXPECT_EQ(photos, 2000);
}

}  // namespace
}  // namespace phonesim::test
