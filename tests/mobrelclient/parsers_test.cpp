// The parsers on captured text: the device list of adb 29 as recorded, its
// header variants and odd lines, capture files, hex text, record items and the
// command texts.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "adb_devices.h"
#include "capture.h"
#include "cmdline.h"
#include "commands.h"
#include "hex.h"
#include "record.h"
#include "test_support.h"

using namespace mobrel;
using namespace mobrel::test;

namespace {

AdbDeviceTable parsed(const std::string& text) {
    AdbDeviceTable table;
    std::memset(&table, 0x5A, sizeof table);  // every byte must be rewritten
    parseAdbDevices(text.c_str(), table);
    return table;
}

std::string captured(const std::string& name) {
    std::string text;
    EXPECT_TRUE(readCaptureFile(dataFile(name), text)) << name;
    return text;
}

}  // namespace

TEST(AdbDevices, RecordedOutputOfAdb29) {
    // Recorded with Debian's adb 29.0.6 on a private server port: no device, then three
    // stand-in devices answering, never answering, and refusing the host key.
    const std::string none = captured("adb29_devices_none.txt");
    EXPECT_EQ(none, "List of devices attached\n\n");
    EXPECT_EQ(countAdbDevices(none.c_str()), 0);
    EXPECT_EQ(parsed(none).count, 0);

    const std::string three = captured("adb29_devices_three.txt");
    EXPECT_EQ(countAdbDevices(three.c_str()), 3);
    const AdbDeviceTable table = parsed(three);
    ASSERT_EQ(table.count, 3);
    // The header ends in a bare line feed: the first serial keeps its first character.
    const char* states[] = {"device", "offline", "unauthorized", "", ""};
    for (int i = 0; i < kAdbDeviceSlots; ++i) {
        EXPECT_STREQ(table.entries[i].serial, i < 3 ? ("emulator-560" + std::to_string(2 * i)).c_str() : "") << i;
        EXPECT_STREQ(table.entries[i].state, states[i]) << i;
    }
    EXPECT_STREQ(table.entries[0].model, "");
}

TEST(AdbDevices, HeaderVariants) {
    // 26-character header line (a blank before the line feed), as older adb printed it.
    const AdbDeviceTable blank = parsed("List of devices attached \nR58M123\tdevice\n\n");
    ASSERT_EQ(blank.count, 1);
    EXPECT_STREQ(blank.entries[0].serial, "R58M123");

    // CR LF line ends as a capture file may hold them: read as LF.
    const std::string crlf = "List of devices attached\r\nR58M123\tdevice\r\n\r\n";
    const std::string path = makeTempDir("crlf") + "/capture";
    writeFile(path, crlf);
    std::string text;
    ASSERT_TRUE(readCaptureFile(path, text));
    const AdbDeviceTable fromFile = parsed(text);
    ASSERT_EQ(fromFile.count, 1);
    EXPECT_STREQ(fromFile.entries[0].state, "device");

    // Parsed raw, the CR stays in the state, which then is not "device".
    EXPECT_STREQ(parsed(crlf).entries[0].state, "device\r");

    // Something before the header (a server start-up banner): no devices.
    const std::string banner = "* daemon started successfully\nList of devices attached\nX\tdevice\n";
    EXPECT_EQ(countAdbDevices(banner.c_str()), 0);
    EXPECT_EQ(parsed(banner).count, 0);
    // A header without a line feed, or nothing at all.
    EXPECT_EQ(parsed("List of devices attached").count, 0);
    EXPECT_EQ(countAdbDevices(""), 0);
}

TEST(AdbDevices, OnlyWholeLinesWithATabAreDevicesAndFiveAreKept) {
    const std::string text =
        "List of devices attached\n"
        "a\tb\n"                 // 3 characters: too short
        "abcd\n"                 // no tab
        "ab\tcd\n"               // 5 characters: a device
        "\n"
        "serial-without-tab device\n"
        "last\tdevice";          // no line feed: ignored
    EXPECT_EQ(countAdbDevices(text.c_str()), 1);
    const AdbDeviceTable table = parsed(text);
    ASSERT_EQ(table.count, 1);
    EXPECT_STREQ(table.entries[0].serial, "ab");
    EXPECT_STREQ(table.entries[0].state, "cd");

    // Long fields are cut; only five devices are kept.
    std::string many = "List of devices attached\n" + std::string(100, 's') + "\t" + std::string(80, 't') + "\n";
    for (int i = 1; i <= 6; ++i) many += "dev" + std::to_string(i) + "\tdevice\n";
    EXPECT_EQ(countAdbDevices(many.c_str()), 7);
    const AdbDeviceTable five = parsed(many);
    ASSERT_EQ(five.count, kAdbDeviceSlots);
    EXPECT_EQ(std::string(five.entries[0].serial), std::string(63, 's'));
    EXPECT_EQ(std::string(five.entries[0].state), std::string(63, 't'));
    EXPECT_STREQ(five.entries[4].serial, "dev4");  // dev5 and dev6 find no place
}

