// Thumbnails: a small PNG written to the kind's tmp.png in its upload folder,
// which the client then pulls. Its colour comes from the photo's bytes, the
// video or the album, so different items get different pictures.
#include <cstdlib>
#include <fstream>
#include <system_error>

#include "companion/companion_impl.h"
#include "dataset/png.h"
#include "store/jsonl.h"

namespace phonesim {

namespace fs = std::filesystem;

namespace {

constexpr int kThumbnailSide = 64;

uint32_t fnv1a(const char* data, size_t size, uint32_t hash = 2166136261u) {
    for (size_t i = 0; i < size; ++i) {
        hash ^= static_cast<uint8_t>(data[i]);
        hash *= 16777619u;
    }
    return hash;
}

uint32_t fileHash(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string head(64 * 1024, '\0');
    in.read(&head[0], static_cast<std::streamsize>(head.size()));
    return fnv1a(head.data(), static_cast<size_t>(in.gcount()));
}

// A vertical gradient of the colour, with a white play sign for a video and a
// white disc for music.
RgbImage drawThumbnail(uint32_t colour, MediaKind kind) {
    RgbImage image(kThumbnailSide, kThumbnailSide);
    const int r = 40 + (colour & 0xAF), g = 40 + ((colour >> 8) & 0xAF), b = 40 + ((colour >> 16) & 0xAF);
    const int half = kThumbnailSide / 2;
    for (int y = 0; y < kThumbnailSide; ++y) {
        for (int x = 0; x < kThumbnailSide; ++x) {
            int dx = x - half, dy = y - half;
            bool mark = (kind == MediaKind::Video && x >= 24 && x <= 44 && 2 * std::abs(dy) <= x - 24) ||
                        (kind == MediaKind::Music && dx * dx + dy * dy <= 14 * 14 && dx * dx + dy * dy > 3 * 3);
            if (mark) {
                image.set(x, y, 255, 255, 255);
            } else {
                int shade = 100 - y;  // percent of the full colour, darker downwards
                image.set(x, y, static_cast<uint8_t>(r * shade / 100), static_cast<uint8_t>(g * shade / 100),
                          static_cast<uint8_t>(b * shade / 100));
            }
        }
    }
    return image;
}

}  // namespace

bool Companion::Impl::writeThumbnail(const MediaItem& item) {
    std::optional<fs::path> target = sdcardFile(uploadPath(item.kind, kThumbnailName));
    std::optional<fs::path> source = sdcardFile(item.path);
    if (!target || !source) return false;
    uint32_t colour = 0;
    switch (item.kind) {
    case MediaKind::Photo: colour = fileHash(*source); break;
    case MediaKind::Video: colour = fnv1a(item.path.data(), item.path.size()); break;
    case MediaKind::Music: {
        std::string album = std::to_string(item.albumId);
        colour = fnv1a(album.data(), album.size());
        break;
    }
    }
    std::error_code ec;
    fs::create_directories(target->parent_path(), ec);
    return writeFileAtomic(*target, encodePng(drawThumbnail(colour, item.kind)));
}

}  // namespace phonesim
