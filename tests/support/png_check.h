// An independent PNG reader for the tests: checks the signature, every chunk's
// CRC (computed bit by bit, not from a table), IHDR first and IEND last, the
// zlib header, the deflate blocks (stored ones only, as phonesim writes them)
// and the Adler-32, and gives the pixels back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mobreltest {

struct PngPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgb;
};

// False with a reason when the bytes are not a valid 8-bit RGB PNG.
bool readPng(const std::string& bytes, PngPicture& out, std::string& why);
::testing::AssertionResult isPngFile(const std::filesystem::path& file);

}  // namespace mobreltest
