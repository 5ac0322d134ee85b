#include "packet.h"

#include "socket_io.h"

namespace phonesim::adb {

std::string encodePacket(const Packet& packet, bool withChecksum) {
    uint32_t sum = 0;
    if (withChecksum) {
        for (unsigned char c : packet.data) sum += c;
    }
    std::string out;
    out.reserve(kHeaderSize + packet.data.size());
    putLe32(out, packet.command);
    putLe32(out, packet.arg0);
    putLe32(out, packet.arg1);
    putLe32(out, static_cast<uint32_t>(packet.data.size()));
    putLe32(out, sum);
    putLe32(out, packet.command ^ 0xffffffffu);
    out += packet.data;
    return out;
}

ReadResult readPacket(int fd, Packet& out) {
    char header[kHeaderSize];
    if (!readAll(fd, header, sizeof header)) return ReadResult::Closed;
    out.command = getLe32(header);
    out.arg0 = getLe32(header + 4);
    out.arg1 = getLe32(header + 8);
    uint32_t length = getLe32(header + 12);
    uint32_t magic = getLe32(header + 20);
    if (magic != (out.command ^ 0xffffffffu) || length > kMaxAcceptedData) return ReadResult::Malformed;
    out.data.resize(length);
    if (length > 0 && !readAll(fd, out.data.data(), length)) return ReadResult::Closed;
    return ReadResult::Ok;
}

}  // namespace phonesim::adb
