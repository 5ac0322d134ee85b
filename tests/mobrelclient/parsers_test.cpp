// The parsers on odd text: the device list, capture files, hex text, the install command.
#include <gtest/gtest.h>

#include <algorithm>
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

// Whole lines with a tab after the header (older adb put a blank before its line feed) are devices.
TEST(AdbDevices, OnlyWholeLinesWithATabAfterTheHeader) {
    std::string many = "List of devices attached\n" + std::string(100, 's') + "\t" + std::string(80, 't') + "\n";
    for (int i = 1; i <= 6; ++i) many += "dev" + std::to_string(i) + "\tdevice\n";
    const struct {
        std::string text;
        int count;
        std::string serial, state, fifth;
    } cases[] = {
        {"List of devices attached \nR58M123\tdevice\n\n", 1, "R58M123", "device", ""},
        {"List of devices attached\r\nR58M123\tdevice\r\n\r\n", 1, "R58M123", "device\r", ""},
        {"* daemon started successfully\nList of devices attached\nX\tdevice\n", 0, "", "", ""},
        {"List of devices attached", 0, "", "", ""},
        {"", 0, "", "", ""},
        // too short, no tab, a device, no tab, no line feed
        {"List of devices attached\na\tb\nabcd\nab\tcd\n\nserial-without-tab device\nlast\tdevice", 1, "ab", "cd", ""},
        // long fields cut to 63, five slots kept of seven devices
        {many, 7, std::string(63, 's'), std::string(63, 't'), "dev4"},
    };
    for (const auto& c : cases) {
        AdbDeviceTable table;
        std::memset(&table, 0x5A, sizeof table);  // every byte must be rewritten
        parseAdbDevices(c.text.c_str(), table);
        EXPECT_EQ(countAdbDevices(c.text.c_str()), c.count) << c.text;
        EXPECT_EQ(table.count, std::min(c.count, kAdbDeviceSlots)) << c.text;
        EXPECT_EQ(table.entries[0].serial, c.serial) << c.text;
        EXPECT_EQ(table.entries[0].state, c.state) << c.text;
        EXPECT_EQ(c.fifth.empty() ? c.fifth : std::string(table.entries[4].serial), c.fifth);
    }
}

TEST(CaptureFile, LimitIs2048BytesAndOnlyCrLfBecomesLf) {
    const std::string dir = makeTempDir("capture");
    std::string text;
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {std::string(2048, 'a'), std::string(2048, 'a')}, {std::string(2049, 'a'), std::nullopt}, {"", ""},
        {"a\rb\r\n\r", "a\rb\n\r"}};
    for (const auto& [bytes, read] : cases) {
        writeFile(dir + "/capture", bytes);
        EXPECT_EQ(readCaptureFile(dir + "/capture", text), read.has_value()) << bytes.size();
        EXPECT_EQ(read ? text : "", read.value_or("")) << bytes.size();
    }
    EXPECT_FALSE(readCaptureFile(dir + "/missing", text));
    EXPECT_FALSE(readCaptureFile(dir, text));  // a folder is no capture
}

TEST(Hex, EncodesUpperCaseAndDecodesByTheDesignedCharacterRule) {
    EXPECT_EQ(hexEncode(std::string("\x00\xff\x7f", 3)), "00FF7F");
    EXPECT_EQ(hexEncode(std::string(600, 'A')).size(), 1024u);  // 512 bytes of 600
    EXPECT_EQ(hexEncode("abc", 5), "6162");                       // whole pairs only
    // Lower case counts as its code minus 55, a non-digit 0, an odd last digit is a high nibble.
    const std::pair<std::string, std::string> decoded[] = {
        {"4869", "Hi"}, {"6e", std::string(1, static_cast<char>(6 * 16 + ('e' - 55)))},
        {"G0", std::string(1, static_cast<char>(16 * ('G' - 55)))}, {"-1", "\x01"}, {"48694", "Hi@"}, {"7", "p"}, {"", ""}};
    for (const auto& [text, bytes] : decoded) EXPECT_EQ(hexDecode(text), bytes) << text;
    for (const auto& [digits, bytes] : {std::pair<size_t, size_t>{2048, 1024}, {2047, 1024}, {2045, 1023}}) {
        EXPECT_EQ(hexDecode(std::string(digits, '4')).size(), bytes) << digits;  // at most 1024 bytes
    }
}

// A program folder may hold blanks: the package's path stays one argument.
TEST(Commands, InstallPathIsOneArgument) {
    EXPECT_EQ(splitCommandLine(adbargs::install("", "/opt/mo brel/mobrelcore.apk")),
              (std::vector<std::string>{"install", "/opt/mo brel/mobrelcore.apk"}));
}
