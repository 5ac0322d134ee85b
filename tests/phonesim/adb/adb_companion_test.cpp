// The companion service as a computer reaches it: installed and started with
// the real adb, asked over adb's forward of 127.0.0.1:25803, its files pushed
// and pulled with adb. Both profiles.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <thread>

#include "phonesim_fixture.h"
#include "service_client.h"

namespace {

using mobreltest::Client;
using mobreltest::hex;
using mobreltest::PhoneSim;
using mobreltest::readFile;
using mobreltest::Record;
namespace fs = std::filesystem;

const std::string kComponent = "com.quenlo.mobrelphone/com.quenlo.mobrelphone.ui.MainActivity";

class CompanionThroughAdb : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.start({.dataset = "small", .profile = GetParam()})) << sim.error();
        ASSERT_EQ(sim.adbDevice({"install", PhoneSim::apkPath().string()}).exitCode, 0);
        ASSERT_EQ(sim.adbDevice({"shell", "am", "start", "-n", kComponent}).exitCode, 0);
        ASSERT_EQ(sim.adbDevice({"forward", "tcp:25803", "tcp:20148"}).exitCode, 0);
        client = Client::connect();
        ASSERT_TRUE(client);
        ASSERT_EQ(client->askText("hello-manager;"), "HI-PC");
    }

    // The conversation of a thread id, as the pages list it.
    std::vector<Record> conversation(const std::string& threadId) {
        std::vector<Record> found;
        for (const Record& r : client->allRecords("getsmsCount;", "getsmsPart10")) {
            if (r.at("THREAD_ID") == threadId) found.push_back(r);
        }
        return found;
    }

    PhoneSim sim;
    std::unique_ptr<Client> client;
};

TEST_P(CompanionThroughAdb, PagesContactsFiveAtATimeAndAddsOne) {
    std::set<std::string> ids;
    for (const Record& r : client->allRecords("getcontactCount;", "getcontactpart10")) ids.insert(r.at("CONTACTID"));
    EXPECT_EQ(ids.size(), 40u) << "a contact missing or twice";

    const int64_t id = client->askInt64("AddPerson:" + hex("Zoë 山田") + ":" + hex("+33 6 12 34 56 78") + ";");
    ASSERT_GT(id, 0);
    EXPECT_EQ(client->askInt("UpdatePerson:" + std::to_string(id) + ":" + hex("Notes\nover two lines") + ":NOTE;"), 1);
    const std::vector<Record> contacts = client->allRecords("getcontactCount;", "getcontactpart10");
    ASSERT_EQ(contacts.size(), 41u);
    const Record expected{{"CONTACTID", std::to_string(id)}, {"NAME", "Zoë 山田"},
                          {"PHONE_PHONE", "+33 6 12 34 56 78"}, {"NOTE", "Notes\nover two lines"}};
    EXPECT_EQ(std::count(contacts.begin(), contacts.end(), expected), 1);
}

TEST_P(CompanionThroughAdb, SendsAMessageIntoItsConversationAndDeletesTheConversation) {
    if (GetParam() == "modern") {
        // Android 10 writes messages only for the default messaging app: the simulated user accepts.
        EXPECT_EQ(client->askInt("SetDefaultMessage;"), 1);
        for (int i = 0; i < 100 && client->askText("GetDefaultMessage_pkgName;") != "com.quenlo.mobrelphone"; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    const std::vector<Record> first = client->askRecords("getsmsPart10:0;");
    ASSERT_FALSE(first.empty());
    const std::string address = first[0].at("ADDRESS");
    const std::string threadId = first[0].at("THREAD_ID");
    const size_t before = conversation(threadId).size();

    const std::string body = "Réponse 👍 with a\nsecond line";
    ASSERT_EQ(client->askInt("SendSMS:" + hex(address) + "-" + hex(body) + "-" + hex("2026-12-06 10:00:00") + "-" +
                             hex("1") + "-2D31-" + hex("1") + ";"),
              1);
    const std::vector<Record> after = conversation(threadId);
    ASSERT_EQ(after.size(), before + 1);
    EXPECT_EQ(after.back().at("BODY"), body);
    EXPECT_EQ(after.back().at("TYPE"), "2");  // sent

    EXPECT_EQ(client->askInt("DeleteOneSMS:" + threadId + ";"), 1);
    EXPECT_TRUE(conversation(threadId).empty());
}

TEST_P(CompanionThroughAdb, PushedPhotoIsRegisteredFoundByIndexAndPulledBack) {
    const fs::path local = sim.root() / "holiday.png";
    std::string png;  // one of the sample phone's photos
    for (const auto& entry : fs::recursive_directory_iterator(sim.sdcardPath() / "DCIM")) {
        if (entry.path().extension() == ".png") png = readFile(entry.path());
        if (!png.empty()) break;
    }
    ASSERT_FALSE(png.empty());
    mobreltest::writeFile(local, png);

    ASSERT_EQ(client->askInt("checkFileisExist:holiday.png;"), 0);
    ASSERT_EQ(sim.adbDevice({"push", local.string(), "/sdcard/Images/holiday.png"}).exitCode, 0);
    EXPECT_EQ(client->askInt("checkFileisExist:holiday.png;"), 1);
    ASSERT_EQ(client->askInt("addphototodevice:" + hex("holiday.png") + ";"), 1);

    ASSERT_EQ(client->askInt("flushphotolist;"), 0);
    const int32_t count = client->askInt("getdcimcount;");
    std::string path;
    for (int32_t i = 0; i < count && path.empty(); ++i) {
        const std::vector<Record> item = client->askRecords("getdcimindexinfo:" + std::to_string(i) + ";");
        ASSERT_EQ(item.size(), 1u);
        if (item[0].at("TILTE") == "holiday") path = item[0].at("PATH");
        if (!path.empty()) {
            EXPECT_EQ(client->askText("getfilepathForid:" + item[0].at("ID") + ";"), path);
            EXPECT_EQ(item[0].at("SIZE"), std::to_string(png.size()));
        }
    }
    ASSERT_EQ(path, "/storage/emulated/0/Images/holiday.png");

    const fs::path back = sim.root() / "back.png";
    ASSERT_EQ(sim.adbDevice({"pull", "/sdcard/Images/holiday.png", back.string()}).exitCode, 0);
    EXPECT_EQ(readFile(back), png);
}

INSTANTIATE_TEST_SUITE_P(Profiles, CompanionThroughAdb, ::testing::Values("modern", "legacy"));

}  // namespace
