// The content store on disk: written through at once, undone when a write
// fails, tolerant of lines it cannot read.
#include <gtest/gtest.h>

#include <cjson/cJSON.h>

#include <fstream>

#include "png_check.h"
#include "store/content_store.h"

namespace phonesim::test {
namespace {

namespace fs = std::filesystem;

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "store-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // The "name" members of the records of a store file, read with cJSON directly.
    std::vector<std::string> namesOnDisk() {
        std::vector<std::string> names;
        std::ifstream in(dir / "contacts.jsonl");
        std::string line;
        std::getline(in, line);  // the header
        while (std::getline(in, line)) {
            cJSON* o = cJSON_Parse(line.c_str());
            const cJSON* name = cJSON_GetObjectItemCaseSensitive(o, "name");
            names.push_back(cJSON_IsString(name) ? name->valuestring : "?");
            cJSON_Delete(o);
        }
        return names;
    }
    fs::path dir;
};

Contact named(const std::string& name) {
    Contact c;
    c.fields[kName] = name;
    return c;
}

TEST_F(StoreTest, AFailedWriteIsUndoneAndReported) {
    ContentStore store(dir);
    ASSERT_GT(store.addContact(named("Kept")), 0);
    fs::create_directory(dir / ".contacts.jsonl.part");  // the temporary file cannot be created
    EXPECT_EQ(store.addContact(named("Lost")), 0);
    ASSERT_EQ(store.contacts().size(), 1u);
    EXPECT_EQ(store.contacts()[0].fields[kName], "Kept");
    fs::remove(dir / ".contacts.jsonl.part");
    int64_t id = store.addContact(named("Later \"Ü\""));
    EXPECT_EQ(id, 2);
    EXPECT_TRUE(store.editContact(1, [](Contact& c) {
        c.fields[kName] = "Kept!";
        return true;
    }));
    EXPECT_EQ(namesOnDisk(), (std::vector<std::string>{"Kept!", "Later \"Ü\""}));
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path().extension(), ".jsonl") << "left behind: " << entry.path();
}

TEST_F(StoreTest, MessagesFindTheirConversationAndKeepDateOrder) {
    ContentStore store(dir);
    Message m;
    m.address = "+49 (151) 234-5";
    m.date = 2000;
    int64_t first = store.addMessage(m);
    m.address = "49151 2345";  // the same number, typed differently
    m.date = 1000;
    store.addMessage(m);
    m.address = "777";
    m.date = 1500;
    store.addMessage(m);
    m.address = "INFO777";  // a sender name is not the number 777
    m.date = 3000;
    store.addMessage(m);
    ASSERT_EQ(store.messages().size(), 4u);
    EXPECT_NE(store.messages().back().threadId, store.messages()[1].threadId);
    EXPECT_TRUE(store.deleteThread(store.messages().back().threadId));
    EXPECT_EQ(store.messages()[0].date, 1000);
    EXPECT_EQ(store.messages()[2].id, first);
    EXPECT_EQ(store.messages()[0].threadId, store.messages()[2].threadId);
    EXPECT_NE(store.messages()[1].threadId, store.messages()[0].threadId);
    EXPECT_TRUE(store.deleteThread(store.messages()[0].threadId));
    EXPECT_FALSE(store.deleteThread(999));

    ContentStore reread(dir);
    std::string error;
    ASSERT_TRUE(reread.load(error));
    ASSERT_EQ(reread.messages().size(), 1u);
    EXPECT_EQ(reread.messages()[0].address, "777");
    // The next conversation gets a new id, not one of the deleted conversation.
    m.address = "888";
    reread.addMessage(m);
    EXPECT_EQ(reread.messages().back().threadId, 4);
}

TEST_F(StoreTest, UnreadableLinesAreSkipped) {
    fs::create_directories(dir);
    std::ofstream(dir / "calls.jsonl") << "{\"store\":\"calls\",\"nextId\":10}\n"
                                          "{\"id\":3,\"number\":\"123\",\"date\":5,\"type\":2,\"duration\":9}\n"
                                          "not json at all\n"
                                          "{\"number\":\"no id\"}\n"
                                          "{\"id\":4,\"number\":\"456\",\"date\":\"soon\",\"type\":1}\n";
    ContentStore store(dir);
    std::string error;
    ASSERT_TRUE(store.load(error)) << error;
    ASSERT_EQ(store.calls().size(), 2u);
    EXPECT_EQ(store.calls()[0].id, 3);  // newest first
    EXPECT_EQ(store.calls()[0].duration, 9);
    EXPECT_EQ(store.calls()[1].date, 0);
    EXPECT_EQ(store.addCall(Call{}), 10);
}

}  // namespace
}  // namespace phonesim::test
