#include "png_check.h"

#include "test_util.h"

namespace mobreltest {

namespace {

uint32_t bitwiseCrc(const std::string& bytes, size_t from, size_t length) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < from + length; ++i) {
        crc ^= static_cast<uint8_t>(bytes[i]);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

uint32_t bigEndian(const std::string& bytes, size_t at) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 8) |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3]));
}

bool fail(std::string& why, const std::string& reason) {
    why = reason;
    return false;
}

bool inflateStored(const std::string& z, std::string& raw, std::string& why) {
    if (z.size() < 6) return fail(why, "zlib stream too short");
    uint8_t cmf = static_cast<uint8_t>(z[0]), flg = static_cast<uint8_t>(z[1]);
    if ((cmf & 0x0F) != 8 || (cmf * 256 + flg) % 31 != 0 || (flg & 0x20)) return fail(why, "bad zlib header");
    size_t pos = 2;
    bool last = false;
    while (!last) {
        if (pos + 5 > z.size()) return fail(why, "truncated deflate block");
        uint8_t head = static_cast<uint8_t>(z[pos]);
        last = head & 1;
        if ((head >> 1) != 0) return fail(why, "not a stored block");
        uint16_t len = static_cast<uint16_t>(static_cast<uint8_t>(z[pos + 1]) | (static_cast<uint8_t>(z[pos + 2]) << 8));
        uint16_t nlen = static_cast<uint16_t>(static_cast<uint8_t>(z[pos + 3]) | (static_cast<uint8_t>(z[pos + 4]) << 8));
        if (static_cast<uint16_t>(~nlen) != len) return fail(why, "LEN and NLEN disagree");
        pos += 5;
        if (pos + len > z.size()) return fail(why, "stored block past the end");
        raw.append(z, pos, len);
        pos += len;
    }
    if (pos + 4 != z.size()) return fail(why, "bytes after the Adler-32");
    uint64_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    if (bigEndian(z, pos) != static_cast<uint32_t>((b << 16) | a)) return fail(why, "Adler-32 mismatch");
    return true;
}

}  // namespace

bool readPng(const std::string& bytes, PngPicture& out, std::string& why) {
    static const std::string kSignature("\x89PNG\r\n\x1a\n", 8);
    if (bytes.compare(0, 8, kSignature) != 0) return fail(why, "no PNG signature");
    size_t pos = 8;
    std::string idat;
    bool sawHeader = false, sawEnd = false;
    while (pos < bytes.size()) {
        if (pos + 12 > bytes.size()) return fail(why, "truncated chunk");
        uint32_t length = bigEndian(bytes, pos);
        if (length > bytes.size() - pos - 12) return fail(why, "chunk past the end");
        std::string type = bytes.substr(pos + 4, 4);
        if (bitwiseCrc(bytes, pos + 4, 4 + length) != bigEndian(bytes, pos + 8 + length))
            return fail(why, "CRC mismatch in " + type);
        std::string data = bytes.substr(pos + 8, length);
        if (!sawHeader && type != "IHDR") return fail(why, "first chunk is not IHDR");
        if (type == "IHDR") {
            if (length != 13) return fail(why, "IHDR length");
            out.width = bigEndian(data, 0);
            out.height = bigEndian(data, 4);
            if (out.width == 0 || out.height == 0) return fail(why, "empty image");
            if (data[8] != 8 || data[9] != 2 || data[10] != 0 || data[11] != 0 || data[12] != 0)
                return fail(why, "not 8-bit RGB, deflate, no interlace");
            sawHeader = true;
        } else if (type == "IDAT") {
            idat += data;
        } else if (type == "IEND") {
            sawEnd = true;
            if (pos + 12 != bytes.size()) return fail(why, "bytes after IEND");
        }
        pos += 12 + length;
    }
    if (!sawEnd) return fail(why, "no IEND");
    std::string raw;
    if (!inflateStored(idat, raw, why)) return false;
    size_t row = static_cast<size_t>(out.width) * 3;
    if (raw.size() != (row + 1) * out.height) return fail(why, "image data has the wrong size");
    out.rgb.clear();
    for (uint32_t y = 0; y < out.height; ++y) {
        if (raw[y * (row + 1)] != 0) return fail(why, "unexpected filter type");
        out.rgb.insert(out.rgb.end(), raw.begin() + static_cast<long>(y * (row + 1) + 1),
                       raw.begin() + static_cast<long>((y + 1) * (row + 1)));
    }
    return true;
}

::testing::AssertionResult isPngFile(const std::filesystem::path& file) {
    PngPicture picture;
    std::string why;
    if (readPng(readFile(file), picture, why)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << file << ": " << why;
}

}  // namespace mobreltest
