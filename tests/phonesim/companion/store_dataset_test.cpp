// The content store on disk (written through at once, undone when a write
// fails, tolerant of lines it cannot read) and the sample phones it starts with
// (the same bytes on every run, the variety the other tests rely on).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <set>

#include "dataset/dataset.h"
#include "png_check.h"
#include "store/content_store.h"
#include "store_files.h"
#include "test_util.h"

namespace phonesim {
namespace {

namespace fs = std::filesystem;
using mobreltest::readFile;

Contact named(const std::string& name) {
    Contact c;
    c.fields[kName] = name;
    return c;
}

bool rename(ContentStore& store, int64_t id, const std::string& name) {
    return store.editContact(id, [&name](Contact& c) {
        c.fields[kName] = name;
        return true;
    });
}

// Files of this process may grow only this far, as on a full disk: a write
// past the limit fails (SIGXFSZ ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : oldSignal_(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        const rlimit limit{bytes, old_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldSignal_);
    }

private:
    void (*oldSignal_)(int);
    rlimit old_{};
};

TEST(Store, AFailedWriteIsUndoneAndReported) {
    mobreltest::TempDir dir;
    ContentStore store(dir.path());
    ASSERT_GT(store.addContact(named("Kept")), 0);
    const fs::path file = dir.path() / "contacts.jsonl";
    const std::string before = readFile(file);
    {
        FileSizeLimit full(before.size() + 5);  // room for a few bytes of the next line only
        EXPECT_EQ(store.addContact(named("Lost")), 0);
    }
    EXPECT_EQ(readFile(file), before) << "part of a line that did not go in stayed";
    ASSERT_EQ(store.contacts().size(), 1u);
    fs::create_directory(dir.path() / ".contacts.jsonl.part");  // the temporary file cannot be made
    EXPECT_FALSE(rename(store, 1, "Edit lost"));
    EXPECT_EQ(store.contacts()[0].fields[kName], "Kept");
    fs::remove(dir.path() / ".contacts.jsonl.part");
    EXPECT_EQ(store.addContact(named("Later \"Ü\"")), 2);
    EXPECT_TRUE(rename(store, 1, "Kept!"));
    std::vector<std::string> onDisk;
    for (const auto& r : mobreltest::readStore(dir.path(), "contacts")) onDisk.push_back(r.text("name").value_or("?"));
    EXPECT_EQ(onDisk, (std::vector<std::string>{"Kept!", "Later \"Ü\""}));
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().extension(), ".jsonl") << "left behind: " << entry.path();
}

TEST(Store, MessagesFindTheirConversationAndKeepDateOrder) {
    mobreltest::TempDir dir;
    ContentStore store(dir.path());
    Message m;
    // The same number typed two ways; a sender name is not the number 777.
    const std::vector<std::pair<std::string, int64_t>> arriving = {
        {"+49 (151) 234-5", 2000}, {"49151 2345", 1000}, {"777", 1500}, {"INFO777", 3000}};
    int64_t first = 0;
    for (const auto& [address, date] : arriving) {
        m.address = address;
        m.date = date;
        const int64_t id = store.addMessage(m);
        if (!first) first = id;
    }
    ASSERT_EQ(store.messages().size(), 4u);
    EXPECT_NE(store.messages().back().threadId, store.messages()[1].threadId);
    EXPECT_TRUE(store.deleteThread(store.messages().back().threadId));
    EXPECT_EQ(store.messages()[0].date, 1000);
    EXPECT_EQ(store.messages()[2].id, first);
    EXPECT_EQ(store.messages()[0].threadId, store.messages()[2].threadId);
    EXPECT_NE(store.messages()[1].threadId, store.messages()[0].threadId);
    EXPECT_TRUE(store.deleteThread(store.messages()[0].threadId));
    EXPECT_FALSE(store.deleteThread(999));

    ContentStore reread(dir.path());
    std::string error;
    ASSERT_TRUE(reread.load(error));
    ASSERT_EQ(reread.messages().size(), 1u);
    EXPECT_EQ(reread.messages()[0].address, "777");
    m.address = "888";  // the next conversation gets a new id, not one of a deleted conversation
    reread.addMessage(m);
    EXPECT_EQ(reread.messages().back().threadId, 4);
}

