// Little-endian integers inside byte strings, as adb's structures and the
// companion's replies store them.
#pragma once

#include <cstdint>
#include <string>

namespace phonesim {

inline void putLe32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

inline void putLe64(std::string& out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

inline uint32_t getLe32(const char* p) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
    return v;
}

// The four-letter ids of packets and sync records ("OKAY", "DATA") as they read on the wire.
constexpr uint32_t fourCC(const char (&id)[5]) {
    return static_cast<uint32_t>(static_cast<unsigned char>(id[0])) |
           static_cast<uint32_t>(static_cast<unsigned char>(id[1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(id[2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(id[3])) << 24;
}

}  // namespace phonesim
