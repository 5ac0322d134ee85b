// The sample phone every test starts with: the same bytes on every run, and its variety.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>

#include "dataset/dataset.h"
#include "store/content_store.h"
#include "test_util.h"

namespace phonesim {
namespace {

namespace fs = std::filesystem;
using mobreltest::readFile;

// Relative path -> (bytes, modification time) below dir; the store files' times are no part of the phone.
std::map<std::string, std::pair<std::string, int64_t>> snapshot(const fs::path& dir) {
    std::map<std::string, std::pair<std::string, int64_t>> files;
    for (const auto& [name, bytes] : mobreltest::treeContents(dir)) {
        struct stat info {};
        ::stat((dir / name).c_str(), &info);
        files[name] = {bytes, name.rfind("sdcard/", 0) == 0 ? static_cast<int64_t>(info.st_mtime) : 0};
    }
    return files;
}

TEST(Dataset, SmallIsTheSameOnEveryRun) {
    mobreltest::TempDir root;
    std::string error;
    ASSERT_TRUE(generateDataset(root.path() / "a", "small", error)) << error;
    ASSERT_TRUE(generateDataset(root.path() / "b", "small", error)) << error;
    const auto b = snapshot(root.path() / "b");
    EXPECT_GT(b.size(), 55u);
    EXPECT_TRUE(snapshot(root.path() / "a") == b);
    // Generating again over an old phone replaces it entirely.
    mobreltest::writeFile(root.path() / "a" / "sdcard" / "Stale" / "old.txt", "old");
    ASSERT_TRUE(generateDataset(root.path() / "a", "small", error)) << error;
    EXPECT_TRUE(snapshot(root.path() / "a") == b);
}

// The variety the other tests rely on to mean something (their counts they check themselves).
TEST(Dataset, SmallHasTheVarietyTheTestsNeed) {
    mobreltest::TempDir root;
    std::string error;
    ASSERT_TRUE(generateDataset(root.path(), "small", error)) << error;
    ContentStore store(root.path() / "store");
    ASSERT_TRUE(store.load(error)) << error;

    std::string texts;
    for (int f = 0; f < kContactFieldCount; ++f) {
        bool used = false;
        for (const Contact& c : store.contacts()) used = used || !c.fields[f].empty();
        EXPECT_TRUE(used) << contactFieldInfo(f).jsonKey;
    }
    for (const Contact& c : store.contacts()) texts += c.fields[kName] + c.fields[kNote] + c.fields[kNickname];
    std::map<int64_t, int> perThread;
    std::set<int> types, callTypes;
    for (const Message& m : store.messages()) {
        ++perThread[m.threadId];
        types.insert(m.type);
        texts += m.body;
    }
    for (const char* sample : {"ü", "小", "🐭", "\n", "ありがとう"}) EXPECT_NE(texts.find(sample), std::string::npos) << sample;
    int most = 0;
    for (const auto& [thread, count] : perThread) most = std::max(most, count);
    EXPECT_GE(most, 50);
    EXPECT_EQ(types, (std::set<int>{1, 2, 3, 4, 5, 6}));
    int privateCalls = 0;
    for (const Call& c : store.calls()) {
        callTypes.insert(c.type);
        privateCalls += c.number.empty();
    }
    EXPECT_EQ(callTypes.size(), 7u);
    EXPECT_GT(privateCalls, 0);

    std::set<std::pair<uint32_t, uint32_t>> photoSizes;
    std::set<std::string> titles;
    int withoutExtension = 0, repeatedTitles = 0;
    for (const MediaItem& m : store.media()) {
        const fs::path file = root.path() / "sdcard" / m.path;
        ASSERT_TRUE(fs::is_regular_file(file)) << m.path;
        if (m.kind != MediaKind::Photo) continue;
        withoutExtension += file.extension().empty();
        repeatedTitles += !titles.insert(m.title).second;
        photoSizes.insert(mobreltest::pngSize(readFile(file)));
    }
    EXPECT_FALSE(photoSizes.count({0, 0})) << "a photo is no whole PNG";
    EXPECT_GT(photoSizes.size(), 20u);
    EXPECT_GT(withoutExtension, 0);
    EXPECT_GT(repeatedTitles, 0);
}

// Edits go in as lines of their own and read back in place; a new message joins the
// conversation of the earliest message of its address, also after one was deleted.
TEST(Store, EditsAndConversationsReadBack) {
    mobreltest::TempDir root;
    std::string error;
    ContentStore store(root.path());
    Contact a, b;
    a.fields[kName] = "A";
    b.fields[kName] = "B";
    const int64_t idA = store.addContact(a), idB = store.addContact(b);
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(store.editContact(idA, [&](Contact& c) { return (c.fields[kNote] = std::to_string(i)), true; }));
    const auto lines = [&] {
        const std::string text = readFile(storeFile(root.path(), Category::Contacts));
        return std::count(text.begin(), text.end(), '\n');
    };
    EXPECT_LE(lines(), 1 + 2 * 2 + 1);  // written whole again once edits outnumber the contacts

    const auto message = [&](const char* address, int64_t date, int64_t thread = 0) {
        Message m;
        m.address = address;
        m.date = date;
        m.threadId = thread;
        return store.addMessage(m);
    };
    message("+49 30 1", 200, 7);
    message("+49 30 1", 100, 8);  // earlier, in a conversation of its own
    message("4930 1", 300);
    store.deleteThread(8);
    message("(49) 30-1", 400);

    ContentStore read(root.path());
    ASSERT_TRUE(read.load(error)) << error;
    ASSERT_EQ(read.contacts().size(), 2u);
    EXPECT_EQ(read.contacts()[0].id, idA);
    EXPECT_EQ(read.contacts()[0].fields[kNote], "6");
    EXPECT_EQ(read.contacts()[1].id, idB);
    std::vector<int64_t> threads;
    for (const Message& m : read.messages()) threads.push_back(m.threadId);
    EXPECT_EQ(threads, (std::vector<int64_t>{7, 7}));  // 300 had joined 8 and went with it; 400 joins 7
}

}  // namespace
}  // namespace phonesim