TEST(CaptureFile, LimitIs2048Bytes) {
    const std::string dir = makeTempDir("capture");
    std::string text;
    // A lone CR stays; only CR LF becomes LF.
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {std::string(2048, 'a'), std::string(2048, 'a')}, {std::string(2049, 'a'), std::nullopt}, {"", ""},
        {"a\rb\r\n\r", "a\rb\n\r"}};
    for (const auto& [bytes, read] : cases) {
        writeFile(dir + "/capture", bytes);
        EXPECT_EQ(readCaptureFile(dir + "/capture", text), read.has_value()) << bytes.size();
        if (read) {
            EXPECT_EQ(text, *read);
        }
    }
    EXPECT_FALSE(readCaptureFile(dir + "/missing", text));
    EXPECT_FALSE(readCaptureFile(dir, text));  // a folder is no capture
}

TEST(Hex, EncodesUpperCaseAndDecodesByTheDesignedCharacterRule) {
    EXPECT_EQ(hexEncode("Hi"), "4869");
    EXPECT_EQ(hexEncode(std::string("\x00\xff\x7f", 3)), "00FF7F");
    EXPECT_EQ(hexEncode(std::string(600, 'A')).size(), 1024u);  // 512 bytes of 600
    EXPECT_EQ(hexEncode("abc", 5), "6162");                       // whole pairs only
    EXPECT_EQ(hexDecode(hexEncode(std::string("Gr\xc3\xbc\xc3\x9f" "e\x01\x00 ;:", 11))),
              std::string("Gr\xc3\xbc\xc3\x9f" "e\x01\x00 ;:", 11));

    EXPECT_EQ(hexDecode("4869"), "Hi");
    // Lower-case digits count as their code minus 55: "6e" is 6*16 + 46, not 'n'.
    EXPECT_EQ(hexDecode("6e"), std::string(1, static_cast<char>(6 * 16 + ('e' - 55))));
    EXPECT_EQ(hexDecode("G0"), std::string(1, static_cast<char>(16 * ('G' - 55))));
    EXPECT_EQ(hexDecode("-1"), std::string(1, '\x01'));  // a non-digit counts 0
    // Odd length: the last character is a high nibble with a low one of 0.
    EXPECT_EQ(hexDecode("48694"), "Hi@");
    EXPECT_EQ(hexDecode("7"), "p");
    EXPECT_EQ(hexDecode(""), "");
    // At most 1024 bytes.
    EXPECT_EQ(hexDecode(std::string(2048, '4')).size(), 1024u);
    EXPECT_EQ(hexDecode(std::string(2047, '4')).size(), 1024u);
    EXPECT_EQ(hexDecode(std::string(2045, '4')).size(), 1023u);
}

TEST(RecordItems, CutKeysAndValuesInPlace) {
    char reply[] = "ID:3132;NAME:416E6E61;.X:Y:KEY:4142;NOCOLON;:;ID:31;NAME:4142";
    RecordItem item;
    char* pos = parseRecordItem(reply, item);
    EXPECT_STREQ(item.key, "ID");
    EXPECT_EQ(hexDecode(item.value), "12");
    pos = parseRecordItem(pos, item);
    EXPECT_STREQ(item.key, "NAME");
    EXPECT_EQ(hexDecode(item.value), "Anna");
    ASSERT_EQ(*pos, '.');  // the caller ends the record and skips the full stop
    // The key lies between the last two colons; an item without one has an empty value.
    const std::vector<std::pair<const char*, const char*>> next = {{"KEY", "4142"}, {"NOCOLON", ""}, {"", ""}, {"ID", "31"}};
    pos = pos + 1;
    for (const auto& [key, value] : next) {
        pos = parseRecordItem(pos, item);
        EXPECT_STREQ(item.key, key);
        EXPECT_STREQ(item.value, value);
    }
    // An item without ";" is not read and is left as it was.
    char* end = parseRecordItem(pos, item);
    EXPECT_EQ(item.key, nullptr);
    EXPECT_EQ(item.value, nullptr);
    EXPECT_EQ(end, reply + sizeof reply - 1);
    EXPECT_STREQ(pos, "NAME:4142");
}

// Untrusted values in adb command lines stay single arguments, whatever they hold.
TEST(Commands, AdbArgumentsAreQuoted) {
    const std::string serial = "x\" shell rm -rf /sdcard; \"";
    EXPECT_EQ(splitCommandLine(adbargs::forceStop(serial)),
              (std::vector<std::string> {"-s", serial, "shell", "am", "force-stop", "com.quenlo.mobrelphone"}));
    const std::string local = "/home/u/My \"Pics\"/a;b $(x).jpg";
    const std::string remote = "/sdcard/Images/a b\\.jpg";
    EXPECT_EQ(splitCommandLine(adbargs::push("", local, remote)), (std::vector<std::string> {"push", local, remote}));
    EXPECT_EQ(splitCommandLine(adbargs::pull(serial, remote, local)),
              (std::vector<std::string> {"-s", serial, "pull", remote, local}));
    EXPECT_EQ(splitCommandLine(adbargs::install(serial, "/opt/mo brel/mobrelcore.apk")),
              (std::vector<std::string> {"-s", serial, "install", "/opt/mo brel/mobrelcore.apk"}));
    // No device chosen: no "-s" at all, and adb takes the only device attached.
    EXPECT_EQ(adbargs::forceStop(""), "shell am force-stop com.quenlo.mobrelphone");
}
