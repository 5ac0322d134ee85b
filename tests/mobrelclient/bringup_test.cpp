// The device facts reply and the Android version test, as the phone's texts reach them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "bringup.h"
#include "hex.h"

using namespace mobrel;

namespace {

// Parsed into a packed record at an odd address over old bytes; numbers read by value.
MobrelDeviceInfo parsed(std::string reply) {
    alignas(8) char storage[sizeof(MobrelDeviceInfo) + 1];
    auto* facts = reinterpret_cast<MobrelDeviceInfo*>(storage + 1);
    std::memset(facts, 0x5A, sizeof *facts);
    parseDeviceFacts(&reply[0], *facts);
    MobrelDeviceInfo copy;
    std::memcpy(&copy, facts, sizeof copy);
    return copy;
}

std::string item(const char* key, const std::string& text) { return std::string(key) + ":" + hexEncode(text) + ";"; }

}  // namespace

TEST(VersionAtLeast44, ReadsMajorAndMinorWithoutOverflow) {
    const std::pair<std::string, int> cases[] = {
        {"4.3\r\n", 0}, {"4.4.2\n", 1}, {"10", 1},  {"2.3.7", 0},  {"4.3.9.9", 0}, {"garbage", 0}, {"", 0}, {".9", 0},
        {"4 .4", 1},    {"v4.4-r1", 1}, {"0.44", 1}, {"99999999999999999999999.99999999999999999999", 1},
        {std::string(5000, '9'), 1}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(versionAtLeast44(text.c_str()), expected) << '"' << text << '"';
}

TEST(ParseDeviceFacts, OddRepliesStayInOneRecord) {
    // Full stops between items, unknown keys, a key sent twice (the last wins): one record from zero.
    const MobrelDeviceInfo one = parsed(item("BRAND", "first") + "." + "MEMTOTAL:100;." + item("COLOR", "red") +
                                        item("MODEL", "M") + ".." + item("BRAND", "second") + ".");
    EXPECT_STREQ(one.brand, "second");
    EXPECT_STREQ(one.model, "M");
    EXPECT_EQ(int64_t{one.memTotal}, 100);
    EXPECT_EQ(int64_t{one.memAvail}, 0);
    EXPECT_EQ(one.serial[0], '\0');

    const MobrelDeviceInfo facts =
        parsed(item("BRAND", std::string(200, 'B')) + item("MODEL", std::string("ab\0cd", 5)) +
               "SERIAL:7;MEMAVAIL:99999999999999999999999999;PHONETOTAL:12a;ANDROIDVERSION:" + hexEncode("lost"));
    EXPECT_EQ(std::string(facts.brand), std::string(63, 'B'));
    EXPECT_STREQ(facts.model, "ab");
    EXPECT_STREQ(facts.serial, "p") << "a lone digit is the high nibble";
    EXPECT_EQ(int64_t{facts.phoneTotal}, 12 * 10 + ('a' - '0')) << "every character counts as its code minus '0'";
    EXPECT_NE(int64_t{facts.memAvail}, 0) << "a number too long wraps, it does not trap";
    EXPECT_STREQ(facts.androidVersion, "") << "an item without its \";\" is not read";
}
