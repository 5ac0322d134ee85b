// The wire side of the companion: hex texts, reply bodies, record texts,
// argument parsing and the date texts of the records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace phonesim {

// Upper-case hex of the bytes ("%02X" each).
std::string hexEncode(const std::string& bytes);
// Pairs of hex digits (either case) to bytes; nothing for an odd length or a non-hex character.
std::optional<std::string> hexDecode(const std::string& text);

// Reply bodies (the length prefix is added when the reply is sent).
std::string intBody(int32_t value);    // 4 bytes, little-endian
std::string int64Body(int64_t value);  // 8 bytes, little-endian

// Builds record text: KEY ":" HEX(value) ";" items, "." closing each record.
class RecordText {
public:
    void hexItem(const char* key, const std::string& value);  // skipped when value is empty
    void hexNumber(const char* key, int64_t value);  // hex of the decimal text
    void plainItem(const char* key, const std::string& value);  // value sent as it is
    void endRecord() { text_ += '.'; }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// A command split at its first ':' into name and argument text, the ';' removed.
struct Command {
    std::string name;
    std::string args;
};
Command splitCommand(const std::string& text);

std::vector<std::string> splitText(const std::string& text, char separator);

// A whole decimal number (optional '-'), nothing else; nothing when it does not fit.
std::optional<int64_t> parseDecimal(const std::string& text);

// "yyyy-MM-dd HH:mm:ss" in the phone's local time, and back (nothing for text of
// another shape or an impossible date).
std::string formatLocalTime(int64_t secondsSince1970);
std::optional<int64_t> parseLocalTime(const std::string& text);

}  // namespace phonesim
