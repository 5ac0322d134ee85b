// The companion service as a computer reaches it: installed and started with
// the real adb, asked over adb's forward of 127.0.0.1:25803, its files pushed
// and pulled with adb. Both profiles.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "phonesim_fixture.h"
#include "../companion/service_client.h"

namespace {

using mobreltest::PhoneSim;
using phonesim::test::Client;
using phonesim::test::hex;
using phonesim::test::Record;
namespace fs = std::filesystem;

const std::string kComponent = "com.quenlo.mobrelphone/com.quenlo.mobrelphone.ui.MainActivity";

std::unique_ptr<Client> connectForward() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(25803);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return std::make_unique<Client>(fd);
}

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class CompanionThroughAdb : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.start({.dataset = "small", .profile = GetParam()})) << sim.error();
        ASSERT_EQ(sim.adbDevice({"install", PhoneSim::apkPath().string()}).exitCode, 0);
        ASSERT_EQ(sim.adbDevice({"shell", "am", "start", "-n", kComponent}).exitCode, 0);
        ASSERT_EQ(sim.adbDevice({"forward", "tcp:25803", "tcp:20148"}).exitCode, 0);
        client = connectForward();
        ASSERT_EQ(client->askText("hello-manager;"), "HI-PC");
    }

    // The conversation of a thread id, as the pages list it.
    std::vector<Record> conversation(const std::string& threadId) {
        std::vector<Record> found;
        const int32_t count = client->askInt("getsmsCount;");
        for (int32_t at = 0; at < count; at += 5) {
            for (const Record& r : client->askRecords("getsmsPart10:" + std::to_string(at) + ";")) {
                if (r.at("THREAD_ID") == threadId) found.push_back(r);
            }
        }
        return found;
    }

    PhoneSim sim;
    std::unique_ptr<Client> client;
};

TEST_P(CompanionThroughAdb, PagesContactsFiveAtATimeAndAddsOne) {
    const int32_t count = client->askInt("getcontactCount;");
    ASSERT_EQ(count, 40);
    std::vector<std::string> ids;
    for (int32_t at = 0; at < count; at += 5) {
        const std::vector<Record> page = client->askRecords("getcontactpart10:" + std::to_string(at) + ";");
        ASSERT_EQ(page.size(), 5u) << "page at " << at;
        for (const Record& r : page) ids.push_back(r.at("CONTACTID"));
    }
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), 40u) << "a contact came twice";

    const int64_t id = client->askInt64("AddPerson:" + hex("Zoë 山田") + ":" + hex("+33 6 12 34 56 78") + ";");
    ASSERT_GT(id, 0);
    EXPECT_EQ(client->askInt("UpdatePerson:" + std::to_string(id) + ":" + hex("Notes\nover two lines") + ":NOTE;"), 1);
    ASSERT_EQ(client->askInt("getcontactCount;"), 41);
    bool seen = false;
    for (int32_t at = 0; at < 41; at += 5) {
        for (const Record& r : client->askRecords("getcontactpart10:" + std::to_string(at) + ";")) {
            if (r.at("CONTACTID") != std::to_string(id)) continue;
            seen = true;
            EXPECT_EQ(r.at("NAME"), "Zoë 山田");
            EXPECT_EQ(r.at("PHONE_PHONE"), "+33 6 12 34 56 78");
            EXPECT_EQ(r.at("NOTE"), "Notes\nover two lines");
        }
    }
    EXPECT_TRUE(seen);
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
    std::ofstream(local, std::ios::binary) << png;

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
