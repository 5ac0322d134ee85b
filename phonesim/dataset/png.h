// A minimal PNG writer: 8-bit RGB, no filter, the image data in stored
// (uncompressed) deflate blocks. Real PNG files that any decoder reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace phonesim {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // width * height * 3 bytes, row by row

    RgbImage(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 3) {}
    void set(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
        uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
        p[0] = r;
        p[1] = g;
        p[2] = b;
    }
};

// The bytes of the PNG file; width and height must be at least 1.
std::string encodePng(const RgbImage& image);

}  // namespace phonesim
