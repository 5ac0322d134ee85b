// An independent PNG reader for the tests: checks the signature, every chunk's
// CRC (computed bit by bit, not from a table), IHDR, the zlib header, the
// deflate blocks (stored ones only) and the Adler-32, and gives the pixels back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace phonesim::test {

struct PngPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgb;
};

// False with a reason when the bytes are not a valid 8-bit RGB PNG.
bool readPng(const std::string& bytes, PngPicture& out, std::string& why);
std::string readFile(const std::string& path);

}  // namespace phonesim::test
