// adb transport packets: a 24-byte header of six little-endian words
// (command, arg0, arg1, data length, data checksum, magic) and the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "bytes.h"

namespace phonesim::adb {

inline constexpr uint32_t A_CNXN = fourCC("CNXN");
inline constexpr uint32_t A_AUTH = fourCC("AUTH");
inline constexpr uint32_t A_OPEN = fourCC("OPEN");
inline constexpr uint32_t A_OKAY = fourCC("OKAY");
inline constexpr uint32_t A_WRTE = fourCC("WRTE");
inline constexpr uint32_t A_CLSE = fourCC("CLSE");

inline constexpr uint32_t kAuthToken = 1;
inline constexpr uint32_t kAuthSignature = 2;
inline constexpr uint32_t kAuthPublicKey = 3;

// Protocol versions: the first one has 4 KiB packets and checksummed data.
inline constexpr uint32_t kVersionChecksummed = 0x01000000;
inline constexpr uint32_t kVersionCurrent = 0x01000001;

inline constexpr size_t kHeaderSize = 24;
// Anything longer is not adb: the connection is dropped rather than buffered.
inline constexpr size_t kMaxAcceptedData = 1024 * 1024;

struct Packet {
    uint32_t command = 0;
    uint32_t arg0 = 0;
    uint32_t arg1 = 0;
    std::string data;
};

// Header and data ready to write; the checksum (byte sum of the data) is only
// filled in for the checksummed protocol version, later hosts ignore it.
std::string encodePacket(const Packet& packet, bool withChecksum);

enum class ReadResult { Ok, Closed, Malformed };

// Reads one packet from a socket. Malformed: a wrong magic or data longer than kMaxAcceptedData.
ReadResult readPacket(int fd, Packet& out);

}  // namespace phonesim::adb
