#include "hex.h"

namespace mobrel {
namespace {

int nibble(char c) {
    // Compared as a signed character: bytes from 0x80 up are below 'A'.
    const signed char s = static_cast<signed char>(c);
    if (s >= 'A') return s - 55;
    return s >= '0' && s <= '9' ? s - '0' : 0;
}

}  // namespace

std::string hexEncode(std::string_view bytes, size_t maxDigits) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        if (out.size() + 2 > maxDigits) break;
        const unsigned char b = static_cast<unsigned char>(c);
        out += digits[b >> 4];
        out += digits[b & 0x0F];
    }
    return out;
}

std::string hexDecode(std::string_view text, size_t maxBytes) {
    std::string out;
    for (size_t i = 0; i < text.size() && out.size() < maxBytes; i += 2) {
        const int high = nibble(text[i]);
        const int low = i + 1 < text.size() ? nibble(text[i + 1]) : 0;
        out += static_cast<char>(static_cast<unsigned char>((high * 16 + low) & 0xFF));
    }
    return out;
}

}  // namespace mobrel
