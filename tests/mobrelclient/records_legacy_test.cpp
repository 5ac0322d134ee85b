// Writing messages on an Android 4.3 phone: no default-messaging-app role is
// needed there, so writes and deletes work without asking for it.
#include <gtest/gtest.h>

#include "library_e2e.h"
#include "library_records.h"
#include "mobrelclient.h"
#include "store_files.h"

using namespace mobreltest;

TEST(LegacyPhone, WritesMessagesWithoutTheRole) {
    PhoneSim sim;
    ASSERT_TRUE(bringUp(sim, {.dataset = "small", .profile = "legacy"}));
    MobrelDeviceInfo info {};
    ASSERT_EQ(MobrelApi_GetAndroidDevicesInfo(&info, 0), 0);
    EXPECT_STREQ(info.androidVersion, "4.3");
    EXPECT_EQ(MobrelApi_CheckDefaultMessangeOK(), -1);

    // A reply into the first conversation, chosen by the phone from the address.
    const auto before = storeById(sim.storePath(), "messages");
    const StoreRecord& firstMessage = before.begin()->second;
    // Unread, received, after every message of the dataset.
    SmsToAdd toAdd{*firstMessage.text("address"), "Antwort auf dem alten Telefon ✓", "2030-01-01 08:00:00", "0", "0"};
    MobrelSms message = toAdd.record();
    EXPECT_EQ(MobrelApi_AddSMS(&message), 1);

    const auto after = storeById(sim.storePath(), "messages");
    ASSERT_EQ(after.size(), before.size() + 1);
    const StoreRecord& stored = after.rbegin()->second;
    const std::string thread = std::to_string(stored.number("thread"));
    EXPECT_EQ(thread, std::to_string(firstMessage.number("thread")));
    EXPECT_EQ(stored.number("type"), 1);
    EXPECT_EQ(stored.number("read"), 0);

    // Read back whole, as the last message of its conversation.
    ASSERT_EQ(MobrelApi_FlushSMS(), 0);
    EXPECT_TRUE(sameGroups(libraryConversations(), storeConversations(sim.storePath())));

    EXPECT_EQ(MobrelApi_DeleteSMS(thread.c_str()), 1);
    for (const auto& [id, record] : storeById(sim.storePath(), "messages")) {
        EXPECT_NE(std::to_string(record.number("thread")), thread) << "message " << id << " left";
    }
}
