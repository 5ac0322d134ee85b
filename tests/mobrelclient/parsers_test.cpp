// The parsers on odd text: the device list's header variants and odd lines,
// capture files, hex text, and the install command's text. (adb 29's own lists
// are the device tests' against the real adb; record items: the page, device
// facts and media record tests.)
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "adb_devices.h"
#include "capture.h"
#include "cmdline.h"
#include "commands.h"
#include "hex.h"
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

}  // namespace

// Whole lines with a tab after the header (with or without a blank before its
// line feed, as older adb printed it) are devices. (A capture file's CR LF
// reaches the parser as LF: CaptureFile's part.)
TEST(AdbDevices, OnlyWholeLinesWithATabAfterTheHeader) {
    const struct {
        const char* what;
        std::string text;
        int count;
        const char* serial;
        const char* state;
    } cases[] = {
        {"26-character header", "List of devices attached \nR58M123\tdevice\n\n", 1, "R58M123", "device"},
        {"CR LF kept in the state", "List of devices attached\r\nR58M123\tdevice\r\n\r\n", 1, "R58M123", "device\r"},
        {"a server banner first", "* daemon started successfully\nList of devices attached\nX\tdevice\n", 0, "", ""},
        {"a header without a line feed", "List of devices attached", 0, "", ""},
        {"nothing", "", 0, "", ""},
        // 3 characters (too short), no tab, 5 characters (a device), no tab, no line feed.
        {"odd lines", "List of devices attached\na\tb\nabcd\nab\tcd\n\nserial-without-tab device\nlast\tdevice", 1,
         "ab", "cd"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(countAdbDevices(c.text.c_str()), c.count) << c.what;
        const AdbDeviceTable table = parsed(c.text);
        EXPECT_EQ(table.count, c.count) << c.what;
        EXPECT_STREQ(table.entries[0].serial, c.serial) << c.what;
        EXPECT_STREQ(table.entries[0].state, c.state) << c.what;
    }
}

TEST(AdbDevices, LongFieldsAreCutAndFiveAreKept) {
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
    EXPECT_EQ(hexEncode(std::string("\x00\xff\x7f", 3)), "00FF7F");
    EXPECT_EQ(hexEncode(std::string(600, 'A')).size(), 1024u);  // 512 bytes of 600
    EXPECT_EQ(hexEncode("abc", 5), "6162");                       // whole pairs only
    // Lower-case digits count as their code minus 55 ("6e" is not 'n'), a
    // non-digit counts 0, an odd last character is a high nibble with a low one of 0.
    const std::pair<std::string, std::string> decoded[] = {
        {"4869", "Hi"}, {"6e", std::string(1, static_cast<char>(6 * 16 + ('e' - 55)))},
        {"G0", std::string(1, static_cast<char>(16 * ('G' - 55)))}, {"-1", "\x01"}, {"48694", "Hi@"}, {"7", "p"}, {"", ""}};
    for (const auto& [text, bytes] : decoded) EXPECT_EQ(hexDecode(text), bytes) << text;
    // At most 1024 bytes.
    for (const auto& [digits, bytes] : {std::pair<size_t, size_t>{2048, 1024}, {2047, 1024}, {2045, 1023}}) {
        EXPECT_EQ(hexDecode(std::string(digits, '4')).size(), bytes) << digits;
    }
}

// A program folder may hold blanks: the package's path stays one argument. (Odd
// names and serials in the other commands reach the real adb in the media tests
// and the stand-in in the channel test.)
TEST(Commands, InstallPathIsOneArgument) {
    EXPECT_EQ(splitCommandLine(adbargs::install("", "/opt/mo brel/mobrelcore.apk")),
              (std::vector<std::string> {"install", "/opt/mo brel/mobrelcore.apk"}));
}