TEST(Store, UnreadableLinesAreSkipped) {
    mobreltest::TempDir dir;
    mobreltest::writeFile(dir.path() / "calls.jsonl", "{\"store\":\"calls\",\"nextId\":10}\n"
                                                      "{\"id\":3,\"number\":\"123\",\"date\":5,\"type\":2,\"duration\":9}\n"
                                                      "not json at all\n"
                                                      "{\"number\":\"no id\"}\n"
                                                      "{\"id\":4,\"number\":\"456\",\"date\":\"soon\",\"type\":1}\n"
                                                      "{\"id\":5,\"num");  // a run that ended mid-write
    ContentStore store(dir.path());
    std::string error;
    ASSERT_TRUE(store.load(error)) << error;
    ASSERT_EQ(store.calls().size(), 2u);
    EXPECT_EQ(store.calls()[0].id, 3);  // newest first
    EXPECT_EQ(store.calls()[0].duration, 9);
    EXPECT_EQ(store.calls()[1].date, 0);
    EXPECT_EQ(store.addCall(Call{}), 10);
    ContentStore reread(dir.path());
    ASSERT_TRUE(reread.load(error)) << error;
    EXPECT_EQ(reread.calls().size(), 3u) << "the added call went into the unfinished line";
}

// Relative path -> (bytes, modification time) of every file below dir. The
// media files' times are part of the phone (MODIFTIME); the store files' are not.
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
    EXPECT_FALSE(generateDataset(root.path() / "c", "medium", error));
    EXPECT_NE(error.find("medium"), std::string::npos);
}

TEST(Dataset, SmallHasTheVarietyTheTestsNeed) {
    mobreltest::TempDir root;
    std::string error;
    ASSERT_TRUE(generateDataset(root.path(), "small", error)) << error;
    ContentStore store(root.path() / "store");
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
    std::string bodies;
    for (const Message& m : store.messages()) {
        ++perThread[m.threadId];
        types.insert(m.type);
        bodies += m.body;
    }
    for (const char* sample : {"\n", "\xF0\x9F", "ありがとう"}) EXPECT_NE(bodies.find(sample), std::string::npos) << sample;
    EXPECT_EQ(perThread.size(), 25u);
    int most = 0;
    for (const auto& entry : perThread) most = std::max(most, entry.second);
    EXPECT_GE(most, 50);
    EXPECT_EQ(types, (std::set<int>{1, 2, 3, 4, 5, 6}));

    ASSERT_EQ(store.calls().size(), 150u);
    std::set<int> callTypes;
    std::set<std::string> numbers;
    int privateCalls = 0;
    for (const Call& c : store.calls()) {
        callTypes.insert(c.type);
        if (c.number.empty()) ++privateCalls;
        else numbers.insert(c.number);
    }
    EXPECT_EQ(callTypes.size(), 7u);
    EXPECT_GT(privateCalls, 0);
    EXPECT_LT(numbers.size(), 150u - static_cast<size_t>(privateCalls));  // numbers shared by several calls

    std::map<MediaKind, int> perKind;
    std::set<std::pair<uint32_t, uint32_t>> photoSizes;
    std::set<std::string> titles;
    int withoutExtension = 0, repeatedTitles = 0;
    for (const MediaItem& m : store.media()) {
        ++perKind[m.kind];
        const fs::path file = root.path() / "sdcard" / m.path;
        ASSERT_TRUE(fs::is_regular_file(file)) << m.path;
        if (m.kind != MediaKind::Photo) continue;
        withoutExtension += file.extension().empty();
        repeatedTitles += !titles.insert(m.title).second;
        mobreltest::PngPicture picture;
        ASSERT_TRUE(mobreltest::readPng(readFile(file), picture, error)) << m.path << ": " << error;
        photoSizes.insert({picture.width, picture.height});
    }
    EXPECT_EQ(perKind[MediaKind::Photo], 30);
    EXPECT_EQ(perKind[MediaKind::Video], 10);
    EXPECT_EQ(perKind[MediaKind::Music], 15);
    EXPECT_GT(photoSizes.size(), 20u);
    EXPECT_GT(withoutExtension, 0);
    EXPECT_GT(repeatedTitles, 0);
}

}  // namespace
}  // namespace phonesim
