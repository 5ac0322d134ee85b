#include "dataset/png.h"

#include <algorithm>
#include <array>

namespace phonesim {

namespace {

const std::array<uint32_t, 256>& crcTable() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

uint32_t crc32(const std::string& bytes, size_t from) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = from; i < bytes.size(); ++i) c = crcTable()[(c ^ static_cast<uint8_t>(bytes[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void putBigEndian(std::string& out, uint32_t value) {
    out += static_cast<char>(value >> 24);
    out += static_cast<char>((value >> 16) & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

// Length, type, data, and the CRC of type and data.
void putChunk(std::string& png, const char* type, const std::string& data) {
    putBigEndian(png, static_cast<uint32_t>(data.size()));
    size_t typeStart = png.size();
    png += type;
    png += data;
    putBigEndian(png, crc32(png, typeStart));
}

// A zlib stream of stored blocks (at most 65535 bytes each) with its Adler-32.
std::string zlibStored(const std::string& raw) {
    std::string z = "\x78\x01";  // deflate, 32K window, no dictionary; 0x7801 is a multiple of 31
    size_t pos = 0;
    do {
        size_t length = std::min<size_t>(65535, raw.size() - pos);
        bool last = pos + length == raw.size();
        z += static_cast<char>(last ? 1 : 0);  // BFINAL, BTYPE 00
        z += static_cast<char>(length & 0xFF);
        z += static_cast<char>(length >> 8);
        z += static_cast<char>(~length & 0xFF);
        z += static_cast<char>((~length >> 8) & 0xFF);
        z.append(raw, pos, length);
        pos += length;
    } while (pos < raw.size());

    uint32_t a = 1;
    uint32_t b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    putBigEndian(z, (b << 16) | a);
    return z;
}

}  // namespace

std::string encodePng(const RgbImage& image) {
    std::string png = "\x89PNG\r\n\x1a\n";

    std::string header;
    putBigEndian(header, static_cast<uint32_t>(image.width));
    putBigEndian(header, static_cast<uint32_t>(image.height));
    header += '\x08';  // bit depth
    header += '\x02';  // colour type RGB
    header += std::string(3, '\0');  // deflate, adaptive filtering, no interlace
    putChunk(png, "IHDR", header);

    // Each row: filter type 0 (none), then the row's pixels.
    size_t rowBytes = static_cast<size_t>(image.width) * 3;
    std::string raw;
    raw.reserve((rowBytes + 1) * image.height);
    for (int y = 0; y < image.height; ++y) {
        raw += '\0';
        raw.append(reinterpret_cast<const char*>(&image.pixels[y * rowBytes]), rowBytes);
    }
    putChunk(png, "IDAT", zlibStored(raw));
    putChunk(png, "IEND", std::string());
    return png;
}

}  // namespace phonesim
