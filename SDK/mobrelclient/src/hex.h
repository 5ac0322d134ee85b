// Hex text: how values travel inside service commands and record replies.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mobrel {

constexpr size_t kHexDigitLimit = 1024;
constexpr size_t kHexByteLimit = 1024;

// Each byte as two upper-case digits ("%02X"), whole pairs only, stopping at
// maxDigits (so 1024 digits carry at most the first 512 bytes).
std::string hexEncode(std::string_view bytes, size_t maxDigits = kHexDigitLimit);

// Pairs of characters become bytes, the first one the high nibble. A character
// at or above 'A' counts as its code minus 55 ('A'..'F' are 10..15; lower-case
// digits are not supported and decode to other bytes); any other character is
// its decimal digit value, a non-digit 0. A single character left at the end
// still gives a byte, with a low nibble of 0. Stops after maxBytes bytes. The
// result may hold NUL bytes; users of a text stop at the first.
std::string hexDecode(std::string_view text, size_t maxBytes = kHexByteLimit);

}  // namespace mobrel
