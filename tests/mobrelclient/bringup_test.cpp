// The device facts reply and the Android version test, as the phone's texts
// reach them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "bringup.h"
#include "hex.h"

using namespace mobrel;

namespace {

// The record is byte-packed and may lie at any address (in the library context
// it does): parse into one at an odd address. Its numbers are read by value
// (int64_t{...}), never bound to a reference.
MobrelDeviceInfo parsed(std::string reply) {
    alignas(8) char storage[sizeof(MobrelDeviceInfo) + 1];
    auto* facts = reinterpret_cast<MobrelDeviceInfo*>(storage + 1);
    std::memset(facts, 0x5A, sizeof *facts);  // whatever an earlier bring-up left
    parseDeviceFacts(&reply[0], *facts);
    MobrelDeviceInfo copy;
    std::memcpy(&copy, facts, sizeof copy);
    return copy;
}

std::string hexItem(const char* key, const std::string& text) { return std::string(key) + ":" + hexEncode(text) + ";"; }

}  // namespace

TEST(VersionAtLeast44, ReadsMajorAndMinorWithoutOverflow) {
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"4.3\r\n", 0}, {"4.4.2\n", 1}, {"10", 1}, {"2.3.7", 0}, {"4.3.9.9", 0}, {"garbage", 0},
        {"", 0},        {".9", 0},      {"4 .4", 1}, {"v4.4-r1", 1}, {"0.44", 1},
    };
    for (const Case& c : cases) EXPECT_EQ(versionAtLeast44(c.text), c.expected) << '"' << c.text << '"';
    // Huge numbers do not overflow.
    EXPECT_EQ(versionAtLeast44("99999999999999999999999.99999999999999999999"), 1);
    EXPECT_EQ(versionAtLeast44(std::string(5000, '9').c_str()), 1);
}

// (A whole record of each kind of phone is the end-to-end tests' part.)
TEST(ParseDeviceFacts, OddRepliesStayInOneRecord) {
    // Full stops between items, unknown keys, a key sent twice (the last wins):
    // all in one record, which starts from zero.
    const MobrelDeviceInfo one = parsed(hexItem("BRAND", "first") + "." + "MEMTOTAL:100;." + hexItem("COLOR", "red") +
                                        hexItem("MODEL", "M") + ".." + hexItem("BRAND", "second") + ".");
    EXPECT_STREQ(one.brand, "second");
    EXPECT_STREQ(one.model, "M");
    EXPECT_EQ(int64_t{one.memTotal}, 100);
    EXPECT_EQ(int64_t{one.memAvail}, 0);
    EXPECT_EQ(one.serial[0], '\0');

    const MobrelDeviceInfo facts =
        parsed(hexItem("BRAND", std::string(200, 'B')) + hexItem("MODEL", std::string("ab\0cd", 5)) +
               "SERIAL:7;MEMAVAIL:99999999999999999999999999;PHONETOTAL:12a;ANDROIDVERSION:" + hexEncode("lost"));
    EXPECT_EQ(std::string(facts.brand), std::string(63, 'B'));
    EXPECT_STREQ(facts.model, "ab");
    EXPECT_STREQ(facts.serial, "p") << "a lone digit is the high nibble";
    EXPECT_EQ(int64_t{facts.phoneTotal}, 12 * 10 + ('a' - '0')) << "every character counts as its code minus '0'";
    EXPECT_NE(int64_t{facts.memAvail}, 0) << "a number too long wraps, it does not trap";
    EXPECT_STREQ(facts.androidVersion, "") << "an item without its \";\" is not read";
}
