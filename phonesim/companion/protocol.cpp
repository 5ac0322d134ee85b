#include "companion/protocol.h"

#include <ctime>

#include "bytes.h"

namespace phonesim {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool readDigits(const std::string& text, size_t pos, size_t count, int& out) {
    out = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        out = out * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

std::string hexEncode(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

std::optional<std::string> hexDecode(const std::string& text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::string out;
    out.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = hexValue(text[i]);
        int low = hexValue(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
    }
    return out;
}

std::string intBody(int32_t value) {
    std::string out;
    putLe32(out, static_cast<uint32_t>(value));
    return out;
}

std::string int64Body(int64_t value) {
    std::string out;
    putLe64(out, static_cast<uint64_t>(value));
    return out;
}

void RecordText::hexItem(const char* key, const std::string& value) {
    if (!value.empty()) plainItem(key, hexEncode(value));
}

void RecordText::hexNumber(const char* key, int64_t value) {
    plainItem(key, hexEncode(std::to_string(value)));
}

void RecordText::plainItem(const char* key, const std::string& value) {
    text_ += key;
    text_ += ':';
    text_ += value;
    text_ += ';';
}

Command splitCommand(const std::string& text) {
    std::string body = text;
    if (!body.empty() && body.back() == ';') body.pop_back();
    size_t colon = body.find(':');
    if (colon == std::string::npos) return {body, std::string()};
    return {body.substr(0, colon), body.substr(colon + 1)};
}

std::vector<std::string> splitText(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        size_t at = text.find(separator, start);
        if (at == std::string::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
}

std::optional<int64_t> parseDecimal(const std::string& text) {
    size_t i = 0;
    bool negative = !text.empty() && text[0] == '-';
    if (negative) i = 1;
    if (i == text.size() || text.size() - i > 18) return std::nullopt;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

std::string formatLocalTime(int64_t secondsSince1970) {
    time_t t = static_cast<time_t>(secondsSince1970);
    struct tm local {};
    if (!localtime_r(&t, &local)) return std::string();
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::optional<int64_t> parseLocalTime(const std::string& text) {
    // Exactly yyyy-MM-dd HH:mm:ss.
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
        text[16] != ':')
        return std::nullopt;
    int year, month, day, hour, minute, second;
    if (!readDigits(text, 0, 4, year) || !readDigits(text, 5, 2, month) || !readDigits(text, 8, 2, day) ||
        !readDigits(text, 11, 2, hour) || !readDigits(text, 14, 2, minute) || !readDigits(text, 17, 2, second))
        return std::nullopt;
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    struct tm local {};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    time_t t = mktime(&local);
    // mktime moves 31 February to March: such a date is not one.
    if (t == static_cast<time_t>(-1) || local.tm_mday != day || local.tm_mon != month - 1) return std::nullopt;
    return static_cast<int64_t>(t);
}

}  // namespace phonesim
